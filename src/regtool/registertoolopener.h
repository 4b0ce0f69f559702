#pragma once

#include "ui/appcontext.h"

#include <functional>
#include <memory>

namespace vtx {

class RegisterToolWindow;

// How the program reaches the register tool: the DCP panel's Tools menu and the --register-tool option both
// call open(). The window exists once: created (and so loaded) on first use, brought forward afterwards.
class RegisterToolOpener {
public:
    // `showAbout` is what the register tool's About menu does.
    RegisterToolOpener(AppContext& context, std::function<void()> showAbout);
    ~RegisterToolOpener();
    RegisterToolOpener(const RegisterToolOpener&) = delete;
    RegisterToolOpener& operator=(const RegisterToolOpener&) = delete;

    void open();
    RegisterToolWindow* window() const { return m_window.get(); }

private:
    AppContext& m_context;
    std::function<void()> m_showAbout;
    std::unique_ptr<RegisterToolWindow> m_window;
};

} // namespace vtx
