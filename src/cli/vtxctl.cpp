// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtxctl.h"

#include "commands.h"
#include "common/version.h"
#include "exitcodes.h"
#include "sessioncommand.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vtx::cli {

namespace {

struct CommandEntry {
    const char* name;
    int (*run)(CommandContext&, CommandWords&);
};

constexpr std::array kCommands{
    CommandEntry{"info", &runInfo}, CommandEntry{"scan", &runScan},   CommandEntry{"get", &runGet},
    CommandEntry{"set", &runSet},   CommandEntry{"dump", &runDump},   CommandEntry{"apply", &runApply},
    CommandEntry{"dcp", &runDcp},   CommandEntry{"board", &runBoard}, CommandEntry{"list", &runList},
    CommandEntry{"wait", &runWait},
};

} // namespace

Invocation parseInvocation(const QStringList& arguments)
{
    Invocation invocation;
    bool help = false;
    bool version = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == QLatin1String("--device") && i + 1 < arguments.size())
            invocation.device = arguments[++i];
        else if (word.startsWith(QLatin1String("--device=")))
            invocation.device = word.section(u'=', 1);
        else if (word == QLatin1String("--device"))
            invocation.error = QStringLiteral("--device needs a serial number or a bus and port path");
        else if (word == QLatin1String("--simulate"))
            invocation.simulate = true;
        else if (word == QLatin1String("--json"))
            invocation.json = true;
        else if (word == QLatin1String("--trace"))
            invocation.trace = true;
        else if (word == QLatin1String("--help") || word == QLatin1String("-h"))
            help = true;
        else if (word == QLatin1String("--version"))
            version = true;
        else
            invocation.words << word;
    }
    // Where the options stand does not matter: help wins over version, as in vtx-eval.
    if (help) {
        invocation.action = Invocation::Action::ShowHelp;
    } else if (!invocation.error.isEmpty()) {
        invocation.action = Invocation::Action::Error;
    } else if (version) {
        invocation.action = Invocation::Action::ShowVersion;
    } else if (invocation.words.isEmpty()) {
        invocation.action = Invocation::Action::Error;
        invocation.error = QStringLiteral("no command given");
    } else if (invocation.words.constFirst().startsWith(u'-')) {
        // No command starts with '-': "--simulat" is a misspelt option, not a command.
        invocation.action = Invocation::Action::Error;
        invocation.error = QStringLiteral("unknown option '%1'").arg(invocation.words.constFirst());
    }
    return invocation;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: vtxctl [--simulate] [--device SERIAL|BUS-PORT] [--json] [--trace] COMMAND ...\n"
        "The VTX8303 evaluation board from scripts, through its USB control module.\n"
        "\n"
        "Options:\n"
        "  --simulate    Uses the simulated evaluation board, which keeps its state between runs.\n"
        "  --device SERIAL|BUS-PORT\n"
        "                Uses the module with this serial number or on this USB port (as 'list'\n"
        "                shows them); needed when more than one is plugged in.\n"
        "  --json        Writes every result as one JSON object per line (JSON Lines).\n"
        "  --trace       Prints the trace messages and every pipe transfer to standard error.\n"
        "  -h, --help    Shows this help and exits.\n"
        "  --version     Shows the program's version and exits.\n"
        "\n"
        "Commands (ADDR is a 7-bit address; numbers in hex with 0x or in decimal):\n"
        "    list                         every module plugged in: USB port, serial number, kind or\n"
        "                                 \"in use\"\n"
        "    info                         the module: USB IDs, kind, I2C pipe, driver\n"
        "    scan                         7-bit addresses that answer, as a grid\n"
        "    get ADDR [REG]               reads one byte (without REG: a plain one-byte read)\n"
        "    set ADDR [REG] VALUE         writes one byte\n"
        "    dump ADDR [FIRST [COUNT]] [--vtx FILE]\n"
        "                                 reads registers (default 0x00 to 0x1F); --vtx saves a setup file\n"
        "    apply FILE.vtx               writes a setup file's rows to its device, as \"Write All\" does\n"
        "    dcp get                      the wiper position 1..128 and the byte read\n"
        "    dcp set POS [--eeprom] [--verify]\n"
        "                                 writes the wiper register (or the EEPROM); --verify reads back\n"
        "    dcp store [POS]              verified EEPROM store (default: the present position), with the\n"
        "                                 measured write-cycle time\n"
        "    dcp sweep [--from A] [--to B] [--step S] [--eeprom]\n"
        "                                 one line per position: written, read, OK\n"
        "    board reset                  the simulated board back to factory defaults (with --simulate)\n"
        "    board power-cycle            the simulated board's wiper recalled from its EEPROM\n"
        "    wait MS                      a pause on the module's time (0 to 60000 ms), between a script's\n"
        "                                 commands\n"
        "    session                      the commands on standard input, one a line (with --json:\n"
        "                                 {\"id\": ..., \"argv\": [...]}), on one open of the module; each\n"
        "                                 ends with {\"id\": ..., \"done\": true, \"exit\": N}; quit ends "
        "it\n"
        "\n"
        "Exit status: 0 success; 1 the device did not acknowledge, a read-back differed or a transfer\n"
        "failed; 2 usage error, or several modules and no --device; 3 no module (none matches --device),\n"
        "no permission to open it, or in use by another program.\n");
}

QString versionText()
{
    return QStringLiteral("vtxctl ") + kVersionText + QLatin1Char('\n');
}

int runCommand(CommandContext& context, QStringList words)
{
    const QString name = words.takeFirst();
    const auto entry = std::find_if(kCommands.begin(), kCommands.end(), [&name](const CommandEntry& command) {
        return name == QLatin1String(command.name);
    });
    if (entry == kCommands.end()) {
        context.err.usage(QStringLiteral("unknown command '%1'").arg(name));
        return kUsageError;
    }
    CommandWords commandWords(words);
    const int status = entry->run(context, commandWords);
    if (commandWords.failed()) {
        context.err.usage(name + QStringLiteral(": ") + commandWords.error());
        return kUsageError;
    }
    return status;
}

int run(const Invocation& invocation, QTextStream& out, QTextStream& err)
{
    ErrorStream errors(err);
    const ModuleAccess::Factory module = [&invocation](ErrorStream& messages) {
        return std::make_unique<CommandSession>(invocation.simulate, messages, invocation.device);
    };
    if (invocation.words.constFirst() == QLatin1String("session")) {
        if (invocation.words.size() > 1) {
            errors.usage(QStringLiteral("session: unexpected argument '%1'").arg(invocation.words.at(1)));
            return kUsageError;
        }
        return runSession({invocation.json, invocation.simulate, invocation.device, module}, STDIN_FILENO,
                          out, err);
    }
    Output output(out, invocation.json);
    ModuleAccess access(module, errors, ModuleAccess::Hold::PerCommand);
    CommandContext context{output, errors, access, invocation.simulate, invocation.device};
    return runCommand(context, invocation.words);
}

int finishOutput(QTextStream& out, QTextStream& err, int status)
{
    out.flush();
    errno = 0;
    const bool lost = out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!lost)
        return status;
    const int cause = errno;
    QString reason = out.device() ? out.device()->errorString() : QString();
    if (cause != 0)
        reason = QString::fromLocal8Bit(std::strerror(cause));
    err << "vtxctl: write error" << (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason) << '\n';
    err.flush();
    return kDeviceFailure;
}

} // namespace vtx::cli
