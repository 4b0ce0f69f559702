// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hex.h"

#include <cstdint>

namespace vtx {

// The I2C and connection settings that both working windows share. One instance lives for the whole program
// (created by the application, handed to each window); tests make their own.
struct ProgramState {
    std::uint8_t I2CWrtAdr = 0x9E; // write address byte: 7-bit address shifted left, bit 0 clear
    std::uint8_t I2CRdAdr = 0x9F;  // always I2CWrtAdr + 1 modulo 256
    bool ManualUsbConn = false;    // true: the link stays as the user opened or closed it

    void setWriteAddress(std::uint8_t writeAddress)
    {
        I2CWrtAdr = writeAddress;
        I2CRdAdr = static_cast<std::uint8_t>(writeAddress + 1);
    }
};

} // namespace vtx
