// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vtx {

// What the simulated board keeps while it stays powered: the potentiometer's wiper register and EEPROM and
// the register device's registers with its register pointer. The module's own registers are not part of it:
// they are lost whenever the module loses power.
struct SimBoardState {
    std::uint8_t wiperCode = 0;  // 0 to 127
    std::uint8_t eepromCode = 0; // 0 to 127
    std::array<std::uint8_t, 256> registers{};
    std::uint8_t registerPointer = 0;
    bool operator==(const SimBoardState&) const = default;
};

// Where a board that stays powered between programs keeps its state. A board without one keeps it in memory
// only (every test does so).
class SimBoardStore {
public:
    virtual ~SimBoardStore() = default;
    // Takes the board for this program until release(); false while another program has it.
    virtual bool claim() = 0;
    virtual void release() = 0;
    // The state last saved; nothing when there is none yet (a board fresh from the factory).
    virtual std::optional<SimBoardState> load() = 0;
    virtual void save(const SimBoardState& state) = 0;
    // After a claim that failed: who has the board and how to free it ("by vtxctl (process 12); its lock
    // file is ..."); empty where there is nothing to tell.
    virtual QString holder() const { return {}; }
};

} // namespace vtx
