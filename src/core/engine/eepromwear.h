// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace vtx {

// EEPROM cells wear out (datasheets give on the order of 100,000 write cycles per cell): writes that repeat
// by themselves are confirmed by the user once per session before they start.

// About how many writes a minute timed writes at `intervalMs` make (0 for an interval that gives no ticks).
std::int64_t eepromWritesPerMinute(std::int64_t intervalMs);

// "Timed writes in EEPROM mode write the EEPROM every 10 ms: about 6000 writes per minute. Continue?"
QString timedEepromWritesQuestion(std::int64_t intervalMs);
// "A sweep in EEPROM mode writes the EEPROM once per position: 128 writes. Continue?"
QString eepromSweepQuestion(int writes);

} // namespace vtx
