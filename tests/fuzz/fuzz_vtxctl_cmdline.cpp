// SPDX-License-Identifier: GPL-3.0-or-later
// vtxctl's command line (src/cli) on any argument list, against a reading of it as the man page and the
// README document it:
//   --simulate, --json, --trace, -h or --help, and --version are the global options, exact words that may
//   stand anywhere; every other word, in order, is the command and its arguments. Help wins over version
//   (as in vtx-eval); without either, no command at all is an error.
//   A number is hex with "0x" or "0X" or decimal, ASCII digits only, nothing around it; anything else is not
//   a number, and a number outside the argument's range is out of range. Either is a usage error that names
//   the argument and the text, and says what the argument must be.
// Properties: parseInvocation gives the reading's flags, action and words, and an error with a message; every
// word, read as each kind of number argument, is accepted exactly when the reading accepts it, with its
// value, and refused with the message described above; and a command's options and positional arguments
// (CommandWords) come out as a plain reading of the words expects.
//
// Input: the arguments separated by NUL bytes (as argv cannot hold one), without the program name.
// The commands themselves are not run here: they would open the libusb driver, or the simulated board whose
// state file every run rewrites, and "apply" and "dump --vtx" read and write files named on the command line.

#include "cli/commandwords.h"
#include "cli/numbers.h"
#include "cli/vtxctl.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

using vtx::cli::CommandWords;
using vtx::cli::Invocation;
using vtx::cli::NumberKind;
using vtx::cli::ParsedNumber;

namespace {

struct Reading {
    Invocation::Action action = Invocation::Action::Run;
    bool simulate = false;
    bool json = false;
    bool trace = false;
    QStringList words;
};

Reading readArguments(const QStringList& arguments)
{
    Reading r;
    bool help = false;
    bool version = false;
    for (const QString& word : arguments) {
        if (word == u"--simulate")
            r.simulate = true;
        else if (word == u"--json")
            r.json = true;
        else if (word == u"--trace")
            r.trace = true;
        else if (word == u"--help" || word == u"-h")
            help = true;
        else if (word == u"--version")
            version = true;
        else
            r.words << word;
    }
    if (help)
        r.action = Invocation::Action::ShowHelp;
    else if (version)
        r.action = Invocation::Action::ShowVersion;
    else if (r.words.isEmpty())
        r.action = Invocation::Action::Error;
    return r;
}

// A number as the documentation describes it, whatever its size: its value (saturated far above every range
// an argument has), or nothing when the text is not a number.
std::optional<long long> readNumber(const QString& text)
{
    const bool hex = text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
    const int base = hex ? 16 : 10;
    const QString digits = hex ? text.mid(2) : text;
    if (digits.isEmpty())
        return std::nullopt;
    long long value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (hex && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (hex && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = std::min(value * base + digit, 1LL << 40);
    }
    return value;
}

struct Argument {
    const char* name;
    const NumberKind& kind;
};

// Each kind of number argument vtxctl's commands take, under a name a command gives it.
const std::array kArguments{
    Argument{"ADDR", vtx::cli::kAddress7}, Argument{"VALUE", vtx::cli::kByte},
    Argument{"REG", vtx::cli::kRegister},  Argument{"COUNT", vtx::cli::kCount},
    Argument{"POS", vtx::cli::kPosition},  Argument{"--step", vtx::cli::kStep},
};

void checkNumber(const QString& text)
{
    const std::optional<long long> expected = readNumber(text);
    const std::optional<int> number = vtx::cli::parseNumber(text);
    const std::string where = "number " + vtx::fuzz::describe(text);
    // Its value, or INT_MAX for a number too large for an int.
    FUZZ_CHECK(number.has_value() == expected.has_value(), where + (number ? " is read" : " is not read"));
    if (number)
        FUZZ_CHECK(*number == std::min<long long>(*expected, INT_MAX),
                   where + " -> " + std::to_string(*number));

    for (const Argument& argument : kArguments) {
        const QString name = QLatin1String(argument.name);
        const NumberKind& kind = argument.kind;
        const ParsedNumber parsed = vtx::cli::parseArgument(name, text, kind);
        const bool inRange = expected && *expected >= kind.minimum && *expected <= kind.maximum;
        const std::string as = where + " as " + argument.name + " -> " + vtx::fuzz::describe(parsed.error);
        FUZZ_CHECK(parsed.value.has_value() == inRange, as);
        if (inRange) {
            FUZZ_CHECK(*parsed.value == *expected && parsed.error.isEmpty(), as);
            continue;
        }
        const QString why = expected ? QStringLiteral("out of range") : QStringLiteral("not a number");
        const QString message = name + QStringLiteral(": '") + text + QStringLiteral("' is ") + why +
                                QStringLiteral(" for ") + QLatin1String(kind.what) +
                                QStringLiteral(": give ") + QLatin1String(kind.range) +
                                QStringLiteral(", in hex with 0x or in decimal");
        FUZZ_CHECK(parsed.error == message, as);
    }
}

// A command's words as "dcp set POS --eeprom --verify" or "dcp sweep --from A" read them: every "--eeprom"
// taken out, the word after the first "--from" its value (an error when nothing follows), then one or two
// positional arguments, none of them starting with "--".
void checkCommandWords(const QStringList& words)
{
    CommandWords command(words);
    const bool flag = command.takeFlag(QStringLiteral("--eeprom"));
    const std::optional<QString> value = command.takeOption(QStringLiteral("--from"));
    const bool optionFailed = command.failed();
    const std::optional<QStringList> positional = command.positional(1, 2);

    QStringList rest = words;
    const bool expectedFlag = rest.removeAll(QStringLiteral("--eeprom")) > 0;
    std::optional<QString> expectedValue;
    bool expectedOptionError = false;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--from")); at >= 0) {
        expectedOptionError = at + 1 == rest.size();
        if (!expectedOptionError)
            expectedValue = rest[at + 1];
        rest.remove(at, expectedOptionError ? 1 : 2);
    }
    bool looksLikeOption = false;
    for (const QString& word : rest)
        looksLikeOption = looksLikeOption || word.startsWith(QStringLiteral("--"));
    const bool expectedPositional = !looksLikeOption && rest.size() >= 1 && rest.size() <= 2;

    const std::string where =
        "command words " + std::to_string(words.size()) + " -> " + vtx::fuzz::describe(command.error());
    FUZZ_CHECK(flag == expectedFlag && value == expectedValue && optionFailed == expectedOptionError, where);
    FUZZ_CHECK(positional.has_value() == expectedPositional, where);
    if (positional)
        FUZZ_CHECK(*positional == rest && command.error().isEmpty() == !expectedOptionError, where);
    else
        FUZZ_CHECK(command.failed(), where);
    if (optionFailed)
        FUZZ_CHECK(command.error() == u"--from needs a value", where);
}

std::string describeArguments(const QStringList& arguments)
{
    std::string out;
    for (const QString& a : arguments)
        out += vtx::fuzz::describe(a) + " ";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList arguments;
    if (size > 0) {
        for (const QByteArray& piece :
             QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
            arguments << QString::fromLocal8Bit(piece);
    }

    const Invocation invocation = vtx::cli::parseInvocation(arguments);
    const Reading expected = readArguments(arguments);
    const std::string where = "arguments " + describeArguments(arguments);

    FUZZ_CHECK(invocation.action == expected.action, where + ": action differs");
    FUZZ_CHECK(invocation.simulate == expected.simulate && invocation.json == expected.json &&
                   invocation.trace == expected.trace,
               where + ": flags differ");
    FUZZ_CHECK(invocation.words == expected.words, where + ": words differ");
    FUZZ_CHECK(invocation.error.isEmpty() == (invocation.action != Invocation::Action::Error),
               where + "-> " + vtx::fuzz::describe(invocation.error));

    for (const QString& word : arguments)
        checkNumber(word);
    checkCommandWords(arguments);
    return 0;
}
