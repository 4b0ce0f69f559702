// SPDX-License-Identifier: GPL-3.0-or-later
#include "registertoolopener.h"

#include "registertoolwindow.h"

namespace vtx {

RegisterToolOpener::RegisterToolOpener(AppContext& context, std::function<void()> showAbout)
    : m_context(context), m_showAbout(std::move(showAbout))
{
}

RegisterToolOpener::~RegisterToolOpener() = default;

void RegisterToolOpener::setHostWindow(std::function<LinkObserver*()> openHost)
{
    m_host = std::move(openHost);
}

void RegisterToolOpener::open()
{
    if (m_windowClosed) {
        // The user closed it (and settled its edits): open it as new, with its load and probe.
        m_window.reset();
        m_windowClosed = false;
    }
    if (!m_window) {
        // The window's load closes a link that another window left open before it probes the module, so no
        // driver initialisation is left behind.
        m_window = std::make_unique<RegisterToolWindow>(m_context);
        m_window->setAboutAction(m_showAbout);
        if (m_showTransferLog)
            m_window->setTransferLogAction(m_showTransferLog);
        m_window->setOtherWorkingWindow([this] { return m_host && m_host() != nullptr; },
                                        [this] { toolClosed(); });
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void RegisterToolOpener::toolClosed()
{
    // Kept, hidden, until the next open(): we are inside its close.
    m_windowClosed = true;
    LinkObserver* const host = m_host ? m_host() : nullptr;
    if (host && m_context.link.AttachLampForm == static_cast<LinkObserver*>(m_window.get())) {
        // The tool took the lamp when it loaded. The link is closed now (the tool does not close while it is
        // open), so the host's lamp shows a closed link and takes the notifications again.
        m_context.link.setAttachLampForm(host);
        host->linkChanged({.phase = LinkState::Phase::Closed});
    }
}

} // namespace vtx
