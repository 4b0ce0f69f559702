// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace vtx {

// Reads a text the way a "&H" numeric literal is read: blanks are skipped, reading stops at the first
// character that is not a hex digit, and a text without digits gives 0. Up to four significant digits give a
// signed 16-bit value ("FFFF" is -1). A value that needs more than four significant digits does not fit and
// gives std::nullopt, so every caller decides what invalid input means for it.
std::optional<std::int16_t> HexToInt(QStringView text);

// Whether HexToInt finds a digit in the text at all: it reads "ZZ" and "" as 0, which is no number typed.
bool hasHexDigit(QStringView text);

// A byte written as exactly two hex digits ("0F", "c0"); nothing for any other text ("--", "ZZ", "5", "100").
std::optional<std::uint8_t> twoDigitHexByte(QStringView text);

// The low 8 bits of a value, where a byte is needed.
constexpr std::uint8_t lowByte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace vtx
