// SPDX-License-Identifier: GPL-3.0-or-later
#include "eepromwear.h"

namespace vtx {

std::int64_t eepromWritesPerMinute(std::int64_t intervalMs)
{
    if (intervalMs <= 0)
        return 0;
    return (60000 + intervalMs / 2) / intervalMs;
}

QString timedEepromWritesQuestion(std::int64_t intervalMs)
{
    return QStringLiteral(
               "Timed writes in EEPROM mode write the EEPROM every %1 ms: about %2 writes per minute. "
               "Continue?")
        .arg(intervalMs)
        .arg(eepromWritesPerMinute(intervalMs));
}

QString eepromSweepQuestion(int writes)
{
    return QStringLiteral("A sweep in EEPROM mode writes the EEPROM once per position: %1 writes. Continue?")
        .arg(writes);
}

} // namespace vtx
