// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkbracket.h"

#include "common/yield.h"

#include <utility>

namespace vtx {

LinkBracket::LinkBracket(LinkClient& client, BracketPolicy policy)
    : m_client(client), m_policy(std::move(policy))
{
}

void LinkBracket::open()
{
    m_foundOpen = m_policy.leavesOpenLink && m_client.link().UsbOpen;
    if (m_foundOpen || userHolds())
        return;
    m_policy.open();
    // One pass, so the window shows the opened link before the transfers start.
    yieldEvents();
}

void LinkBracket::close()
{
    if (m_foundOpen || userHolds())
        return;
    if (m_holds > 0) {
        m_closePending = true;
        return;
    }
    m_policy.close();
    m_client.releaseFailedOpen();
    // One pass, so the window shows the closed link before whatever comes next.
    yieldEvents();
}

LinkBracket::Hold::~Hold()
{
    if (--m_bracket.m_holds > 0 || !std::exchange(m_bracket.m_closePending, false))
        return;
    m_bracket.close();
}

BracketedTransfers::BracketedTransfers(LinkBracket& bracket, Link& link)
    : m_bracket(bracket), m_link(link), m_capture(link)
{
    m_bracket.open();
    m_openMessages = m_capture.messages();
}

QStringList BracketedTransfers::finish()
{
    if (std::exchange(m_open, false))
        m_bracket.close();
    return m_capture.messages();
}

} // namespace vtx
