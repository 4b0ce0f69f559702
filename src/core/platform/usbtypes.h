// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtx {

using DeviceHandle = std::uint32_t; // 0 = no device
using DriverHandle = std::int32_t;  // > 0 once the driver has initialised

// Which module the driver looks for.
struct UsbMatch {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // One module only, named by its serial number or by its USB bus and port path ("1-4.2", as Linux names
    // it); empty: any module with these IDs. The device index is no name: it changes with every plug-in.
    std::string device;
};

// A module as a listing shows it, found without a word to the module where the system keeps what we ask.
struct FoundModule {
    std::string path;   // bus and port path, "BUS-PORT[.PORT...]"
    std::string serial; // empty when the module has none
    bool inUse = false; // another program holds it

    // Whether `choice` (a UsbMatch::device) names this module; an empty choice names every module.
    bool isNamedBy(const std::string& choice) const
    {
        return choice.empty() || choice == path || (!serial.empty() && choice == serial);
    }
};

// The standard USB device descriptor, field by field.
struct UsbDeviceDescriptor {
    std::uint8_t bLength = 18;
    std::uint8_t bDescriptorType = 1;
    std::uint16_t bcdUSB = 0x0200;
    std::uint8_t bDeviceClass = 0;
    std::uint8_t bDeviceSubClass = 0;
    std::uint8_t bDeviceProtocol = 0;
    std::uint8_t bMaxPacketSize0 = 64;
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t bcdDevice = 0;
    std::uint8_t iManufacturer = 0;
    std::uint8_t iProduct = 0;
    std::uint8_t iSerialNumber = 0;
    std::uint8_t bNumConfigurations = 1;
};

enum class PipeType : std::uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

// One endpoint of the active alternate setting. The pipe number is the endpoint address (0x81 is IN 1).
struct PipeInfo {
    std::uint8_t address = 0;
    PipeType type = PipeType::Bulk;
    std::uint16_t maxPacketSize = 64;
    std::uint8_t interval = 0;

    bool isIn() const { return (address & 0x80) != 0; }
};

// The active alternate setting of the active interface, with its pipes besides pipe 0.
struct AlternateSetting {
    std::uint8_t interfaceNumber = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t numPipes = 0; // bNumEndpoints: pipes besides the default pipe 0
    std::vector<PipeInfo> pipes;
};

struct DeviceInfo {
    UsbDeviceDescriptor descriptor;
    AlternateSetting activeAlternateSetting;
};

enum class TransferDirection { Write, Read };

} // namespace vtx
