// SPDX-License-Identifier: GPL-3.0-or-later
// vtxctl: the evaluation board from scripts and test benches, on the same engine as vtx-eval and without a
// window. The commands are in src/cli.

#include "cli/exitcodes.h"
#include "cli/vtxctl.h"
#include "tracing.h"

#include <QCoreApplication>
#include <QTextStream>
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
    return vtx::cli::finishOutput(out, err, vtx::cli::run(invocation, out, err));
}
