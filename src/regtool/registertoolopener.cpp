#include "registertoolopener.h"

#include "registertoolwindow.h"

namespace vtx {

RegisterToolOpener::RegisterToolOpener(AppContext& context, std::function<void()> showAbout)
    : m_context(context), m_showAbout(std::move(showAbout))
{
}

RegisterToolOpener::~RegisterToolOpener() = default;

void RegisterToolOpener::open()
{
    if (!m_window) {
        // The window's load closes a link that another window left open before it probes the module, so no
        // driver initialisation is left behind.
        m_window = std::make_unique<RegisterToolWindow>(m_context);
        m_window->setAboutAction(m_showAbout);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace vtx
