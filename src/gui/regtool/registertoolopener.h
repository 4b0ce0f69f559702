// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/appcontext.h"

#include <functional>
#include <memory>

namespace vtx {

class LinkObserver;
class RegisterToolWindow;

// How the program reaches the register tool: the DCP panel's Tools menu and the --register-tool option both
// call open(). The window exists once: created (and so loaded) on first use, brought forward while it is
// open, and loaded afresh when opened again after it was closed.
class RegisterToolOpener {
public:
    // `showAbout` is what the register tool's About menu does.
    RegisterToolOpener(AppContext& context, std::function<void()> showAbout);
    ~RegisterToolOpener();
    RegisterToolOpener(const RegisterToolOpener&) = delete;
    RegisterToolOpener& operator=(const RegisterToolOpener&) = delete;

    // The working window that keeps the program running (the DCP panel), or nullptr while none is open. While
    // one is, closing the tool closes only the tool and hands the attach lamp back to that window. Without
    // this, the tool is the program's only working window and closing it ends the program.
    void setHostWindow(std::function<LinkObserver*()> openHost);
    // What the tool's Tools > Transfer Log does.
    void setTransferLogAction(std::function<void()> action) { m_showTransferLog = std::move(action); }

    void open();
    // The window while it is open or until it is opened again after being closed.
    RegisterToolWindow* window() const { return m_window.get(); }

private:
    void toolClosed();

    AppContext& m_context;
    std::function<void()> m_showAbout;
    std::function<void()> m_showTransferLog;
    std::function<LinkObserver*()> m_host;
    std::unique_ptr<RegisterToolWindow> m_window;
    bool m_windowClosed = false;
};

} // namespace vtx
