// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/usbtypes.h"

#include <QString>

namespace vtx {

// What the link tells whoever shows it: one notification for each change of its state. The engine says what
// happened; each front end decides which lamps and captions that means.
struct LinkState {
    enum class Phase {
        DriverStarted,  // the driver's initialisation returned; `driverHandle` is the handle it gave
        Failed,         // the driver did not start; `caption` says so
        Opening,        // the driver found the module
        Open,           // the module is prepared; no caption is left to show
        Closed,         // the link closed
        ModuleAttached, // the attach notification accepted a module
        ModuleGone,     // the detach notification: the module went
    };
    Phase phase = Phase::Closed;
    DriverHandle driverHandle = 0;
    QString caption; // the link's status caption, when the phase has one
};

class LinkObserver {
public:
    virtual ~LinkObserver() = default;
    virtual void linkChanged(const LinkState& state) = 0;
};

// For a front end that shows nothing of the link (benchmarks, engine tests, windows without link lamps).
class NullLinkObserver final : public LinkObserver {
public:
    void linkChanged(const LinkState&) override {}
};

} // namespace vtx
