#pragma once

#include <QElapsedTimer>
#include <cstdint>

namespace vtx {

// Time as the simulated board sees it. The program runs the board on wall time; tests move a manual clock,
// so no test depends on how fast the machine is.
class SimClock {
public:
    virtual ~SimClock() = default;
    virtual std::int64_t nowMs() const = 0;
};

class SteadyClock final : public SimClock {
public:
    SteadyClock() { m_timer.start(); }
    std::int64_t nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

class ManualClock final : public SimClock {
public:
    std::int64_t nowMs() const override { return m_now; }
    void advance(std::int64_t ms) { m_now += ms; }

private:
    std::int64_t m_now = 0;
};

} // namespace vtx
