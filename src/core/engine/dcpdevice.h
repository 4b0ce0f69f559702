// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i2cbus.h"

#include <cstdint>
#include <optional>

namespace vtx {

class Clock;
class DcpSession;

// How the wait for the part's EEPROM write cycle ended.
struct WriteCycle {
    enum class State {
        None,       // no EEPROM write was waiting
        Finished,   // the part answered a poll: `elapsedUs` is the measured cycle
        Unmeasured, // the deadline had passed before anything polled: the cycle is over, its length unknown
        TimedOut,   // polled past the deadline (once more after it) and the part never answered
        LinkFailed, // a poll failed on the link; the transaction that follows reports it
    };
    State state = State::None;
    int polls = 0;
    // Times from the write's command, each taken as a command reached the module (not after the replies and
    // whatever else ran between polls). Finished: the cycle ended after the last poll the part left
    // unanswered (earliestUs; 0 when it answered the first) and by the first one it answered (elapsedUs, the
    // figure to report). TimedOut: elapsedUs is the last poll.
    std::int64_t earliestUs = 0;
    std::int64_t elapsedUs = 0;
    // One poll round trip: the quickest poll of the wait (from asking to its reply) and the pacing between
    // polls. A span no wider than this is as exact as polling can tell.
    std::int64_t roundTripUs = 0;

    // Other work delayed the polls: the cycle is known only to lie somewhere in a span wider than a poll.
    bool uncertain() const { return state == State::Finished && elapsedUs - earliestUs > roundTripUs; }
};

// The VTX8303 digital potentiometer on the bus: wiper writes and reads, and its EEPROM write cycle. After an
// acknowledged EEPROM write the part acknowledges nothing until the cycle is over (typically 5 ms, at most
// 10 to 20 ms); the next write or read first polls it with one-byte reads until it answers, for up to
// writeCycleDeadlineMs after the write, and once more after it. A part still busy then fails that
// transaction as it would have. The polls are paced (kPollSpacingUs): a part does not finish sooner for being
// asked more often, and each poll is a transfer in the log.
//
// Every write and read is published to the link's DcpSession (the read-back history), and every acknowledged
// EEPROM write is counted there. The pending write cycle is kept there too, so a DcpDevice of another window
// on the same link waits for it as well.
class DcpDevice {
public:
    static constexpr std::int64_t kDefaultWriteCycleDeadlineMs = 20;
    // At most one poll in this many microseconds of the clock.
    static constexpr std::int64_t kPollSpacingUs = 100;

    DcpDevice(I2cBus& bus, const Clock& clock) : m_bus(bus), m_clock(clock) {}

    // Writes a data byte: the wiper code in bits 7 to 1, bit 0 set for the wiper register, clear for the
    // EEPROM.
    Result<Done> write(std::uint8_t writeAddress, std::uint8_t data);
    // Reads the wiper's data byte.
    Result<std::uint8_t> read(std::uint8_t readAddress);

    // Waits now for the cycle of the last EEPROM write, if one is pending, and tells how it ended (also
    // available afterwards as lastWriteCycle()). The next write or read does this by itself.
    WriteCycle finishWriteCycle();
    // Reads the wiper's data byte after a write: a poll is such a read, so when finishWriteCycle() just ended
    // on a poll the part answered at `readAddress`, that answer is the read and nothing more is sent.
    Result<std::uint8_t> readBack(std::uint8_t readAddress);

    void setWriteCycleDeadlineMs(std::int64_t ms) { m_deadlineMs = ms; }
    std::int64_t writeCycleDeadlineMs() const { return m_deadlineMs; }
    // Polls the last write or read sent before it went on.
    int lastPollCount() const { return m_lastCycle.polls; }
    // The last wait for a write cycle (State::None when the last transaction had none to wait for).
    const WriteCycle& lastWriteCycle() const { return m_lastCycle; }

private:
    DcpSession& session();
    void publishRead(const Result<std::uint8_t>& result);

    I2cBus& m_bus;
    const Clock& m_clock;
    std::int64_t m_deadlineMs = kDefaultWriteCycleDeadlineMs;
    WriteCycle m_lastCycle;
    // The poll that ended the last wait, until readBack() takes it.
    struct AnsweredPoll {
        std::uint8_t readAddress;
        Result<std::uint8_t> result;
    };
    std::optional<AnsweredPoll> m_answeredPoll;
};

} // namespace vtx
