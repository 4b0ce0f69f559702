// The register tool window as a whole: its load with the start-up probe, the automatic and manual
// connection modes, closing, the About hook, the guard against a second transaction and the direct write.
#include "common/appinfo.h"
#include "common/yield.h"
#include "regtool/directwritepanel.h"
#include "regtool/singlebytepanel.h"
#include "regtoolharness.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <optional>

using namespace vtx;
using namespace vtx::test;

namespace {

// Stands in for the DCP panel when a test needs another window's side of the link.
class OtherWindow final : public LinkView {
public:
    QWidget* dialogParent() override { return nullptr; }
    void setNocCaption(const QString&) override {}
    void hideNoc() override {}
    void paintLinkOpening() override {}
    void paintLinkClosed() override {}
    void paintAttachLamp(LampColor) override {}
};

int countCalls(const std::vector<QString>& calls, const QString& name)
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

} // namespace

class TestRegToolWindow : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheDefaultsAndLeavesTheLinkClosed()
    {
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        const auto text = [&window](const char* name) {
            return window.findChild<QLineEdit*>(QLatin1String(name))->text();
        };
        QCOMPARE(window.objectName(), QStringLiteral("frmI2C_General"));
        QCOMPARE(window.windowTitle(), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION"));
        QCOMPARE(text("txtI2CADR"), QStringLiteral("9E"));
        QCOMPARE(text("txtActualWrtAddress"), QStringLiteral("9E"));
        QCOMPARE(text("txtActualReadAddress"), QStringLiteral("9F"));
        QCOMPARE(sim.state.I2CWrtAdr, 0x9E);
        QCOMPARE(sim.state.I2CRdAdr, 0x9F);
        QVERIFY(!sim.state.ManualUsbConn);
        // The probe opened and closed the link: the handle box keeps the number, the Handle lamp its colour.
        QCOMPARE(text("txthDriver"), QStringLiteral(" 1"));
        QCOMPARE(window.findChild<LampWidget*>(QStringLiteral("ShpHandleStatus"))->color(),
                 LampColor::LightGreen);
        QCOMPARE(window.findChild<LampWidget*>(QStringLiteral("ShpAttach"))->color(), LampColor::Black);
        QCOMPARE(window.findChild<LampWidget*>(QStringLiteral("shpUSBCon_0"))->color(), LampColor::Black);
        QCOMPARE(window.findChild<LampWidget*>(QStringLiteral("shpUSBCon_1"))->color(),
                 LampColor::LightGreen);
        QVERIFY(!sim.link.UsbOpen);
        QVERIFY(!sim.board.isInitialised());
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("init")), 1);
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("uninit")), 1);
        QVERIFY(sim.messages.messages.empty());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("cmdexit"))->isHidden());
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("cbNoc"))->isHidden());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("cbNoc"))->isEnabled());
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("lblReadCount"))->isHidden());
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("lblNak"))->isHidden());
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblDriverBanner"))->text(),
                 QStringLiteral("Simulated evaluation board"));
        QCOMPARE(sim.link.AttachLampForm, static_cast<LinkView*>(&window));
        // The bridge query went out during the probe, and the module's kind chose the I2C pipe.
        QCOMPARE(sim.link.I2COutPipe, 3u);
    }

    void controlsCarryTheirCaptionsAndToolTips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("connect") << "cmdUSBConnect"
                                 << "USB Connect"
                                 << "Connect and leave USB connection open.";
        QTest::newRow("disconnect") << "cmdUSBDisconnect"
                                    << "USB Disconnect"
                                    << "Close USB Connection.";
        QTest::newRow("exit") << "cmdexit"
                              << "Exit"
                              << "";
        QTest::newRow("test") << "cmdTestComm"
                              << "Test"
                              << "Click to test Communications";
        QTest::newRow("read") << "cmdRead"
                              << "READ"
                              << "Reads Address in Device Register Address Text Box";
        QTest::newRow("write 0")
            << "cmdWrite1Byte_0"
            << "WRITE"
            << "Writes Data entered below to  Address in Device Register Address Text Box";
        QTest::newRow("write 1")
            << "cmdWrite1Byte_1"
            << "WRITE"
            << "Writes Data entered below to  Address in Device Register Address Text Box";
        QTest::newRow("read all") << "cmdReadRegs"
                                  << "Read All Active Device  Registers"
                                  << "Performs Single Byte Reads on all Registers";
        QTest::newRow("write all") << "cmdwriteAll"
                                   << "Write All Active Device Registers"
                                   << "Performs Single Byte Writes  on all Registers";
        QTest::newRow("copy") << "Command7"
                              << "Set Write Data = Read Data "
                              << "Moves Active Device Registers  Read Data Into Associated Write Boxes";
    }
    void controlsCarryTheirCaptionsAndToolTips()
    {
        QFETCH(QString, name);
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        const auto* button = window.findChild<QPushButton*>(name);
        QVERIFY(button);
        QTEST(button->text(), "caption");
        QTEST(button->toolTip(), "toolTip");
    }

    void boxesCarryTheirTextsAndToolTips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("address") << "txtI2CADR"
                                 << "9E"
                                 << "Enter I2C Address";
        QTest::newRow("transfer count") << "txtTstReg_0"
                                        << ""
                                        << "If good Com, will be equal to 1.";
        QTest::newRow("read address") << "txtActualReadAddress"
                                      << "9F"
                                      << "Actual I2C Read Address";
        QTest::newRow("write address") << "txtActualWrtAddress"
                                       << "9E"
                                       << "Actual I2C Write Address";
        QTest::newRow("register")
            << "txtUserRegAdr"
            << "00"
            << "Sets Device Register Accessed for Writes and Reads in Single Byte Transfer User Panel";
        QTest::newRow("data 0") << "txtsbwr_0"
                                << "AA"
                                << "";
        QTest::newRow("data 1") << "txtsbwr_1"
                                << "55"
                                << "";
        QTest::newRow("read byte") << "txtReadByte"
                                   << "--"
                                   << "";
        QTest::newRow("row 0 address") << "Reg_Adr_0"
                                       << "00"
                                       << "Register Address 0x00 to 0xFF";
        QTest::newRow("row 10 address") << "Reg_Adr_10"
                                        << "0A"
                                        << "Register Address 0x00 to 0xFF";
        QTest::newRow("row 31 address") << "Reg_Adr_31"
                                        << "1F"
                                        << "Register Address 0x00 to 0xFF";
        QTest::newRow("row 1 description") << "Reg_Desc_1"
                                           << "Veltrane Product ID / revision number"
                                           << "";
        QTest::newRow("row 15 description") << "Reg_Desc_15"
                                            << "Local I2C Device lD"
                                            << "";
        QTest::newRow("row 20 description") << "Reg_Desc_20"
                                            << ""
                                            << "";
        QTest::newRow("row 24 description") << "Reg_Desc_24"
                                            << "misc_contrl"
                                            << "";
        QTest::newRow("row 29 description") << "Reg_Desc_29"
                                            << "Status2"
                                            << "";
        QTest::newRow("row 5 write") << "txtBWrite_5"
                                     << ""
                                     << "Double click, or press ENTER key to write to single register";
        QTest::newRow("row 5 read") << "txtRdByte_5"
                                    << ""
                                    << "Single click to read register";
    }
    void boxesCarryTheirTextsAndToolTips()
    {
        QFETCH(QString, name);
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        const auto* box = window.findChild<QLineEdit*>(name);
        QVERIFY(box);
        QTEST(box->text(), "text");
        QTEST(box->toolTip(), "toolTip");
    }

    void rowsSitInTwoFramesInOrder()
    {
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        for (int r = 0; r < kRegisterRowCount; ++r) {
            const QString frame = QStringLiteral("Frame1_%1").arg(r / kRowsPerFrame);
            for (const char* name :
                 {"Reg_Adr", "Reg_Desc", "txtBWrite", "shpBwrite", "txtRdByte", "Shape1"}) {
                const QWidget* w =
                    window.findChild<QWidget*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(r));
                QVERIFY2(w, name);
                QCOMPARE(w->parentWidget()->objectName(), frame);
            }
            QCOMPARE(window.findChild<LampWidget*>(QStringLiteral("shpBwrite_%1").arg(r))->shape(),
                     LampWidget::Shape::Circle);
        }
        for (int f = 0; f < 2; ++f)
            QCOMPARE(window.findChild<QGroupBox*>(QStringLiteral("Frame1_%1").arg(f))->title(),
                     QStringLiteral("Active Device Registers"));
    }

    void menusOfferSetupFilesAndAbout()
    {
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        const auto* file = window.findChild<QMenu*>(QStringLiteral("mnuFileProcess"));
        QVERIFY(file);
        QCOMPARE(file->title(), QStringLiteral("File"));
        QCOMPARE(window.findChild<QAction*>(QStringLiteral("mnuSetup_Open"))->text(), QStringLiteral("Open"));
        QCOMPARE(window.findChild<QAction*>(QStringLiteral("mnuSetup_Save"))->text(), QStringLiteral("Save"));
        auto* about = window.findChild<QAction*>(QStringLiteral("frmAbout"));
        QCOMPARE(about->text(), QStringLiteral("About"));
        int shown = 0;
        window.setAboutAction([&shown] { ++shown; });
        about->trigger();
        QCOMPARE(shown, 1);
    }

    void loadingWhileAnotherWindowHoldsTheLinkOpenClosesItFirst()
    {
        SimFixture sim;
        OtherWindow other;
        LinkClient dcpSide(sim.link, kDcpPanelLink, other);
        dcpSide.Connect_Usb();
        QVERIFY(sim.link.UsbOpen);
        QVERIFY(sim.board.isInitialised());
        sim.board.clearCallLog();
        RegisterToolWindow window(sim.context);
        // The open link is closed the proper way before the probe initialises the driver again, and the
        // probe releases its own initialisation: none is left behind.
        const std::vector<QString> closing(sim.board.callLog().begin(), sim.board.callLog().begin() + 4);
        QCOMPARE(closing,
                 (std::vector<QString>{QStringLiteral("resetDevice 0"), QStringLiteral("closeDriverHandle"),
                                       QStringLiteral("uninit"), QStringLiteral("init")}));
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("init")), 1);
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("uninit")), 2);
        QVERIFY(!sim.link.UsbOpen);
        QVERIFY(!sim.board.isInitialised());
        QVERIFY(sim.messages.messages.empty());
    }

    void theProbeWaitsForATransactionRunningAtLoad()
    {
        SimFixture sim;
        std::optional<RegisterToolWindow> window;
        {
            const auto otherTransaction = sim.link.guard().tryBegin();
            window.emplace(sim.context);
            QVERIFY(sim.board.callLog().empty());
            QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("txthDriver"))->text(),
                     QStringLiteral("Not Initialized"));
        }
        yieldEvents();
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("init")), 1);
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("uninit")), 1);
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("txthDriver"))->text(), QStringLiteral(" 1"));
        QCOMPARE(window->findChild<LampWidget*>(QStringLiteral("ShpAttach"))->color(), LampColor::Black);
        QVERIFY(!sim.link.UsbOpen);
    }

    void automaticModeClosesTheLinkAfterEachTransaction()
    {
        RegToolHarness h;
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
        QVERIFY(!h.sim.link.UsbOpen);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
        QCOMPARE(h.lamp(QStringLiteral("ShpHandleStatus")), LampColor::Black);
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_1")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_0")), LampColor::Black);
        QCOMPARE(h.child<QPushButton>(QStringLiteral("cbNoc"))->text(),
                 QStringLiteral("USB Board Interface Closed"));
        QVERIFY(h.child<QPushButton>(QStringLiteral("cmdexit"))->isVisible());
        QVERIFY(!h.sim.board.isInitialised());
        QVERIFY(h.sim.messages.messages.empty());
    }

    void manualModeKeepsTheLinkAsTheUserLeftIt()
    {
        RegToolHarness h;
        auto* exitButton = h.child<QPushButton>(QStringLiteral("cmdexit"));
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        QVERIFY(h.sim.state.ManualUsbConn);
        QVERIFY(h.sim.board.transferLog().empty()); // the mode alone sends nothing

        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        QVERIFY(h.sim.link.UsbOpen);
        QVERIFY(exitButton->isHidden());
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_0")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_1")), LampColor::Black);
        QCOMPARE(h.lamp(QStringLiteral("ShpHandleStatus")), LampColor::LightGreen);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral(" 2"));

        // A transaction leaves the link open.
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QVERIFY(h.sim.link.UsbOpen);
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});

        // A second connect says so and changes no lamp.
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Already Opened")});
        QCOMPARE(h.sim.messages.messages.back().caption, kApplicationTitle);
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_0")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("ShpHandleStatus")), LampColor::LightGreen);
        h.sim.messages.clear();

        // Closing is refused while the link is open.
        QVERIFY(!h.window->close());
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.sim.program.endRequests, 0);
        QCOMPARE(h.sim.messages.texts(),
                 QStringList{QStringLiteral(
                     "Form will not close until USB Connection is closed. Click USB Disconnect")});
        QCOMPARE(h.sim.messages.messages.back().caption, kApplicationTitle);
        QVERIFY(h.sim.link.UsbOpen);

        h.child<QPushButton>(QStringLiteral("cmdUSBDisconnect"))->click();
        QVERIFY(!h.sim.link.UsbOpen);
        QVERIFY(!h.sim.board.isInitialised());
        QVERIFY(!exitButton->isHidden());
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
        QCOMPARE(h.lamp(QStringLiteral("ShpHandleStatus")), LampColor::Black);
        QCOMPARE(h.lamp(QStringLiteral("shpUSBCon_1")), LampColor::LightGreen);

        // Exit now closes the window and ends the program.
        exitButton->click();
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.sim.program.endRequests, 1);
    }

    void disconnectWithTheLinkClosedStillShowsItClosed()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBDisconnect"))->click();
        h.sim.board.clearCallLog();
        h.child<QPushButton>(QStringLiteral("cmdUSBDisconnect"))->click();
        QVERIFY(h.sim.board.callLog().empty());
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
        QCOMPARE(h.lamp(QStringLiteral("ShpHandleStatus")), LampColor::Black);
        QVERIFY(!h.child<QPushButton>(QStringLiteral("cmdexit"))->isHidden());
    }

    void clearingManualModeLeavesAnOpenLinkToTheNextBracket()
    {
        RegToolHarness h;
        auto* manual = h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"));
        manual->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        manual->click();
        QVERIFY(!h.sim.state.ManualUsbConn);
        QVERIFY(h.sim.link.UsbOpen);
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        // The bracket's connect finds the link open and says so, then the bracket closes it.
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Already Opened")});
        QVERIFY(!h.sim.link.UsbOpen);
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
    }

    void aDriverThatWillNotInitialiseIsShownOnTheStatusCaption()
    {
        RegToolHarness h;
        h.sim.board.failInit(DriverStatus::NoMemory);
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        QVERIFY(!h.sim.link.UsbOpen);
        QCOMPARE(h.child<QPushButton>(QStringLiteral("cbNoc"))->text(),
                 QStringLiteral("USB Board won't intialize"));
        QVERIFY(h.child<QPushButton>(QStringLiteral("cmdexit"))->isHidden());
    }

    void aTransferRequestWhileAnotherTransactionRunsIsDropped()
    {
        RegToolHarness h;
        {
            const auto otherTransaction = h.sim.link.guard().tryBegin();
            QVERIFY(otherTransaction.has_value());
            h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
            h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
            h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
            h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
            QVERIFY(h.sim.board.transferLog().empty());
            QVERIFY(h.sim.board.callLog().empty());
            // Closing waits for the running transaction instead of ending the program in its middle.
            QVERIFY(!h.window->close());
            QCOMPARE(h.sim.program.endRequests, 0);
        }
        yieldEvents();
        QCOMPARE(h.sim.program.endRequests, 1);
        QVERIFY(!h.window->isVisible());
    }

    void directWriteGoesToPipeFourAfterTheBridgeQuery()
    {
        RegToolHarness h;
        auto& panel = h.window->directWritePanel();
        QVERIFY(!panel.isExpanded());
        QVERIFY(h.child<QWidget>(QStringLiteral("DirectWriteGroup"))->isHidden());
        h.child<QToolButton>(QStringLiteral("tglDirectWrite"))->click();
        QVERIFY(panel.isExpanded());
        QVERIFY(h.child<QWidget>(QStringLiteral("DirectWriteGroup"))->isVisible());

        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        h.sim.board.clearTransferLog();
        h.child<QLineEdit>(QStringLiteral("txtAddr"))->setText(QStringLiteral("15"));
        h.child<QLineEdit>(QStringLiteral("txtData"))->setText(QStringLiteral("a5"));
        h.child<QPushButton>(QStringLiteral("cmdWrite"))->click();
        const auto commands = h.sim.writesOn(1);
        QVERIFY(!commands.empty());
        QCOMPARE(hexBytes(commands.front().bytes), QStringLiteral("FF 02 FF FF 02"));
        const auto direct = h.sim.writesOn(4);
        QCOMPARE(direct.size(), 1u);
        QCOMPARE(hexBytes(direct.front().bytes), QStringLiteral("15 A5"));
        QCOMPARE(h.sim.board.moduleRegister(0x15), 0xA5);
        QVERIFY(h.sim.messages.messages.empty());
    }

    void directWriteWithTheLinkClosedIsReportedByThePipes()
    {
        // The direct write has no connection bracket: between transactions of the automatic mode the link is
        // closed, and the pipe operations say so.
        RegToolHarness h;
        h.window->directWritePanel().cmdWrite_Click();
        const QString notOpenWrite = QStringLiteral("Write GPIOPipe .. USB Not opened");
        // The bridge query and its reply, the serial set-up of a module whose missing reply reads as kind 1,
        // then the direct write itself.
        QCOMPARE(h.sim.messages.texts(),
                 (QStringList{notOpenWrite, QStringLiteral("ReadPipe .. USB Not opened"), notOpenWrite,
                              notOpenWrite, notOpenWrite}));
        QVERIFY(h.sim.board.transferLog().empty());
    }

    void directWriteRefusesValuesItCannotSend_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::newRow("data 100") << "05"
                                  << "100";
        QTest::newRow("data too long") << "05"
                                       << "12345";
        QTest::newRow("data negative") << "05"
                                       << "FFFF";
        QTest::newRow("address with the read flag") << "85"
                                                    << "01";
        QTest::newRow("address too long") << "123456"
                                          << "01";
    }
    void directWriteRefusesValuesItCannotSend()
    {
        QFETCH(QString, address);
        QFETCH(QString, data);
        RegToolHarness h;
        h.child<QLineEdit>(QStringLiteral("txtAddr"))->setText(address);
        h.child<QLineEdit>(QStringLiteral("txtData"))->setText(data);
        h.window->directWritePanel().cmdWrite_Click();
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Invalid Write Value")});
        QVERIFY(h.sim.board.transferLog().empty());
    }

    void directWriteFillsEmptyBoxesWithZero()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        h.sim.board.clearTransferLog();
        h.child<QLineEdit>(QStringLiteral("txtAddr"))->clear();
        h.child<QLineEdit>(QStringLiteral("txtData"))->clear();
        h.window->directWritePanel().cmdWrite_Click();
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtAddr"))->text(), QStringLiteral("00"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtData"))->text(), QStringLiteral("00"));
        QCOMPARE(hexBytes(h.sim.writesOn(4).at(0).bytes), QStringLiteral("00 00"));
    }
};

QTEST_MAIN(TestRegToolWindow)
#include "tst_regtoolwindow.moc"
