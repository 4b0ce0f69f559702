// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace vtx::cli {

// A number as scripts write it: hex with "0x" (either case) or decimal, nothing else. A number too large for
// an int reads as INT_MAX, out of every argument's range.
std::optional<int> parseNumber(const QString& text);

// What kind of number an argument must be, with its range and how the usage error names it.
struct NumberKind {
    int minimum;
    int maximum;
    const char* what;  // "a 7-bit I2C address", "a byte", ...
    const char* range; // "0x00 to 0x7F", ...
};

inline constexpr NumberKind kAddress7{0x00, 0x7F, "a 7-bit I2C address", "0x00 to 0x7F"};
inline constexpr NumberKind kByte{0, 255, "a byte", "0 to 255 (0x00 to 0xFF)"};
inline constexpr NumberKind kRegister{0, 255, "a register address", "0 to 255 (0x00 to 0xFF)"};
inline constexpr NumberKind kCount{1, 256, "a register count", "1 to 256"};
inline constexpr NumberKind kPosition{1, 128, "a wiper position", "1 to 128"};
inline constexpr NumberKind kStep{1, 127, "a step", "1 to 127"};

// The value of `text` for argument `name` ("ADDR", "--from"), or the usage error that says what is wrong.
struct ParsedNumber {
    std::optional<int> value;
    QString error;
};
ParsedNumber parseArgument(const QString& name, const QString& text, const NumberKind& kind);

} // namespace vtx::cli
