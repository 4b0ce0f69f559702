// SPDX-License-Identifier: GPL-3.0-or-later
// The module behind the simulated driver: the bridge query, the serial set-up, the module's own registers
// and the I2C commands it carries out on the board's devices.
#include "common/logging.h"
#include "common/textformat.h"
#include "simulatedboard.h"

#include <algorithm>
#include <utility>

namespace vtx {

namespace {

constexpr std::array<std::uint8_t, 5> kBridgeQuery = {0xFF, 0x02, 0xFF, 0xFF, 0x02};
constexpr std::array<std::uint8_t, 3> kSerialSetup1 = {0x00, 0x10, 0x40};
constexpr std::array<std::uint8_t, 2> kSerialSetup2 = {0x00, 0x10};
constexpr std::array<std::uint8_t, 2> kTestGood = {0xFF, 0x02};
constexpr std::array<std::uint8_t, 2> kTestFailed = {0xFF, 0x01};

constexpr std::size_t kBridgeReplySize = 25;
constexpr std::size_t kBridgeKindOffset = 5;

template <std::size_t N>
bool equals(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, N>& command)
{
    return std::ranges::equal(bytes, command);
}

} // namespace

std::uint32_t SimulatedBoard::i2cOutPipe() const
{
    switch (m_kindByte) {
    case kKind1Byte:
        return 3;
    case kKind2Byte:
        return 2;
    default:
        return 0;
    }
}

void SimulatedBoard::handleOutPipe(std::uint32_t pipe, std::span<const std::uint8_t> bytes)
{
    qCDebug(lcSim) << "pipe" << pipe << "<-" << hexBytes(bytes);
    switch (pipe) {
    case 1:
        if (equals(bytes, kBridgeQuery)) {
            queueReply(0x81, bridgeQueryReply());
        } else if (equals(bytes, kSerialSetup1)) {
            qCDebug(lcSim) << "serial set-up, first part";
        } else if (equals(bytes, kTestGood) || equals(bytes, kTestFailed)) {
            qCDebug(lcSim) << "test result signal:" << (bytes[1] == 0x02 ? "good" : "failed");
        } else {
            qCDebug(lcSim) << "unknown module command ignored";
        }
        return;
    case 2:
    case 3:
        if (pipe == i2cOutPipe()) {
            runI2cCommand(pipe, bytes);
        } else if (pipe == 2 && m_kindByte == kKind1Byte && equals(bytes, kSerialSetup2)) {
            qCDebug(lcSim) << "serial set-up, second part";
        } else {
            qCDebug(lcSim) << "pipe" << pipe << "carries no I2C commands on this module kind; ignored";
        }
        return;
    case 4:
        if (bytes.size() < 2) {
            qCDebug(lcSim) << "direct register write too short; ignored";
        } else if ((bytes[0] & 0x80) != 0) {
            // Bit 7 asks for a register read, which has no reply pipe here and is never used.
            qCDebug(lcSim) << "direct register read requested; ignored";
        } else {
            m_moduleRegisters[bytes[0]] = bytes[1];
            qCDebug(lcSim) << "module register" << Qt::hex << bytes[0] << "<-" << bytes[1];
        }
        return;
    default:
        return;
    }
}

SimI2cDevice* SimulatedBoard::deviceAt(std::uint8_t addressByte)
{
    const std::uint8_t writeAddress = addressByte & 0xFE;
    if (const auto it = m_silentDevices.find(writeAddress); it != m_silentDevices.end() && it->second)
        return nullptr;
    for (SimI2cDevice* const device :
         {static_cast<SimI2cDevice*>(m_dcp.get()), static_cast<SimI2cDevice*>(m_registerDevice.get())}) {
        if (device->writeAddress() == writeAddress)
            return device->acknowledges() ? device : nullptr;
    }
    return nullptr;
}

void SimulatedBoard::runI2cCommand(std::uint32_t outPipe, std::span<const std::uint8_t> bytes)
{
    // Only single-transaction commands exist: count 1, address byte, then up to two more bytes.
    if (bytes.size() < 2 || bytes.size() > 4 || bytes[0] != 1) {
        qCDebug(lcSim) << "malformed I2C command ignored:" << hexBytes(bytes);
        return;
    }
    const std::uint8_t address = bytes[1];
    const bool isRead = (address & 0x01) != 0;
    const auto rest = bytes.subspan(2);
    SimI2cDevice* const device = deviceAt(address);

    std::uint8_t count = 0;
    std::uint8_t data = 0;
    if (isRead) {
        if (rest.size() > 1) {
            qCDebug(lcSim) << "read with more than a register byte ignored:" << hexBytes(bytes);
            return;
        }
        if (device) {
            const auto reg = rest.empty() ? std::nullopt : std::optional<std::uint8_t>(rest[0]);
            data = device->read(reg);
            count = 1;
        }
        if (device)
            qCDebug(lcSim) << "I2C read" << Qt::hex << address << "->" << data;
        else
            qCDebug(lcSim) << "I2C read" << Qt::hex << address << "not acknowledged";
    } else {
        if (device)
            count = static_cast<std::uint8_t>(1 + device->write(rest));
        qCDebug(lcSim).nospace() << "I2C write " << Qt::hex << address << " " << hexBytes(rest) << ", "
                                 << Qt::dec << count << " byte(s) acknowledged";
    }
    queueReply(outPipe + 0x80, {count, data});
    persist();
}

void SimulatedBoard::queueReply(std::uint32_t inPipe, std::vector<std::uint8_t> reply)
{
    if (const auto it = m_shortReplies.find(inPipe); it != m_shortReplies.end()) {
        reply.resize(std::min(reply.size(), it->second));
        m_shortReplies.erase(it);
    }
    qCDebug(lcSim) << "reply on" << Qt::hex << inPipe << ":" << hexBytes(reply);
    m_replies[inPipe].push_back(std::move(reply));
}

std::vector<std::uint8_t> SimulatedBoard::bridgeQueryReply() const
{
    // Layout of the 25-byte answer as this module firmware sends it:
    //   0      reply length (25)
    //   1      the query's command byte echoed (0x02)
    //   2..3   firmware version, major then minor (1.07)
    //   4      status, 0 = ready
    //   5      module kind: 0 kind 1, 2 kind 2 (the only byte the program interprets)
    //   6..7   board ID, the DCP's part number (0x8303, high byte first)
    //   8..23  firmware name, ASCII, NUL padded
    //   24     XOR of bytes 0 to 23
    std::vector<std::uint8_t> reply(kBridgeReplySize, 0);
    reply[0] = static_cast<std::uint8_t>(kBridgeReplySize);
    reply[1] = 0x02;
    reply[2] = 0x01;
    reply[3] = 0x07;
    reply[4] = 0x00;
    reply[kBridgeKindOffset] = m_kindByte;
    reply[6] = static_cast<std::uint8_t>(kProductId >> 8);
    reply[7] = static_cast<std::uint8_t>(kProductId & 0xFF);
    constexpr char kName[] = "VTX-EVAL BRIDGE";
    static_assert(sizeof(kName) <= 16);
    std::copy_n(kName, sizeof(kName) - 1, reply.begin() + 8);
    std::uint8_t check = 0;
    for (std::size_t i = 0; i + 1 < kBridgeReplySize; ++i)
        check ^= reply[i];
    reply[kBridgeReplySize - 1] = check;
    return reply;
}

} // namespace vtx
