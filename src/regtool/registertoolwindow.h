#pragma once

#include "engine/linkclient.h"
#include "engine/linkview.h"
#include "setupfile.h"
#include "toolsession.h"
#include "ui/appcontext.h"
#include "ui/windowreporter.h"

#include <QMainWindow>
#include <functional>

class QLabel;
class QPushButton;

namespace vtx {

class AddressTestPanel;
class ConnectionPanel;
class DirectWritePanel;
class RegisterBank;
class SingleBytePanel;

// The general I2C register tool, `frmI2C_General`: single-byte transfers, the communication test, the bank
// of 32 registers and the setup files, on the link it shares with the DCP panel. The panels do the work;
// this window owns the link controls, the connection bracket's connect and disconnect actions, the menus and
// the window's lifetime. Closing it ends the program.
class RegisterToolWindow : public QMainWindow, public LinkView {
    Q_OBJECT
public:
    // Loads the window: takes the attach lamp, sets the addresses, probes the module, fills the register map.
    explicit RegisterToolWindow(AppContext& context, QWidget* parent = nullptr);
    ~RegisterToolWindow() override;

    static const QString kCaption;

    // What the About menu shows; the application supplies it.
    void setAboutAction(std::function<void()> action) { m_about = std::move(action); }

    void cmdUSBConnect_Click();
    void cmdUSBDisconnect_Click();
    void ChKManUsbConn_Click(bool checked);
    void cmdexit_Click();
    void frmAbout_Click();
    void mnuSetup_Open_Click();
    void mnuSetup_Save_Click();
    // Loads a setup file into the window; a file that cannot be read whole changes nothing.
    void Read_Param_File(const QString& fileName);
    // Saves the window's texts; failures are told, never silent.
    void WriteParameters(const QString& fileName);

    setupfile::Setup currentSetup() const;

    SingleBytePanel& singleBytePanel() { return *m_singleByte; }
    AddressTestPanel& addressPanel() { return *m_address; }
    RegisterBank& registerBank() { return *m_bank; }
    DirectWritePanel& directWritePanel() { return *m_directWrite; }

    // LinkView
    void showDriverHandle(const QString& text) override;
    void setNocCaption(const QString& caption) override;
    void hideNoc() override;
    void paintLinkOpening() override;
    void paintLinkOpened() override;
    void paintLinkClosed() override;
    void paintAttachLamp(LampColor color) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildLayout();
    void Form_Load();
    void startUpProbe();
    void showMessage(const QString& text);

    AppContext& m_context;
    WindowReporter m_reporter;
    LinkClient m_client;
    ToolSession m_session;
    ConnectionPanel* m_connection;
    AddressTestPanel* m_address;
    RegisterBank* m_bank;
    SingleBytePanel* m_singleByte;
    DirectWritePanel* m_directWrite;
    QPushButton* m_exit;
    QLabel* m_readCount;
    std::function<void()> m_about;
};

} // namespace vtx
