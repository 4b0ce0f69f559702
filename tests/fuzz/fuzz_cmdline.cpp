// SPDX-License-Identifier: GPL-3.0-or-later
// vtx-eval's command line (app/commandline.h) on any argument list, against a reading of the options as the
// README documents them:
//   --simulate, --trace, --register-tool, --help (also -h and --h), --version; none of them takes a value, so
//   "--simulate=1" is an error; "--" ends the options; "-" alone and every other word not starting with a
//   dash is an argument, and the program takes no arguments; "-abc" is the short options a, b and c;
//   anything else starting with a dash is an unknown option.
// Properties: an error exactly when the reading finds a problem, and then a message that names it (an
// unknown option, the option given a value, or the unexpected argument) followed by the hint to try
// --help; otherwise the flags as given, help before version, and the help or version text. The program name
// (argv[0]) never changes the outcome.
//
// Input: the arguments separated by NUL bytes (as argv cannot hold one), the program name first.

#include "commandline.h"
#include "common/appinfo.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

using vtx::app::CommandLine;
using vtx::app::parseCommandLine;

namespace {

const QString kHint = QStringLiteral("\nTry '--help' for the options.");

struct Reading {
    QStringList unknownOptions; // names without dashes
    QStringList givenValue;     // arguments that gave a value to an option, up to their first '='
    QStringList arguments;      // positional arguments
    bool sawEquals = false;     // some option word held a '='
    bool help = false;
    bool version = false;
    bool simulate = false;
    bool trace = false;
    bool registerTool = false;

    bool hasProblem() const
    {
        return !unknownOptions.isEmpty() || !givenValue.isEmpty() || !arguments.isEmpty();
    }
};

Reading readArguments(const QStringList& argv)
{
    Reading r;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString& word = argv[i];
        if (optionsEnded || !word.startsWith(u'-') || word == QStringLiteral("-")) {
            r.arguments << word;
            continue;
        }
        if (word == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.indexOf(u'=');
        if (equals >= 0)
            r.sawEquals = true;
        if (word.startsWith(QStringLiteral("--"))) {
            const QString name = word.mid(2, equals < 0 ? -1 : equals - 2);
            bool* flag = name == u"simulate"        ? &r.simulate
                         : name == u"trace"         ? &r.trace
                         : name == u"register-tool" ? &r.registerTool
                         : name == u"help"          ? &r.help
                         : name == u"h"             ? &r.help
                         : name == u"version"       ? &r.version
                                                    : nullptr;
            if (!flag)
                r.unknownOptions << name;
            else if (equals >= 0)
                r.givenValue << word.left(equals);
            else
                *flag = true;
            continue;
        }
        // Short options, one per character.
        for (qsizetype pos = 1; pos < word.size(); ++pos) {
            if (word[pos] != u'h') {
                r.unknownOptions << QString(word[pos]);
                continue;
            }
            r.help = true;
            if (pos + 1 < word.size() && word[pos + 1] == u'=') {
                r.givenValue << word.left(equals);
                break;
            }
        }
    }
    return r;
}

// Whether the message names `name` as a word of its own: in quotes ('x') or in a list ("a, x.").
bool mentions(const QString& message, const QString& name)
{
    for (qsizetype at = message.indexOf(name); at >= 0; at = message.indexOf(name, at + 1)) {
        const QChar before = at > 0 ? message[at - 1] : QChar();
        const qsizetype endAt = at + name.size();
        const QChar after = endAt < message.size() ? message[endAt] : QChar();
        if ((before == u'\'' || before == u' ') && (after == u'\'' || after == u',' || after == u'.'))
            return true;
    }
    return false;
}

std::string describeArguments(const QStringList& argv)
{
    std::string out;
    for (const QString& a : argv)
        out += vtx::fuzz::describe(a) + " ";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList argv;
    for (const QByteArray& piece : QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
        argv << QString::fromLocal8Bit(piece);
    if (argv.isEmpty())
        argv << QString();

    const CommandLine result = parseCommandLine(argv);
    const Reading expected = readArguments(argv);
    const std::string where = "arguments " + describeArguments(argv) + "-> " + vtx::fuzz::describe(result.text);

    // The program name does not matter.
    QStringList renamed = argv;
    renamed[0] = QStringLiteral("vtx-eval");
    const CommandLine again = parseCommandLine(renamed);
    FUZZ_CHECK(again.action == result.action && again.simulate == result.simulate && again.trace == result.trace &&
                   again.registerTool == result.registerTool && again.text == result.text,
               where + ": the program name changed the outcome");

    FUZZ_CHECK((result.action == CommandLine::Action::Error) == expected.hasProblem(), where);
    if (result.action == CommandLine::Action::Error) {
        FUZZ_CHECK(result.text.endsWith(kHint) && result.text.size() > kHint.size(), where);
        const QString message = result.text.chopped(kHint.size());
        if (!expected.unknownOptions.isEmpty() || !expected.givenValue.isEmpty()) {
            if (!expected.sawEquals) {
                // Plain unknown options: every one of them is named.
                for (const QString& name : expected.unknownOptions)
                    FUZZ_CHECK(mentions(message, name), where + ": does not name " + vtx::fuzz::describe(name));
            } else {
                bool named = false;
                for (const QString& name : expected.unknownOptions + expected.givenValue)
                    named = named || mentions(message, name);
                for (qsizetype i = 1; i < argv.size() && !named; ++i) {
                    if (argv[i].contains(u'='))
                        named = mentions(message, argv[i].left(argv[i].indexOf(u'=')));
                }
                FUZZ_CHECK(named, where + ": names no offending option");
            }
        } else {
            FUZZ_CHECK(mentions(message, expected.arguments.constFirst()), where + ": does not name the argument");
        }
        return 0;
    }

    FUZZ_CHECK(result.simulate == expected.simulate && result.trace == expected.trace &&
                   result.registerTool == expected.registerTool,
               where + ": flags differ");
    if (expected.help) {
        FUZZ_CHECK(result.action == CommandLine::Action::ShowHelp, where);
        FUZZ_CHECK(result.text.startsWith(QStringLiteral("Usage: vtx-eval ")), where);
        for (const char* option : {"--simulate", "--trace", "--register-tool", "--help", "--version"})
            FUZZ_CHECK(result.text.contains(QLatin1String(option)), where + ": help lacks " + option);
    } else if (expected.version) {
        FUZZ_CHECK(result.action == CommandLine::Action::ShowVersion, where);
        const QString version = QStringLiteral("vtx-eval %1.%2.%3\n")
                                    .arg(vtx::kVersionMajor)
                                    .arg(vtx::kVersionMinor)
                                    .arg(vtx::kVersionRevision);
        FUZZ_CHECK(result.text == version, where);
    } else {
        FUZZ_CHECK(result.action == CommandLine::Action::Run && result.text.isEmpty(), where);
    }
    return 0;
}
