// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "yield.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>

namespace vtx {

// Monotonic time in milliseconds, for everything that waits on a deadline or simulates a part's timing. The
// program runs on wall time; tests move a manual clock, so no test depends on how fast the machine is.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
    // The same time in microseconds, for what is measured finer than a millisecond (a part's EEPROM write
    // cycle).
    virtual std::int64_t nowUs() const { return nowMs() * 1000; }
    // Time that something simulated takes (a USB transfer of the simulated module). Real time passes by
    // itself; a manual clock moves on.
    virtual void elapse(std::int64_t ms) { elapseUs(ms * 1000); }
    virtual void elapseUs(std::int64_t us) { static_cast<void>(us); }
    // Lets the time run on to `us` (the clock's microseconds). Real time is waited out in the event loop, so
    // whatever else is waiting runs meanwhile; a manual clock moves there at once. Whoever reads a clock may
    // wait on it, so this is const.
    virtual void waitUntilUs(std::int64_t us) const
    {
        while (nowUs() < us)
            yieldEvents();
    }
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    std::int64_t nowMs() const override { return m_timer.elapsed(); }
    std::int64_t nowUs() const override { return m_timer.nsecsElapsed() / 1000; }

private:
    QElapsedTimer m_timer;
};

class ManualClock final : public Clock {
public:
    std::int64_t nowMs() const override { return m_nowUs / 1000; }
    std::int64_t nowUs() const override { return m_nowUs; }
    void elapseUs(std::int64_t us) override { m_nowUs += us; }
    void waitUntilUs(std::int64_t us) const override { m_nowUs = std::max(m_nowUs, us); }
    void advance(std::int64_t ms) { m_nowUs += ms * 1000; }

private:
    mutable std::int64_t m_nowUs = 0; // waitUntilUs() moves it too
};

} // namespace vtx
