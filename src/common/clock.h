#pragma once

#include <QElapsedTimer>
#include <cstdint>

namespace vtx {

// Monotonic time in milliseconds, for everything that waits on a deadline or simulates a part's timing. The
// program runs on wall time; tests move a manual clock, so no test depends on how fast the machine is.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
    // Time that something simulated takes (a USB transfer of the simulated module). Real time passes by
    // itself; a manual clock moves on.
    virtual void elapse(std::int64_t ms) { static_cast<void>(ms); }
};

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    std::int64_t nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

class ManualClock final : public Clock {
public:
    std::int64_t nowMs() const override { return m_now; }
    void elapse(std::int64_t ms) override { m_now += ms; }
    void advance(std::int64_t ms) { m_now += ms; }

private:
    std::int64_t m_now = 0;
};

} // namespace vtx
