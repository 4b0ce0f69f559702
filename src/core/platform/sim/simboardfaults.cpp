// SPDX-License-Identifier: GPL-3.0-or-later
// The faults tests inject into the simulated board: an unplugged module, failing pipes, short replies,
// silent devices.
#include "common/logging.h"
#include "simulatedboard.h"

namespace vtx {

std::optional<DriverStatus> SimulatedBoard::takePipeFailure(std::uint32_t pipe)
{
    const auto it = m_pipeFailures.find(pipe);
    if (it == m_pipeFailures.end())
        return std::nullopt;
    auto& [status, remaining] = it->second;
    const auto failure = status;
    if (remaining > 0 && --remaining == 0)
        m_pipeFailures.erase(it);
    return failure;
}

void SimulatedBoard::unplug()
{
    if (!m_pluggedIn)
        return;
    m_pluggedIn = false;
    // The module loses power: its queued replies go, and the board's volatile state with them.
    m_replies.clear();
    m_moduleRegisters.fill(0);
    if (m_currentHandle != 0) {
        qCDebug(lcSim) << "module unplugged, handle" << Qt::hex << m_currentHandle << "gone";
        m_notifications.postDetach(m_currentHandle);
        m_goneHandles.insert(m_currentHandle);
        m_currentHandle = 0;
    }
}

void SimulatedBoard::plug()
{
    if (m_pluggedIn)
        return;
    m_pluggedIn = true;
    // Powered again: the potentiometer recalls its wiper from the EEPROM.
    m_dcp->powerUp();
    persist();
    if (m_initialised && m_chosen)
        attachModule();
}

void SimulatedBoard::failPipe(std::uint32_t pipe, DriverStatus status, int times)
{
    if (times == 0) {
        m_pipeFailures.erase(pipe);
        return;
    }
    m_pipeFailures[pipe] = {status, times};
}

void SimulatedBoard::shortenNextReply(std::uint32_t inPipe, std::size_t length)
{
    m_shortReplies[inPipe] = length;
}

void SimulatedBoard::setDeviceAnswers(std::uint8_t writeAddress, bool answers)
{
    m_silentDevices[writeAddress & 0xFE] = !answers;
}

void SimulatedBoard::clearFaults()
{
    m_initFailure.reset();
    m_deviceInfoFailure.reset();
    m_setInterfaceFailure.reset();
    m_noPipes = false;
    m_pipeFailures.clear();
    m_shortReplies.clear();
    m_silentDevices.clear();
}

} // namespace vtx
