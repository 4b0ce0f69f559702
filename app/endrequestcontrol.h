// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/programcontrol.h"

namespace vtx::app {

// Ends the program through Qt, and remembers that it did: a request made before the event loop runs (the
// start-up failure path) would otherwise be lost, because there is no loop yet to leave. A window that
// refuses to close keeps the program running, and then nothing is remembered.
class EndRequestControl final : public ProgramControl {
public:
    void endProgram() override;
    bool endRequested() const { return m_endRequested; }

private:
    bool m_endRequested = false;
};

} // namespace vtx::app
