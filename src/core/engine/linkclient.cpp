// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkclient.h"

#include "common/appinfo.h"
#include "common/textformat.h"
#include "common/yield.h"

namespace vtx {

namespace {

const QString kNewLine = QStringLiteral("\n");

QString statusHex(DriverStatus status)
{
    return QStringLiteral("&H") + hexText(statusCode(status));
}

} // namespace

LinkClient::LinkClient(Link& link, const LinkFlavour& flavour, LinkObserver& observer, Reporter& reporter)
    : m_link(link), m_flavour(flavour), m_observer(observer), m_reporter(reporter)
{
}

LinkClient::~LinkClient()
{
    // The notifications must not reach an observer that is gone.
    if (m_link.AttachLampForm == &m_observer)
        m_link.m_state.AttachLampForm = nullptr;
}

void LinkClient::becomeAttachLampForm()
{
    m_link.setAttachLampForm(&m_observer);
}

void LinkClient::tell(LinkState::Phase phase, const QString& caption)
{
    m_observer.linkChanged({.phase = phase, .driverHandle = m_link.hDriver, .caption = caption});
}

void LinkClient::Connect_Usb()
{
    Link& l = m_link;
    m_openTimedOut = false;
    if (l.UsbOpen) {
        if (m_flavour.announcesAlreadyOpened)
            l.report(m_reporter, QStringLiteral("Already Opened"));
        return;
    }
    // The device handle keeps its value: only a detach or a refused interface selection clears it.
    l.m_state.UsbDevCtx.interfaceNumber = 0;
    l.m_state.UsbDevCtx.alternateSetting = 0;
    l.TracePair(QStringLiteral("Please verify that the device is attached...") + kNewLine, kNewLine);
    yieldEvents();

    const DriverStatus initStatus = l.initialiseDriver();
    if (m_flavour.showsDriverHandle)
        tell(LinkState::Phase::DriverStarted);
    if (!succeeded(initStatus)) {
        if (m_flavour.tracksUsbOK)
            l.m_state.UsbOK = false;
        tell(LinkState::Phase::Failed, QStringLiteral("USB Board won't intialize"));
        l.TraceMsg(QStringLiteral("Form_Activate(): Failed to initialize USB driver: error ") +
                   statusHex(initStatus) + kNewLine + QStringLiteral("(") + l.UsbStatusText(initStatus) +
                   QStringLiteral(")"));
        return;
    }

    // The attach notification comes in while we yield; once it is here there is nothing left to wait for.
    const std::uint64_t attachesBefore = l.attachNotifications();
    for (int i = 0; i < m_flavour.attachWaitYields && l.attachNotifications() == attachesBefore; ++i)
        yieldEvents();

    l.m_state.hActiveDevice = l.UsbDevCtx.deviceHandle;
    DeviceInfo info;
    l.m_state.UsbStatus = l.driver().getDeviceInfo(l.hActiveDevice, info);
    if (!succeeded(l.UsbStatus)) {
        if (m_flavour.tracksUsbOK)
            l.m_state.UsbOK = false;
        l.report(m_reporter, QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:") + kNewLine +
                                 QStringLiteral("error ") + statusHex(l.UsbStatus) + QStringLiteral(" (") +
                                 l.UsbStatusText(l.UsbStatus) + QStringLiteral(")") + kNewLine);
        if (!m_flavour.opensWithoutDeviceInfo)
            return;
    }

    tell(LinkState::Phase::Opening);
    yieldEvents();
    if (m_flavour.tracksUsbOK)
        l.m_state.UsbOK = true;
    l.m_state.UsbOpen = true;
    if (!Init_Serial()) {
        // The module is there but silent: opening on would only cost every transfer of the click a timeout
        // of its own. The read already said so, once.
        if (m_flavour.tracksUsbOK)
            l.m_state.UsbOK = false;
        l.m_state.UsbOpen = false;
        m_openTimedOut = true;
        return;
    }
    yieldEvents();
    tell(LinkState::Phase::Open);
}

void LinkClient::Disconnect_USB()
{
    Link& l = m_link;
    m_openTimedOut = false;
    if (!l.UsbOpen || l.hDriver <= 0)
        return;
    l.driver().resetDevice(l.hActiveDevice, m_flavour.resetOption);
    yieldEvents();
    l.CloseDriverHandle(l.hDriver);
    yieldEvents();
    l.releaseDriver();
    yieldEvents();
    l.m_state.UsbOpen = false;
    yieldEvents();
    tell(LinkState::Phase::Closed);
    yieldEvents();
}

void LinkClient::closeWhateverItsState()
{
    if (m_link.UsbOpen)
        Disconnect_USB();
    m_link.m_state.UsbOpen = false;
}

void LinkClient::releaseFailedOpen()
{
    if (m_link.UsbOpen || !m_link.driverInitialised())
        return;
    m_link.CloseDriverHandle(m_link.hDriver);
    m_link.releaseDriver();
}

void LinkClient::shutDownDriver()
{
    Link& l = m_link;
    l.driver().resetDevice(l.hActiveDevice, kDcpPanelLink.resetOption);
    l.CloseDriverHandle(l.hDriver);
    l.releaseDriver();
}

bool LinkClient::Init_USB_Com()
{
    Link& l = m_link;
    l.m_state.BridgeKind = 0;
    send(protocol::kCommandPipe, protocol::bridgeQuery());
    l.PipeLen = protocol::kBridgeReplyLength;
    l.PipeNum = protocol::kBridgeReplyPipe;
    l.PipeBuf.assign(protocol::kBridgeReplyLength, 0);
    ReadPipe();
    // A reply that failed reads as a kind-1 module; one that never came means nobody answers.
    if (l.UsbStatus == DriverStatus::Timeout)
        return false;
    // An unknown kind keeps the pipe of the last module we recognised.
    if (const auto kind = protocol::decodeBridgeReply(l.PipeBuf)) {
        l.m_state.BridgeKind = kind->kind;
        l.m_state.I2COutPipe = kind->i2cOutPipe;
    }
    return true;
}

bool LinkClient::Init_Serial()
{
    if (!Init_USB_Com())
        return false;
    if (m_link.BridgeKind != 1)
        return true;
    // A kind-1 module takes each serial set-up command slowly: 200 passes after each, so the next command
    // (or the first I2C command) does not arrive while it is still busy with this one.
    send(protocol::kCommandPipe, protocol::serialSetupFirst());
    yieldEvents(200);
    send(protocol::kSerialSetupPipe, protocol::serialSetupSecond());
    yieldEvents(200);
    return true;
}

void LinkClient::send(std::uint32_t pipe, const protocol::Bytes& bytes)
{
    Link& l = m_link;
    l.PipeNum = pipe;
    l.PipeLen = static_cast<std::uint32_t>(bytes.size());
    l.PipeBuf = bytes;
    WritePipe();
}

protocol::I2cReply LinkClient::exchange(const protocol::I2cCommand& command)
{
    Link& l = m_link;
    send(l.I2COutPipe, command.request);
    l.PipeLen = static_cast<std::uint32_t>(command.replyLength);
    l.PipeNum = protocol::replyPipeFor(l.I2COutPipe);
    l.PipeBuf.assign(static_cast<std::size_t>(command.replyLength), 0);
    ReadPipe();
    return protocol::decodeReply(l.PipeBuf);
}

} // namespace vtx
