// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vtx::app {

// Switches on every vtx.* logging category at debug level, with one plain line per message on standard
// error, led by the time of day and the milliseconds since start:
// "15:04:05.123 +1234 ms vtx.transfer: OUT pipe 03: 01 9E 81 [status &H0 (...)]".
void enableTracing();

} // namespace vtx::app
