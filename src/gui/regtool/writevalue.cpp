// SPDX-License-Identifier: GPL-3.0-or-later
#include "writevalue.h"

#include "common/hex.h"
#include "common/textformat.h"

namespace vtx {

WriteValue normaliseWriteText(const QString& typed)
{
    QString text = typed.toUpper();
    // An empty box, "0" and text without a leading hex digit all read as 0; show that plainly.
    if (HexToInt(text) == std::int16_t{0})
        text = QStringLiteral("00");
    const auto value = HexToInt(text);
    if (!value || *value < 0 || *value > 0xFF)
        return {kNoValue, std::nullopt};
    return {text, static_cast<std::uint8_t>(*value)};
}

} // namespace vtx
