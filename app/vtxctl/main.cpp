// SPDX-License-Identifier: GPL-3.0-or-later
// vtxctl: the evaluation board from scripts and test benches, on the same engine as vtx-eval and without a
// window. The commands are in src/cli.

#include "cli/exitcodes.h"
#include "cli/vtxctl.h"
#include "common/stopsignals.h"
#include "tracing.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const vtx::cli::Invocation invocation = vtx::cli::parseInvocation(QCoreApplication::arguments().mid(1));
    switch (invocation.action) {
    case vtx::cli::Invocation::Action::Error:
        err << "vtxctl: " << invocation.error << "\nTry 'vtxctl --help'.\n";
        return vtx::cli::kUsageError;
    case vtx::cli::Invocation::Action::ShowHelp:
        out << vtx::cli::helpText();
        return vtx::cli::finishOutput(out, err, vtx::cli::kSuccess);
    case vtx::cli::Invocation::Action::ShowVersion:
        out << vtx::cli::versionText();
        return vtx::cli::finishOutput(out, err, vtx::cli::kSuccess);
    case vtx::cli::Invocation::Action::Run:
        break;
    }
    if (invocation.trace)
        vtx::app::enableTracing();
    // A signal ends a sweep as "Stop" does (the wiper put back) and the board is released on the way out;
    // the status is then the one the shell expects of a program that the signal ended.
    const vtx::StopSignals stop({SIGINT, SIGTERM, SIGPIPE});
    const int status = vtx::cli::run(invocation, out, err);
    if (const int signalNumber = vtx::StopSignals::received()) {
        out.flush();
        return 128 + signalNumber;
    }
    return vtx::cli::finishOutput(out, err, status);
}
