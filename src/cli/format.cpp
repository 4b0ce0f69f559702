// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include "common/textformat.h"

namespace vtx::cli {

QString addressText(int address7)
{
    return writeByteAddressText(writeAddressOf7(address7));
}

QString writeByteAddressText(std::uint8_t writeAddress)
{
    return QStringLiteral("0x%1 (write %2)").arg(hex2Text(writeAddress >> 1), hex2Text(writeAddress));
}

QString byteText(int value)
{
    return QStringLiteral("0x") + hex2Text(static_cast<std::uint32_t>(value & 0xFF));
}

} // namespace vtx::cli
