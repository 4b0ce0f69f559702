// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedboard.h"

#include "common/logging.h"
#include "common/textformat.h"

#include <algorithm>
#include <utility>

namespace vtx {

namespace {

constexpr std::array<std::uint32_t, 4> kOutPipes = {0x01, 0x02, 0x03, 0x04};
constexpr std::array<std::uint32_t, 3> kInPipes = {0x81, 0x82, 0x83};

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

bool contains(std::span<const std::uint32_t> pipes, std::uint32_t pipe)
{
    return std::ranges::find(pipes, pipe) != pipes.end();
}

} // namespace

SimulatedBoard::SimulatedBoard(Clock& clock)
    : m_clock(clock), m_dcp(std::make_unique<SimVtx8303>(clock)),
      m_registerDevice(std::make_unique<SimRegisterDevice>())
{
}

SimulatedBoard::~SimulatedBoard()
{
    if (m_holdsStore)
        m_store->release();
}

SimBoardState SimulatedBoard::state() const
{
    SimBoardState state;
    state.wiperCode = m_dcp->wiperCode();
    state.eepromCode = m_dcp->eepromCode();
    state.registers = m_registerDevice->registers();
    state.registerPointer = m_registerDevice->pointer();
    return state;
}

void SimulatedBoard::restore(const SimBoardState& state)
{
    m_dcp->restore(state.wiperCode, state.eepromCode);
    m_registerDevice->restore(state.registers, state.registerPointer);
}

void SimulatedBoard::persist()
{
    if (!m_holdsStore)
        return;
    const SimBoardState now = state();
    if (now == m_savedState)
        return;
    const std::int64_t savingSinceUs = m_clock.nowUs();
    m_store->save(now);
    m_savedState = now;
    // On wall time a save takes milliseconds (the file is synced to disk); the part's write cycle must not
    // pass meanwhile, or the program would measure a cycle that is too short.
    m_dcp->standStill(savingSinceUs, m_clock.nowUs());
}

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

// ---- driver lifecycle
// ----------------------------------------------------------------------------------------

DriverStatus SimulatedBoard::init(const UsbMatch& match, Notifications notifications,
                                  DriverHandle& driverHandle)
{
    recordCall(QStringLiteral("init"));
    if (m_initFailure) {
        qCDebug(lcSim) << "init refused with injected status" << statusCode(*m_initFailure);
        return *m_initFailure;
    }
    // The board stands for whichever module the caller matches on; the IDs are only traced, so a wrong
    // match shows up in the log rather than as a board that never arrives.
    qCDebug(lcSim) << "init, match" << Qt::hex << match.vendorId << match.productId;
    m_initialised = true;
    m_driverHandle = m_nextDriverHandle++;
    driverHandle = m_driverHandle;
    m_goneHandles.clear();
    m_notifications.open(std::move(notifications));
    m_claimedElsewhere = false;
    if (m_store && !m_holdsStore) {
        if (!m_store->claim()) {
            // As with a real module that another program has claimed: it is there, but not for us.
            qCDebug(lcSim) << "the board is in use by another program";
            m_claimedElsewhere = true;
            return DriverStatus::Success;
        }
        m_holdsStore = true;
        // Another program may have changed the board since we last had it.
        if (const auto saved = m_store->load())
            restore(*saved);
        m_savedState = state();
    }
    if (m_pluggedIn)
        attachModule();
    return DriverStatus::Success;
}

void SimulatedBoard::uninit(DriverHandle driverHandle)
{
    recordCall(QStringLiteral("uninit"));
    if (!m_initialised || driverHandle == 0 || driverHandle != m_driverHandle) {
        qCDebug(lcSim) << "uninit on unknown driver handle" << driverHandle << ", ignored";
        return;
    }
    // Closing drops whatever attach/detach is still waiting for the event loop.
    m_notifications.close();
    m_initialised = false;
    m_driverHandle = 0;
    m_currentHandle = 0;
    m_goneHandles.clear();
    m_claimedElsewhere = false;
    if (m_holdsStore) {
        persist();
        m_store->release();
        m_holdsStore = false;
    }
    qCDebug(lcSim) << "uninit";
}

void SimulatedBoard::closeDriverHandle(DriverHandle driverHandle)
{
    recordCall(QStringLiteral("closeDriverHandle"));
    qCDebug(lcSim) << "closeDriverHandle" << driverHandle;
}

void SimulatedBoard::attachModule()
{
    m_currentHandle = m_nextDeviceHandle++;
    m_unusable = false;
    qCDebug(lcSim) << "module attached as handle" << Qt::hex << m_currentHandle;
    const auto handle = m_currentHandle;
    m_notifications.postAttach(m_currentHandle, makeDeviceInfo(), [handle](bool accepted) {
        qCDebug(lcSim) << "attach of handle" << Qt::hex << handle << (accepted ? "accepted" : "declined");
    });
}

DriverStatus SimulatedBoard::checkDevice(DeviceHandle device) const
{
    if (device == 0)
        return DriverStatus::InvalidHandle;
    if (m_initialised && device == m_currentHandle)
        return DriverStatus::Success;
    if (m_goneHandles.contains(device))
        return DriverStatus::DeviceGone;
    return DriverStatus::InvalidHandle;
}

DeviceInfo SimulatedBoard::makeDeviceInfo() const
{
    DeviceInfo info;
    info.descriptor.idVendor = kVendorId;
    info.descriptor.idProduct = kProductId;
    info.descriptor.bcdDevice = 0x0100;
    auto& alt = info.activeAlternateSetting;
    alt.interfaceNumber = 0;
    alt.alternateSetting = 0;
    if (!m_noPipes) {
        for (const auto pipe : kOutPipes)
            alt.pipes.push_back(PipeInfo{static_cast<std::uint8_t>(pipe), PipeType::Bulk, 64, 0});
        for (const auto pipe : kInPipes)
            alt.pipes.push_back(PipeInfo{static_cast<std::uint8_t>(pipe), PipeType::Bulk, 64, 0});
    }
    alt.numPipes = static_cast<std::uint8_t>(alt.pipes.size());
    return info;
}

DriverStatus SimulatedBoard::getDeviceInfo(DeviceHandle device, DeviceInfo& info)
{
    recordCall(QStringLiteral("getDeviceInfo"));
    if (m_deviceInfoFailure)
        return *m_deviceInfoFailure;
    if (device == 0 && m_claimedElsewhere)
        return DriverStatus::Busy; // why the link holds no module
    if (const auto status = checkDevice(device); !succeeded(status))
        return status;
    info = makeDeviceInfo();
    return DriverStatus::Success;
}

DriverStatus SimulatedBoard::setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                                          std::uint32_t alternateSetting)
{
    recordCall(QStringLiteral("setInterface %1 %2").arg(interfaceNumber).arg(alternateSetting));
    if (m_setInterfaceFailure)
        return *m_setInterfaceFailure;
    if (const auto status = checkDevice(device); !succeeded(status))
        return status;
    // The module has a single interface with a single alternate setting.
    if (interfaceNumber != 0 || alternateSetting != 0)
        return DriverStatus::InvalidParameter;
    return DriverStatus::Success;
}

void SimulatedBoard::resetDevice(DeviceHandle device, std::uint32_t options)
{
    recordCall(QStringLiteral("resetDevice %1").arg(options));
    if (!succeeded(checkDevice(device)))
        return;
    // As the libusb driver does: a soft reset leaves a working module alone.
    if (options == kSoftReset && !m_unusable) {
        qCDebug(lcSim) << "soft reset: the module works, nothing sent";
        return;
    }
    m_unusable = false;
    ++m_portResets;
    // A port reset flushes the module's reply queues; the I2C devices behind it keep their state.
    m_replies.clear();
    qCDebug(lcSim) << "port reset, replies flushed";
}

QString SimulatedBoard::statusText(DriverStatus status) const
{
    if (status == DriverStatus::Busy && m_claimedElsewhere) {
        const QString holder = m_store ? m_store->holder() : QString();
        return genericStatusText(status) + QStringLiteral(": the simulated board is in use ") +
               (holder.isEmpty() ? QStringLiteral("by another program") : holder);
    }
    return genericStatusText(status);
}

// ---- transfers
// -----------------------------------------------------------------------------------------------

std::optional<DriverStatus> SimulatedBoard::takePipeFailure(std::uint32_t pipe)
{
    const auto it = m_pipeFailures.find(pipe);
    if (it == m_pipeFailures.end())
        return std::nullopt;
    auto& [status, remaining] = it->second;
    const auto failure = status;
    if (remaining > 0 && --remaining == 0)
        m_pipeFailures.erase(it);
    return failure;
}

DriverStatus SimulatedBoard::transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                      std::uint32_t /*options*/, std::span<std::uint8_t> buffer,
                                      std::uint32_t& bytesTransferred, std::uint32_t /*timeoutMs*/)
{
    bytesTransferred = 0;
    m_clock.elapseUs(m_transferTimeUs);
    const bool isWrite = direction == TransferDirection::Write;
    TransferRecord record{pipe, direction, {}, DriverStatus::Success};
    if (isWrite)
        record.bytes.assign(buffer.begin(), buffer.end());

    const auto finish = [&](DriverStatus status) {
        if (device == m_currentHandle)
            m_unusable = leavesDeviceUnusable(status);
        record.status = status;
        recordTransfer(std::move(record));
        return status;
    };

    if (const auto status = checkDevice(device); !succeeded(status)) {
        qCDebug(lcSim) << "transfer on handle" << Qt::hex << device << "refused, status"
                       << statusCode(status);
        return finish(status);
    }
    const bool pipeExists = isWrite ? contains(kOutPipes, pipe) : contains(kInPipes, pipe);
    if (!pipeExists) {
        qCDebug(lcSim) << "no pipe" << Qt::hex << pipe << "for a" << (isWrite ? "write" : "read");
        return finish(DriverStatus::NoSuchPipe);
    }
    if (const auto failure = takePipeFailure(pipe)) {
        // The transfer is lost either way: a failed command never reaches the module, and a failed read takes
        // its reply with it, so a later read does not pick up a stale answer.
        if (!isWrite) {
            auto& queue = m_replies[pipe];
            if (!queue.empty())
                queue.pop_front();
        }
        qCDebug(lcSim) << "pipe" << Qt::hex << pipe << "fails with injected status" << Qt::dec
                       << statusCode(*failure);
        return finish(*failure);
    }

    if (isWrite) {
        handleOutPipe(pipe, buffer);
        bytesTransferred = static_cast<std::uint32_t>(buffer.size());
        return finish(DriverStatus::Success);
    }

    auto& queue = m_replies[pipe];
    if (queue.empty()) {
        // Nothing to wait for in a simulation: report the timeout at once.
        qCDebug(lcSim) << "read on" << Qt::hex << pipe << ": nothing queued, timeout";
        return finish(DriverStatus::Timeout);
    }
    const auto reply = std::move(queue.front());
    queue.pop_front();
    const auto copied = std::min(reply.size(), buffer.size());
    std::copy_n(reply.begin(), copied, buffer.begin());
    bytesTransferred = static_cast<std::uint32_t>(copied);
    record.bytes.assign(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(copied));
    // As on a real bus, a packet bigger than the buffer is an overflow even though the front of it arrived.
    return finish(reply.size() > buffer.size() ? DriverStatus::Overflow : DriverStatus::Success);
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

// ---- recording
// ----------------------------------------------------------------------------------------------

void SimulatedBoard::setRecording(bool on, std::size_t capacity)
{
    m_recording = on;
    m_recordCapacity = std::max<std::size_t>(capacity, 1);
    while (m_log.size() > m_recordCapacity)
        m_log.pop_front();
    while (m_calls.size() > m_recordCapacity)
        m_calls.pop_front();
}

void SimulatedBoard::recordCall(QString call)
{
    if (!m_recording)
        return;
    if (m_calls.size() == m_recordCapacity)
        m_calls.pop_front();
    m_calls.push_back(std::move(call));
}

void SimulatedBoard::recordTransfer(TransferRecord record)
{
    if (!m_recording)
        return;
    if (m_log.size() == m_recordCapacity)
        m_log.pop_front();
    m_log.push_back(std::move(record));
}

// ---- fault injection
// -----------------------------------------------------------------------------------------

void SimulatedBoard::unplug()
{
    if (!m_pluggedIn)
        return;
    m_pluggedIn = false;
    // The module loses power: its queued replies go, and the board's volatile state with them.
    m_replies.clear();
    m_moduleRegisters.fill(0);
    if (m_currentHandle != 0) {
        qCDebug(lcSim) << "module unplugged, handle" << Qt::hex << m_currentHandle << "gone";
        m_notifications.postDetach(m_currentHandle);
        m_goneHandles.insert(m_currentHandle);
        m_currentHandle = 0;
    }
}

void SimulatedBoard::plug()
{
    if (m_pluggedIn)
        return;
    m_pluggedIn = true;
    // Powered again: the potentiometer recalls its wiper from the EEPROM.
    m_dcp->powerUp();
    persist();
    if (m_initialised)
        attachModule();
}

void SimulatedBoard::failPipe(std::uint32_t pipe, DriverStatus status, int times)
{
    if (times == 0) {
        m_pipeFailures.erase(pipe);
        return;
    }
    m_pipeFailures[pipe] = {status, times};
}

void SimulatedBoard::shortenNextReply(std::uint32_t inPipe, std::size_t length)
{
    m_shortReplies[inPipe] = length;
}

void SimulatedBoard::setDeviceAnswers(std::uint8_t writeAddress, bool answers)
{
    m_silentDevices[writeAddress & 0xFE] = !answers;
}

void SimulatedBoard::clearFaults()
{
    m_initFailure.reset();
    m_deviceInfoFailure.reset();
    m_setInterfaceFailure.reset();
    m_noPipes = false;
    m_pipeFailures.clear();
    m_shortReplies.clear();
    m_silentDevices.clear();
}

} // namespace vtx
