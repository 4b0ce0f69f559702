// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"
#include "dcpsession.h"
#include "linkflavour.h"
#include "linkobserver.h"
#include "platform/usbdriver.h"
#include "protocol/bridgecommands.h"
#include "reporter.h"
#include "transactionguard.h"
#include "transferfeed.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

namespace vtx {

// The device context the driver's notifications work on.
struct UsbDeviceContext {
    std::uint32_t interfaceNumber = 0;
    std::uint32_t alternateSetting = 0;
    DeviceHandle deviceHandle = 0;                        // written by the notifications; 0 = none
    DriverStatus interfaceStatus = DriverStatus::Success; // of the last interface selection
};

// How much of its past the link keeps for watchers opened later: the transfers and trace lines
// (TransferFeed) and the wiper samples (DcpSession). Each ring takes its room when the link is made, so a
// program with no window to show them (vtxctl) asks for small ones.
struct LinkRecordSizes {
    std::size_t feedEntries = TransferFeed::kDefaultCapacity;
    std::size_t wiperSamples = DcpSession::kHistoryCapacity;
};

// The link to the USB control module. One instance for the whole program, shared by both working windows,
// so only one link exists at a time whichever window opened it. It owns the link state and the transfer
// state (PipeNum, PipeLen, PipeBuf) and the procedures that are the same for every window; the procedures
// that differ per window are in LinkClient.
class Link {
    struct State {
        bool UsbOpen = false;
        DriverHandle hDriver = 0;
        UsbDeviceContext UsbDevCtx;
        DeviceHandle hActiveDevice = 0;
        DriverStatus UsbStatus = DriverStatus::Success;
        LinkObserver* AttachLampForm = nullptr;
        int BridgeKind = 0;
        std::uint32_t I2COutPipe = 0;
        bool UsbOK = false;
    };
    // Declared before the public read-only views of it below, which refer to it.
    State m_state;
    friend class LinkClient;

public:
    // `clock` measures the link's deadlines (the wait for a part's EEPROM write cycle); it must outlive the
    // link.
    Link(UsbDriver& driver, UsbMatch match, const Clock& clock, LinkRecordSizes sizes = {});
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Link state: readable by everyone, written only by the link and its per-window procedures (LinkClient).
    const bool& UsbOpen = m_state.UsbOpen;
    const DriverHandle& hDriver = m_state.hDriver;
    const UsbDeviceContext& UsbDevCtx = m_state.UsbDevCtx;
    const DeviceHandle& hActiveDevice = m_state.hActiveDevice;
    const DriverStatus& UsbStatus = m_state.UsbStatus;
    const LinkObserver* const& AttachLampForm = m_state.AttachLampForm; // told of attach and detach
    const int& BridgeKind = m_state.BridgeKind;         // 0 not recognised, 1 or 2
    const std::uint32_t& I2COutPipe = m_state.I2COutPipe; // 0 until a bridge query recognised a module
    const bool& UsbOK = m_state.UsbOK;                    // the last open succeeded (flavours that track it)

    // Transfer state. Callers set PipeNum and PipeLen and size PipeBuf (zero-filled) before a transfer.
    std::uint32_t PipeNum = 0;
    std::uint32_t PipeLen = 0;
    std::vector<std::uint8_t> PipeBuf;
    std::uint32_t bytesTransferred = 0;
    AlternateSetting AltSettingRec;
    std::vector<PipeInfo> PipesInfo;

    // One transaction at a time, program-wide.
    TransactionGuard& guard() { return m_guard; }

    UsbDriver& driver() { return m_driver; }
    // Every transfer and trace line, for whoever watches.
    TransferFeed& feed() { return m_feed; }
    // What the program did with the DCP on this link: wiper samples and EEPROM writes.
    DcpSession& dcpSession() { return m_dcpSession; }
    const UsbMatch& match() const { return m_match; }
    const Clock& clock() const { return m_clock; }

    // Who is told of the attach and detach notifications from now on (nobody: nullptr).
    void setAttachLampForm(LinkObserver* observer) { m_state.AttachLampForm = observer; }

    // The driver's notifications.
    bool DeviceAttach(DeviceHandle device, const DeviceInfo& info);
    void DeviceDetach(DeviceHandle device);
    // How many attach notifications have come in (accepted or not), so a wait for one can end as soon as it
    // has arrived.
    std::uint64_t attachNotifications() const { return m_attachNotifications; }

    // While one of these lives, what the link has to tell the user is collected here instead of reported,
    // so that an operation can hand it back with its result.
    class MessageCapture {
    public:
        explicit MessageCapture(Link& link) : m_link(link), m_previous(std::exchange(link.m_capture, this)) {}
        ~MessageCapture() { m_link.m_capture = m_previous; }
        MessageCapture(const MessageCapture&) = delete;
        MessageCapture& operator=(const MessageCapture&) = delete;
        const QStringList& messages() const { return m_messages; }

    private:
        friend class Link;
        Link& m_link;
        MessageCapture* m_previous;
        QStringList m_messages;
    };

    // A message in the link's words for the user: to `reporter`, into the innermost MessageCapture, or to the
    // trace inside a QuietScope.
    void report(Reporter& reporter, const QString& text);

    // While one of these lives, the link's own failures go to the trace instead of a message box: for
    // transfers whose failure the caller handles itself (polling a busy part).
    class QuietScope {
    public:
        explicit QuietScope(Link& link) : m_link(link) { ++m_link.m_quietDepth; }
        ~QuietScope() { --m_link.m_quietDepth; }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;

    private:
        Link& m_link;
    };

    // The pipe transfers, shared by both windows. Their messages go to `reporter`.
    void WritePipe(Reporter& reporter);
    void ReadPipe(Reporter& reporter);
    // When the last write transfer ended, on the link's clock in microseconds: the moment its command reached
    // the module, before anything the program did afterwards.
    std::int64_t lastWriteUs() const { return m_lastWriteUs; }
    bool SetPipesInfo(const AlternateSetting& altSetting, std::vector<PipeInfo>& pipesInfo);

    struct PipeOperation {
        QString name;
        QString failureTrace;
        bool reportsMissingDevice;
    };

    void CloseDriverHandle(DriverHandle handle);
    QString UsbStatusText(DriverStatus status) const;

    // Trace hooks for progress and errors that the user does not see; they go to the vtx.link category.
    void TraceMsg(const QString& text);
    void TracePair(const QString& text, const QString& terminator);

    // The driver's initialisation and release. Release happens once per initialisation, however often the
    // link asks, so an initialisation that was never closed is released before the next one.
    DriverStatus initialiseDriver();
    void releaseDriver();
    bool driverInitialised() const { return m_driverInitialised; }

private:
    void traceTransfer(TransferDirection direction, std::span<const std::uint8_t> bytes, DriverStatus status);
    void publishTrace(const QString& text);
    // Fetches the module's device information afresh and copies its pipe records; false (reported in the
    // operation's words) when there is no module or it has no pipes besides pipe 0.
    bool refreshPipes(Reporter& reporter, const PipeOperation& operation);

    UsbDriver& m_driver;
    TransferFeed m_feed;
    DcpSession m_dcpSession;
    const UsbMatch m_match;
    const Clock& m_clock;
    TransactionGuard m_guard;
    bool m_driverInitialised = false;
    std::uint64_t m_attachNotifications = 0;
    int m_quietDepth = 0;
    std::int64_t m_lastWriteUs = 0;
    MessageCapture* m_capture = nullptr;
};

} // namespace vtx
