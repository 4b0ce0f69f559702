#include "shellwindows.h"

#include "aboutbox.h"
#include "artwork.h"
#include "dcp/dcppanelwindow.h"
#include "evalpicture.h"
#include "startupwindow.h"

namespace vtx::shell {

ShellWindows::ShellWindows(AppContext& context)
    : m_context(context), m_banner(context.link.driver().bannerText())
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
    m_startup->show();
    return true;
}

bool ShellWindows::openDcpPanel()
{
    m_dcpPanel = std::make_unique<dcp::DcpPanelWindow>(m_context);
    m_dcpPanel->setWindowIcon(applicationIcon());
    m_dcpPanel->setHooks({[this](QWidget* opener) { showJumperPicture(opener); }, [this] { showAbout(); },
                          m_registerToolOpener});
    m_dcpPanel->show();
    return m_dcpPanel->Form_Load();
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

void ShellWindows::showAbout()
{
    if (!m_about)
        m_about = std::make_unique<AboutBox>(m_context.system, m_context.messages, m_banner);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

} // namespace vtx::shell
