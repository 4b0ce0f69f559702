// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"
#include "platform/simboardstatefile.h"
#include "platform/usbdriver.h"

#include <memory>

namespace vtx {

// The one place that knows which driver is in use. Members are declared in the order they are needed, so
// they go in reverse: the driver before the state file it saves to, the clock last.
struct DriverChoice {
    std::unique_ptr<SteadyClock> clock = std::make_unique<SteadyClock>();
    // The simulated board stays powered between programs: its state lives in a file all our programs share.
    std::unique_ptr<SimBoardStateFile> boardState;
    std::unique_ptr<UsbDriver> driver;
    UsbMatch match;
    bool simulated = false;
};

// The simulated board (its state in SimBoardStateFile::defaultPath()) or the libusb driver.
DriverChoice chooseDriver(bool simulate);

} // namespace vtx
