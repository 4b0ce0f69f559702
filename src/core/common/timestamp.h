// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace vtx {

// The two times every logged transfer and trace line carries, written the same way in the transfer log and
// on the --trace output: the local time of day with milliseconds, and milliseconds since the program started.

// "15:04:05.123"
QString timeOfDayText(std::int64_t wallMs);
// "12345"
QString sinceStartText(std::int64_t sinceStartMs);
// "15:04:05.123 +12345 ms ": the prefix of a trace line.
QString timestampPrefix(std::int64_t wallMs, std::int64_t sinceStartMs);

} // namespace vtx
