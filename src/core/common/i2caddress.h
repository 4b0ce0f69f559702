// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace vtx {

// I2C addresses in the two forms people meet: the 7-bit device address of datasheets and i2c-tools (0x60),
// and the 8-bit address bytes that the module puts on the bus (write C0, read C1): the 7-bit address shifted
// left by one, with the read flag in bit 0.

constexpr std::uint8_t sevenBitAddress(std::uint8_t addressByte)
{
    return static_cast<std::uint8_t>(addressByte >> 1);
}
constexpr std::uint8_t writeAddressByte(std::uint8_t sevenBit)
{
    return static_cast<std::uint8_t>((sevenBit & 0x7F) << 1);
}
constexpr std::uint8_t readAddressByte(std::uint8_t sevenBit)
{
    return static_cast<std::uint8_t>(writeAddressByte(sevenBit) | 1);
}

// The 8-bit write address a text names, read as the address boxes read it: a hex byte from 00 to FE.
// Nothing for a text without a hex digit ("ZZ", "", which would read as 00, the general-call address) nor
// for FF and up (100 would become 00 the same way).
std::optional<std::uint8_t> deviceAddressFromText(QStringView text);

// "0x60"
QString sevenBitText(std::uint8_t sevenBit);
// "C0 = 0x60": an address byte with the 7-bit address it carries (a read byte's flag is dropped).
QString addressByteWithSevenBit(std::uint8_t addressByte);
// "write C0 / read C1": the two address bytes of a 7-bit address.
QString addressBytesText(std::uint8_t sevenBit);
// "C0 = 0x60: 7-bit address 0x60, write C0 / read C1": the tooltip of the windows' address boxes.
QString addressToolTip(std::uint8_t addressByte);

} // namespace vtx
