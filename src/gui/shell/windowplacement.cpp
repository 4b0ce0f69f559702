// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowplacement.h"

#include <algorithm>

namespace vtx::shell {

namespace {

// The top-left corner that centres `size` in `area`, or the area's top-left when it is larger.
QPoint centred(const QRect& area, const QSize& size)
{
    return {area.left() + std::max(0, (area.width() - size.width()) / 2),
            area.top() + std::max(0, (area.height() - size.height()) / 2)};
}

StartPlacement sideBySide(const QRect& area, const QSize& panel, const QSize& startup)
{
    const QSize pair(panel.width() + kWindowGap + startup.width(),
                     std::max(panel.height(), startup.height()));
    const QPoint origin = centred(area, pair);
    return {QRect(origin, panel), QRect(origin + QPoint(panel.width() + kWindowGap, 0), startup)};
}

StartPlacement stacked(const QRect& area, const QSize& panel, const QSize& startup)
{
    const QSize pair(std::max(panel.width(), startup.width()),
                     panel.height() + kWindowGap + startup.height());
    const QPoint origin = centred(area, pair);
    return {QRect(origin, panel), QRect(origin + QPoint(0, panel.height() + kWindowGap), startup)};
}

} // namespace

StartPlacement placeStartWindows(const QRect& area, const QSize& panel, const QSize& startup,
                                 const QSize& startupMinimum)
{
    if (panel.width() + kWindowGap + startup.width() <= area.width())
        return sideBySide(area, panel, startup);
    if (panel.height() + kWindowGap + startup.height() <= area.height())
        return stacked(area, panel, startup);
    // Narrower (and no taller than the screen) where that is enough; a start-up window that would still not
    // fit keeps its size and runs past the edge.
    const QSize room(area.width() - panel.width() - kWindowGap, area.height());
    const bool fitsNarrower =
        room.width() >= startupMinimum.width() && room.height() >= startupMinimum.height();
    return sideBySide(area, panel, fitsNarrower ? room.boundedTo(startup) : startup);
}

} // namespace vtx::shell
