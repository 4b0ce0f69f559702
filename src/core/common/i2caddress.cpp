// SPDX-License-Identifier: GPL-3.0-or-later
#include "i2caddress.h"

#include "hex.h"
#include "textformat.h"

namespace vtx {

std::optional<std::uint8_t> deviceAddressFromText(QStringView text)
{
    constexpr int kHighestAddress = 0xFE;
    const auto value = HexToInt(text);
    if (!hasHexDigit(text) || !value || *value < 0 || *value > kHighestAddress)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

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
