#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"

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
    // "Auto Read" became checked or unchecked.
    void ChkAutoRead_Click();
    // "Open USB ": open the link, then check the board by reading the DCP.
    void cmdOpen_USB_Click();
    void cmdUSBConnect_Click();
    void cmdUSBDisconnect_Click();

    // How long after an EEPROM write the part may stay busy; the next transaction polls it until then.
    static constexpr std::int64_t kEepromWriteCycleDeadlineMs = 20;
    void setEepromWriteCycleDeadlineMs(std::int64_t ms) { m_eepromDeadlineMs = ms; }
    // Polls sent while waiting for the last EEPROM write cycle (for the panel's status line and tests).
    int lastEepromPollCount() const { return m_lastPollCount; }

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
    void releaseFailedOpen();
    void showReadPosition(bool readSucceeded);
    // After an EEPROM write the part acknowledges nothing until its write cycle is over: read it until it
    // answers (or the deadline passes, when the transaction that follows fails as it would have).
    void waitForEepromWriteCycle();

    LinkClient& m_client;
    ProgramState& m_program;
    Reporter& m_reporter;
    DcpPanelUi& m_ui;
    DcpState& m_state;
    int m_bracketHolds = 0;
    bool m_closePending = false;
    bool m_eepromWriteCycle = false; // an EEPROM write was acknowledged and nothing has polled since
    std::int64_t m_eepromWriteDoneMs = 0;
    std::int64_t m_eepromDeadlineMs = kEepromWriteCycleDeadlineMs;
    int m_lastPollCount = 0;
};

} // namespace vtx::dcp
