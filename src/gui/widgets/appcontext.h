// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/programstate.h"
#include "engine/link.h"
#include "platform/systemservices.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/programcontrol.h"
#include "widgets/questions.h"
#include "widgets/startupfailuredialog.h"

class QSettings;

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
    // Dialogs that only some windows use; a context that names none gets the real ones.
    Questions& questions = qtQuestions();
    StartupFailureDialogs& startupFailures = qtStartupFailureDialogs();
    // The user's preferences that outlive the program (recent files, the last folder); none: nothing is
    // remembered.
    QSettings* settings = nullptr;
};

} // namespace vtx
