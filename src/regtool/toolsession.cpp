// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolsession.h"

#include "common/yield.h"

namespace vtx {

ToolSession::ToolSession(LinkClient& client, ProgramState& state, Hooks hooks)
    : m_client(client), m_bus(client), m_module(client), m_state(state), m_hooks(std::move(hooks))
{
}

void ToolSession::showTransferCount(std::uint8_t count) const
{
    if (m_hooks.showTransferCount)
        m_hooks.showTransferCount(count);
}

void ToolSession::openBracket(Opening opening)
{
    if (!m_state.ManualUsbConn) {
        m_hooks.connect();
        yieldEvents();
    }
    if (opening == Opening::Full)
        yieldEvents();
}

void ToolSession::closeBracket()
{
    // The mode is read again here: the user may have changed it while the transfers ran.
    if (!m_state.ManualUsbConn) {
        m_hooks.disconnect();
        yieldEvents();
    }
}

ConnectionBracket::ConnectionBracket(ToolSession& session, ToolSession::Opening opening) : m_session(session)
{
    m_session.openBracket(opening);
}

ConnectionBracket::~ConnectionBracket()
{
    close();
}

void ConnectionBracket::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_session.closeBracket();
}

} // namespace vtx
