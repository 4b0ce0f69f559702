#pragma once

#include "common/programstate.h"
#include "engine/link.h"
#include "platform/systemservices.h"
#include "ui/filedialogs.h"
#include "ui/messageboxes.h"
#include "ui/programcontrol.h"

namespace vtx {

// Everything a window needs from the rest of the program. The application makes one; tests make their own
// with the simulated board and recording seams.
struct AppContext {
    Link& link;
    ProgramState& state;
    MessageBoxes& messages;
    FileDialogs& fileDialogs;
    ProgramControl& program;
    SystemServices& system;
};

} // namespace vtx
