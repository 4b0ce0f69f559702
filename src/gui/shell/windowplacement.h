// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

namespace vtx::shell {

// Where the DCP panel and the start-up window go at start, as frame rectangles (title bar and borders
// included), so that neither covers the other: side by side, the panel on the left, when both fit across
// `area` (the screen less its task bars); one above the other when they fit that way; otherwise side by side
// with the start-up window made narrower (and no taller than the area), as long as that leaves it at least
// `startupMinimum`; and when even that does not fit, side by side at full size, the start-up window running
// past the screen's right edge. The pair is centred in `area` as far as it fits.
struct StartPlacement {
    QRect panel;
    QRect startup;
};

inline constexpr int kWindowGap = 8;

StartPlacement placeStartWindows(const QRect& area, const QSize& panel, const QSize& startup,
                                 const QSize& startupMinimum);

} // namespace vtx::shell
