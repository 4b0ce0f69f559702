// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"
#include "common/programstate.h"
#include "common/textformat.h"
#include "engine/session.h"
#include "platform/sim/simulatedboard.h"
#include "recordingseams.h"
#include "widgets/appcontext.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace vtx::test {

// A whole program's worth of shared state on the simulated board, with recording seams. Build one per test
// case so that nothing carries over.
struct SimFixture {
    // The board on a manual clock, behind a recorder of what crosses it; the session below owns all three.
    DriverChoice drivers = simulatedBoardOn(std::make_unique<ManualClock>());
    ManualClock& clock = static_cast<ManualClock&>(*drivers.clock);
    SimulatedBoard& board = *drivers.board;
    RecordingDriver& recorder = recordDriver(drivers);
    RecordingMessageBoxes messages;
    ScriptedFileDialogs fileDialogs;
    RecordingProgramControl program;
    FakeSystemServices system;
    ScriptedQuestions questions;
    ScriptedStartupFailureDialogs startupFailures;
    ProgramState state;
    // The engine with the DCP panel's flavour of the link; the windows join its link.
    Session session{std::move(drivers), kDcpPanelLink, messages};
    Link& link = session.link();
    // The user's settings, in a file of this test's own.
    QTemporaryDir settingsDir;
    QSettings settings{settingsDir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
    AppContext context{link,   state,     messages,        fileDialogs, program,
                       system, questions, startupFailures, &settings};

    // The writes on `pipe` as the recorder logged them, for byte checks.
    std::vector<TransferRecord> writesOn(std::uint32_t pipe) const;
    // What went out on `pipe`, each transfer as "01 9E 81".
    QStringList hexWritesOn(std::uint32_t pipe) const;
};

// "01 9E 81" for quick comparisons in failure output.
using vtx::hexBytes;

} // namespace vtx::test
