#pragma once

#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace vtx::dcp {

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

// The text of a position list item: " 1" to " 128".
QString positionItemText(int position);

// The position an item text names (leading blanks skipped); nothing for a text that names no position.
std::optional<int> positionFromItemText(QStringView text);

// The list row that shows a position, and back.
constexpr int listRowFor(int position)
{
    return position - kFirstPosition;
}
constexpr int positionForRow(int row)
{
    return row + kFirstPosition;
}

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

// A data byte as the hex boxes show it: two upper-case digits.
QString dataByteText(std::uint8_t data);

// What a byte read back means. Bit 0 of the byte plays no part in the position.
constexpr int wiperCodeFromRead(std::uint8_t readByte)
{
    return (readByte & 0xFE) / 2;
}
constexpr int positionFromRead(std::uint8_t readByte)
{
    return wiperCodeFromRead(readByte) + kFirstPosition;
}
// The vertical bar is full at position 1 and shows one unit at position 128.
constexpr int progressValueFromRead(std::uint8_t readByte)
{
    return kPositionCount - wiperCodeFromRead(readByte);
}

} // namespace vtx::dcp
