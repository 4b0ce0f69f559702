// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session.h"

#include <functional>
#include <memory>

namespace vtx::cli {

// Where the commands get the module from. A one-shot run opens it for its command and closes it after; a
// session opens it at the first command that needs it and holds it until the session ends, so that a script
// of a thousand commands pays for one open. The commands cannot tell the two apart.
class ModuleAccess {
public:
    // Makes the engine's session on the chosen driver, its messages going to the given stream.
    using Factory = std::function<std::unique_ptr<CommandSession>(ErrorStream&)>;
    enum class Hold { PerCommand, WholeSession };

    ModuleAccess(Factory factory, ErrorStream& err, Hold hold);
    ~ModuleAccess();
    ModuleAccess(const ModuleAccess&) = delete;
    ModuleAccess& operator=(const ModuleAccess&) = delete;

    // Opens the module for a command, unless a session already holds it: kSuccess, or kNoModule once it has
    // said why (as CommandSession::open()).
    int open();
    // Only between a successful open() and release().
    CommandSession& session() { return *m_session; }
    // The command is done with the module: a one-shot run closes it; a session keeps it, unless the module
    // turned out to be gone.
    void release();
    // Closes the module now: the end of a session, or a command that takes the simulated board's state file
    // itself.
    void close();

    // In a session: the module is lost (the first open found none, or the link failed because it is gone).
    // Nothing more can be done in the session then.
    bool lost() const { return m_lost; }

private:
    Factory m_factory;
    ErrorStream& m_err;
    const Hold m_hold;
    std::unique_ptr<CommandSession> m_session;
    bool m_lost = false;
};

// One command's use of the module, released when the command ends however it ends.
class ModuleUse {
public:
    explicit ModuleUse(ModuleAccess& access) : m_access(access) {}
    ~ModuleUse() { m_access.release(); }
    ModuleUse(const ModuleUse&) = delete;
    ModuleUse& operator=(const ModuleUse&) = delete;

    int open() { return m_access.open(); }
    CommandSession* operator->() { return &m_access.session(); }

private:
    ModuleAccess& m_access;
};

} // namespace vtx::cli
