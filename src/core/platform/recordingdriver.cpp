// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingdriver.h"

#include <algorithm>

namespace vtx {

RecordingDriver::RecordingDriver(UsbDriver& driver) : m_driver(driver) {}

RecordingDriver::RecordingDriver(std::unique_ptr<UsbDriver> driver)
    : m_owned(std::move(driver)), m_driver(*m_owned)
{
}

// Each call is recorded before it is handed on, so the log keeps the order of the calls even when the driver
// fails them.
DriverStatus RecordingDriver::init(const UsbMatch& match, Notifications notifications, DriverHandle& driverHandle)
{
    recordCall(QStringLiteral("init"));
    return m_driver.init(match, std::move(notifications), driverHandle);
}

void RecordingDriver::uninit(DriverHandle driverHandle)
{
    recordCall(QStringLiteral("uninit"));
    m_driver.uninit(driverHandle);
}

void RecordingDriver::closeDriverHandle(DriverHandle driverHandle)
{
    recordCall(QStringLiteral("closeDriverHandle"));
    m_driver.closeDriverHandle(driverHandle);
}

DriverStatus RecordingDriver::getDeviceInfo(DeviceHandle device, DeviceInfo& info)
{
    recordCall(QStringLiteral("getDeviceInfo"));
    return m_driver.getDeviceInfo(device, info);
}

DriverStatus RecordingDriver::setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                                           std::uint32_t alternateSetting)
{
    recordCall(QStringLiteral("setInterface %1 %2").arg(interfaceNumber).arg(alternateSetting));
    return m_driver.setInterface(device, interfaceNumber, alternateSetting);
}

void RecordingDriver::resetDevice(DeviceHandle device, std::uint32_t options)
{
    // Only the call: whether a soft reset reached the port is the driver's to know (and count).
    recordCall(QStringLiteral("resetDevice %1").arg(options));
    m_driver.resetDevice(device, options);
}

DriverStatus RecordingDriver::transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                       std::uint32_t options, std::span<std::uint8_t> buffer,
                                       std::uint32_t& bytesTransferred, std::uint32_t timeoutMs)
{
    // A write is kept as it was offered: the driver may fail it after some bytes went, or none.
    TransferRecord record{pipe, direction, {}, DriverStatus::Success};
    if (m_recording && direction == TransferDirection::Write)
        record.bytes.assign(buffer.begin(), buffer.end());
    const auto status = m_driver.transfer(device, pipe, direction, options, buffer, bytesTransferred, timeoutMs);
    record.status = status;
    if (m_recording && direction == TransferDirection::Read) {
        const auto received = std::min<std::size_t>(bytesTransferred, buffer.size());
        record.bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(received));
    }
    recordTransfer(std::move(record));
    return status;
}

void RecordingDriver::setRecording(bool on, std::size_t capacity)
{
    m_recording = on;
    m_capacity = std::max<std::size_t>(capacity, 1);
    while (m_log.size() > m_capacity)
        m_log.pop_front();
    while (m_calls.size() > m_capacity)
        m_calls.pop_front();
}

void RecordingDriver::recordCall(QString call)
{
    if (!m_recording)
        return;
    if (m_calls.size() == m_capacity)
        m_calls.pop_front();
    m_calls.push_back(std::move(call));
}

void RecordingDriver::recordTransfer(TransferRecord record)
{
    if (!m_recording)
        return;
    if (m_log.size() == m_capacity)
        m_log.pop_front();
    m_log.push_back(std::move(record));
}

} // namespace vtx
