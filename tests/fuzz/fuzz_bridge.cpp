// SPDX-License-Identifier: GPL-3.0-or-later
// How module replies are judged (protocol/bridgecommands.h), on any bytes:
//   - decodeReply takes byte 0 as the transfer count and byte 1 as the data byte; missing bytes read 0;
//   - acknowledged(command, reply) holds exactly when the count is the one the command's bus transfer
//     produces: 1 for a read (the address byte; also for a register read and the communication test),
//     2 for a one-byte write, 3 for a register write. The data byte and any further bytes do not matter;
//   - decodeBridgeReply looks only at byte 5 (0 when the reply is shorter): 0 is kind 1 (I2C on pipe 3),
//     2 is kind 2 (pipe 2), any other value is an unknown module;
//   - the commands themselves: count byte 1, then the address, then register and/or data; a direct
//     register write never sets bit 7 of its address byte.
//
// Input: the first three bytes are the command's address, register and data bytes; the rest is the reply.

#include "fuzzcheck.h"
#include "protocol/bridgecommands.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

using namespace vtx::protocol;

namespace {

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (const std::uint8_t b : bytes) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02X ", b);
        out += buffer;
    }
    return out.empty() ? "(none)" : out;
}

struct Expected {
    const char* name;
    I2cCommand command;
    Bytes request;
    int replyLength;
    std::uint8_t count;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t address = size > 0 ? data[0] : 0;
    const std::uint8_t reg = size > 1 ? data[1] : 0;
    const std::uint8_t value = size > 2 ? data[2] : 0;
    const auto reply =
        size > 3 ? std::span<const std::uint8_t>(data + 3, size - 3) : std::span<const std::uint8_t>();
    const std::string where = "reply " + hexBytes(reply);

    const I2cReply decoded = decodeReply(reply);
    FUZZ_CHECK(decoded.count == (reply.empty() ? 0 : reply[0]) &&
                   decoded.data == (reply.size() < 2 ? 0 : reply[1]),
               where);

    // Every command: its bytes, and acknowledged exactly for its own count, whatever else the reply holds.
    const Expected commands[] = {
        {"readCurrent", readCurrent(address), {1, address}, 2, 1},
        {"readRegister", readRegister(address, reg), {1, address, reg}, 2, 1},
        {"writeByte", writeByte(address, value), {1, address, value}, 2, 2},
        {"writeRegister", writeRegister(address, reg, value), {1, address, reg, value}, 2, 3},
        {"communicationTest", communicationTest(address), {1, address}, 3, 1},
    };
    for (const Expected& e : commands) {
        const bool ack = acknowledged(e.command, decoded);
        FUZZ_CHECK(e.command.request == e.request && e.command.replyLength == e.replyLength &&
                       ack == (!reply.empty() && reply[0] == e.count),
                   std::string(e.name) + ": request " + hexBytes(e.command.request) + ", " + where +
                       ", acknowledged " + std::to_string(ack));
    }

    // The bridge reply: the kind byte at its offset alone decides, 0 when the reply does not reach it.
    const std::uint8_t kindByte = reply.size() > 5 ? reply[5] : 0;
    const auto kind = decodeBridgeReply(reply);
    if (kindByte == 0)
        FUZZ_CHECK(kind && kind->kind == 1 && kind->i2cOutPipe == 3, "bridge " + where);
    else if (kindByte == 2)
        FUZZ_CHECK(kind && kind->kind == 2 && kind->i2cOutPipe == 2, "bridge " + where);
    else
        FUZZ_CHECK(!kind, "bridge " + where + ": unknown kind byte accepted");

    const Bytes direct = directRegisterWrite(reg, value);
    FUZZ_CHECK(direct == (Bytes{static_cast<std::uint8_t>(reg & 0x7F), value}),
               "directRegisterWrite " + hexBytes(direct));
    return 0;
}
