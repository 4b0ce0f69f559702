// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "startupfailure.h"
#include "widgets/appcontext.h"

#include <functional>
#include <memory>

class QWidget;

namespace vtx {
class LinkObserver;
class TransferLogWindow;
} // namespace vtx

namespace vtx::dcp {
class DcpPanelWindow;
}

namespace vtx::shell {

class AboutBox;
class EvalPicture;
class StartupWindow;

// What the start-up failure dialog needs from the program beyond the shell.
struct StartupRecovery {
    // "Use simulated board": starts the program again with --simulate; false when it could not be started.
    std::function<bool()> restartSimulated;
    // The command that gives the user access to a module that was found but may not be opened; empty where
    // there is none.
    QString accessCommand;
};

// The program's windows and how they open each other. Each exists once: the start-up window and the DCP
// panel from the start, the jumper picture and the about box from their first use, brought forward when
// opened again.
class ShellWindows {
public:
    explicit ShellWindows(AppContext& context);
    ~ShellWindows();
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;

    static const QString kRestartFailedText;

    void setStartupRecovery(StartupRecovery recovery) { m_recovery = std::move(recovery); }

    // The program's start: the start-up window loads, its load opens the DCP panel (which probes the
    // module), then both are placed side by side and the start-up window is shown. When the module does not
    // answer, one dialog says what was looked for and found and offers Retry, the simulated board or Quit.
    // False when the program is ending (Quit, or started again on the simulated board).
    bool start();

    // The place for the register tool: the DCP panel's "Tools" menu calls this opener.
    void setRegisterToolOpener(std::function<void()> opener);

    void showJumperPicture(QWidget* opener);
    void showAbout();
    // Tools > Transfer Log of either working window: one log window, created on first use.
    void showTransferLog();

    StartupWindow* startupWindow() const { return m_startup.get(); }
    dcp::DcpPanelWindow* dcpPanel() const { return m_dcpPanel.get(); }
    // The DCP panel while it is shown, as the link's view; nullptr otherwise.
    LinkObserver* shownDcpPanel() const;
    EvalPicture* jumperPicture() const { return m_jumperPicture.get(); }
    AboutBox* aboutBox() const { return m_about.get(); }
    TransferLogWindow* transferLog() const { return m_transferLog.get(); }

private:
    bool openDcpPanel();
    // Creates, shows and loads the DCP panel; true when the module answered its probe.
    bool loadDcpPanel(QStringList& linkMessages);
    StartupChoice askAboutFailure(const StartupFailure& failure);
    // Puts the start-up window beside the DCP panel, where it covers none of it.
    void placeStartupWindow();

    AppContext& m_context;
    QString m_banner;
    StartupRecovery m_recovery;
    std::function<void()> m_registerToolOpener;
    // The DCP panel's own context: the program's, with the start probe between it and the boxes and the end.
    StartProbeSeams m_probe;
    AppContext m_panelContext;
    // Declared after those, so they go first: the panel works in m_panelContext. The start-up window's hooks
    // and the panel may refer to the picture and the about box, so those go after them.
    std::unique_ptr<EvalPicture> m_jumperPicture;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<TransferLogWindow> m_transferLog;
    std::unique_ptr<dcp::DcpPanelWindow> m_dcpPanel;
    std::unique_ptr<StartupWindow> m_startup;
};

} // namespace vtx::shell
