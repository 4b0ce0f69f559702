// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once


namespace vtx {

// Lamp colours by their number in the standard 16-colour palette.
enum class LampColor : int {
    Black = 0, // idle, closed or stopped
    Green = 2, // success, alternating with light green
    Grey = 8,
    LightBlue = 9,
    LightGreen = 10, // success
    LightRed = 12,   // failure
    White = 15,
};

// Successive successes alternate light green and green so that a repeated success stays visible.
constexpr LampColor nextSuccessColor(LampColor current)
{
    return current == LampColor::LightGreen ? LampColor::Green : LampColor::LightGreen;
}

} // namespace vtx
