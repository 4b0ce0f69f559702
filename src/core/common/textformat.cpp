// SPDX-License-Identifier: GPL-3.0-or-later
#include "textformat.h"

namespace vtx {

QString hexText(std::uint32_t value)
{
    return QString::number(value, 16).toUpper();
}

QString hex2Text(std::uint32_t value)
{
    return hexText(value).rightJustified(2, u'0');
}

QString decimalText(long long value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString hexBytes(std::span<const std::uint8_t> bytes)
{
    QString text;
    text.reserve(int(bytes.size()) * 3);
    for (const std::uint8_t byte : bytes) {
        if (!text.isEmpty())
            text += u' ';
        text += hex2Text(byte);
    }
    return text;
}

} // namespace vtx
