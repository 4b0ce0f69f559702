// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vtx {

// How the two working windows differ in opening and closing the link; everything else is shared.
struct LinkFlavour {
    bool announcesAlreadyOpened; // "Already Opened" on a second open
    bool showsDriverHandle;      // shows the driver handle after the driver's initialisation
    int attachWaitYields;        // at most this many yields while the attach notification comes in
    bool opensWithoutDeviceInfo; // goes on opening when the module's device information is missing
    bool tracksUsbOK;            // keeps UsbOK
    std::uint32_t resetOption;   // passed to the device reset on closing
};

inline constexpr LinkFlavour kRegisterToolLink{
    .announcesAlreadyOpened = true,
    .showsDriverHandle = true,
    .attachWaitYields = 10, // the tool is opened with the module long in place: its attach comes at once
    .opensWithoutDeviceInfo = true,
    .tracksUsbOK = false,
    .resetOption = 0,
};

inline constexpr LinkFlavour kDcpPanelLink{
    .announcesAlreadyOpened = false,
    .showsDriverHandle = false,
    .attachWaitYields = 1000, // the panel probes at start, perhaps right after the module was plugged in
    .opensWithoutDeviceInfo = false,
    .tracksUsbOK = true,
    .resetOption = 1,
};

} // namespace vtx
