// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <span>

namespace vtx {

// Stands in a data box for a value that could not be read or was refused.
inline const QString kNoValue = QStringLiteral("--");

// Upper-case hexadecimal without leading zeros: 0x9E -> "9E", 5 -> "5". Status codes and handles are
// 32-bit, so a negative number shows its two's complement ("FFFFFFFF").
QString hexText(std::uint32_t value);

// Two-digit upper-case hexadecimal: 5 -> "05", 0xFF -> "FF".
QString hex2Text(std::uint32_t value);

// Bytes as two-digit upper-case hexadecimal separated by blanks, as traces and logs show them: "01 9E 81".
QString hexBytes(std::span<const std::uint8_t> bytes);

// A number in decimal with a blank where the sign of a non-negative number goes: 1 -> " 1", -3 -> "-3".
QString decimalText(long long value);

} // namespace vtx
