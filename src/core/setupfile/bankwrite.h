// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "setupfile.h"

#include <cstdint>
#include <optional>

// What "Write All Active Device Registers" makes of a setup: the device's write address from the I2C address
// text, and for each row whether it is written, and with what. The register tool's bank and the command
// line's `apply` both follow it, so a file written to a device does the same from either.
namespace vtx::setupfile {

struct RowWrite {
    enum class Kind {
        Skipped, // the row takes no part: its address or write text is not exactly two characters
        Refused, // it takes part, but its address or data is not a two-digit hex byte: nothing is sent
        Write,   // one register write of `data` to `registerAddress`
    };
    Kind kind = Kind::Skipped;
    std::uint8_t registerAddress = 0;
    std::uint8_t data = 0;
    bool operator==(const RowWrite&) const = default;
};

RowWrite rowWrite(const Row& row);

// The write address byte an I2C address text gives: a hex byte from 00 to FE; nothing for any other text.
std::optional<std::uint8_t> writeAddressOf(const QString& i2cAddressText);

} // namespace vtx::setupfile
