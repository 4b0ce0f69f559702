// SPDX-License-Identifier: GPL-3.0-or-later
#include "link.h"

#include "common/appinfo.h"
#include "common/logging.h"
#include "common/textformat.h"
#include "common/yield.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>

namespace vtx {

namespace {

const QString kNewLine = QStringLiteral("\n");

QString statusHex(DriverStatus status)
{
    return QStringLiteral("&H") + hexText(statusCode(status));
}

// The two pipe operations differ in what they call themselves and whom they tell about a missing module:
// a failed send stays in the trace, the read that follows tells the user.
const Link::PipeOperation kWriteOperation{QStringLiteral("WritePipe"), QStringLiteral("Write Pipe failed"),
                                          false};
const Link::PipeOperation kReadOperation{QStringLiteral("ReadPipe"), QStringLiteral("Read Pipe failed"),
                                         true};

} // namespace

Link::Link(UsbDriver& driver, UsbMatch match, const Clock& clock, LinkRecordSizes sizes)
    : m_driver(driver), m_feed(sizes.feedEntries), m_dcpSession(sizes.wiperSamples), m_match(match),
      m_clock(clock)
{
}

Link::~Link()
{
    // Leave nothing initialised behind, whatever the windows did.
    releaseDriver();
}

DriverStatus Link::initialiseDriver()
{
    // A DCP open that stopped after the driver initialised left it so; release it first, or every such
    // attempt would leak a driver instance.
    releaseDriver();
    UsbDriver::Notifications notifications{
        [this](DeviceHandle device, const DeviceInfo& info) { return DeviceAttach(device, info); },
        [this](DeviceHandle device) { DeviceDetach(device); },
    };
    m_state.UsbStatus = m_driver.init(m_match, std::move(notifications), m_state.hDriver);
    m_driverInitialised = succeeded(m_state.UsbStatus);
    return m_state.UsbStatus;
}

void Link::releaseDriver()
{
    if (!m_driverInitialised)
        return;
    m_driverInitialised = false;
    m_driver.uninit(m_state.hDriver);
}

void Link::CloseDriverHandle(DriverHandle handle)
{
    m_driver.closeDriverHandle(handle);
}

QString Link::UsbStatusText(DriverStatus status) const
{
    const QString text = m_driver.statusText(status);
    const auto nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

void Link::TraceMsg(const QString& text)
{
    qCDebug(lcLink).noquote() << text;
    publishTrace(text);
}

void Link::TracePair(const QString& text, const QString& terminator)
{
    qCDebug(lcLink).noquote() << text + terminator;
    publishTrace(text + terminator);
}

void Link::publishTrace(const QString& text)
{
    FeedEntry entry;
    entry.kind = FeedEntry::Kind::Trace;
    entry.wallMs = QDateTime::currentMSecsSinceEpoch();
    entry.monotonicMs = m_clock.nowMs();
    entry.owner = m_feed.ownerId(m_guard.owner());
    m_feed.publish(std::move(entry), text);
}

bool Link::DeviceAttach(DeviceHandle device, const DeviceInfo& info)
{
    ++m_attachNotifications;
    if (m_state.UsbDevCtx.deviceHandle != 0) {
        // Reconnecting relies on the new handle replacing the old one: nothing else clears it.
        TraceMsg(QStringLiteral("DeviceAttach: Received another attach - control is rejected") + kNewLine +
                 QStringLiteral("because only one device control is supported"));
    }
    m_state.UsbDevCtx.deviceHandle = device;
    m_state.UsbDevCtx.interfaceStatus =
        m_driver.setInterface(device, m_state.UsbDevCtx.interfaceNumber, m_state.UsbDevCtx.alternateSetting);

    bool accepted = false;
    if (!succeeded(m_state.UsbDevCtx.interfaceStatus)) {
        TraceMsg(QStringLiteral("DeviceAttach: WDU_SetInterface failed") + kNewLine +
                 QStringLiteral("(num. ") + decimalText(m_state.UsbDevCtx.interfaceNumber) +
                 QStringLiteral(" alternate ") + decimalText(m_state.UsbDevCtx.alternateSetting) +
                 QStringLiteral(")") + kNewLine + QStringLiteral("device &H") + hexText(device) +
                 QStringLiteral(": error ") + statusHex(m_state.UsbDevCtx.interfaceStatus) + kNewLine +
                 QStringLiteral("(") + UsbStatusText(m_state.UsbDevCtx.interfaceStatus) +
                 QStringLiteral(")"));
        m_state.UsbDevCtx.deviceHandle = 0;
    } else {
        TraceMsg(QStringLiteral("DeviceAttach: Received and accepted attach for ") + kNewLine +
                 QStringLiteral("vendor ID &H") + hexText(info.descriptor.idVendor) +
                 QStringLiteral(" product ID &H") + hexText(info.descriptor.idProduct) + kNewLine +
                 QStringLiteral("device handle &H") + hexText(device));
        if (m_state.AttachLampForm)
            m_state.AttachLampForm->linkChanged({.phase = LinkState::Phase::ModuleAttached});
        accepted = true;
    }
    TracePair(QString(), kNewLine);
    return accepted;
}

void Link::DeviceDetach(DeviceHandle device)
{
    // The link still counts as open until it is closed; the next transfer finds the module gone.
    if (m_state.AttachLampForm)
        m_state.AttachLampForm->linkChanged({.phase = LinkState::Phase::ModuleGone});
    m_state.UsbDevCtx.deviceHandle = 0;
    TraceMsg(QStringLiteral("DeviceDetach: Received detach for device handle &H") + hexText(device));
}

bool Link::SetPipesInfo(const AlternateSetting& altSetting, std::vector<PipeInfo>& pipesInfo)
{
    const std::size_t count = altSetting.numPipes;
    if (count == 0) {
        TracePair(QStringLiteral("  No pipes are defined for this device ") + kNewLine +
                      QStringLiteral("other than the default pipe (number 0)"),
                  kNewLine);
        return false;
    }
    pipesInfo.assign(altSetting.pipes.begin(),
                     altSetting.pipes.begin() +
                         static_cast<std::ptrdiff_t>(std::min(count, altSetting.pipes.size())));
    return true;
}

bool Link::refreshPipes(Reporter& reporter, const PipeOperation& operation)
{
    m_state.hActiveDevice = m_state.UsbDevCtx.deviceHandle;
    DeviceInfo info;
    m_state.UsbStatus = m_driver.getDeviceInfo(m_state.hActiveDevice, info);
    if (!succeeded(m_state.UsbStatus)) {
        const QString text = operation.name + QStringLiteral(": WDU_GetDeviceInfo() failed:") + kNewLine +
                             QStringLiteral("error ") + statusHex(m_state.UsbStatus) + QStringLiteral(" (") +
                             UsbStatusText(m_state.UsbStatus) + QStringLiteral(")") + kNewLine;
        if (operation.reportsMissingDevice)
            report(reporter, text);
        else
            TraceMsg(text);
        return false;
    }
    AltSettingRec = info.activeAlternateSetting;
    if (!SetPipesInfo(AltSettingRec, PipesInfo)) {
        TraceMsg(operation.failureTrace);
        return false;
    }
    return true;
}

void Link::WritePipe(Reporter& reporter)
{
    if (!m_state.UsbOpen) {
        report(reporter, QStringLiteral("Write GPIOPipe .. USB Not opened"));
        return;
    }
    if (!refreshPipes(reporter, kWriteOperation))
        return;
    yieldEvents();
    // The buffer is taken after the yield: whatever ran in it cannot leave us a stale reference.
    const std::size_t length = std::min<std::size_t>(PipeLen, PipeBuf.size());
    std::vector<std::uint8_t> outgoing(PipeBuf.begin(),
                                       PipeBuf.begin() + static_cast<std::ptrdiff_t>(length));
    m_state.UsbStatus = m_driver.transfer(m_state.hActiveDevice, PipeNum, TransferDirection::Write, 0,
                                          outgoing, bytesTransferred, UsbDriver::kTransferTimeoutMs);
    m_lastWriteUs = m_clock.nowUs();
    traceTransfer(TransferDirection::Write, outgoing, m_state.UsbStatus);
    if (!succeeded(m_state.UsbStatus)) {
        TraceMsg(QStringLiteral("WritePipe: WDU_Transfer() failed: error ") + statusHex(m_state.UsbStatus) +
                 QStringLiteral(" (") + UsbStatusText(m_state.UsbStatus) + QStringLiteral(")"));
        TraceMsg(QStringLiteral("Write Pipe failed"));
        return;
    }
    // Gives the module time to carry the command out before its reply is read: we wait only by counting
    // passes, and 17 in all are enough for any module we know to have its reply ready.
    yieldEvents(16);
    yieldEvents();
}

void Link::ReadPipe(Reporter& reporter)
{
    if (!m_state.UsbOpen) {
        report(reporter, QStringLiteral("ReadPipe .. USB Not opened"));
        yieldEvents();
        return;
    }
    if (!refreshPipes(reporter, kReadOperation))
        return;
    // Read into a buffer of our own and copy only a successful reply, so a failed read always leaves the
    // caller's cleared buffer as it was.
    const std::size_t length = std::min<std::size_t>(PipeLen, PipeBuf.size());
    std::vector<std::uint8_t> incoming(length, 0);
    bytesTransferred = 0;
    m_state.UsbStatus = m_driver.transfer(m_state.hActiveDevice, PipeNum, TransferDirection::Read, 0,
                                          incoming, bytesTransferred, UsbDriver::kTransferTimeoutMs);
    const std::size_t received = std::min<std::size_t>(bytesTransferred, length);
    traceTransfer(TransferDirection::Read,
                  std::span(incoming).first(succeeded(m_state.UsbStatus) ? received : 0), m_state.UsbStatus);
    if (!succeeded(m_state.UsbStatus)) {
        report(reporter, QStringLiteral("ReadPipe: WDU_Transfer() failed: error ") +
                             statusHex(m_state.UsbStatus) + QStringLiteral(" (") +
                             UsbStatusText(m_state.UsbStatus) + QStringLiteral(")"));
        TraceMsg(QStringLiteral("Read Pipe failed"));
        return;
    }
    std::copy_n(incoming.begin(), std::min(received, PipeBuf.size()), PipeBuf.begin());
}

void Link::report(Reporter& reporter, const QString& text)
{
    if (m_quietDepth > 0)
        TraceMsg(text);
    else if (m_capture)
        m_capture->m_messages << text;
    else
        reporter.report(text, kApplicationTitle);
}

void Link::traceTransfer(TransferDirection direction, std::span<const std::uint8_t> bytes,
                         DriverStatus status)
{
    FeedEntry entry;
    entry.kind = FeedEntry::Kind::Transfer;
    entry.wallMs = QDateTime::currentMSecsSinceEpoch();
    entry.monotonicMs = m_clock.nowMs();
    entry.owner = m_feed.ownerId(m_guard.owner());
    entry.direction = direction;
    entry.pipe = PipeNum;
    entry.bytes.assign(bytes.begin(), bytes.end());
    entry.status = status;
    m_feed.publish(std::move(entry));
    qCDebug(lcTransfer).noquote() << QStringLiteral("%1 pipe %2: %3 [status %4 (%5)]")
                                         .arg(direction == TransferDirection::Write ? QStringLiteral("OUT")
                                                                                    : QStringLiteral("IN "))
                                         .arg(hex2Text(PipeNum), hexBytes(bytes), statusHex(status),
                                              UsbStatusText(status));
}

} // namespace vtx
