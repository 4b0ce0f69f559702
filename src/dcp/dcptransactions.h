// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"
#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"
#include "engine/link.h"

#include <cstdint>

namespace vtx {
class LinkClient;
class Reporter;
struct ProgramState;
} // namespace vtx

namespace vtx::dcp {

// The DCP panel's two transactions with the VTX8303 (one write of the data byte, one read of the wiper) and
// the handlers that run them, with their lamps, counts, displays and messages. Callers hold the program's
// transaction guard; nothing here takes it.
class DcpTransactions {
public:
    DcpTransactions(LinkClient& client, ProgramState& program, DcpPanelUi& ui, DcpState& state);

    // One write of DcpWrData. True when the module reported the write done; false when it failed or when
    // nothing could be sent because the module was never found (UsbOK false).
    bool Wrt_DCP();
    // One read of the wiper into DcpRdData. True when the module reported the read done.
    bool Read_DCP();

    // "I2C-Write": the write, the read-back with "Auto Read", the buttons' visibility.
    void CMDxMIT_Click();
    // "I2C-Read": the read and the "Read Position" displays.
    void cmdI2Read_Click();
    // "Store && Verify": the selected position to the EEPROM, its write cycle measured, read back and
    // compared; the outcome in the status bar.
    void cmdStoreVerify_Click();
    // "Auto Read" became checked or unchecked.
    void ChkAutoRead_Click();
    // "Open USB ": open the link, then check the board by reading the DCP.
    void cmdOpen_USB_Click();
    void cmdUSBConnect_Click();
    void cmdUSBDisconnect_Click();

    // The VTX8303 as this panel talks to it (its EEPROM write cycle included).
    DcpDevice& device() { return m_device; }

    // A new transaction (a click, a selection, a tick) begins. Once the link itself failed (the module gone,
    // a transfer timed out), nothing more of the same transaction is tried: one message, and the user never
    // waits for the same silent module twice.
    void beginTransaction() { m_linkFailed = false; }

    // Timed transfers pause while the module is unplugged: the timer boxes stay checked, the status bar
    // says so, nothing is sent and no box comes up. Each paused tick looks for the module without a
    // transfer (the driver's attach notification); once it is back, the tick goes on as usual.
    bool timedTransfersMayRun();
    bool pausedForUnplug() const { return m_pausedForUnplug; }

private:
    // Keeps the link open across the transactions of one click ("I2C-Write" with its "Auto Read"): the
    // first transaction opens it, the last close happens when the scope ends.
    class BracketHold {
    public:
        explicit BracketHold(DcpTransactions& owner) : m_owner(owner) { ++m_owner.m_bracketHolds; }
        ~BracketHold();
        BracketHold(const BracketHold&) = delete;
        BracketHold& operator=(const BracketHold&) = delete;

    private:
        DcpTransactions& m_owner;
    };

    // Opens the link for one transaction unless the user keeps it as they set it.
    void openBracket();
    void closeBracket();
    void showReadPosition(bool readSucceeded);
    // Tells the user that a write or read failed: one box with the panel's text, the module's own fault
    // first when it is one, and the link's words beneath as the cause; with "Ignore Fails" checked, only a
    // line in the status bar with a count. Returns whether a box was shown.
    bool tellFailure(const QString& text, const QString& caption, const Failure& failure,
                     const QStringList& openMessages);
    // Opening the link for this transaction already waited for a module that did not answer: the command
    // is not sent, so the user does not wait a second time.
    bool openTimedOut(const Link::MessageCapture& opening) const;
    // A link failure that means the module is not there, while timed transfers run: pause them.
    bool pauseIfUnplugged(const Failure& failure);
    bool willPause(const Failure& failure) const;
    // Opens the link quietly to hear whether the module is there again: opening sends nothing unless it is.
    // The link is left open when it is (the transaction's bracket closes it).
    bool moduleIsBack();
    template <typename T> static Result<T> timedOutResult()
    {
        return Result<T>::failure({}, Failure{Failure::Kind::Link, DriverStatus::Timeout, {}});
    }

    LinkClient& m_client;
    ProgramState& m_program;
    Reporter& m_reporter;
    DcpPanelUi& m_ui;
    DcpState& m_state;
    int m_bracketHolds = 0;
    bool m_closePending = false;
    I2cBus m_bus;
    DcpDevice m_device;
    bool m_linkFailed = false;
    bool m_pausedForUnplug = false;
    QString m_lastIgnoredFailure;
    int m_ignoredInARow = 0;
};

} // namespace vtx::dcp
