// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>

namespace vtx::cli {

std::optional<int> parseNumber(const QString& text)
{
    // Anchored to the whole text: a plain '$' also matches before a final newline, which took "65\n" for 65.
    static const QRegularExpression kHex(
        QRegularExpression::anchoredPattern(QStringLiteral("0[xX]([0-9A-Fa-f]+)")));
    static const QRegularExpression kDecimal(QRegularExpression::anchoredPattern(QStringLiteral("([0-9]+)")));
    int base = 16;
    auto match = kHex.match(text);
    if (!match.hasMatch()) {
        base = 10;
        match = kDecimal.match(text);
    }
    if (!match.hasMatch())
        return std::nullopt;
    // Leading zeros do not count ("000065" is 65). Fifteen digits fit a qlonglong in either base; anything
    // past an int is past every range we take.
    QStringView digits = match.capturedView(1);
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    if (digits.size() > 15)
        return INT_MAX;
    return static_cast<int>(std::min<qlonglong>(digits.toLongLong(nullptr, base), INT_MAX));
}

ParsedNumber parseArgument(const QString& name, const QString& text, const NumberKind& kind)
{
    const auto value = parseNumber(text);
    if (value && *value >= kind.minimum && *value <= kind.maximum)
        return {value, {}};
    const QString why = value ? QStringLiteral("out of range") : QStringLiteral("not a number");
    return {std::nullopt, QStringLiteral("%1: '%2' is %3 for %4: give %5, in hex with 0x or in decimal")
                              .arg(name, text, why, QLatin1String(kind.what), QLatin1String(kind.range))};
}

} // namespace vtx::cli
