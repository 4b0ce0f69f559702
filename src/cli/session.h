// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/session.h"
#include "output.h"

#include <optional>

namespace vtx::cli {

// What a link-status caption says on the command line: the windows show it in their status label, we put it
// on standard error. Lamps have nothing to show.
class CommandLineLinkObserver final : public LinkObserver {
public:
    explicit CommandLineLinkObserver(ErrorStream& err) : m_err(err) {}
    void linkChanged(const LinkState& state) override
    {
        if (state.phase == LinkState::Phase::Failed)
            m_err.line(state.caption);
    }

private:
    ErrorStream& m_err;
};

// One command's use of the module: the engine's session on the chosen driver, its link held for the command
// and closed after it. The link's messages go to standard error.
class CommandSession {
public:
    CommandSession(bool simulate, ErrorStream& err);
    // The same on drivers the caller chose (a test's board).
    CommandSession(DriverChoice drivers, ErrorStream& err);
    // Closes the link while the command's transaction still runs.
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    // Opens the link and holds the program-wide transaction for the command. On failure it has said why on
    // standard error (the link's words, then the cause in plain words) and returns kNoModule.
    int open();

    Session& engine() { return m_session; }
    I2cBus& bus() { return m_session.bus(); }
    DcpDevice& dcp() { return m_session.dcp(); }
    const Clock& clock() const { return m_session.clock(); }
    ErrorStream& err() { return m_err; }
    // Why the module is gone, when the link's last transfer found it so; Success while it is there.
    DriverStatus moduleGone();

private:
    ErrorStream& m_err;
    CommandLineLinkObserver m_observer;
    Session m_session;
    std::optional<TransactionGuard::Scope> m_transaction;
};

} // namespace vtx::cli
