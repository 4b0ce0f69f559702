// SPDX-License-Identifier: GPL-3.0-or-later
#include "driverchoice.h"

#include "platform/usb/libusbdriver.h"
#include "platform/sim/simulatedboard.h"

namespace vtx {

DriverChoice chooseDriver(bool simulate, SimulatedTime time, const QString& device)
{
    DriverChoice choice;
    choice.simulated = simulate;
    const bool trafficTime = simulate && time == SimulatedTime::Traffic;
    if (trafficTime)
        choice.clock = std::make_unique<ManualClock>();
    else
        choice.clock = std::make_unique<SteadyClock>();
    if (simulate) {
        choice.boardState = std::make_unique<SimBoardStateFile>(SimBoardStateFile::defaultPath());
        auto board = std::make_unique<SimulatedBoard>(*choice.clock);
        board->setStore(choice.boardState.get());
        if (trafficTime)
            board->setTransferTimeUs(kSimulatedTransferUs);
        choice.board = board.get();
        choice.driver = std::move(board);
        choice.match = {SimulatedBoard::kVendorId, SimulatedBoard::kProductId, {}};
    } else {
        choice.driver = std::make_unique<LibusbDriver>();
        choice.match = LibusbDriver::moduleMatch();
    }
    choice.match.device = device.toStdString();
    return choice;
}

DriverChoice simulatedBoardOn(std::unique_ptr<Clock> clock)
{
    DriverChoice choice;
    choice.simulated = true;
    choice.clock = std::move(clock);
    auto board = std::make_unique<SimulatedBoard>(*choice.clock);
    choice.board = board.get();
    choice.driver = std::move(board);
    choice.match = {SimulatedBoard::kVendorId, SimulatedBoard::kProductId, {}};
    return choice;
}

RecordingDriver& recordDriver(DriverChoice& drivers)
{
    auto recorder = std::make_unique<RecordingDriver>(std::move(drivers.driver));
    RecordingDriver& result = *recorder;
    drivers.driver = std::move(recorder);
    return result;
}

} // namespace vtx
