// SPDX-License-Identifier: GPL-3.0-or-later
// vtx-eval's command line (app/commandline.h) on any argument list, against a reading of the options as the
// README documents them:
//   --simulate, --trace, --register-tool, --help (also -h and --h), --version; none of them takes a value, so
//   "--simulate=1" is an error; "--" ends the options; "-" alone and every other word not starting with a
//   dash is an argument, and the program takes no arguments; "-abc" is the short options a, b and c;
//   anything else starting with a dash is an unknown option.
// Properties: an error exactly when the reading finds a problem, and then a message that names it (an
// unknown option, the option given a value, or the unexpected argument) followed by the hint to try
// --help; otherwise the flags as given, help before version, and the very help or version text that a plain
// "--help" or "--version" gives (tst_commandline checks those texts). The program name (argv[0]) never
// changes the outcome.
//
// Input: the arguments separated by NUL bytes (as argv cannot hold one), the program name first.

#include "commandline.h"
#include "fuzzcheck.h"

#include <QString>
#include <QStringList>
#include <algorithm>
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
    QStringList options;        // the options given, by their long names
    bool sawEquals = false;     // some option word held a '='

    bool has(const char* option) const { return options.contains(QLatin1String(option)); }
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
            static const QStringList kOptions{"simulate", "trace", "register-tool", "help", "version"};
            const QString name = word.mid(2, equals < 0 ? -1 : equals - 2);
            const QString option = name == u"h" ? QStringLiteral("help") : name;
            if (!kOptions.contains(option))
                r.unknownOptions << name;
            else if (equals >= 0)
                r.givenValue << word.left(equals);
            else
                r.options << option;
            continue;
        }
        // Short options, one per character.
        for (qsizetype pos = 1; pos < word.size(); ++pos) {
            if (word[pos] != u'h') {
                r.unknownOptions << QString(word[pos]);
                continue;
            }
            r.options << QStringLiteral("help");
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList argv = vtx::fuzz::argumentsFromInput(data, size);
    if (argv.isEmpty())
        argv << QString(); // the program name

    const CommandLine result = parseCommandLine(argv);
    const Reading expected = readArguments(argv);
    const std::string where =
        "arguments " + vtx::fuzz::describe(argv) + "-> " + vtx::fuzz::describe(result.text);

    const CommandLine renamed = parseCommandLine(QStringList{QStringLiteral("vtx-eval")} + argv.mid(1));
    FUZZ_CHECK(renamed.action == result.action && renamed.simulate == result.simulate &&
                   renamed.trace == result.trace && renamed.registerTool == result.registerTool &&
                   renamed.text == result.text,
               where + ": the program name changed the outcome");

    const bool badOption = !expected.unknownOptions.isEmpty() || !expected.givenValue.isEmpty();
    FUZZ_CHECK((result.action == CommandLine::Action::Error) == (badOption || !expected.arguments.isEmpty()),
               where);
    if (result.action == CommandLine::Action::Error) {
        FUZZ_CHECK(result.text.endsWith(kHint) && result.text.size() > kHint.size(), where);
        const QString message = result.text.chopped(kHint.size());
        if (!badOption) {
            FUZZ_CHECK(mentions(message, expected.arguments.constFirst()),
                       where + ": does not name the argument");
        } else if (!expected.sawEquals) {
            // Plain unknown options: every one of them is named.
            for (const QString& name : expected.unknownOptions)
                FUZZ_CHECK(mentions(message, name), where + ": does not name " + vtx::fuzz::describe(name));
        } else {
            // With a '=' about, one culprit is named: an option as read, or any word up to its '='.
            QStringList culprits = expected.unknownOptions + expected.givenValue;
            for (const QString& word : argv.mid(1)) {
                if (word.contains(u'='))
                    culprits << word.left(word.indexOf(u'='));
            }
            FUZZ_CHECK(std::any_of(culprits.cbegin(), culprits.cend(),
                                   [&](const QString& name) { return mentions(message, name); }),
                       where + ": names no offending option");
        }
        return 0;
    }

    using Action = CommandLine::Action;
    const Action action = expected.has("help")      ? Action::ShowHelp
                          : expected.has("version") ? Action::ShowVersion
                                                    : Action::Run;
    const QString plain = action == Action::ShowHelp ? QStringLiteral("--help") : QStringLiteral("--version");
    const QString text =
        action == Action::Run ? QString() : parseCommandLine({QStringLiteral("vtx-eval"), plain}).text;
    FUZZ_CHECK(result.action == action && result.text == text, where);
    FUZZ_CHECK(result.simulate == expected.has("simulate") && result.trace == expected.has("trace") &&
                   result.registerTool == expected.has("register-tool"),
               where + ": flags differ");
    return 0;
}
