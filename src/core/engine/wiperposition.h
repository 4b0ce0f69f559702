// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>

namespace vtx {

// The wiper of the VTX8303: the user sees positions 1 to 128; the device sees the wiper code (position - 1)
// in bits 7 to 1 of the data byte, with the programming mode in bit 0.
constexpr int kFirstPosition = 1;
constexpr int kLastPosition = 128;
constexpr int kPositionCount = kLastPosition - kFirstPosition + 1;

// Bit 0 of every data byte written: where the wiper setting goes.
enum class ProgrammingMode : std::uint8_t {
    Eeprom = 0,   // the permanent EEPROM
    Register = 1, // the volatile wiper register
};

// The data byte that writes `position` in `mode`: 2 x (position - 1) + mode bit. Positions outside 1..128
// are held to the nearest end, so the byte can never spill into a neighbouring code.
constexpr std::uint8_t dataByteFor(int position, ProgrammingMode mode)
{
    const int p = std::clamp(position, kFirstPosition, kLastPosition);
    return static_cast<std::uint8_t>(2 * (p - kFirstPosition) + static_cast<int>(mode));
}

// Whether a data byte goes to the volatile wiper register (bit 0 set) or to the EEPROM.
constexpr bool isRegisterWrite(std::uint8_t data)
{
    return (data & 0x01) != 0;
}

// The position a written data byte sets.
constexpr int positionFromWrite(std::uint8_t data)
{
    return data / 2 + kFirstPosition;
}

// What a byte read back means. Bit 0 of the byte plays no part in the position.
constexpr int wiperCodeFromRead(std::uint8_t readByte)
{
    return (readByte & 0xFE) / 2;
}
constexpr int positionFromRead(std::uint8_t readByte)
{
    return wiperCodeFromRead(readByte) + kFirstPosition;
}

} // namespace vtx
