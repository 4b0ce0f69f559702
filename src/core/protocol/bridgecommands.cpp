// SPDX-License-Identifier: GPL-3.0-or-later
#include "bridgecommands.h"

namespace vtx::protocol {

namespace {

// Every I2C command we send moves one byte; the reply is that count + 1 bytes long.
constexpr std::uint8_t kByteCount = 1;

} // namespace

Bytes bridgeQuery()
{
    return {0xFF, 0x02, 0xFF, 0xFF, 0x02};
}

std::optional<BridgeKindInfo> decodeBridgeReply(std::span<const std::uint8_t> reply)
{
    const std::uint8_t kindByte = reply.size() > kBridgeKindByte ? reply[kBridgeKindByte] : 0;
    switch (kindByte) {
    case 0:
        return BridgeKindInfo{1, 3};
    case 2:
        return BridgeKindInfo{2, 2};
    default:
        return std::nullopt;
    }
}

Bytes serialSetupFirst()
{
    return {0x00, 0x10, 0x40};
}

Bytes serialSetupSecond()
{
    return {0x00, 0x10};
}

Bytes testResultSignal(bool good)
{
    return {0xFF, static_cast<std::uint8_t>(good ? 0x02 : 0x01)};
}

Bytes directRegisterWrite(std::uint8_t registerAddress, std::uint8_t data)
{
    return {static_cast<std::uint8_t>(registerAddress & 0x7F), data};
}

I2cCommand readCurrent(std::uint8_t readAddress)
{
    return {{kByteCount, readAddress}, kByteCount + 1, 1};
}

I2cCommand readRegister(std::uint8_t readAddress, std::uint8_t registerAddress)
{
    return {{kByteCount, readAddress, registerAddress}, kByteCount + 1, 1};
}

I2cCommand writeByte(std::uint8_t writeAddress, std::uint8_t data)
{
    return {{kByteCount, writeAddress, data}, kByteCount + 1, 2};
}

I2cCommand writeRegister(std::uint8_t writeAddress, std::uint8_t registerAddress, std::uint8_t data)
{
    return {{kByteCount, writeAddress, registerAddress, data}, kByteCount + 1, 3};
}

I2cCommand communicationTest(std::uint8_t readAddress)
{
    // The test reads one byte more than an ordinary read; the third byte is not used.
    return {{kByteCount, readAddress}, kByteCount + 2, 1};
}

I2cReply decodeReply(std::span<const std::uint8_t> reply)
{
    I2cReply decoded;
    if (!reply.empty())
        decoded.count = reply[0];
    if (reply.size() > 1)
        decoded.data = reply[1];
    return decoded;
}

} // namespace vtx::protocol
