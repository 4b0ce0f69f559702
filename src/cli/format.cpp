// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include "common/i2caddress.h"
#include "common/textformat.h"

namespace vtx::cli {

QString addressText(int address7)
{
    return writeByteAddressText(writeAddressByte(static_cast<std::uint8_t>(address7)));
}

QString writeByteAddressText(std::uint8_t writeAddress)
{
    return sevenBitText(sevenBitAddress(writeAddress)) + QStringLiteral(" (write ") + hex2Text(writeAddress) +
           QStringLiteral(")");
}

QString byteText(int value)
{
    return QStringLiteral("0x") + hex2Text(static_cast<std::uint32_t>(value & 0xFF));
}

} // namespace vtx::cli
