// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vtx::cli {

// vtxctl's command line: the options that hold for every command, and the command's words.
struct Invocation {
    enum class Action { Run, ShowHelp, ShowVersion, Error };
    Action action = Action::Run;
    bool simulate = false;
    bool json = false;
    bool trace = false;
    QString device;    // --device: the module's serial number or bus and port path; empty: the only one
    QStringList words; // the command and its arguments
    QString error;
};

// Reads the arguments after the program name. The global options may stand anywhere.
Invocation parseInvocation(const QStringList& arguments);

QString helpText();
QString versionText();

// Runs the command; returns the exit status. A QCoreApplication must exist.
int run(const Invocation& invocation, QTextStream& out, QTextStream& err);

// The exit status once the output is out: as coreutils do, output that could not be written (a full disk,
// a closed pipe) is a failure however the command went, told as "write error: <cause>" with status 1.
// `out` must write to the C stream `stdout`.
int finishOutput(QTextStream& out, QTextStream& err, int status);

} // namespace vtx::cli
