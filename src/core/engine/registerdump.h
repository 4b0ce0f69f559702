// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i2cbus.h"
#include "result.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vtx {

// Every register of one device, 00 to FF, read one at a time with the same register read as the register
// tool's bank rows (01, read address, register). A register that is not acknowledged stays unread and the
// dump goes on; a failure of the link itself ends it. Like the bus scan it works on an open link and leaves
// the link and the transaction to the caller, and a step callback shows progress and may stop it.

inline constexpr int kDumpedRegisterCount = 256;

struct RegisterDumpStep {
    std::uint8_t registerAddress = 0;
    std::optional<std::uint8_t> value; // none when the register was not acknowledged
    int done = 0;                      // registers tried so far, this one included
    int total = kDumpedRegisterCount;
};

struct RegisterDump {
    std::uint8_t readAddress = 0;                                           // the 8-bit read address byte
    std::array<std::optional<std::uint8_t>, kDumpedRegisterCount> values{}; // by register; none: not read
    int tried = 0;        // registers tried, from the first up
    bool stopped = false; // the step callback stopped the dump before its end
};

// Returns false to stop after the current register.
using RegisterDumpStepCallback = std::function<bool(const RegisterDumpStep&)>;

Result<RegisterDump> dumpRegisters(I2cBus& bus, std::uint8_t readAddress,
                                   const RegisterDumpStepCallback& onStep = {});

// Part of the registers: `count` of them from `first` up (first + count at most 256); the others stay
// unread, and the steps count from the first.
struct RegisterRange {
    int first = 0;
    int count = kDumpedRegisterCount;
};
Result<RegisterDump> dumpRegisters(I2cBus& bus, std::uint8_t readAddress, RegisterRange range,
                                   const RegisterDumpStepCallback& onStep = {});

// The dump as comma-separated text, 16 by 16 like its view: a header row "Register,0,1,...,F", then one row
// per 16 registers led by the first one's address ("00", "10", ... "F0"); each value in two-digit
// hexadecimal, "--" where none was read. Lines end in CR LF.
QString registerDumpCsv(const RegisterDump& dump);

} // namespace vtx
