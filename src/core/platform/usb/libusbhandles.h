// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// RAII owners for what libusb hands out. Only the libusb driver's own files include this (and libusb.h).

#include <libusb.h>
#include <memory>

namespace vtx::libusb {

struct ContextDeleter {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
using Context = std::unique_ptr<libusb_context, ContextDeleter>;

struct DeviceDeleter {
    void operator()(libusb_device* device) const { libusb_unref_device(device); }
};
// One reference on a libusb_device; the device object stays valid (and its address unique) while held.
using DeviceRef = std::unique_ptr<libusb_device, DeviceDeleter>;

inline DeviceRef addRef(libusb_device* device)
{
    return DeviceRef(libusb_ref_device(device));
}

struct DeviceHandleDeleter {
    void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using DeviceHandle = std::unique_ptr<libusb_device_handle, DeviceHandleDeleter>;

struct ConfigDescriptorDeleter {
    void operator()(libusb_config_descriptor* config) const { libusb_free_config_descriptor(config); }
};
using ConfigDescriptor = std::unique_ptr<libusb_config_descriptor, ConfigDescriptorDeleter>;

// The device list from libusb_get_device_list; freeing it drops the list's own references, so keep a
// DeviceRef for every device that must outlive it.
struct DeviceListDeleter {
    void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};
using DeviceList = std::unique_ptr<libusb_device*, DeviceListDeleter>;

// A registered hot-plug callback; deregistered when this goes. The context must outlive it.
class HotplugRegistration {
public:
    HotplugRegistration(libusb_context* context, libusb_hotplug_callback_handle handle)
        : m_context(context), m_handle(handle)
    {
    }
    ~HotplugRegistration() { libusb_hotplug_deregister_callback(m_context, m_handle); }
    HotplugRegistration(const HotplugRegistration&) = delete;
    HotplugRegistration& operator=(const HotplugRegistration&) = delete;

private:
    libusb_context* const m_context;
    const libusb_hotplug_callback_handle m_handle;
};

// A claimed interface; released when this goes. The device handle must outlive it.
class ClaimedInterface {
public:
    ClaimedInterface(libusb_device_handle* handle, int interfaceNumber)
        : m_handle(handle), m_interfaceNumber(interfaceNumber)
    {
    }
    ~ClaimedInterface() { libusb_release_interface(m_handle, m_interfaceNumber); }
    ClaimedInterface(const ClaimedInterface&) = delete;
    ClaimedInterface& operator=(const ClaimedInterface&) = delete;

    int number() const { return m_interfaceNumber; }

private:
    libusb_device_handle* const m_handle;
    const int m_interfaceNumber;
};

} // namespace vtx::libusb
