// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcpdevice.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace vtx {

// A position stored in the EEPROM and read back: what the user needs to trust what the part will hold after
// the next power-up, and the measured write-cycle time (the one figure of the part's EEPROM timing that can
// be had without an oscilloscope).
struct StoreVerification {
    enum class Verdict {
        Verified,           // the part read back the position stored
        Mismatch,           // it read back another position
        WriteCycleTimedOut, // it did not answer within the write-cycle deadline; nothing read back
        ReadBackFailed,     // the read-back failed (readFailure says why)
    };
    Verdict verdict = Verdict::Verified;
    int position = 0;
    std::uint8_t written = 0;             // the data byte sent
    std::optional<std::uint8_t> readByte; // the byte read back
    WriteCycle cycle;                     // the wait for the write cycle
    std::int64_t deadlineMs = 0;          // the write-cycle deadline in force
    std::optional<Failure> readFailure;

    std::optional<int> readPosition() const;
};

// Writes `position` (1 to 128) to the EEPROM, polls the part until its write cycle is over, reads the wiper
// back (the poll it answered is that read) and compares. A failure means the write itself failed (nothing was stored); everything after an
// acknowledged write is in the verdict. The link must be open; nothing here opens or closes it.
Result<StoreVerification> storeVerified(DcpDevice& dcp, std::uint8_t writeAddress, int position);

// The one line that tells the user the outcome: "Stored position 65 in EEPROM, verified, write cycle 4.9 ms",
// or the mismatch, the timeout or the failed read-back.
QString storeVerificationText(const StoreVerification& store);

// A write-cycle time for people: "4.9 ms".
QString writeCycleText(std::int64_t us);
// A measured cycle: its upper bound, "4.9 ms", or where other work delayed the polls the span it lies in,
// "at most 7.2 ms (between 0.2 and 7.2 ms)".
QString writeCycleText(const WriteCycle& cycle);

} // namespace vtx
