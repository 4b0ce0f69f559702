#include "textformat.h"

namespace vtx {

QString hexText(int value)
{
    return QString::number(static_cast<unsigned>(value), 16).toUpper();
}

QString hex2Text(int value)
{
    return hexText(value).rightJustified(2, u'0');
}

QString decimalText(long long value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace vtx
