#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"

class QWidget;

namespace vtx {
class LinkClient;
class MessageBoxes;
struct ProgramState;
} // namespace vtx

namespace vtx::dcp {

// The DCP panel's two transactions with the VTX8303 (one write of the data byte, one read of the wiper) and
// the handlers that run them, with their lamps, counts, displays and messages. Callers hold the program's
// transaction guard; nothing here takes it.
class DcpTransactions {
public:
    DcpTransactions(LinkClient& client, ProgramState& program, MessageBoxes& messages, DcpPanelUi& ui,
                    DcpState& state, QWidget& dialogParent);

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

private:
    // Opens the link for one transaction unless the user keeps it as they set it.
    void openBracket();
    void closeBracket();
    void releaseFailedOpen();
    void showReadPosition(bool readSucceeded);

    LinkClient& m_client;
    ProgramState& m_program;
    MessageBoxes& m_messages;
    DcpPanelUi& m_ui;
    DcpState& m_state;
    QWidget& m_dialogParent;
};

} // namespace vtx::dcp
