// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/i2cbus.h"
#include "engine/link.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace vtx {

// The way onto the I2C bus that a working window lends to the windows it opens (the bus scan, the register
// dump): the shared link, the window's bus, and the window's connection bracket (the link opened before the
// first transfer and closed after the last, unless the user keeps it as it is).
class BusAccess {
public:
    virtual ~BusAccess() = default;
    virtual Link& link() = 0;
    virtual I2cBus& bus() = 0;
    virtual void openConnection() = 0;
    virtual void closeConnection() = 0;
};

// One run of transfers on a BusAccess: one transaction of the program-wide guard, the connection bracket
// around it, and whatever the link has to say collected instead of shown, so the window tells it once.
class BracketedRun {
public:
    // Nothing while another transaction runs. `owner` names the transaction in the transfer log.
    static std::unique_ptr<BracketedRun> tryStart(BusAccess& access, const QString& owner)
    {
        auto scope = access.link().guard().tryBegin(owner);
        if (!scope)
            return nullptr;
        return std::unique_ptr<BracketedRun>(new BracketedRun(access, std::move(*scope)));
    }
    ~BracketedRun() { finish(); }
    BracketedRun(const BracketedRun&) = delete;
    BracketedRun& operator=(const BracketedRun&) = delete;

    // Closes the bracket (once) and returns what the link said from the opening to the closing.
    QStringList finish()
    {
        if (m_open) {
            m_open = false;
            m_access.closeConnection();
        }
        return m_capture.messages();
    }

private:
    BracketedRun(BusAccess& access, TransactionGuard::Scope scope)
        : m_access(access), m_scope(std::move(scope)), m_capture(access.link())
    {
        m_access.openConnection();
    }

    BusAccess& m_access;
    TransactionGuard::Scope m_scope;
    Link::MessageCapture m_capture;
    bool m_open = true;
};

} // namespace vtx
