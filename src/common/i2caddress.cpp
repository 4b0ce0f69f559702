// SPDX-License-Identifier: GPL-3.0-or-later
#include "i2caddress.h"

#include "textformat.h"

namespace vtx {

QString sevenBitText(std::uint8_t sevenBit)
{
    return QStringLiteral("0x") + hex2Text(sevenBit & 0x7F);
}

QString addressByteWithSevenBit(std::uint8_t addressByte)
{
    return hex2Text(addressByte) + QStringLiteral(" = ") + sevenBitText(sevenBitAddress(addressByte));
}

QString addressBytesText(std::uint8_t sevenBit)
{
    return QStringLiteral("write ") + hex2Text(writeAddressByte(sevenBit)) + QStringLiteral(" / read ") +
           hex2Text(readAddressByte(sevenBit));
}

QString addressToolTip(std::uint8_t addressByte)
{
    const std::uint8_t sevenBit = sevenBitAddress(addressByte);
    return addressByteWithSevenBit(addressByte) + QStringLiteral(": 7-bit address ") +
           sevenBitText(sevenBit) + QStringLiteral(", ") + addressBytesText(sevenBit);
}

} // namespace vtx
