// SPDX-License-Identifier: GPL-3.0-or-later
#include "session.h"

#include "engine/linkflavour.h"
#include "engine/modulecause.h"
#include "exitcodes.h"

namespace vtx::cli {

namespace {

// Opens like the DCP panel: waits as long for the module and stops when its device information is missing
// (there is nothing a command could do without it). It closes with the soft reset: the port is reset only
// when a transfer left the module unusable, so a working module is not enumerated again after every run.
constexpr LinkFlavour kCommandLineLink{
    .announcesAlreadyOpened = false,
    .showsDriverHandle = false,
    .attachWaitYields = kDcpPanelLink.attachWaitYields,
    .opensWithoutDeviceInfo = false,
    .tracksUsbOK = false,
    .resetOption = UsbDriver::kSoftReset,
};

// Nothing in vtxctl reads the link's rings (--trace prints each entry as it is published), so they stay
// small: the windows' 100,000-entry rings would cost every run its largest allocation.
constexpr LinkRecordSizes kCommandLineRecords{.feedEntries = 16, .wiperSamples = 16};

} // namespace

CommandSession::CommandSession(bool simulate, ErrorStream& err)
    : CommandSession(chooseDriver(simulate, SimulatedTime::Traffic), err)
{
}

CommandSession::CommandSession(DriverChoice drivers, ErrorStream& err)
    : m_err(err), m_observer(err),
      m_session(std::move(drivers), kCommandLineLink, err, &m_observer, kCommandLineRecords)
{
}

CommandSession::~CommandSession()
{
    if (m_session.holdsLink())
        m_session.close();
}

int CommandSession::open()
{
    // Nothing else runs in this program, so the transaction is always free; taking it keeps the rule that
    // every entry point holds it.
    if (auto scope = m_session.guard().tryBegin(QStringLiteral("vtxctl")))
        m_transaction.emplace(std::move(*scope));
    const Result<Done> opened = m_session.open();
    if (opened)
        return kSuccess;
    if (const QString cause = moduleCause(opened.failure().status); !cause.isEmpty())
        m_err.line(cause);
    return kNoModule;
}

DriverStatus CommandSession::moduleGone()
{
    const DriverStatus status = m_session.link().UsbStatus;
    return status == DriverStatus::DeviceGone || status == DriverStatus::InvalidHandle
               ? status
               : DriverStatus::Success;
}

} // namespace vtx::cli
