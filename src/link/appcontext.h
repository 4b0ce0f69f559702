#pragma once

#include "common/programstate.h"
#include "link.h"
#include "platform/filedialogs.h"
#include "platform/messageboxes.h"
#include "platform/programcontrol.h"
#include "platform/systemservices.h"

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
