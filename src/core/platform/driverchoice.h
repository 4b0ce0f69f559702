// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"
#include "platform/sim/simboardstatefile.h"
#include "platform/recordingdriver.h"
#include "platform/usbdriver.h"

#include <memory>

namespace vtx {

class SimulatedBoard;

// The one place that knows which driver is in use. Members are declared in the order they are needed, so
// they go in reverse: the driver before the state file it saves to, the clock last.
struct DriverChoice {
    std::unique_ptr<Clock> clock;
    // The simulated board stays powered between programs: its state lives in a file all our programs share.
    std::unique_ptr<SimBoardStateFile> boardState;
    std::unique_ptr<UsbDriver> driver;
    UsbMatch match;
    bool simulated = false;
    // The driver as the simulated board, for what only it does (faults, its state); null for the libusb
    // driver. It stays the board when the driver is wrapped in a recorder.
    SimulatedBoard* board = nullptr;
};

// How time passes for the program and the simulated board.
enum class SimulatedTime {
    Wall,    // as on the desk: the windows' timers and the board share the time of day
    Traffic, // only with the bus traffic, every transfer taking kSimulatedTransferUs: a script gets the same
             // figures (a measured write cycle) on any machine, however loaded
};

// What one transfer takes on traffic time: about a full-speed USB round trip.
inline constexpr std::int64_t kSimulatedTransferUs = 500;

// The simulated board (its state in SimBoardStateFile::defaultPath()) or the libusb driver, which always
// runs on wall time. A `device` (serial number or bus and port path) makes the driver take that module only.
DriverChoice chooseDriver(bool simulate, SimulatedTime time = SimulatedTime::Wall,
                          const QString& device = {});

// The simulated board on `clock`, freshly powered and with no state file: for the tests, the benchmarks and
// the pictures, which each start from the same board.
DriverChoice simulatedBoardOn(std::unique_ptr<Clock> clock);

// Puts a recorder in front of the chosen driver, whichever it is, and returns it; `drivers` owns it.
RecordingDriver& recordDriver(DriverChoice& drivers);

} // namespace vtx
