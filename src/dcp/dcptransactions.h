#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"
#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"

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

    // The VTX8303 as this panel talks to it (its EEPROM write cycle included).
    DcpDevice& device() { return m_device; }

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
    // The link's own messages, in its words and order, before the panel says what failed.
    void reportLinkMessages(const QStringList& messages);

    LinkClient& m_client;
    ProgramState& m_program;
    Reporter& m_reporter;
    DcpPanelUi& m_ui;
    DcpState& m_state;
    int m_bracketHolds = 0;
    bool m_closePending = false;
    I2cBus m_bus;
    DcpDevice m_device;
};

} // namespace vtx::dcp
