// SPDX-License-Identifier: GPL-3.0-or-later
#include "failurefollowup.h"

namespace vtx {

bool FailureFollowUp::pauses(const Failure& failure, bool timedTransfersRun)
{
    const bool moduleMissing =
        failure.kind == Failure::Kind::Link &&
        (failure.status == DriverStatus::DeviceGone || failure.status == DriverStatus::InvalidHandle);
    return moduleMissing && timedTransfersRun;
}

bool FailureFollowUp::note(const Failure& failure, bool timedTransfersRun)
{
    if (failure.kind == Failure::Kind::Link)
        m_linkFailed = true;
    if (!pauses(failure, timedTransfersRun))
        return false;
    m_paused = true;
    return true;
}

FailureFollowUp::Tick FailureFollowUp::timedTick(const std::function<bool()>& moduleIsBack)
{
    if (!m_paused)
        return Tick::Runs;
    if (m_linkFailed)
        return Tick::Paused; // looked already in this transaction
    if (!moduleIsBack()) {
        m_linkFailed = true;
        return Tick::Paused;
    }
    m_paused = false;
    return Tick::Resumed;
}

} // namespace vtx
