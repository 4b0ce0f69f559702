// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/appinfo.h"
#include "common/programstate.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "engine/modulecontrol.h"
#include "engine/session.h"
#include "engine/transactionguard.h"
#include "protocol/bridgecommands.h"
#include "widgets/busaccess.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace vtx {

// What the register tool's panels use to reach the module: this window's side of the shared link, the
// program-wide transaction guard, the I2C addresses and the connection bracket. The window supplies the
// USB Connect and USB Disconnect actions that the bracket runs and the hidden transfer-count label. The
// windows the tool opens (the bus scan, the register dump) reach the bus through it as a BusAccess.
class ToolSession final : public BusAccess {
public:
    struct Hooks {
        std::function<void()> connect;    // the whole USB Connect action
        std::function<void()> disconnect; // the whole USB Disconnect action
        std::function<void(std::uint8_t)> showTransferCount;
    };

    // Sets the session's bracket: the USB Connect and USB Disconnect actions unless the user connects by
    // hand.
    ToolSession(Session& session, ProgramState& state, Hooks hooks);
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // Every transfer entry point starts here; nothing while another transaction of any window runs, and the
    // request is then dropped. The transfer log names the transaction after `owner`, the register tool's
    // object name unless a window of its own (the bus scan) runs it.
    [[nodiscard]] std::optional<TransactionGuard::Scope> tryBegin(const QString& owner = kTransactionOwner)
    {
        return m_session.guard().tryBegin(owner);
    }
    static inline const QString kTransactionOwner = QStringLiteral("frmI2C_General");

    ProgramState& state() { return m_state; }
    LinkClient& client() { return m_session.client(); }
    Link& link() { return m_session.link(); }

    // BusAccess: this window's session and the bus its transactions use.
    Session& session() override { return m_session; }
    I2cBus& bus() override { return m_session.bus(); }
    // Tells the user what the link said during an operation, in its words and order, and hands the result
    // on.
    template <typename T> Result<T> reported(Result<T> result)
    {
        reportAll(result.linkMessages());
        return result;
    }
    void reportAll(const QStringList& linkMessages)
    {
        for (const QString& message : linkMessages)
            m_session.client().reporter().report(message, kApplicationTitle);
    }
    // The module itself: the communication test's outcome, direct register writes.
    ModuleControl& module() { return m_module; }
    void showTransferCount(std::uint8_t count) const;

    // The connection bracket. In automatic mode the link is opened before the first transfer and closed after
    // the last; in manual mode the transfers find the link as the user left it.
    enum class Opening {
        Full,        // after opening, process pending events once more in either mode
        ConnectOnly, // process pending events only after the connect (the single-row operations)
    };
    void openBracket(Opening opening);
    void closeBracket();

private:
    Session& m_session;
    ModuleControl m_module;
    ProgramState& m_state;
    Hooks m_hooks;
};

// One connection bracket: opened on construction, closed by close() or at the end of the scope.
class ConnectionBracket {
public:
    ConnectionBracket(ToolSession& session, ToolSession::Opening opening);
    ~ConnectionBracket();
    ConnectionBracket(const ConnectionBracket&) = delete;
    ConnectionBracket& operator=(const ConnectionBracket&) = delete;

    void close();

private:
    ToolSession& m_session;
    bool m_open = true;
};

} // namespace vtx
