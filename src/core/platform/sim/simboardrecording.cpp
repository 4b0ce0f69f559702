// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated board's record of transfers and driver calls, for tests.
#include "simulatedboard.h"

#include <algorithm>

namespace vtx {

void SimulatedBoard::setRecording(bool on, std::size_t capacity)
{
    m_recording = on;
    m_recordCapacity = std::max<std::size_t>(capacity, 1);
    while (m_log.size() > m_recordCapacity)
        m_log.pop_front();
    while (m_calls.size() > m_recordCapacity)
        m_calls.pop_front();
}

void SimulatedBoard::recordCall(QString call)
{
    if (!m_recording)
        return;
    if (m_calls.size() == m_recordCapacity)
        m_calls.pop_front();
    m_calls.push_back(std::move(call));
}

void SimulatedBoard::recordTransfer(TransferRecord record)
{
    if (!m_recording)
        return;
    if (m_log.size() == m_recordCapacity)
        m_log.pop_front();
    m_log.push_back(std::move(record));
}

} // namespace vtx
