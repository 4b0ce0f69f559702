// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/linkclient.h"
#include "engine/linkobserver.h"
#include "engine/session.h"
#include "setupdocument.h"
#include "setupfile/setupfile.h"
#include "toolsession.h"
#include "widgets/appcontext.h"
#include "widgets/windowreporter.h"

#include <QMainWindow>
#include <functional>

class QLabel;
class QMenu;
class QPushButton;

namespace vtx {

class AddressTestPanel;
class BusScanWindow;
class ConnectionPanel;
class DirectWritePanel;
class RegisterBank;
class SingleBytePanel;

// The general I2C register tool, `frmI2C_General`: single-byte transfers, the communication test, the bank
// of 32 registers and the setup files, on the link it shares with the DCP panel. The panels do the work;
// this window owns the link controls, the connection bracket's connect and disconnect actions, the menus and
// the window's lifetime. It will not close while the link is open, and asks before edited texts are lost.
// Closing it ends the program unless another working window keeps the program running (see
// setOtherWorkingWindow).
class RegisterToolWindow : public QMainWindow, public LinkObserver {
    Q_OBJECT
public:
    // Loads the window: takes the attach lamp, sets the addresses, probes the module, fills the register map.
    explicit RegisterToolWindow(AppContext& context, QWidget* parent = nullptr);
    ~RegisterToolWindow() override;

    static const QString kCaption;

    // The program's other working window: `isOpen` tells whether it is open. While it is, closing this window
    // closes only this window and then runs `closed`; otherwise (or when never set) closing it ends the
    // program.
    void setOtherWorkingWindow(std::function<bool()> isOpen, std::function<void()> closed);

    // Whether the address text or a row's address, description or write text differs from what the window
    // loaded with or last loaded from or saved to a setup file. Read results do not count.
    bool hasUnsavedEdits() const { return m_document->isModified(); }

    // What the About menu shows; the application supplies it.
    void setAboutAction(std::function<void()> action) { m_about = std::move(action); }
    // What Tools > Transfer Log shows; the application supplies it (the entry is disabled until then).
    void setTransferLogAction(std::function<void()> action);

    void cmdUSBConnect_Click();
    void cmdUSBDisconnect_Click();
    void ChKManUsbConn_Click(bool checked);
    void cmdexit_Click();
    void frmAbout_Click();
    void mnuSetup_Open_Click();
    // File > Save writes the file named in the caption again; the dialog comes only for a new setup.
    void mnuSetup_Save_Click();
    void mnuSetup_SaveAs_Click();
    // File > Recent Files: loads the entry's file (index 0 is the newest).
    void mnuRecentFile_Click(int index);
    // "Scan Bus": opens the bus scan window and scans. A double-click there on an answering address makes it
    // this window's address, as typing it into "IC2 Addr" and pressing Enter does.
    void cmdScanBus_Click();
    BusScanWindow* busScanWindow() const { return m_busScan; }
    const RecentFiles& recentFiles() const { return m_document->recentFiles(); }
    SetupDocument& setupDocument() { return *m_document; }
    // Loads a setup file into the window; a file that cannot be read whole changes nothing.
    void Read_Param_File(const QString& fileName) { m_document->load(fileName); }
    // Saves the window's texts; failures are told, never silent. True when the file was written.
    bool WriteParameters(const QString& fileName) { return m_document->write(fileName); }

    setupfile::Setup currentSetup() const;

    SingleBytePanel& singleBytePanel() { return *m_singleByte; }
    AddressTestPanel& addressPanel() { return *m_address; }
    RegisterBank& registerBank() { return *m_bank; }
    DirectWritePanel& directWritePanel() { return *m_directWrite; }

    // The link's state as this tool shows it: its link bars, handle and attach lamps, the driver handle
    // and the status caption.
    void linkChanged(const LinkState& state) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void paintLinkOpened();
    void paintLinkClosed();
    // "Exit" and the link lamps show the link as it is, whichever window opened or closed it.
    void followLink();

    void buildMenus();
    void fillRecentFilesMenu();
    void showFileName(const QString& fileName);
    // Every edit of a text that a setup file keeps is shown as the caption's modified marker.
    void watchEditableTexts();
    void useScannedAddress(std::uint8_t sevenBit);
    void buildLayout();
    void Form_Load();
    void startUpProbe();
    void showMessage(const QString& text);
    void showSetup(const setupfile::Setup& setup);

    AppContext& m_context;
    WindowReporter m_reporter;
    bool m_loaded = false;
    Session m_engine;     // this window's side of the shared link
    LinkClient& m_client; // the session's
    ToolSession m_session;
    ConnectionPanel* m_connection;
    AddressTestPanel* m_address;
    RegisterBank* m_bank;
    SingleBytePanel* m_singleByte;
    DirectWritePanel* m_directWrite;
    QPushButton* m_exit;
    QLabel* m_readCount;
    std::function<void()> m_about;
    std::function<void()> m_transferLog;
    QAction* m_transferLogEntry = nullptr;
    QMenu* m_recentMenu = nullptr;
    SetupDocument* m_document;
    BusScanWindow* m_busScan = nullptr;
    std::function<bool()> m_otherWorkingWindowOpen;
    std::function<void()> m_closedOnly;
};

} // namespace vtx
