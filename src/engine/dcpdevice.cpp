// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcpdevice.h"

#include "common/clock.h"
#include "common/yield.h"
#include "dcpsession.h"
#include "linkclient.h"
#include "wiperposition.h"

namespace vtx {

DcpSession& DcpDevice::session()
{
    return m_bus.client().link().dcpSession();
}

Result<Done> DcpDevice::write(std::uint8_t writeAddress, std::uint8_t data)
{
    finishWriteCycle();
    Result<Done> result = m_bus.write(writeAddress, data);
    const int position = positionFromWrite(data);
    if (result) {
        session().setLastWrittenPosition(position);
        if (!isRegisterWrite(data)) {
            session().countEepromWrite();
            session().beginWriteCycle({static_cast<std::uint8_t>(writeAddress + 1), m_clock.nowUs()});
        }
    }
    session().samples().publish(
        {WiperSample::Kind::Write, m_clock.nowMs(), position, std::nullopt, result.ok()});
    return result;
}

Result<std::uint8_t> DcpDevice::read(std::uint8_t readAddress)
{
    finishWriteCycle();
    Result<std::uint8_t> result = m_bus.read(readAddress);
    DcpSession& record = session();
    record.samples().publish({WiperSample::Kind::Read, m_clock.nowMs(), record.lastWrittenPosition(),
                              result ? std::optional<int>(positionFromRead(result.value())) : std::nullopt,
                              result.ok()});
    return result;
}

WriteCycle DcpDevice::finishWriteCycle()
{
    m_lastCycle = {};
    const std::optional<DcpSession::PendingWriteCycle> pending = session().takeWriteCycle();
    if (!pending)
        return m_lastCycle;
    Link& link = m_bus.client().link();
    // The part's silence is expected here; a failing link is reported by the transaction that follows.
    const Link::QuietScope quiet(link);
    const std::int64_t deadlineUs = m_deadlineMs * 1000;
    // Past the deadline every part has finished its cycle, so a transaction that comes late sends no poll.
    m_lastCycle.state = WriteCycle::State::Unmeasured;
    while (m_clock.nowUs() - pending->startUs < deadlineUs) {
        ++m_lastCycle.polls;
        const Result<std::uint8_t> poll = m_bus.read(pending->readAddress);
        m_lastCycle.elapsedUs = m_clock.nowUs() - pending->startUs;
        if (poll) {
            m_lastCycle.state = WriteCycle::State::Finished;
            return m_lastCycle;
        }
        if (poll.failure().kind == Failure::Kind::Link) {
            m_lastCycle.state = WriteCycle::State::LinkFailed;
            return m_lastCycle;
        }
        m_lastCycle.state = WriteCycle::State::TimedOut;
        yieldEvents();
    }
    return m_lastCycle;
}

} // namespace vtx
