// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vtx {

// "End the program": every window closes and the process exits. Behind a seam so that tests can check the
// paths that end the program without ending the test.
class ProgramControl {
public:
    virtual ~ProgramControl() = default;
    virtual void endProgram() = 0;
};

// Closes every top-level window and leaves the event loop.
class QtProgramControl final : public ProgramControl {
public:
    void endProgram() override;
};

// Asks every top-level window to close, then leaves the event loop; true when it did. A window that refuses
// (the register tool whose save question was answered Cancel) keeps the program running with the windows
// that are still open: false, and the event loop goes on.
bool closeAllWindowsAndExit();

} // namespace vtx
