// SPDX-License-Identifier: GPL-3.0-or-later
// vtxctl's command line (src/cli) on any argument list, against a reading of it as the man page and the
// README document it:
//   --simulate, --json, --trace, -h or --help, and --version are the global options, exact words that may
//   stand anywhere; every other word, in order, is the command and its arguments. Help wins over version
//   (as in vtx-eval); without either, no command at all is an error, and so is a first word starting with
//   '-' (an option we do not know, such as "--simulat").
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
        const char16_t lower = u | 0x20; // 'A' to 'F' as 'a' to 'f'; no other code unit lands there
        const int digit = u >= u'0' && u <= u'9'           ? u - u'0'
                          : lower >= u'a' && lower <= u'f' ? lower - u'a' + 10
                                                           : -1;
        if (digit < 0 || digit >= base)
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
    const std::string where = "number " + vtx::fuzz::describe(text);
    // Its value, or INT_MAX for a number too large for an int.
    const std::optional<int> number = vtx::cli::parseNumber(text);
    FUZZ_CHECK(number.has_value() == expected.has_value() &&
                   (!number || *number == std::min<long long>(*expected, INT_MAX)),
               where + " -> " + (number ? std::to_string(*number) : "nothing"));

    for (const auto& [name, kind] : kArguments) {
        const ParsedNumber parsed = vtx::cli::parseArgument(QLatin1String(name), text, kind);
        const bool inRange = expected && *expected >= kind.minimum && *expected <= kind.maximum;
        const QString why = expected ? QStringLiteral("out of range") : QStringLiteral("not a number");
        const QString error =
            inRange ? QString()
                    : QStringLiteral("%1: '%2' is %3 for %4: give %5, in hex with 0x or in decimal")
                          .arg(QLatin1String(name), text, why, QLatin1String(kind.what),
                               QLatin1String(kind.range));
        FUZZ_CHECK(parsed.value == (inRange ? expected : std::nullopt) && parsed.error == error,
                   where + " as " + name + " -> " + vtx::fuzz::describe(parsed.error));
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
    const qsizetype at = rest.indexOf(QStringLiteral("--from"));
    const bool expectedOptionError = at >= 0 && at + 1 == rest.size();
    const std::optional<QString> expectedValue =
        at >= 0 && !expectedOptionError ? std::optional<QString>(rest[at + 1]) : std::nullopt;
    if (at >= 0)
        rest.remove(at, expectedOptionError ? 1 : 2);
    const bool expectedPositional =
        rest.size() >= 1 && rest.size() <= 2 &&
        std::none_of(rest.cbegin(), rest.cend(), [](const QString& word) { return word.startsWith(u"--"); });

    const std::string where =
        "command words " + vtx::fuzz::describe(words) + "-> " + vtx::fuzz::describe(command.error());
    FUZZ_CHECK(flag == expectedFlag && value == expectedValue && optionFailed == expectedOptionError, where);
    FUZZ_CHECK(positional == (expectedPositional ? std::optional<QStringList>(rest) : std::nullopt), where);
    FUZZ_CHECK(command.failed() == (!positional || expectedOptionError), where);
    if (optionFailed)
        FUZZ_CHECK(command.error() == u"--from needs a value", where);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList arguments = vtx::fuzz::argumentsFromInput(data, size);
    const Invocation invocation = vtx::cli::parseInvocation(arguments);

    const auto given = [&](const char* option) { return arguments.contains(QLatin1String(option)); };
    QStringList words = arguments;
    words.removeIf([](const QString& word) {
        return QStringList{"--simulate", "--json", "--trace", "--help", "-h", "--version"}.contains(word);
    });
    using Action = Invocation::Action;
    const Action action = given("--help") || given("-h")                      ? Action::ShowHelp
                          : given("--version")                                ? Action::ShowVersion
                          : words.isEmpty() || words.first().startsWith(u'-') ? Action::Error
                                                                              : Action::Run;
    FUZZ_CHECK(invocation.action == action && invocation.words == words &&
                   invocation.simulate == given("--simulate") && invocation.json == given("--json") &&
                   invocation.trace == given("--trace") &&
                   invocation.error.isEmpty() == (action != Action::Error),
               "arguments " + vtx::fuzz::describe(arguments) + "-> " + vtx::fuzz::describe(invocation.error));

    for (const QString& word : arguments)
        checkNumber(word);
    checkCommandWords(arguments);
    return 0;
}
