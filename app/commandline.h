// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace vtx::app {

// What the command line asks for. The program has no other configuration.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Error };
    Action action = Action::Run;
    bool simulate = false;     // the simulated evaluation board instead of USB hardware
    bool trace = false;        // the trace hooks and every pipe transfer on standard error
    bool registerTool = false; // opens the register tool after the normal start
    QString device;            // the module's serial number or USB port; empty: the only one, or ask
    QString text;              // the help or version text, or the error message
};

// Exit code for a command line we do not understand.
constexpr int kUsageExitCode = 2;

// Reads the arguments (the program name first, as in argv).
CommandLine parseCommandLine(const QStringList& arguments);

// The arguments that start the program again on the simulated board: the same ones, without the program
// name and a --device, and --simulate.
QStringList simulatedRestartArguments(const QStringList& arguments);

} // namespace vtx::app
