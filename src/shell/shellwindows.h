#pragma once

#include "ui/appcontext.h"

#include <functional>
#include <memory>

class QWidget;

namespace vtx::dcp {
class DcpPanelWindow;
}

namespace vtx::shell {

class AboutBox;
class EvalPicture;
class StartupWindow;

// The program's windows and how they open each other. Each exists once: the start-up window and the DCP
// panel from the start, the jumper picture and the about box from their first use, brought forward when
// opened again.
class ShellWindows {
public:
    explicit ShellWindows(AppContext& context);
    ~ShellWindows();
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;

    // The program's start: the start-up window loads, its load opens the DCP panel (which probes the
    // module), then the start-up window is shown. False when the probe failed and the program is ending.
    bool start();

    // The place for the register tool: the DCP panel's "Tools" menu calls this opener.
    void setRegisterToolOpener(std::function<void()> opener);

    void showJumperPicture(QWidget* opener);
    void showAbout();

    StartupWindow* startupWindow() const { return m_startup.get(); }
    dcp::DcpPanelWindow* dcpPanel() const { return m_dcpPanel.get(); }
    EvalPicture* jumperPicture() const { return m_jumperPicture.get(); }
    AboutBox* aboutBox() const { return m_about.get(); }

private:
    bool openDcpPanel();

    AppContext& m_context;
    QString m_banner;
    std::function<void()> m_registerToolOpener;
    // Declared first so they go last: the start-up window's hooks and the panel may refer to them.
    std::unique_ptr<EvalPicture> m_jumperPicture;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<dcp::DcpPanelWindow> m_dcpPanel;
    std::unique_ptr<StartupWindow> m_startup;
};

} // namespace vtx::shell
