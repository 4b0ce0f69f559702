// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace vtx {

// Whether the palette draws light text on a dark window (a dark desktop theme).
inline bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// The rim around a lamp: it must stand out from the window, so that a lamp in its black "off" colour is still
// seen on a dark desktop.
inline QColor lampRim(const QPalette& palette)
{
    return isDark(palette) ? palette.color(QPalette::WindowText).darker(150) : palette.color(QPalette::Mid);
}

} // namespace vtx
