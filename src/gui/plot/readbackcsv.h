// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/dcpsession.h"

#include <QString>
#include <deque>

namespace vtx::plot {

// The wiper history as comma-separated values: a header, then one line per sample, oldest first:
//   time,written,read,outcome
//   12.345,65,65,read
// time in seconds on the program's clock, written the position last written (a write: the one it wrote),
// read the position read back (blank for writes and failed reads), outcome one of "written",
// "write failed", "read", "read failed".
QString readbackCsv(const RingView<WiperSample>& samples);

} // namespace vtx::plot
