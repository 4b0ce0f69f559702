// SPDX-License-Identifier: GPL-3.0-or-later
#include "hex.h"

namespace vtx {

namespace {

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

std::optional<std::int16_t> HexToInt(QStringView text)
{
    constexpr int maxSignificantDigits = 4;
    unsigned value = 0;
    int significantDigits = 0;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        const int digit = hexDigitValue(c);
        if (digit < 0)
            break;
        if (value == 0 && digit == 0)
            continue; // leading zeros add nothing
        if (++significantDigits > maxSignificantDigits)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    // Four hex digits fill 16 bits; 8000 to FFFF read as negative numbers.
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

bool hasHexDigit(QStringView text)
{
    for (const QChar c : text) {
        if (!isBlank(c))
            return hexDigitValue(c) >= 0;
    }
    return false;
}

std::optional<std::uint8_t> twoDigitHexByte(QStringView text)
{
    if (text.size() != 2)
        return std::nullopt;
    const int high = hexDigitValue(text[0]);
    const int low = hexDigitValue(text[1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

} // namespace vtx
