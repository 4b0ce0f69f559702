#pragma once

#include <QString>

namespace vtx {

// Stands in a data box for a value that could not be read or was refused.
inline const QString kNoValue = QStringLiteral("--");

// Upper-case hexadecimal without leading zeros: 0x9E -> "9E", 5 -> "5".
QString hexText(int value);

// Two-digit upper-case hexadecimal: 5 -> "05", 0xFF -> "FF".
QString hex2Text(int value);

// A number in decimal with a blank where the sign of a non-negative number goes: 1 -> " 1", -3 -> "-3".
QString decimalText(long long value);

} // namespace vtx
