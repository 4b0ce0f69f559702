#include "dcpdevice.h"

#include "common/clock.h"
#include "common/yield.h"
#include "linkclient.h"

#include <utility>

namespace vtx {

namespace {

constexpr bool isEepromWrite(std::uint8_t data)
{
    return (data & 0x01) == 0;
}

} // namespace

Result<Done> DcpDevice::write(std::uint8_t writeAddress, std::uint8_t data)
{
    waitForWriteCycle();
    Result<Done> result = m_bus.write(writeAddress, data);
    if (result && isEepromWrite(data)) {
        m_cyclePending = true;
        m_cycleReadAddress = static_cast<std::uint8_t>(writeAddress + 1);
        m_cycleStartMs = m_clock.nowMs();
    }
    return result;
}

Result<std::uint8_t> DcpDevice::read(std::uint8_t readAddress)
{
    waitForWriteCycle();
    return m_bus.read(readAddress);
}

void DcpDevice::waitForWriteCycle()
{
    m_lastPollCount = 0;
    if (!std::exchange(m_cyclePending, false))
        return;
    Link& link = m_bus.client().link();
    // The part's silence is expected here; a failing link is reported by the transaction that follows.
    const Link::QuietScope quiet(link);
    // Past the deadline every part has finished its cycle, so a transaction that comes late sends no poll.
    while (m_clock.nowMs() - m_cycleStartMs < m_deadlineMs) {
        ++m_lastPollCount;
        const Result<std::uint8_t> poll = m_bus.read(m_cycleReadAddress);
        if (poll || poll.failure().kind == Failure::Kind::Link)
            return;
        yieldEvents();
    }
}

} // namespace vtx
