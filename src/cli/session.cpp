// SPDX-License-Identifier: GPL-3.0-or-later
#include "session.h"

#include "engine/linkflavour.h"
#include "engine/modulecause.h"
#include "exitcodes.h"

namespace vtx::cli {

namespace {

// Opens like the DCP panel: waits as long for the module, stops when its device information is missing
// (there is nothing a command could do without it), and resets it on closing.
constexpr LinkFlavour kCommandLineLink{
    .announcesAlreadyOpened = false,
    .showsDriverHandle = false,
    .attachWaitYields = kDcpPanelLink.attachWaitYields,
    .opensWithoutDeviceInfo = false,
    .tracksUsbOK = false,
    .resetOption = kDcpPanelLink.resetOption,
};

} // namespace

CommandSession::CommandSession(bool simulate, ErrorStream& err)
    : m_err(err), m_observer(err),
      m_session(chooseDriver(simulate, SimulatedTime::Traffic), kCommandLineLink, err, &m_observer)
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

} // namespace vtx::cli
