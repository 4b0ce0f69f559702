// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands.h"
#include "moduleaccess.h"
#include "output.h"

#include <QByteArray>
#include <QTextStream>

namespace vtx::cli {

// What a session is run with: the options given to `vtxctl session`, and the module they choose.
struct SessionSetup {
    bool json = false;
    bool simulate = false;
    ModuleAccess::Factory module;
};

// `vtxctl session`: requests one per line, each run as the one-shot command would run, all on one open of the
// module. Every request is answered with the command's results and a done line, always JSON:
// {"id": ..., "done": true, "exit": N}; with --json the done line also carries the messages the command
// would have written on standard error, which then stays quiet. Standard output is flushed once a request is
// done, not before, so a client pays one write per request.
class RequestSession {
public:
    RequestSession(SessionSetup setup, QTextStream& out, QTextStream& err);
    RequestSession(const RequestSession&) = delete;
    RequestSession& operator=(const RequestSession&) = delete;

    // One line of input, without its line break. False once the session is over: `quit`, or the module lost.
    bool take(const QByteArray& line);
    // Lets the module go (the simulated board's state is written) and returns the session's exit status: 3
    // when the module was lost, else the highest exit code of its requests.
    int finish();

private:
    void writeDone(const QJsonValue& id, int exitCode, const QStringList& messages);

    QTextStream& m_out;
    const bool m_json;
    Output m_output;
    ErrorStream m_errors;
    ModuleAccess m_module;
    CommandContext m_context;
    int m_lineNumber = 0;
    int m_status = 0;
};

// Runs a session on the lines read from the descriptor `input` until their end, `quit`, a lost module or a
// stop signal.
int runSession(SessionSetup setup, int input, QTextStream& out, QTextStream& err);

} // namespace vtx::cli
