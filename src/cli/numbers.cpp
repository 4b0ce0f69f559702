// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers.h"

#include <QRegularExpression>

namespace vtx::cli {

std::optional<int> parseNumber(const QString& text)
{
    // Bounded length: no number we take has more digits, and nothing can overflow.
    static const QRegularExpression kHex(QStringLiteral("^0[xX]([0-9A-Fa-f]{1,4})$"));
    static const QRegularExpression kDecimal(QStringLiteral("^([0-9]{1,5})$"));
    if (const auto match = kHex.match(text); match.hasMatch())
        return match.captured(1).toInt(nullptr, 16);
    if (const auto match = kDecimal.match(text); match.hasMatch())
        return match.captured(1).toInt(nullptr, 10);
    return std::nullopt;
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
