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

} // namespace vtx
