// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vtx::protocol {

using Bytes = std::vector<std::uint8_t>;

// Module pipes that do not depend on the module's kind.
constexpr std::uint32_t kCommandPipe = 1;        // module commands: bridge query, serial set-up, test signal
constexpr std::uint32_t kBridgeReplyPipe = 0x81; // answer to the bridge query
constexpr std::uint32_t kSerialSetupPipe = 2;    // second part of the serial set-up
constexpr std::uint32_t kDirectRegisterPipe = 4; // direct register write
constexpr std::uint32_t kInPipeFlag = 0x80;      // an I2C reply comes on the out pipe's number + 0x80
constexpr int kBridgeReplyLength = 25;
constexpr int kBridgeKindByte = 5;

constexpr std::uint32_t replyPipeFor(std::uint32_t outPipe)
{
    return outPipe + kInPipeFlag;
}

// The two kinds of module; they carry I2C commands on different pipes.
struct BridgeKindInfo {
    int kind;                 // 1 or 2
    std::uint32_t i2cOutPipe; // 3 for kind 1, 2 for kind 2
};

// Asks the module what kind it is.
Bytes bridgeQuery();
// Reply byte 5: 0 is kind 1, 2 is kind 2; anything else is a module we do not know. A reply that never came
// reads as zeros, which is kind 1.
std::optional<BridgeKindInfo> decodeBridgeReply(std::span<const std::uint8_t> reply);

// Prepares a kind-1 module's serial side: the first part on pipe 1, the second on pipe 2.
Bytes serialSetupFirst();
Bytes serialSetupSecond();

// Tells the module the outcome of a communication test (on pipe 1).
Bytes testResultSignal(bool good);

// Writes a module register directly (on pipe 4). Bit 7 of the address byte is the command's read flag,
// which we never set.
Bytes directRegisterWrite(std::uint8_t registerAddress, std::uint8_t data);

// An I2C command carried out by the module, and how its reply is judged.
struct I2cCommand {
    Bytes request;              // count, address byte, then register and/or data
    int replyLength = 2;        // bytes read back: transfer count + 1 (the communication test reads 3)
    std::uint8_t expectedCount; // the transfer count that means "done"
};

I2cCommand readCurrent(std::uint8_t readAddress);
I2cCommand readRegister(std::uint8_t readAddress, std::uint8_t registerAddress);
I2cCommand writeByte(std::uint8_t writeAddress, std::uint8_t data);
I2cCommand writeRegister(std::uint8_t writeAddress, std::uint8_t registerAddress, std::uint8_t data);
I2cCommand communicationTest(std::uint8_t readAddress);

// A reply as read: byte 0 the module's transfer count, byte 1 the data byte of a read. Missing bytes read 0.
struct I2cReply {
    std::uint8_t count = 0;
    std::uint8_t data = 0;
};

I2cReply decodeReply(std::span<const std::uint8_t> reply);

constexpr bool acknowledged(const I2cCommand& command, const I2cReply& reply)
{
    return reply.count == command.expectedCount;
}

} // namespace vtx::protocol
