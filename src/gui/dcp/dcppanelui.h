// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/statustext.h"

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

namespace vtx {
class LampWidget;
}

namespace vtx::dcp {

// Every control of the DCP panel, built and laid out by buildDcpPanelUi(). The widgets belong to the
// window (Qt parents); this struct only points at them. Names follow the controls' object names.
struct DcpPanelUi {
    // Main frame and its frames.
    QGroupBox* SSFrame1 = nullptr;
    std::array<QGroupBox*, 2> SSFrame3{}; // " Set  Position", "Read Position"
    QGroupBox* SSFrame2 = nullptr;        // programming mode
    QGroupBox* SSFrame4 = nullptr;        // SCL connection
    QGroupBox* SSFrame5 = nullptr;        // slave address
    QGroupBox* SSFrame6 = nullptr;        // the hex data boxes
    std::array<QListWidget*, 2> List1{};  // set position, read position
    QSlider* Slider1_0 = nullptr;
    // "Programming Mode" (`Option1_0`, `Option1_1`).
    QRadioButton* eepromMode = nullptr;
    QRadioButton* registerMode = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLineEdit* txtHexDataWrt = nullptr;
    QLineEdit* txtHexDataRead = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* cmdSlave = nullptr;
    std::array<QRadioButton*, 2> SSOption1{}; // Standard, SCL_S
    QPushButton* CMDxMIT = nullptr;
    QPushButton* cmdI2Read = nullptr;
    QPushButton* cmdStoreVerify = nullptr; // "Store && Verify": the position to the EEPROM, read back
    QCheckBox* ChkAutoRead = nullptr;
    QCheckBox* chkFailIgnore = nullptr;
    QCheckBox* chkWriteTimer = nullptr;
    QCheckBox* chkReadTimer = nullptr;
    QLineEdit* txtDelay = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* cmdStopTimer = nullptr;
    QPushButton* SSCommand1 = nullptr;

    // Outside the main frame.
    QPushButton* cmdOpen_USB = nullptr;
    QPushButton* cmdUSBConnect = nullptr;
    QPushButton* cmdUSBDisconnect = nullptr;
    QPushButton* cmdexit = nullptr;
    QLineEdit* txtI2CADR = nullptr;
    QLineEdit* txtActualWrtAddress = nullptr;
    QLineEdit* txtActualReadAddress = nullptr;
    QLabel* lblReadCount = nullptr;
    StatusText* cbNoc = nullptr;

    // Status lamps, left to right, and their captions (lblUSBChk 0 to 4).
    LampWidget* ShpAttach = nullptr; // "USB Status"
    LampWidget* lampComm = nullptr;  // Shape1(4) "DCP COMM"
    LampWidget* lampWrite = nullptr; // Shape1(1) "Write DCP"
    LampWidget* lampRead = nullptr;  // Shape1(2) "Read DCP"
    LampWidget* lampTimer = nullptr; // Shape1(3) "Timer Status"
    std::array<QLabel*, 5> lblUSBChk{};

    // Menus.
    QAction* mnuJumperHelp = nullptr;
    QAction* mnuJumperInfoOff = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuRegisterTool = nullptr;
    QAction* mnuReadbackPlot = nullptr;
    QAction* mnuSweep = nullptr;
    QAction* mnuTransferLog = nullptr;
    QAction* mnuManUsbConn = nullptr; // checkable: the user holds the link with "USB Connect"

    StatusText* lblFailStatus = nullptr; // failures while "Ignore Fails" is checked, with their count
    QLabel* banner = nullptr;          // status-bar text naming a simulated board; empty for hardware
    StatusText* lblStoreStatus = nullptr; // the outcome of the last "Store && Verify"
    QLabel* lblEepromWrites = nullptr; // EEPROM writes in this session
};

// Builds the panel's controls with their captions, tool tips and start values inside `window`.
DcpPanelUi buildDcpPanelUi(QMainWindow& window);

} // namespace vtx::dcp
