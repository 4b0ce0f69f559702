// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "usbdriver.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace vtx {

// One pipe transfer as the driver reported it.
struct TransferRecord {
    std::uint32_t pipe = 0;
    TransferDirection direction = TransferDirection::Write;
    std::vector<std::uint8_t> bytes; // sent, or received (what reached the caller's buffer)
    DriverStatus status = DriverStatus::Success;

    bool operator==(const TransferRecord&) const = default;
};

// A driver in front of another that hands every call on unchanged and keeps what crossed: the pipe
// transfers and the driver-level calls, the newest `capacity` of each. Any driver can be wrapped, the
// simulated board as well as the libusb driver; the tests see the wire through it.
class RecordingDriver final : public UsbDriver {
public:
    static constexpr std::size_t kDefaultRecordCapacity = 100000;

    // Records calls on `driver`, which must outlive the wrapper.
    explicit RecordingDriver(UsbDriver& driver);
    // Records calls on `driver`, which the wrapper owns from now on.
    explicit RecordingDriver(std::unique_ptr<UsbDriver> driver);

    // UsbDriver
    DriverStatus init(const UsbMatch& match, Notifications notifications,
                      DriverHandle& driverHandle) override;
    void uninit(DriverHandle driverHandle) override;
    void closeDriverHandle(DriverHandle driverHandle) override;
    DriverStatus getDeviceInfo(DeviceHandle device, DeviceInfo& info) override;
    DriverStatus setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                              std::uint32_t alternateSetting) override;
    DriverStatus transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                          std::uint32_t options, std::span<std::uint8_t> buffer,
                          std::uint32_t& bytesTransferred, std::uint32_t timeoutMs) override;
    void resetDevice(DeviceHandle device, std::uint32_t options) override;
    QString statusText(DriverStatus status) const override { return m_driver.statusText(status); }
    QString bannerText() const override { return m_driver.bannerText(); }
    std::vector<FoundModule> listModules(const UsbMatch& match) override
    {
        return m_driver.listModules(match);
    }

    // On from the start; while off nothing is kept. A smaller capacity drops the oldest records at once.
    void setRecording(bool on, std::size_t capacity = kDefaultRecordCapacity);
    bool isRecording() const { return m_recording; }
    // What crossed the pipes, oldest first.
    std::vector<TransferRecord> transferLog() const { return {m_log.begin(), m_log.end()}; }
    void clearTransferLog() { m_log.clear(); }
    // Driver-level calls, in order, for tests of the link's lifecycle ("init", "uninit", "closeDriverHandle",
    // "resetDevice 1", "setInterface 0 0", "getDeviceInfo").
    std::vector<QString> callLog() const { return {m_calls.begin(), m_calls.end()}; }
    void clearCallLog() { m_calls.clear(); }

private:
    void recordCall(QString call);
    void recordTransfer(TransferRecord record);

    std::unique_ptr<UsbDriver> m_owned; // null when the driver is borrowed
    UsbDriver& m_driver;
    bool m_recording = true;
    std::size_t m_capacity = kDefaultRecordCapacity;
    std::deque<TransferRecord> m_log;
    std::deque<QString> m_calls;
};

} // namespace vtx
