// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"

#include <cstdint>
#include <optional>

namespace vtx::dcp {

// How many timed ticks run per second, on the link's clock, against what the timer's interval asks for. A
// tick that opens the link, sets the module up and resets its port takes several USB frames on a real module,
// so a short interval cannot be kept; the user is told once per run of the timer.
class TickRate {
public:
    explicit TickRate(const Clock& clock) : m_clock(clock) {}

    // The timer starts (again): a new run, measured afresh.
    void restart();
    // A tick starts. Once per run, the measured ticks per second when they fall short of the interval's rate
    // by more than a tenth over a span of at least a second (and ten intervals).
    std::optional<double> tickStarted(int intervalMs);

private:
    const Clock& m_clock;
    std::int64_t m_spanStartUs = 0;
    int m_ticks = 0; // started in the current span
    bool m_told = false;
};

} // namespace vtx::dcp
