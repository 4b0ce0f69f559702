// SPDX-License-Identifier: GPL-3.0-or-later
#include "lampcolor.h"

namespace vtx {

QColor toQColor(LampColor color)
{
    switch (color) {
    case LampColor::Black:
        return {0, 0, 0};
    case LampColor::Green:
        return {0, 128, 0};
    case LampColor::Grey:
        return {128, 128, 128};
    case LampColor::LightBlue:
        return {0, 0, 255};
    case LampColor::LightGreen:
        return {0, 255, 0};
    case LampColor::LightRed:
        return {255, 0, 0};
    case LampColor::White:
        return {255, 255, 255};
    }
    return {0, 0, 0};
}

} // namespace vtx
