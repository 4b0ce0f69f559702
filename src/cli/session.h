// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drivers/driverchoice.h"
#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"
#include "engine/link.h"
#include "engine/linkclient.h"
#include "output.h"

#include <optional>

namespace vtx::cli {

// What a link-status caption says on the command line: the windows show it in their status label, we put it
// on standard error. Lamps have nothing to show.
class CommandLineLinkView final : public LinkView {
public:
    explicit CommandLineLinkView(ErrorStream& err) : m_err(err) {}
    void setNocCaption(const QString& caption) override { m_err.line(caption); }
    void hideNoc() override {}
    void paintLinkOpening() override {}
    void paintLinkClosed() override {}
    void paintAttachLamp(LampColor) override {}

private:
    ErrorStream& m_err;
};

// One command's use of the module: the driver, the link opened for the command and closed after it, and the
// engine's operations on the bus. The link's messages go to standard error.
class Session {
public:
    Session(bool simulate, ErrorStream& err);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the link and holds the program-wide transaction for the command. On failure it has said why on
    // standard error (the link's words, then the cause in plain words) and returns kNoModule.
    int open();

    bool simulated() const { return m_drivers.simulated; }
    UsbDriver& driver() { return *m_drivers.driver; }
    Link& link() { return m_link; }
    LinkClient& client() { return m_client; }
    I2cBus& bus() { return m_bus; }
    DcpDevice& dcp() { return m_dcp; }
    const Clock& clock() const { return *m_drivers.clock; }
    ErrorStream& err() { return m_err; }

private:
    ErrorStream& m_err;
    DriverChoice m_drivers;
    Link m_link;
    CommandLineLinkView m_view;
    LinkClient m_client;
    I2cBus m_bus;
    DcpDevice m_dcp;
    std::optional<TransactionGuard::Scope> m_transaction;
};

} // namespace vtx::cli
