// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i2cbus.h"
#include "result.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vtx {

// Which 7-bit addresses answer on the bus behind the module, the way i2cdetect looks: every address from
// 0x08 to 0x77 (the others are reserved by the I2C-bus standard) is probed with the module's one-byte read
// at its read address, and counts as answering when the module reports a transfer count of 1.
//
// The scan works on an open link (or lets the link say that it is not); opening and closing it, and holding
// the program-wide transaction, are the caller's. A window and the command-line tool drive it alike through
// the step callback, which is told each probe's outcome as it happens and may stop the scan.

inline constexpr std::uint8_t kFirstProbedAddress = 0x08;
inline constexpr std::uint8_t kLastProbedAddress = 0x77;
inline constexpr int kProbedAddressCount = kLastProbedAddress - kFirstProbedAddress + 1;

struct BusScanStep {
    std::uint8_t address = 0; // 7-bit
    bool answered = false;
    int done = 0; // probes carried out so far, this one included
    int total = kProbedAddressCount;
};

struct BusScan {
    std::vector<std::uint8_t> answering; // 7-bit addresses, ascending
    int probed = 0;                      // how many addresses were probed
    bool stopped = false;                // the step callback stopped the scan before its end
};

// Returns false to stop after the current probe.
using BusScanStepCallback = std::function<bool(const BusScanStep&)>;

// The scan. A failure of the link itself (not open, module gone, transfer refused or timed out) ends it at
// once: the result is that failure, with the link's messages; the steps told so far stand. An address that
// does not acknowledge is not a failure.
Result<BusScan> scanBus(I2cBus& bus, const BusScanStepCallback& onStep = {});

} // namespace vtx
