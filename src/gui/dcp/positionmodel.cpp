// SPDX-License-Identifier: GPL-3.0-or-later
#include "positionmodel.h"

#include "common/textformat.h"

namespace vtx::dcp {

QString positionItemText(int position)
{
    return decimalText(position);
}

std::optional<int> positionFromItemText(QStringView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < kFirstPosition || value > kLastPosition)
        return std::nullopt;
    return value;
}

QString dataByteText(std::uint8_t data)
{
    return hex2Text(data);
}

} // namespace vtx::dcp
