// SPDX-License-Identifier: GPL-3.0-or-later
#include "tickrate.h"

#include <algorithm>

namespace vtx::dcp {

namespace {
constexpr std::int64_t kShortestSpanUs = 1'000'000;
constexpr int kIntervalsPerSpan = 10;
constexpr double kKeptShare = 0.9;
} // namespace

void TickRate::restart()
{
    m_ticks = 0;
    m_told = false;
}

std::optional<double> TickRate::tickStarted(int intervalMs)
{
    if (m_told || intervalMs <= 0)
        return std::nullopt;
    const std::int64_t now = m_clock.nowUs();
    if (m_ticks++ == 0) {
        m_spanStartUs = now;
        return std::nullopt;
    }
    const std::int64_t span = now - m_spanStartUs;
    if (span < std::max<std::int64_t>(kShortestSpanUs, std::int64_t{kIntervalsPerSpan} * intervalMs * 1000))
        return std::nullopt;
    // Ticks that started in the span, the first one excepted: it started the span.
    const double perSecond = (m_ticks - 1) * 1e6 / static_cast<double>(span);
    if (perSecond >= kKeptShare * 1000.0 / intervalMs) {
        // Kept up so far: the next span is measured on its own, so a slowdown later is still seen.
        m_ticks = 1;
        m_spanStartUs = now;
        return std::nullopt;
    }
    m_told = true;
    return perSecond;
}

} // namespace vtx::dcp
