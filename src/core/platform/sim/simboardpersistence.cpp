// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated board's state kept between programs, through its store.
#include "simulatedboard.h"

namespace vtx {

SimBoardState SimulatedBoard::state() const
{
    SimBoardState state;
    state.wiperCode = m_dcp->wiperCode();
    state.eepromCode = m_dcp->eepromCode();
    state.registers = m_registerDevice->registers();
    state.registerPointer = m_registerDevice->pointer();
    return state;
}

void SimulatedBoard::restore(const SimBoardState& state)
{
    m_dcp->restore(state.wiperCode, state.eepromCode);
    m_registerDevice->restore(state.registers, state.registerPointer);
}

void SimulatedBoard::persist(Save when)
{
    if (!m_holdsStore)
        return;
    // A save costs a sync to disk and a rename; while the program runs, the board is nobody else's, so
    // what it keeps only has to be on disk by the time the program lets it go (or soon, should the program
    // be killed).
    if (when == Save::Spaced && m_saveClock->nowMs() - m_savedAtMs < kSaveIntervalMs)
        return;
    const SimBoardState now = state();
    if (now == m_savedState)
        return;
    const std::int64_t savingSinceUs = m_clock.nowUs();
    m_store->save(now);
    m_savedState = now;
    m_savedAtMs = m_saveClock->nowMs();
    // On wall time a save takes milliseconds (the file is synced to disk); the part's write cycle must not
    // pass meanwhile, or the program would measure a cycle that is too short.
    m_dcp->standStill(savingSinceUs, m_clock.nowUs());
}

} // namespace vtx
