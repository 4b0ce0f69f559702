// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolsession.h"

#include "common/yield.h"

namespace vtx {

ToolSession::ToolSession(Session& session, ProgramState& state, Hooks hooks)
    : m_session(session), m_module(session.client()), m_state(state), m_hooks(std::move(hooks))
{
    m_session.setBracketPolicy(BracketPolicy{
        .userHoldsLink = [this] { return m_state.ManualUsbConn; },
        .leavesOpenLink = false,
        .open = [this] { m_hooks.connect(); },
        .close = [this] { m_hooks.disconnect(); },
    });
}

void ToolSession::showTransferCount(std::uint8_t count) const
{
    if (m_hooks.showTransferCount)
        m_hooks.showTransferCount(count);
}

void ToolSession::openBracket(Opening opening)
{
    m_session.bracket().open();
    if (opening == Opening::Full)
        yieldEvents();
}

void ToolSession::closeBracket()
{
    m_session.bracket().close();
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
