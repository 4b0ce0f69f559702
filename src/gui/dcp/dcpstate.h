// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "positionmodel.h"

#include <QString>
#include <cstdint>

namespace vtx::dcp {

// What the DCP panel remembers between events: the mode, the byte the next write sends and the last byte
// read. One instance, owned by the panel, lives as long as the window.
struct DcpState {
    ProgrammingMode DcpLsb = ProgrammingMode::Eeprom; // the load selects Register
    std::uint8_t DcpWrData = 0;
    QString DcpWrHex = QStringLiteral("00");
    std::uint8_t DcpRdData = 0;
    QString DcpRdHex = QStringLiteral("00");
    bool WriteTimerOn = false;
    bool ReadTimerOn = false;
};

} // namespace vtx::dcp
