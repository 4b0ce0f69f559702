// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "result.h"

#include <cstdint>

namespace vtx {

class LinkClient;

// The I2C bus behind the module, one command at a time: what every front end (the DCP panel, the register
// tool, a bus scan, the command-line tool) does on it. Addresses are the 8-bit address bytes (write address
// with bit 0 clear, read address with bit 0 set) of the device the caller works with. The link must be open
// (or left to report that it is not); nothing here opens or closes it.
//
// The link's own messages are not shown while a command runs: they come back in the result, so the caller
// decides how to tell the user (in the order the link said them).
class I2cBus {
public:
    explicit I2cBus(LinkClient& client) : m_client(client) {}

    // One byte from the device's current register (the DCP's wiper); acknowledged when the count is 1.
    Result<std::uint8_t> read(std::uint8_t readAddress);
    Result<std::uint8_t> readRegister(std::uint8_t readAddress, std::uint8_t registerAddress);
    // One data byte; acknowledged when the count is 2.
    Result<Done> write(std::uint8_t writeAddress, std::uint8_t data);
    Result<Done> writeRegister(std::uint8_t writeAddress, std::uint8_t registerAddress, std::uint8_t data);
    // The register tool's communication test: a one-byte read that reads three reply bytes back.
    Result<std::uint8_t> communicationTest(std::uint8_t readAddress);

    LinkClient& client() { return m_client; }

private:
    template <typename T> Result<T> run(const protocol::I2cCommand& command, T value);
    Result<std::uint8_t> runRead(const protocol::I2cCommand& command);

    LinkClient& m_client;
};

} // namespace vtx
