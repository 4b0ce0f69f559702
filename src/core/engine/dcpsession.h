// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundedfeed.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace vtx {

// One wiper write or read of the DCP, as the read-back chart and its history see it.
struct WiperSample {
    enum class Kind { Write, Read };
    Kind kind = Kind::Read;
    std::int64_t timeMs = 0;            // on the link's clock
    std::optional<int> writtenPosition; // the position last written (a write: the one it wrote)
    std::optional<int> readPosition;    // a read that succeeded: the position read back
    bool ok = false;                    // the transaction went through
};

// What this program has done with the DCP since it started, whichever front end did it: every wiper write
// and read published with a bounded history, and the count of EEPROM writes (each one wears the part's
// cells). One per link, so every window and tool adds to the same record.
class DcpSession {
public:
    // The last 100,000 samples: about a day of timed transfers at one a second.
    static constexpr std::size_t kHistoryCapacity = 100000;

    // The history takes its room at once: a program that draws no chart asks for little.
    explicit DcpSession(std::size_t historyCapacity = kHistoryCapacity) : m_samples(historyCapacity) {}
    DcpSession(const DcpSession&) = delete;
    DcpSession& operator=(const DcpSession&) = delete;

    BoundedFeed<WiperSample>& samples() { return m_samples; }
    const BoundedFeed<WiperSample>& samples() const { return m_samples; }

    std::uint64_t eepromWrites() const { return m_eepromWrites; }
    void countEepromWrite() { ++m_eepromWrites; }

    // An acknowledged EEPROM write whose cycle nothing has waited for yet: whichever front end talks to the
    // part next polls it first.
    struct PendingWriteCycle {
        std::uint8_t readAddress = 0;
        std::int64_t startUs = 0; // when the write was acknowledged, on the link's clock
    };
    void beginWriteCycle(PendingWriteCycle cycle) { m_pendingCycle = cycle; }
    std::optional<PendingWriteCycle> takeWriteCycle() { return std::exchange(m_pendingCycle, std::nullopt); }

    std::optional<int> lastWrittenPosition() const { return m_lastWritten; }
    void setLastWrittenPosition(int position) { m_lastWritten = position; }

    // The user agreed, once in this session, to writes that wear the EEPROM (timed writes, a sweep).
    bool eepromWearAccepted() const { return m_wearAccepted; }
    void acceptEepromWear() { m_wearAccepted = true; }

private:
    BoundedFeed<WiperSample> m_samples;
    std::uint64_t m_eepromWrites = 0;
    std::optional<int> m_lastWritten;
    std::optional<PendingWriteCycle> m_pendingCycle;
    bool m_wearAccepted = false;
};

} // namespace vtx
