// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"
#include "engine/dcpdevice.h"
#include "engine/failurefollowup.h"
#include "engine/link.h"

#include <cstdint>

namespace vtx {
class LinkClient;
class Reporter;
class Session;
struct ProgramState;
} // namespace vtx

namespace vtx::dcp {

// The DCP panel's two transactions with the VTX8303 (one write of the data byte, one read of the wiper) and
// the handlers that run them, with their lamps, counts, displays and messages. Callers hold the program's
// transaction guard; nothing here takes it. The link is bracketed, and failures followed up, by the engine;
// this class paints and words what comes of them.
class DcpTransactions {
public:
    // Sets the session's bracket: "USB Connect" and "USB Disconnect" unless the user connects by hand.
    DcpTransactions(Session& session, ProgramState& program, DcpPanelUi& ui, DcpState& state);

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

    // A new transaction (a click, a selection, a tick) begins: after a link failure in it, nothing more of it
    // is tried.
    void beginTransaction() { m_followUp.beginTransaction(); }

    // Timed transfers pause while the module is unplugged: the timer boxes stay checked, the status bar
    // says so, nothing is sent and no box comes up. Once the module is back, the tick goes on as usual.
    bool timedTransfersMayRun();
    bool pausedForUnplug() const { return m_followUp.paused(); }

private:
    void showReadPosition(bool readSucceeded);
    // Tells the user that a write or read failed: one box with the panel's text, the module's own fault
    // first when it is one, and the link's words beneath as the cause; with "Ignore Fails" checked, only a
    // line in the status bar with a count. Returns whether a box was shown.
    bool tellFailure(const QString& text, const QString& caption, const Failure& failure,
                     const QStringList& openMessages);
    bool timersRun() const;
    template <typename T> static Result<T> timedOutResult()
    {
        return Result<T>::failure({}, Failure{Failure::Kind::Link, DriverStatus::Timeout, {}});
    }

    Session& m_session;
    LinkClient& m_client;
    ProgramState& m_program;
    Reporter& m_reporter;
    DcpPanelUi& m_ui;
    DcpState& m_state;
    DcpDevice& m_device;
    FailureFollowUp m_followUp;
    QString m_lastIgnoredFailure;
    int m_ignoredInARow = 0;
};

} // namespace vtx::dcp
