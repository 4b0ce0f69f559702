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

} // namespace vtx
