// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/wiperposition.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace vtx::dcp {

// The position arithmetic (positions 1 to 128, the data byte, the byte read back) is the engine's
// (engine/wiperposition.h); what follows is how the panel shows it.

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

// A data byte as the hex boxes show it: two upper-case digits.
QString dataByteText(std::uint8_t data);

// The vertical bar is full at position 1 and shows one unit at position 128.
constexpr int progressValueFromRead(std::uint8_t readByte)
{
    return kPositionCount - wiperCodeFromRead(readByte);
}

} // namespace vtx::dcp
