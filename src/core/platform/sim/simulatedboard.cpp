// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated board as a driver: the UsbDriver calls, the handles, the pipes. What the module does with
// a command is in simboardmodule.cpp, the faults tests inject in simboardfaults.cpp and the state kept
// between programs in simboardpersistence.cpp.
#include "simulatedboard.h"

#include "common/logging.h"
#include "common/textformat.h"

#include <algorithm>
#include <utility>

namespace vtx {

namespace {

constexpr std::array<std::uint32_t, 4> kOutPipes = {0x01, 0x02, 0x03, 0x04};
constexpr std::array<std::uint32_t, 3> kInPipes = {0x81, 0x82, 0x83};

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
    if (m_holdsStore) {
        persist(Save::Now);
        m_store->release();
    }
}

DriverStatus SimulatedBoard::init(const UsbMatch& match, Notifications notifications,
                                  DriverHandle& driverHandle)
{
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
        m_savedAtMs = m_saveClock->nowMs();
    }
    if (m_pluggedIn)
        attachModule();
    return DriverStatus::Success;
}

void SimulatedBoard::uninit(DriverHandle driverHandle)
{
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
        persist(Save::Now);
        m_store->release();
        m_holdsStore = false;
    }
    qCDebug(lcSim) << "uninit";
}

void SimulatedBoard::closeDriverHandle(DriverHandle driverHandle)
{
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

DriverStatus SimulatedBoard::transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                      std::uint32_t /*options*/, std::span<std::uint8_t> buffer,
                                      std::uint32_t& bytesTransferred, std::uint32_t /*timeoutMs*/)
{
    bytesTransferred = 0;
    m_clock.elapseUs(m_transferTimeUs);
    const bool isWrite = direction == TransferDirection::Write;

    const auto finish = [&](DriverStatus status) {
        if (device == m_currentHandle)
            m_unusable = leavesDeviceUnusable(status);
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
    // As on a real bus, a packet bigger than the buffer is an overflow even though the front of it arrived.
    return finish(reply.size() > buffer.size() ? DriverStatus::Overflow : DriverStatus::Success);
}

} // namespace vtx
