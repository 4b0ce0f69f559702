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
#include <span>
#include <cstdio>
#include <string>
#include <vector>

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
    const std::span<const std::uint8_t> input(data, size);
    const std::uint8_t address = size > 0 ? data[0] : 0;
    const std::uint8_t reg = size > 1 ? data[1] : 0;
    const std::uint8_t value = size > 2 ? data[2] : 0;
    const std::span<const std::uint8_t> reply = size > 3 ? input.subspan(3) : std::span<const std::uint8_t>();
    const std::string where = "reply " + hexBytes(reply);

    // The reply as decoded.
    const I2cReply decoded = decodeReply(reply);
    const std::uint8_t wantCount = reply.empty() ? 0 : reply[0];
    const std::uint8_t wantData = reply.size() < 2 ? 0 : reply[1];
    FUZZ_CHECK(decoded.count == wantCount && decoded.data == wantData, where);

    // Every command, judged against that reply.
    const Expected commands[] = {
        {"readCurrent", readCurrent(address), {1, address}, 2, 1},
        {"readRegister", readRegister(address, reg), {1, address, reg}, 2, 1},
        {"writeByte", writeByte(address, value), {1, address, value}, 2, 2},
        {"writeRegister", writeRegister(address, reg, value), {1, address, reg, value}, 2, 3},
        {"communicationTest", communicationTest(address), {1, address}, 3, 1},
    };
    for (const Expected& e : commands) {
        const std::string what = std::string(e.name) + ", " + where;
        FUZZ_CHECK(e.command.request == e.request, what + ": request " + hexBytes(e.command.request));
        FUZZ_CHECK(e.command.replyLength == e.replyLength, what);
        FUZZ_CHECK(e.command.expectedCount == e.count, what);
        const bool ack = acknowledged(e.command, decoded);
        FUZZ_CHECK(ack == (!reply.empty() && reply[0] == e.count), what + ": acknowledged " + std::to_string(ack));
        // Only the count byte decides: another data byte or trailing bytes change nothing.
        if (reply.size() >= 2) {
            std::vector<std::uint8_t> changed(reply.begin(), reply.end());
            changed[1] = static_cast<std::uint8_t>(~changed[1]);
            changed.push_back(0xA5);
            FUZZ_CHECK(acknowledged(e.command, decodeReply(changed)) == ack, what + ": depends on more than the count");
        }
    }

    // The bridge reply: the kind byte at its offset, or 0 when the reply does not reach it.
    const std::uint8_t kindByte = reply.size() > 5 ? reply[5] : 0;
    const auto kind = decodeBridgeReply(reply);
    const std::string kindWhere = "bridge " + where;
    if (kindByte == 0) {
        FUZZ_CHECK(kind && kind->kind == 1 && kind->i2cOutPipe == 3, kindWhere);
    } else if (kindByte == 2) {
        FUZZ_CHECK(kind && kind->kind == 2 && kind->i2cOutPipe == 2, kindWhere);
    } else {
        FUZZ_CHECK(!kind, kindWhere + ": unknown kind byte accepted");
    }
    if (kind)
        FUZZ_CHECK(replyPipeFor(kind->i2cOutPipe) == kind->i2cOutPipe + 0x80, kindWhere);
    // Bytes other than the kind byte do not matter.
    if (!reply.empty()) {
        std::vector<std::uint8_t> changed(reply.begin(), reply.end());
        for (std::size_t i = 0; i < changed.size(); ++i) {
            if (i != static_cast<std::size_t>(kBridgeKindByte))
                changed[i] = static_cast<std::uint8_t>(changed[i] ^ 0x5A);
        }
        const auto again = decodeBridgeReply(changed);
        FUZZ_CHECK(again.has_value() == kind.has_value() && (!kind || again->kind == kind->kind),
                   kindWhere + ": depends on bytes besides byte 5");
    }

    // Module commands built from the input bytes.
    const Bytes direct = directRegisterWrite(reg, value);
    FUZZ_CHECK(direct.size() == 2 && direct[0] == (reg & 0x7F) && direct[1] == value,
               "directRegisterWrite " + hexBytes(direct));
    return 0;
}
