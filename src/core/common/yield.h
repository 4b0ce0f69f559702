// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vtx {

// Lets the window system deliver every waiting event (input, timer ticks, repaints, the USB driver's
// notifications), then returns. The program waits only by counting these, never by sleeping.
void yieldEvents();
void yieldEvents(int times);

} // namespace vtx
