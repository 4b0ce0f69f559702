// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandwords.h"
#include "engine/result.h"
#include "moduleaccess.h"
#include "output.h"

#include <QJsonObject>

namespace vtx::cli {

// What every command gets: where its results and diagnostics go, the module, and which driver it is on.
struct CommandContext {
    Output& out;
    ErrorStream& err;
    ModuleAccess& module;
    bool simulate = false;
    QString device; // --device; empty: the only module plugged in
};

// Runs the command the words name (its name first) and returns the exit code; a usage error has been told
// on the error stream.
int runCommand(CommandContext& context, QStringList words);

// Each command reads its own words and returns the exit code; a usage error is returned as kUsageError
// with the words' error set, for the caller to print.
int runInfo(CommandContext& context, CommandWords& words);
int runList(CommandContext& context, CommandWords& words);
int runGet(CommandContext& context, CommandWords& words);
int runSet(CommandContext& context, CommandWords& words);
int runScan(CommandContext& context, CommandWords& words);
int runDump(CommandContext& context, CommandWords& words);
int runApply(CommandContext& context, CommandWords& words);
int runDcp(CommandContext& context, CommandWords& words);
int runBoard(CommandContext& context, CommandWords& words);
int runWait(CommandContext& context, CommandWords& words);

// Why an I2C command failed, on standard error: a missing acknowledge in our words, a link failure in the
// link's. Returns kDeviceFailure.
int reportFailure(ErrorStream& err, const Failure& failure, const protocol::I2cReply& reply,
                  const QString& who);
// The same for a JSON result: "ok": false, "error": "nak" or "link", and the transfer count.
void addFailure(QJsonObject& object, const Failure& failure, const protocol::I2cReply& reply);

} // namespace vtx::cli
