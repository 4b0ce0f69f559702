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

Session::Session(bool simulate, ErrorStream& err)
    : m_err(err), m_drivers(chooseDriver(simulate, SimulatedTime::Traffic)),
      m_link(*m_drivers.driver, m_drivers.match, *m_drivers.clock, kCommandLineRecords), m_view(err),
      m_client(m_link, kCommandLineLink, m_view, err), m_bus(m_client), m_dcp(m_bus, *m_drivers.clock)
{
}

Session::~Session()
{
    m_client.Disconnect_USB();
    // An open that stopped after the driver started leaves nothing for Disconnect_USB to close.
    m_client.releaseFailedOpen();
}

int Session::open()
{
    // Nothing else runs in this program, so the transaction is always free; taking it keeps the rule that
    // every entry point holds it.
    if (auto scope = m_link.guard().tryBegin(QStringLiteral("vtxctl")))
        m_transaction.emplace(std::move(*scope));
    m_client.Connect_Usb();
    if (m_link.UsbOpen)
        return kSuccess;
    if (const QString cause = moduleCause(m_link.UsbStatus); !cause.isEmpty())
        m_err.line(cause);
    return kNoModule;
}

} // namespace vtx::cli
