// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "driverstatus.h"
#include "usbtypes.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vtx {

// The thin interface every USB driver fills: the libusb driver for real modules and the simulated
// evaluation board. Nothing above platform/ knows which one it talks to.
//
// Notifications: a driver never calls them from inside one of its own calls. It queues them (see
// NotificationQueue) and they are delivered on the UI thread while the program yields.
class UsbDriver {
public:
    struct Notifications {
        // A matching module arrived; return true to accept it.
        std::function<bool(DeviceHandle, const DeviceInfo&)> attach;
        // The module went away.
        std::function<void(DeviceHandle)> detach;
    };

    static constexpr std::uint32_t kTransferTimeoutMs = 2000;

    virtual ~UsbDriver() = default;

    // Starts looking for modules that match; sets driverHandle (> 0) on success.
    virtual DriverStatus init(const UsbMatch& match, Notifications notifications,
                              DriverHandle& driverHandle) = 0;
    // Releases everything init acquired; pending notifications are dropped.
    virtual void uninit(DriverHandle driverHandle) = 0;
    // The operating system's handle close on the driver handle; its result is of no interest.
    virtual void closeDriverHandle(DriverHandle driverHandle) = 0;

    virtual DriverStatus getDeviceInfo(DeviceHandle device, DeviceInfo& info) = 0;
    virtual DriverStatus setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                                      std::uint32_t alternateSetting) = 0;
    // One transfer on a pipe (the endpoint address; pipe 0 is the default control pipe). An empty buffer
    // means no data. For a read the bytes land at the front of the buffer.
    virtual DriverStatus transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                  std::uint32_t options, std::span<std::uint8_t> buffer,
                                  std::uint32_t& bytesTransferred, std::uint32_t timeoutMs) = 0;
    // The device reset on closing, with the option of the driver library the link was written for:
    // kHardReset resets the port every time (the module is driven through a reset and enumerated again, tens
    // of milliseconds on a real bus); kSoftReset resets it only when the module no longer works, that is
    // when the last transfer on the handle failed in a way that leaves it unusable
    // (leavesDeviceUnusable()), and otherwise sends nothing to the module.
    static constexpr std::uint32_t kSoftReset = 0;
    static constexpr std::uint32_t kHardReset = 1;
    virtual void resetDevice(DeviceHandle device, std::uint32_t options) = 0;

    virtual QString statusText(DriverStatus status) const = 0;

    // The modules plugged in that `match` names, whether or not the driver is initialised, in the order the
    // system reports them. Cheap: nothing is opened where the system keeps the serial number and who holds
    // the module. A driver that cannot tell lists none.
    virtual std::vector<FoundModule> listModules(const UsbMatch& /*match*/) { return {}; }

    // A line every window shows in its status bar while this driver is in use, so that nobody mistakes a
    // simulation for hardware; empty for real hardware.
    virtual QString bannerText() const { return {}; }
};

} // namespace vtx
