// SPDX-License-Identifier: GPL-3.0-or-later
#include "shellwindows.h"

#include "aboutbox.h"
#include "artwork.h"
#include "common/appinfo.h"
#include "dcp/dcppanelwindow.h"
#include "evalpicture.h"
#include "startupwindow.h"
#include "transferlog/transferlogwindow.h"
#include "windowplacement.h"

#include <QScreen>

namespace vtx::shell {

const QString ShellWindows::kRestartFailedText =
    QStringLiteral("The program could not be started again on the simulated board.");

ShellWindows::ShellWindows(AppContext& context)
    : m_context(context), m_banner(context.link.driver().bannerText()),
      m_probe(context.messages, context.program), m_panelContext{
                                                      .link = context.link,
                                                      .state = context.state,
                                                      .messages = m_probe,
                                                      .fileDialogs = context.fileDialogs,
                                                      .program = m_probe,
                                                      .system = context.system,
                                                      .questions = context.questions,
                                                      .startupFailures = context.startupFailures,
                                                  }
{
}

ShellWindows::~ShellWindows() = default;

bool ShellWindows::start()
{
    m_startup = std::make_unique<StartupWindow>(
        m_context.link, m_context.messages,
        StartupWindow::Hooks{[this] { return openDcpPanel(); }, [this] { showAbout(); }}, m_banner);
    if (!m_startup->Form_Load())
        return false;
    placeStartupWindow();
    m_startup->show();
    return true;
}

bool ShellWindows::openDcpPanel()
{
    QStringList linkMessages;
    while (!loadDcpPanel(linkMessages)) {
        const StartupFailure failure = describeStartupFailure(
            m_context.link.match(), m_context.link.UsbStatus,
            m_context.link.UsbStatusText(m_context.link.UsbStatus), linkMessages, m_recovery.accessCommand);
        StartupChoice choice = askAboutFailure(failure);
        while (choice == StartupChoice::UseSimulatedBoard &&
               !(m_recovery.restartSimulated && m_recovery.restartSimulated())) {
            m_context.messages.showMessage(m_dcpPanel.get(), kRestartFailedText, kApplicationTitle);
            choice = askAboutFailure(failure);
        }
        if (choice != StartupChoice::Retry) {
            // Quit, or the program runs on in its new process.
            m_context.program.endProgram();
            return false;
        }
    }
    return true;
}

bool ShellWindows::loadDcpPanel(QStringList& linkMessages)
{
    // A panel whose probe failed is loaded once only; a retry starts with a new one.
    m_dcpPanel.reset();
    m_dcpPanel = std::make_unique<dcp::DcpPanelWindow>(m_panelContext);
    m_dcpPanel->setWindowIcon(applicationIcon());
    m_dcpPanel->setHooks({[this](QWidget* opener) { showJumperPicture(opener); }, [this] { showAbout(); },
                          m_registerToolOpener, [this] { showTransferLog(); }});
    m_dcpPanel->show();
    m_probe.beginProbe();
    const bool answered = m_dcpPanel->Form_Load();
    linkMessages = m_probe.endProbe(answered);
    return answered;
}

StartupChoice ShellWindows::askAboutFailure(const StartupFailure& failure)
{
    return m_context.startupFailures.ask(m_dcpPanel.get(), failure);
}

void ShellWindows::placeStartupWindow()
{
    QWidget* const panel = m_dcpPanel.get();
    const QScreen* const screen = panel->screen();
    if (!screen)
        return;
    // The start-up window has not been shown, so its frame is not known yet; it gets the panel's.
    const QRect panelFrame = panel->frameGeometry();
    const QRect panelClient = panel->geometry();
    const QMargins frame(panelClient.left() - panelFrame.left(), panelClient.top() - panelFrame.top(),
                         panelFrame.right() - panelClient.right(),
                         panelFrame.bottom() - panelClient.bottom());
    const QSize minimum = m_startup->minimumSizeHint().expandedTo(m_startup->minimumSize());
    const StartPlacement placed = placeStartWindows(screen->availableGeometry(), panelFrame.size(),
                                                    m_startup->size().grownBy(frame), minimum.grownBy(frame));
    panel->move(placed.panel.topLeft());
    m_startup->resize(placed.startup.size().shrunkBy(frame));
    m_startup->move(placed.startup.topLeft());
}

LinkObserver* ShellWindows::shownDcpPanel() const
{
    return m_dcpPanel && m_dcpPanel->isVisible() ? m_dcpPanel.get() : nullptr;
}

void ShellWindows::setRegisterToolOpener(std::function<void()> opener)
{
    m_registerToolOpener = std::move(opener);
    if (m_dcpPanel)
        m_dcpPanel->setRegisterToolHook(m_registerToolOpener);
}

void ShellWindows::showJumperPicture(QWidget* opener)
{
    if (!m_jumperPicture)
        m_jumperPicture = std::make_unique<EvalPicture>(m_banner);
    m_jumperPicture->showFor(opener);
}

void ShellWindows::showTransferLog()
{
    if (!m_transferLog)
        m_transferLog =
            std::make_unique<TransferLogWindow>(m_context.link, m_context.messages, m_context.fileDialogs);
    m_transferLog->setWindowIcon(applicationIcon());
    m_transferLog->show();
    m_transferLog->raise();
    m_transferLog->activateWindow();
}

void ShellWindows::showAbout()
{
    if (!m_about)
        m_about = std::make_unique<AboutBox>(m_context.system, m_context.messages, m_banner);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

} // namespace vtx::shell
