#include "dcppanelharness.h"

#include "common/appinfo.h"

#include <QAction>
#include <QMenuBar>

using namespace vtx;
using namespace vtx::test;

namespace {
const QString kWriteError = QStringLiteral("Write DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kWriteCaption = QStringLiteral(" Error during Write to DCP ");
const QString kReadError = QStringLiteral("Read DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kReadCaption = QStringLiteral(" Error during DCP Read ");
} // namespace

class TestDcpPanel : public QObject {
    Q_OBJECT
private slots:
    void loadLeavesPositionOneUnwritten()
    {
        DcpPanelHarness h(false);
        QVERIFY(h.window->Form_Load());
        QCOMPARE(h.window->objectName(), QStringLiteral("frmVTX8303"));
        QCOMPARE(h.window->windowTitle(), QStringLiteral("Veltrane's I2C DCP Product Demonstation"));
        QCOMPARE(h.text("txtActualWrtAddress"), QStringLiteral("9E"));
        QCOMPARE(h.text("txtActualReadAddress"), QStringLiteral("9F"));
        QCOMPARE(h.text("txtDelay"), QStringLiteral("1000"));
        QCOMPARE(h.text("txtHexDataWrt"), QStringLiteral("01"));
        QCOMPARE(h.setList()->count(), 128);
        QCOMPARE(h.readList()->count(), 128);
        QCOMPARE(h.setList()->item(0)->text(), QStringLiteral(" 1"));
        QCOMPARE(h.setList()->item(127)->text(), QStringLiteral(" 128"));
        QCOMPARE(h.setList()->currentRow(), 0);
        QCOMPARE(h.child<QSlider>("Slider1_0")->value(), 1);
        QVERIFY(h.child<QRadioButton>("Option1_1")->isChecked());
        QVERIFY(h.child<QRadioButton>("SSOption1_0")->isChecked());
        QVERIFY(h.i2cCommands().empty());
        QVERIFY(!h.f.link.UsbOpen);
        QVERIFY(h.f.link.UsbOK);
        QCOMPARE(h.commLamp(), LampColor::Black);
        QCOMPARE(h.writeLamp(), LampColor::Black);
        QCOMPARE(h.readLamp(), LampColor::Black);
        QCOMPARE(h.timerLamp(), LampColor::Black);
        QVERIFY(!h.child<QPushButton>("cmdStopTimer")->isVisible());
        QVERIFY(h.child<QPushButton>("cmdexit")->isVisible());
        QCOMPARE(h.label("lblBanner"), QStringLiteral("Simulated evaluation board"));
        QCOMPARE(h.f.program.endRequests, 0);
        QVERIFY(h.f.messages.messages.empty());
    }

    void captionsAndToolTips()
    {
        DcpPanelHarness h;
        QCOMPARE(h.child<QPushButton>("cmdOpen_USB")->text(), QStringLiteral("Open USB "));
        QCOMPARE(h.child<QPushButton>("CMDxMIT")->text(), QStringLiteral("I2C-Write"));
        QCOMPARE(h.child<QGroupBox>("SSFrame3_0")->title(), QStringLiteral(" Set  Position"));
        QCOMPARE(h.child<QGroupBox>("SSFrame6")->title(), QStringLiteral(" Wrt  -DATA-  Rd "));
        QCOMPARE(h.child<QGroupBox>("SSFrame1")->title(), QStringLiteral("VTX830x Digital Poteniometer Control"));
        QCOMPARE(h.label("lblUSBChk_0"), QStringLiteral("USB Status"));
        QCOMPARE(h.label("lblUSBChk_4"), QStringLiteral("DCP COMM"));
        QCOMPARE(h.label("lblUSBChk_3"), QStringLiteral("Timer Status"));
        QCOMPARE(h.child<QLineEdit>("txtHexDataRead")->toolTip(),
                 QStringLiteral("Actual Hex value read back from  the I2C Bus."));
        QCOMPARE(h.child<QLabel>("lblUSBChk_4")->toolTip().left(45),
                 QStringLiteral("Green indicates a successful I2C read  betwee"));
        QCOMPARE(h.window->findChild<QAction*>("mnuJumperInfoOff")->text(), QStringLiteral("Jumper Ino Off"));
        QCOMPARE(h.window->findChild<QAction*>("mnuJumperHelp")->text(), QStringLiteral("Display Jumper Info"));
        QCOMPARE(h.window->findChild<QAction*>("mnuAbout")->text(), QStringLiteral("About"));
        QAction* tool = h.window->findChild<QAction*>("mnuRegisterTool");
        QCOMPARE(tool->text(), QStringLiteral("I2C Register Tool"));
        QVERIFY(!tool->isEnabled());
        int opened = 0;
        h.window->setRegisterToolHook([&opened] { ++opened; });
        QVERIFY(tool->isEnabled());
        tool->trigger();
        QCOMPARE(opened, 1);
    }

    void listSelectionWritesThePosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("registerMode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("hex");
        QTest::newRow("1 Register") << 1 << true << "01 9E 01" << "01";
        QTest::newRow("1 EEPROM") << 1 << false << "01 9E 00" << "00";
        QTest::newRow("65 Register") << 65 << true << "01 9E 81" << "81";
        QTest::newRow("65 EEPROM") << 65 << false << "01 9E 80" << "80";
        QTest::newRow("128 Register") << 128 << true << "01 9E FF" << "FF";
        QTest::newRow("128 EEPROM") << 128 << false << "01 9E FE" << "FE";
    }
    void listSelectionWritesThePosition()
    {
        QFETCH(int, position);
        QFETCH(bool, registerMode);
        QFETCH(QString, command);
        QFETCH(QString, hex);
        DcpPanelHarness h;
        // Start elsewhere so that every row is a change of selection.
        h.setList()->setCurrentRow(position == 2 ? 3 : 1);
        h.f.board.clearTransferLog();
        h.child<QRadioButton>(registerMode ? "Option1_1" : "Option1_0")->setChecked(true);
        QVERIFY(h.f.board.transferLog().empty()); // a mode change sends nothing

        h.setList()->setCurrentRow(position - 1);
        QCOMPARE(h.i2cCommands(), std::vector<QString>{command});
        QCOMPARE(h.text("txtHexDataWrt"), hex);
        QCOMPARE(h.child<QSlider>("Slider1_0")->value(), position);
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 2"));
        QCOMPARE(h.commLamp(), LampColor::LightGreen);
        QCOMPARE(h.writeLamp(), LampColor::Green); // the second good write: the first moved off position 1
        QCOMPARE(int(h.f.board.dcp().wiperCode()), position - 1);
        QVERIFY(!h.f.link.UsbOpen);
        QCOMPARE(h.label("cbNoc"), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(h.f.messages.messages.empty());
    }

    void modeSwitchChangesTheByteAndSendsNothing()
    {
        DcpPanelHarness h;
        h.setList()->setCurrentRow(64);
        h.f.board.clearTransferLog();
        h.child<QRadioButton>("Option1_0")->click();
        QCOMPARE(h.text("txtHexDataWrt"), QStringLiteral("80"));
        h.child<QRadioButton>("Option1_1")->click();
        QCOMPARE(h.text("txtHexDataWrt"), QStringLiteral("81"));
        QVERIFY(h.f.board.transferLog().empty());
    }

    void sliderKeysMoveTheListAndWrite()
    {
        DcpPanelHarness h;
        auto* slider = h.child<QSlider>("Slider1_0");
        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(h.setList()->currentRow(), 1);
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9E 03")});
        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(h.setList()->currentRow(), 6);
        QCOMPARE(h.i2cCommands().back(), QStringLiteral("01 9E 0D"));
    }

    void sliderDragIsTakenWhenReleased()
    {
        DcpPanelHarness h;
        auto* slider = h.child<QSlider>("Slider1_0");
        slider->setSliderDown(true);
        slider->setValue(40);
        slider->setValue(50);
        QVERIFY(h.i2cCommands().empty()); // nothing while the handle is held
        QCOMPARE(h.setList()->currentRow(), 0);
        slider->setSliderDown(false);
        QCOMPARE(h.setList()->currentRow(), 49);
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9E 63")});
        QCOMPARE(h.text("txtHexDataWrt"), QStringLiteral("63"));
    }

    void writeButtonAlternatesTheGreens()
    {
        DcpPanelHarness h;
        const LampColor expected[] = {LampColor::LightGreen, LampColor::Green, LampColor::LightGreen};
        for (const LampColor colour : expected) {
            h.click("CMDxMIT");
            QCOMPARE(h.writeLamp(), colour);
            QCOMPARE(h.commLamp(), LampColor::LightGreen);
        }
        QCOMPARE(h.i2cCommands().size(), std::size_t(3));
        QCOMPARE(h.i2cCommands().back(), QStringLiteral("01 9E 01"));
        QVERIFY(h.child<QPushButton>("CMDxMIT")->isVisible());
        QVERIFY(h.child<QPushButton>("cmdI2Read")->isVisible());
    }

    void readShowsTheWiper()
    {
        DcpPanelHarness h;
        h.setList()->setCurrentRow(64); // writes 0x81: wiper code 64
        h.f.board.clearTransferLog();
        h.click("cmdI2Read");
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9F")});
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 1"));
        QCOMPARE(h.text("txtHexDataRead"), QStringLiteral("80"));
        QCOMPARE(h.readList()->currentRow(), 64);
        QCOMPARE(h.child<QProgressBar>("ProgressBar1")->value(), 64);
        QCOMPARE(h.readLamp(), LampColor::LightGreen);
        QCOMPARE(h.commLamp(), LampColor::LightGreen);
        h.click("cmdI2Read");
        QCOMPARE(h.readLamp(), LampColor::Green);
        h.click("cmdI2Read");
        QCOMPARE(h.readLamp(), LampColor::LightGreen);
    }

    void autoReadReadsBackEachWrite()
    {
        DcpPanelHarness h;
        h.box("ChkAutoRead")->click(); // checking reads once
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9F")});
        h.f.board.clearTransferLog();
        h.setList()->setCurrentRow(127);
        QCOMPARE(h.i2cCommands(), (std::vector<QString>{QStringLiteral("01 9E FF"), QStringLiteral("01 9F")}));
        QCOMPARE(h.text("txtHexDataRead"), QStringLiteral("FE"));
        QCOMPARE(h.readList()->currentRow(), 127);
        QCOMPARE(h.child<QProgressBar>("ProgressBar1")->value(), 1);
    }

    void readPositionListIgnoresTheMouse()
    {
        DcpPanelHarness h;
        h.click("cmdI2Read");
        const int row = h.readList()->currentRow();
        h.f.board.clearTransferLog();
        QListWidget* list = h.readList();
        const QRect itemRect = list->visualItemRect(list->item(row + 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, itemRect.center());
        QCOMPARE(list->currentRow(), row);
        QVERIFY(h.f.board.transferLog().empty());
    }

    void writeFailure_data()
    {
        QTest::addColumn<bool>("ignoreFails");
        QTest::newRow("reported") << false;
        QTest::newRow("ignored") << true;
    }
    void writeFailure()
    {
        QFETCH(bool, ignoreFails);
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0")); // timer on, but no ticks
        h.box("chkWriteTimer")->setChecked(true);
        h.box("chkFailIgnore")->setChecked(ignoreFails);
        h.f.board.setDeviceAnswers(0x9E, false);
        bool timerBoxAtMessage = true;
        h.f.messages.onMessage = [&](const RecordedMessage&) { timerBoxAtMessage = h.box("chkWriteTimer")->isChecked(); };

        h.click("CMDxMIT");
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9E 01")});
        QCOMPARE(h.commLamp(), LampColor::LightRed);
        QCOMPARE(h.writeLamp(), LampColor::LightRed);
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        QVERIFY(!h.f.link.UsbOpen);
        if (ignoreFails) {
            QVERIFY(h.f.messages.messages.empty());
            QVERIFY(h.box("chkWriteTimer")->isChecked());
        } else {
            QCOMPARE(h.f.messages.messages.size(), std::size_t(1));
            QCOMPARE(h.f.messages.messages[0].text, kWriteError);
            QCOMPARE(h.f.messages.messages[0].caption, kWriteCaption);
            QVERIFY(!timerBoxAtMessage); // unchecked before the box went up
            QVERIFY(!h.box("chkWriteTimer")->isChecked());
            QVERIFY(!h.window->timedTransfers().readTimer().isEnabled());
        }
        // A good write after the fault: the lamps recover.
        h.f.board.setDeviceAnswers(0x9E, true);
        h.click("CMDxMIT");
        QCOMPARE(h.writeLamp(), LampColor::LightGreen);
        QCOMPARE(h.commLamp(), LampColor::LightGreen);
    }

    void readFailure_data()
    {
        QTest::addColumn<bool>("ignoreFails");
        QTest::newRow("reported") << false;
        QTest::newRow("ignored") << true;
    }
    void readFailure()
    {
        QFETCH(bool, ignoreFails);
        DcpPanelHarness h;
        h.click("cmdI2Read"); // a good read first, so the displays hold a position
        QVERIFY(h.readList()->currentRow() >= 0);
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
        h.box("chkReadTimer")->setChecked(true);
        h.box("chkFailIgnore")->setChecked(ignoreFails);
        h.f.board.setDeviceAnswers(0x9E, false);
        bool timerBoxAtMessage = false;
        h.f.messages.onMessage = [&](const RecordedMessage&) { timerBoxAtMessage = h.box("chkReadTimer")->isChecked(); };

        h.window->timedTransfers().tick(); // one timed read
        QCOMPARE(h.readLamp(), LampColor::LightRed);
        QCOMPARE(h.commLamp(), LampColor::LightRed);
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        // Nothing was read, so nothing pretends to be a position.
        QCOMPARE(h.text("txtHexDataRead"), QStringLiteral("--"));
        QCOMPARE(h.readList()->currentRow(), -1);
        QVERIFY(h.readList()->selectedItems().isEmpty());
        QCOMPARE(h.child<QProgressBar>("ProgressBar1")->value(), -1);
        if (ignoreFails) {
            QVERIFY(h.f.messages.messages.empty());
            QVERIFY(h.box("chkReadTimer")->isChecked());
            QVERIFY(h.window->timedTransfers().readTimer().isEnabled());
        } else {
            QCOMPARE(h.f.messages.messages.size(), std::size_t(1));
            QCOMPARE(h.f.messages.messages[0].text, kReadError);
            QCOMPARE(h.f.messages.messages[0].caption, kReadCaption);
            QVERIFY(timerBoxAtMessage); // unchecked after the box
            QVERIFY(!h.box("chkReadTimer")->isChecked());
            QVERIFY(!h.window->timedTransfers().readTimer().isEnabled());
            QCOMPARE(h.timerLamp(), LampColor::Black);
            QVERIFY(!h.child<QPushButton>("cmdStopTimer")->isVisible());
        }
    }

    void openUsbWithModuleAndDcp()
    {
        DcpPanelHarness h;
        h.click("cmdOpen_USB");
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9F")});
        QCOMPARE(h.attachLamp(), LampColor::LightGreen);
        QCOMPARE(h.commLamp(), LampColor::LightGreen);
        QVERIFY(h.f.messages.messages.empty());
        QVERIFY(!h.f.link.UsbOpen);
    }

    void openUsbWithModuleButNoDcp()
    {
        DcpPanelHarness h;
        h.f.board.setDeviceAnswers(0x9E, false);
        h.click("cmdOpen_USB");
        QCOMPARE(h.f.messages.texts(),
                 (QStringList{kReadError,
                              QStringLiteral("DCP Device is not responding, check Eval board connections and Power")}));
        QCOMPARE(h.f.messages.messages[1].caption, kApplicationTitle);
        QCOMPARE(h.attachLamp(), LampColor::LightGreen);
        QCOMPARE(h.commLamp(), LampColor::LightRed);
        QVERIFY(!h.f.link.UsbOpen);
    }

    void openUsbWithoutModule()
    {
        DcpPanelHarness h;
        h.f.board.unplug();
        yieldAll();
        h.f.messages.clear();
        h.click("cmdOpen_USB");
        QVERIFY(!h.f.messages.messages.empty());
        QCOMPARE(h.f.messages.messages.back().text,
                 QStringLiteral("USB Control Module is not responding  check USB Connection"));
        QCOMPARE(h.f.messages.messages.back().caption, kApplicationTitle);
        QCOMPARE(h.attachLamp(), LampColor::LightRed);
        QVERIFY(h.i2cCommands().empty());
        QVERIFY(!h.f.link.UsbOpen);
        QVERIFY(!h.f.board.isInitialised());
    }

    void startupWithoutModuleEndsTheProgram()
    {
        DcpPanelHarness h(false);
        h.f.board.unplug();
        QVERIFY(!h.window->Form_Load());
        QVERIFY(!h.f.messages.messages.empty());
        QCOMPARE(h.f.messages.messages.back().text,
                 QStringLiteral("USB Control module is not responding, check USB connections and re-start "
                                "application"));
        QCOMPARE(h.f.messages.messages.back().caption, kApplicationTitle);
        QCOMPARE(h.f.program.endRequests, 1);
        QVERIFY(!h.f.board.isInitialised()); // the driver was released
        QVERIFY(h.i2cCommands().empty());
    }

    void nothingIsSentWhileTheModuleIsNotReady()
    {
        DcpPanelHarness h;
        h.f.link.UsbOK = false;
        h.setList()->setCurrentRow(20);
        QCOMPARE(h.text("txtHexDataWrt"), QStringLiteral("29"));
        h.click("CMDxMIT");
        QVERIFY(h.f.board.transferLog().empty());
        QCOMPARE(h.writeLamp(), LampColor::Black);
        QCOMPARE(h.commLamp(), LampColor::Black);
        QVERIFY(h.f.messages.messages.empty());
    }

    void closeIsRefusedWhileTheLinkIsOpen()
    {
        DcpPanelHarness h;
        h.click("cmdUSBConnect");
        QVERIFY(h.f.link.UsbOpen);
        QVERIFY(!h.child<QPushButton>("cmdexit")->isVisible());
        QVERIFY(!h.window->close());
        QCOMPARE(h.f.messages.texts(),
                 QStringList{QStringLiteral("Form will not close until USB Connection is closed. Click USB Disconnect")});
        QCOMPARE(h.f.messages.messages[0].caption, kApplicationTitle);
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.f.program.endRequests, 0);

        h.click("cmdUSBDisconnect");
        QVERIFY(!h.f.link.UsbOpen);
        QCOMPARE(h.label("cbNoc"), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(h.child<QPushButton>("cmdexit")->isVisible());
        QVERIFY(h.window->close());
        QCOMPARE(h.f.program.endRequests, 1);
    }

    void aTransactionClosesALinkOpenedByHand()
    {
        DcpPanelHarness h;
        h.click("cmdUSBConnect");
        QVERIFY(h.f.link.UsbOpen);
        h.click("CMDxMIT");
        QVERIFY(!h.f.link.UsbOpen);
        QVERIFY(h.child<QPushButton>("cmdexit")->isVisible());
        QCOMPARE(h.i2cCommands().size(), std::size_t(1));
    }

    void exitClosesTheLinkAndEndsTheProgram()
    {
        DcpPanelHarness h;
        h.click("cmdUSBConnect");
        h.window->cmdexit_Click();
        QVERIFY(!h.f.link.UsbOpen);
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.f.program.endRequests, 1);
        QVERIFY(h.f.messages.messages.empty());
    }

    void jumperPictureAndAboutGoThroughTheHooks()
    {
        DcpPanelHarness h;
        std::vector<QWidget*> openers;
        int abouts = 0;
        h.window->setHooks({[&](QWidget* opener) { openers.push_back(opener); }, [&] { ++abouts; }, {}});
        h.click("SSCommand1");
        h.child<QRadioButton>("SSOption1_1")->click();
        h.child<QRadioButton>("SSOption1_0")->click();
        h.window->findChild<QAction*>("mnuJumperHelp")->trigger();
        h.window->findChild<QAction*>("mnuJumperInfoOff")->trigger();
        QCOMPARE(openers.size(), std::size_t(4));
        QCOMPARE(openers.front(), static_cast<QWidget*>(h.window.get()));
        h.window->findChild<QAction*>("mnuAbout")->trigger();
        QCOMPARE(abouts, 1);
        QVERIFY(h.f.board.transferLog().empty());
    }

private:
    static void yieldAll() { QCoreApplication::processEvents(); }
};

QTEST_MAIN(TestDcpPanel)
#include "tst_dcppanel.moc"
