// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/moduleids.h"
#include "platform/usbdriver.h"

#include <memory>

namespace vtx {

class LibusbSession;

// The driver for real control modules, on top of libusb (Linux, macOS and Windows with a WinUSB-bound
// module). Everything between init() and uninit() lives in one LibusbSession: the libusb context, the
// hot-plug registration, the socket notifiers that service libusb's events from the Qt event loop, and the
// opened modules. Each opened module gets a 32-bit handle of our own; libusb's pointers never leave here.
//
// Attach and detach notifications are queued and reach the link on the UI thread the next time it yields:
//  - at init, for every matching module already plugged in;
//  - with hot-plug (Linux, macOS), whenever a matching module arrives or leaves;
//  - without hot-plug (Windows), a removal is noticed when a transfer finds the module gone, and an arrival
//    at the next init.
class LibusbDriver final : public UsbDriver {
public:
    LibusbDriver();
    ~LibusbDriver() override;

    LibusbDriver(const LibusbDriver&) = delete;
    LibusbDriver& operator=(const LibusbDriver&) = delete;

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
    QString statusText(DriverStatus status) const override;
    std::vector<FoundModule> listModules(const UsbMatch& match) override;

    // The match record for our module.
    static UsbMatch moduleMatch() { return UsbMatch{kModuleVendorId, kModuleProductId, {}}; }

    bool isInitialised() const { return m_session != nullptr; }
    // Modules currently opened by this driver (for diagnostics and tests).
    std::size_t openDeviceCount() const;
    // Port resets sent to modules since this driver was made (for diagnostics and tests).
    std::uint64_t portResetCount() const { return m_portResets; }

private:
    std::unique_ptr<LibusbSession> m_session;
    // Handles are numbered across sessions, so a handle held from before a re-init is never mistaken for a
    // new one.
    DeviceHandle m_lastDeviceHandle = 0;
    DriverHandle m_lastDriverHandle = 0;
    std::uint64_t m_portResets = 0;
};

} // namespace vtx
