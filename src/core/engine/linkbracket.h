// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link.h"
#include "linkclient.h"

#include <QStringList>
#include <functional>
#include <utility>

namespace vtx {

// How a front end brackets its transfers with an open and a close of the link. The two actions are the
// front end's own (a window paints as the link opens and closes); when they run is decided here.
struct BracketPolicy {
    // The user keeps the link as they set it (a manual connection): asked at the opening and again at the
    // closing, since the user may change it while the transfers run.
    std::function<bool()> userHoldsLink;
    // A link found open is somebody else's: it is used as it is and left open.
    bool leavesOpenLink = false;
    std::function<void()> open;
    std::function<void()> close;
};

// The link opened before a transaction's first transfer and closed after its last. An open that stopped
// half-way is cleaned up with the close.
class LinkBracket {
public:
    LinkBracket(LinkClient& client, BracketPolicy policy);
    LinkBracket(const LinkBracket&) = delete;
    LinkBracket& operator=(const LinkBracket&) = delete;

    // The front end's own way of opening and closing, set once it is built.
    void setPolicy(BracketPolicy policy) { m_policy = std::move(policy); }

    void open();
    void close();

    // Keeps the link open across several transactions (a write and its read-back in one click): their
    // closes wait, and the last one happens when the hold ends.
    class Hold {
    public:
        explicit Hold(LinkBracket& bracket) : m_bracket(bracket) { ++m_bracket.m_holds; }
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        LinkBracket& m_bracket;
    };

private:
    bool userHolds() const { return m_policy.userHoldsLink && m_policy.userHoldsLink(); }

    LinkClient& m_client;
    BracketPolicy m_policy;
    int m_holds = 0;
    bool m_closePending = false;
    bool m_foundOpen = false;
};

// One bracketed run of transfers: the link opened on construction and closed by finish() (or at the end of
// the scope), and what the link says meanwhile collected instead of shown, so the front end tells it once.
class BracketedTransfers {
public:
    explicit BracketedTransfers(LinkBracket& bracket, Link& link);
    ~BracketedTransfers() { finish(); }
    BracketedTransfers(const BracketedTransfers&) = delete;
    BracketedTransfers& operator=(const BracketedTransfers&) = delete;

    // What the link said while it opened.
    const QStringList& openMessages() const { return m_openMessages; }
    // The opening already waited for a module that did not answer: nothing is to be sent, so the user does
    // not wait a second time.
    bool openTimedOut() const
    {
        return !m_openMessages.isEmpty() && m_link.UsbStatus == DriverStatus::Timeout;
    }
    // Closes the link (once) and returns what it said from the opening to the closing.
    QStringList finish();

private:
    LinkBracket& m_bracket;
    Link& m_link;
    Link::MessageCapture m_capture;
    QStringList m_openMessages;
    bool m_open = true;
};

} // namespace vtx
