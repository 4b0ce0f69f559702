// SPDX-License-Identifier: GPL-3.0-or-later
#include "driverchoice.h"

#include "platform/libusbdriver.h"
#include "platform/simulatedboard.h"

namespace vtx {

DriverChoice chooseDriver(bool simulate)
{
    DriverChoice choice;
    choice.simulated = simulate;
    if (simulate) {
        choice.boardState = std::make_unique<SimBoardStateFile>(SimBoardStateFile::defaultPath());
        auto board = std::make_unique<SimulatedBoard>(*choice.clock);
        board->setStore(choice.boardState.get());
        choice.driver = std::move(board);
        choice.match = {SimulatedBoard::kVendorId, SimulatedBoard::kProductId};
    } else {
        choice.driver = std::make_unique<LibusbDriver>();
        choice.match = LibusbDriver::moduleMatch();
    }
    return choice;
}

} // namespace vtx
