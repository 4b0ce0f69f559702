// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcpdevice.h"

#include "common/clock.h"
#include "common/yield.h"
#include "dcpsession.h"
#include "linkclient.h"
#include "wiperposition.h"

#include <limits>

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
            session().beginWriteCycle(
                {static_cast<std::uint8_t>(writeAddress + 1), m_bus.client().link().lastWriteUs()});
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
    publishRead(result);
    return result;
}

Result<std::uint8_t> DcpDevice::readBack(std::uint8_t readAddress)
{
    std::optional<AnsweredPoll> poll = std::exchange(m_answeredPoll, std::nullopt);
    if (!poll || poll->readAddress != readAddress)
        return read(readAddress);
    publishRead(poll->result);
    return poll->result;
}

void DcpDevice::publishRead(const Result<std::uint8_t>& result)
{
    DcpSession& record = session();
    record.samples().publish({WiperSample::Kind::Read, m_clock.nowMs(), record.lastWrittenPosition(),
                              result ? std::optional<int>(positionFromRead(result.value())) : std::nullopt,
                              result.ok()});
}

WriteCycle DcpDevice::finishWriteCycle()
{
    m_lastCycle = {};
    m_answeredPoll.reset();
    const std::optional<DcpSession::PendingWriteCycle> pending = session().takeWriteCycle();
    if (!pending)
        return m_lastCycle;
    Link& link = m_bus.client().link();
    // The part's silence is expected here; a failing link is reported by the transaction that follows.
    const Link::QuietScope quiet(link);
    const std::int64_t deadlineUs = m_deadlineMs * 1000;
    // Past the deadline every part has finished its cycle, so a transaction that comes late sends no poll.
    if (m_clock.nowUs() - pending->startUs >= deadlineUs) {
        m_lastCycle.state = WriteCycle::State::Unmeasured;
        return m_lastCycle;
    }
    // Every time below counts from the write's command and is taken as a command reached the module: the
    // replies, and whatever other windows did while this one yielded, come after it and do not count.
    std::int64_t previousUs = 0;
    std::int64_t quickestPollUs = std::numeric_limits<std::int64_t>::max();
    for (;;) {
        m_clock.waitUntilUs(pending->startUs + previousUs + kPollSpacingUs);
        // Judged before the poll: the one sent once the deadline has passed is the part's last chance, so a
        // wait that other work stretched past the deadline is not taken for a part that never answered.
        const bool last = m_clock.nowUs() - pending->startUs >= deadlineUs;
        ++m_lastCycle.polls;
        const std::int64_t askedUs = m_clock.nowUs();
        const Result<std::uint8_t> poll = m_bus.read(pending->readAddress);
        const std::int64_t sentUs = link.lastWriteUs() - pending->startUs;
        // Other work that ran inside a poll lengthens it; the quickest one shows what a poll costs.
        quickestPollUs = std::min(quickestPollUs, m_clock.nowUs() - askedUs);
        m_lastCycle.roundTripUs = quickestPollUs + kPollSpacingUs;
        if (poll) {
            m_lastCycle.state = WriteCycle::State::Finished;
            m_lastCycle.elapsedUs = sentUs;
            m_answeredPoll = AnsweredPoll{pending->readAddress, poll};
            return m_lastCycle;
        }
        if (poll.failure().kind == Failure::Kind::Link) {
            m_lastCycle.state = WriteCycle::State::LinkFailed;
            return m_lastCycle;
        }
        m_lastCycle.state = WriteCycle::State::TimedOut;
        m_lastCycle.earliestUs = sentUs;
        m_lastCycle.elapsedUs = sentUs;
        if (last)
            return m_lastCycle;
        previousUs = sentUs;
        yieldEvents();
    }
}

} // namespace vtx
