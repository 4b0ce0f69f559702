#pragma once

#include "i2cbus.h"

#include <cstdint>

namespace vtx {

class Clock;

// The VTX8303 digital potentiometer on the bus: wiper writes and reads, and its EEPROM write cycle. After an
// acknowledged EEPROM write the part acknowledges nothing until the cycle is over (typically 5 ms, at most
// 10 to 20 ms); the next write or read first polls it with one-byte reads until it answers, for up to
// writeCycleDeadlineMs after the write. A part still busy then fails that transaction as it would have.
class DcpDevice {
public:
    static constexpr std::int64_t kDefaultWriteCycleDeadlineMs = 20;

    DcpDevice(I2cBus& bus, const Clock& clock) : m_bus(bus), m_clock(clock) {}

    // Writes a data byte: the wiper code in bits 7 to 1, bit 0 set for the wiper register, clear for the
    // EEPROM.
    Result<Done> write(std::uint8_t writeAddress, std::uint8_t data);
    // Reads the wiper's data byte.
    Result<std::uint8_t> read(std::uint8_t readAddress);

    void setWriteCycleDeadlineMs(std::int64_t ms) { m_deadlineMs = ms; }
    // Polls the last write or read sent before it went on.
    int lastPollCount() const { return m_lastPollCount; }

private:
    void waitForWriteCycle();

    I2cBus& m_bus;
    const Clock& m_clock;
    std::int64_t m_deadlineMs = kDefaultWriteCycleDeadlineMs;
    bool m_cyclePending = false; // an EEPROM write was acknowledged and nothing has polled since
    std::uint8_t m_cycleReadAddress = 0;
    std::int64_t m_cycleStartMs = 0;
    int m_lastPollCount = 0;
};

} // namespace vtx
