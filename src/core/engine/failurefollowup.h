// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "result.h"

#include <functional>

namespace vtx {

// What follows a failure of the link itself, for a front end whose transactions come from clicks and timer
// ticks. Once the link failed (the module gone, a transfer timed out), nothing more of the same click or tick
// is tried: one message, and the user never waits for the same silent module twice. While timed transfers
// run, a module that is gone pauses them instead of a message; each paused tick looks for the module without
// a transfer, and once it is back the tick goes on as usual.
class FailureFollowUp {
public:
    // A new click, selection or tick begins.
    void beginTransaction() { m_linkFailed = false; }
    // The link failed earlier in this transaction: the rest of it is skipped.
    bool skipsRest() const { return m_linkFailed; }

    // Whether `failure` pauses the timed transfers rather than being told: the module is not there while
    // they run.
    static bool pauses(const Failure& failure, bool timedTransfersRun);
    // Takes note of a failure; true when it paused the timed transfers.
    bool note(const Failure& failure, bool timedTransfersRun);

    enum class Tick {
        Runs,    // nothing is paused
        Resumed, // the module is back: the tick runs and the pause is over
        Paused,  // the module is still gone, or this tick already looked: the tick sends nothing
    };
    // Whether a timed tick may run; `moduleIsBack` is asked at most once per transaction.
    Tick timedTick(const std::function<bool()>& moduleIsBack);
    bool paused() const { return m_paused; }

private:
    bool m_linkFailed = false;
    bool m_paused = false;
};

} // namespace vtx
