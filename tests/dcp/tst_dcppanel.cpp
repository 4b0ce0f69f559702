// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/appinfo.h"
#include "dcp/dcppanelwindow.h"
#include "regtool/addresstestpanel.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"
#include "ui/lampwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <algorithm>

using namespace vtx;
using namespace vtx::test;

namespace {

const QString kWriteError = QStringLiteral("Write DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kReadError = QStringLiteral("Read DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kNoDriver =
    QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n");
constexpr auto kLightGreen = LampColor::LightGreen;

// A loaded DCP panel on the simulated board; controls are found by their object names, so every case also
// checks the names.
struct Panel {
    SimFixture f;
    dcp::DcpPanelWindow window{f.context};
    Panel(bool load = true)
    {
        window.show();
        if (load && window.Form_Load())
            f.board.clearTransferLog();
    }
    template <typename T = QWidget> T* child(const QString& name) const
    {
        if (T* found = window.findChild<T*>(name))
            return found;
        qFatal("no control named %s", qPrintable(name));
    }
    QListWidget* list() const { return child<QListWidget>("List1_0"); }
    LampColor lamp(const QString& name) const { return child<LampWidget>(name)->color(); }
    QString text(const QString& name) const { return child<QLineEdit>(name)->text(); }
    void click(const QString& button) const { child<QPushButton>(button)->click(); }
    QCheckBox* box(const QString& name) const { return child<QCheckBox>(name); }
    dcp::TimedTransfers& timed() { return window.timedTransfers(); }
    void startTimers(const QString& delay, const QStringList& boxes)
    {
        child<QLineEdit>("txtDelay")->setText(delay);
        for (const QString& name : boxes)
            box(name)->setChecked(true);
    }
    // The DCP commands on the I2C pipe of the simulated module (pipe 3).
    QStringList i2c() const { return f.hexWritesOn(3); }
};

} // namespace

class TestDcpPanel : public QObject {
    Q_OBJECT
private slots:
    void loadSendsNothing()
    {
        Panel p(false);
        QVERIFY(p.window.Form_Load());
        QVERIFY(!p.f.board.transferLog().empty()); // the module was probed ...
        QVERIFY(p.i2c().isEmpty());                // ... but the DCP not written
        QCOMPARE(p.list()->item(127)->text(), QStringLiteral(" 128"));
        QCOMPARE(p.list()->currentItem()->text(), QStringLiteral(" 1"));
        for (const char* lamp : {"Shape1_1", "Shape1_2", "Shape1_3", "Shape1_4"})
            QCOMPARE(p.lamp(lamp), LampColor::Black);
        QVERIFY(p.f.messages.messages.empty());
    }

    void showsItsTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("expected");
        QTest::newRow("frmVTX8303 windowTitle") << "frmVTX8303" << QByteArray("windowTitle")
                                                << QStringLiteral("Veltrane's I2C DCP Product Demonstation");
        QTest::newRow("txtActualWrtAddress text")
            << "txtActualWrtAddress" << QByteArray("text") << QStringLiteral("9E");
        QTest::newRow("txtActualReadAddress text")
            << "txtActualReadAddress" << QByteArray("text") << QStringLiteral("9F");
        QTest::newRow("txtHexDataWrt text") << "txtHexDataWrt" << QByteArray("text") << QStringLiteral("01");
        QTest::newRow("cmdOpen_USB text")
            << "cmdOpen_USB" << QByteArray("text") << QStringLiteral("Open USB ");
        QTest::newRow("CMDxMIT text") << "CMDxMIT" << QByteArray("text") << QStringLiteral("I2C-Write");
        QTest::newRow("SSFrame3_0 title")
            << "SSFrame3_0" << QByteArray("title") << QStringLiteral(" Set  Position");
        QTest::newRow("SSFrame6 title")
            << "SSFrame6" << QByteArray("title") << QStringLiteral(" Wrt  -DATA-  Rd ");
        QTest::newRow("SSFrame1 title")
            << "SSFrame1" << QByteArray("title") << QStringLiteral("VTX830x Digital Poteniometer Control");
        QTest::newRow("lblUSBChk_0 text")
            << "lblUSBChk_0" << QByteArray("text") << QStringLiteral("USB Status");
        QTest::newRow("lblUSBChk_4 text")
            << "lblUSBChk_4" << QByteArray("text") << QStringLiteral("DCP COMM");
        QTest::newRow("lblUSBChk_3 text")
            << "lblUSBChk_3" << QByteArray("text") << QStringLiteral("Timer Status");
        QTest::newRow("txtHexDataRead toolTip")
            << "txtHexDataRead" << QByteArray("toolTip")
            << QStringLiteral("Actual Hex value read back from  the I2C Bus.");
        QTest::newRow("mnuJumperInfoOff text")
            << "mnuJumperInfoOff" << QByteArray("text") << QStringLiteral("Jumper Ino Off");
        QTest::newRow("mnuJumperHelp text")
            << "mnuJumperHelp" << QByteArray("text") << QStringLiteral("Display Jumper Info");
        QTest::newRow("mnuAbout text")
            << "mnuAbout" << QByteArray("text") << QStringLiteral("&About"); // "About", with its mnemonic
        QTest::newRow("mnuRegisterTool text")
            << "mnuRegisterTool" << QByteArray("text") << QStringLiteral("&I2C Register Tool");
        QTest::newRow("txtI2CADR toolTip")
            << "txtI2CADR" << QByteArray("toolTip")
            << QStringLiteral("9E = 0x4F: 7-bit address 0x4F, write 9E / read 9F");
    }
    void showsItsTexts()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        Panel p(false);
        QVERIFY(p.window.Form_Load());
        QObject* const o = p.window.objectName() == name ? &p.window : p.child<QObject>(name);
        QVERIFY2(o, qPrintable(name));
        QTEST(o->property(property.constData()).toString(), "expected");
    }

    // Positions 1, 65 and 128 in both modes: the byte written and shown, then (once an EEPROM write cycle
    // is over) the byte read back and the read displays. A mode switch sends nothing.
    void selectionWritesThePosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("registerMode");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("readHex");
        QTest::addColumn<int>("bar");
        QTest::newRow("1 Register") << 1 << true << "01"
                                    << "00" << 128;
        QTest::newRow("1 EEPROM") << 1 << false << "00"
                                  << "00" << 128;
        QTest::newRow("65 Register") << 65 << true << "81"
                                     << "80" << 64;
        QTest::newRow("65 EEPROM") << 65 << false << "80"
                                   << "80" << 64;
        QTest::newRow("128 Register") << 128 << true << "FF"
                                      << "FE" << 1;
        QTest::newRow("128 EEPROM") << 128 << false << "FE"
                                    << "FE" << 1;
    }
    void selectionWritesThePosition()
    {
        QFETCH(int, position);
        QFETCH(bool, registerMode);
        QFETCH(QString, hex);
        QFETCH(QString, readHex);
        QFETCH(int, bar);
        Panel p;
        p.list()->setCurrentRow(1); // start elsewhere, so that every row is a change
        p.f.board.clearTransferLog();
        p.child<QRadioButton>(registerMode ? "Option1_1" : "Option1_0")->click();
        p.list()->setCurrentRow(position - 1);
        p.f.clock.advance(100);
        p.click("cmdI2Read");
        QCOMPARE(p.i2c(), (QStringList{"01 9E " + hex, "01 9F"}));
        QCOMPARE(p.text("txtHexDataWrt"), hex);
        QCOMPARE(p.text("txtHexDataRead"), readHex);
        QCOMPARE(p.child<QListWidget>("List1_1")->currentRow(), position - 1);
        QCOMPARE(p.child<QProgressBar>("ProgressBar1")->value(), bar);
        QCOMPARE(p.lamp("Shape1_4"), kLightGreen);
    }

    // A failing transfer under a running timer. Reported: one message, the timer stopped, its box unchecked
    // before the write message and after the read message. Ignored: no message, the timer goes on.
    void failures_data()
    {
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("ignore");
        QTest::addColumn<QString>("caption");
        QTest::newRow("write reported") << false << false << " Error during Write to DCP ";
        QTest::newRow("write ignored") << false << true << "";
        QTest::newRow("read reported") << true << false << " Error during DCP Read ";
        QTest::newRow("read ignored") << true << true << "";
    }
    void failures()
    {
        QFETCH(bool, read);
        QFETCH(bool, ignore);
        QFETCH(QString, caption);
        Panel p;
        p.click("cmdI2Read"); // a good read first, so the read displays hold a position
        p.f.board.clearTransferLog();
        QCheckBox* timerBox = p.box(read ? "chkReadTimer" : "chkWriteTimer");
        bool checkedAtMessage = !read;
        p.f.messages.onMessage = [&](const RecordedMessage&) { checkedAtMessage = timerBox->isChecked(); };
        p.box("chkFailIgnore")->setChecked(ignore);
        p.f.board.setDeviceAnswers(0x9E, false);
        p.startTimers("5", {timerBox->objectName()});
        QTRY_VERIFY(p.i2c().size() >= 3 || !timerBox->isChecked());
        QCOMPARE(timerBox->isChecked(), ignore);
        QCOMPARE(p.timed().readTimer().isEnabled(), ignore);
        if (!ignore) {
            QCOMPARE(p.i2c().size(), 1);
            QCOMPARE(p.f.messages.texts(), QStringList{read ? kReadError : kWriteError});
            QCOMPARE(p.f.messages.messages[0].caption, caption);
            QCOMPARE(checkedAtMessage, read);
        }
        QCOMPARE(p.f.messages.messages.empty(), ignore);
        QCOMPARE(p.lamp(read ? "Shape1_2" : "Shape1_1"), LampColor::LightRed);
        QCOMPARE(p.lamp("Shape1_4"), LampColor::LightRed);
        if (!ignore) // the timer stopped in this tick: its lamp stays dark
            QCOMPARE(p.lamp("Shape1_3"), LampColor::Black);
        if (read) { // nothing was read, so nothing pretends to be a position
            QCOMPARE(p.text("txtHexDataRead"), QStringLiteral("--"));
            QCOMPARE(p.child<QListWidget>("List1_1")->currentRow(), -1);
            QCOMPARE(p.child<QProgressBar>("ProgressBar1")->value(), -1);
        }
    }

    // A failure the module itself is behind gets one box: what is wrong with the module first, then the
    // panel's words, then what the link said. After a transfer timed out nothing more of the same click is
    // tried. With "Ignore Fails" no box at all: the status bar counts the failures.
    void oneBoxNamesTheCause_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("ignore");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("boxStarts");
        QTest::addColumn<QString>("statusLine");
        const QString gone = "The USB control module is not connected (unplugged or without power).";
        const QString late = "The USB control module did not answer in time.";
        QTest::newRow("unplugged") << "unplug" << false << QStringList{}
                                   << QStringList{gone, kWriteError,
                                                  "WriteGPIOPipe: WDU_GetDeviceInfo() failed:"}
                                   << "";
        QTest::newRow("reply times out")
            << "timeout" << false << QStringList{"01 9E 13"}
            << QStringList{late, kWriteError, "ReadPipe: WDU_Transfer() failed"} << "";
        // The link's own failure too: no box (later clicks send nothing, the module having gone).
        QTest::newRow("unplugged, ignored") << "unplug" << true << QStringList{} << QStringList{}
                                            << "Write DCP Error, Check VDD & AVDD Power and I2C Connections";
        // Three writes to a device that does not answer, without "Auto Read": the same failure three times.
        QTest::newRow("device silent, ignored")
            << "mute" << true << QStringList{"01 9E 13", "01 9E 15", "01 9E 17"} << QStringList{}
            << "Write DCP Error, Check VDD & AVDD Power and I2C Connections (3 times)";
    }
    void oneBoxNamesTheCause()
    {
        QFETCH(QString, fault);
        QFETCH(bool, ignore);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, boxStarts);
        QFETCH(QString, statusLine);
        Panel p;
        p.box("ChkAutoRead")->setChecked(!ignore);
        p.box("chkFailIgnore")->setChecked(ignore);
        p.f.board.clearTransferLog();
        p.f.messages.clear();
        if (fault == QLatin1String("unplug"))
            p.f.board.unplug();
        else if (fault == QLatin1String("mute"))
            p.f.board.setDeviceAnswers(0x9E, false);
        else
            p.f.board.failPipe(0x83, DriverStatus::Timeout);
        // The write, and the read-back "Auto Read" asks for; ignored failures three times over, to count
        // them.
        for (int row = 9; row < (ignore ? 12 : 10); ++row)
            p.list()->setCurrentRow(row);
        QCOMPARE(p.i2c(), sent);
        QCOMPARE(p.f.messages.messages.size(), std::size_t(boxStarts.isEmpty() ? 0 : 1));
        if (!boxStarts.isEmpty()) {
            const QStringList parts = p.f.messages.messages[0].text.split(QStringLiteral("\n\n"));
            QCOMPARE(parts.size(), 3);
            for (int i = 0; i < 3; ++i)
                QVERIFY2(parts[i].startsWith(boxStarts[i]), qPrintable(parts[i]));
            QCOMPARE(p.f.messages.messages[0].caption, QStringLiteral(" Error during Write to DCP "));
        }
        QCOMPARE(p.child<QLabel>("lblFailStatus")->text(), statusLine);
        QCOMPARE(p.lamp("Shape1_1"), LampColor::LightRed);
    }

    // Unplugging the module pauses timed transfers: no box, nothing sent, the boxes stay checked and the
    // status bar says so; plugged in again, the next tick goes on.
    void unplugPausesTimedTransfers()
    {
        Panel p;
        p.list()->setCurrentRow(9);
        p.startTimers("0", {"chkWriteTimer", "chkReadTimer"});
        p.f.board.unplug();
        p.f.board.clearTransferLog();
        for (int i = 0; i < 3; ++i)
            p.timed().tick();
        QVERIFY(p.f.messages.messages.empty());
        QVERIFY(p.box("chkWriteTimer")->isChecked() && p.box("chkReadTimer")->isChecked());
        QVERIFY(p.i2c().isEmpty());
        QCOMPARE(p.child<QLabel>("lblFailStatus")->text(),
                 QStringLiteral("USB control module unplugged: timed transfers paused until it is back"));
        p.f.board.plug();
        p.timed().tick();
        QCOMPARE(p.i2c(), (QStringList{"01 9E 13", "01 9F"}));
        QCOMPARE(p.child<QLabel>("lblFailStatus")->text(),
                 QStringLiteral("USB control module back: timed transfers resumed"));
        QVERIFY(p.f.messages.messages.empty());
        QVERIFY(!p.f.link.UsbOpen);
        p.click("cmdStopTimer");
    }

    void openUsb_data()
    {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("dcp");
        QTest::addColumn<QStringList>("messages");
        const QString noDcp = "DCP Device is not responding, check Eval board connections and Power";
        const QString noModule = "USB Control Module is not responding  check USB Connection";
        QTest::newRow("module and DCP") << true << true << QStringList{};
        QTest::newRow("DCP absent") << true << false << QStringList{kReadError, noDcp};
        QTest::newRow("module absent") << false << true << QStringList{kNoDriver, noModule};
    }
    void openUsb()
    {
        QFETCH(bool, module);
        QFETCH(bool, dcp);
        QFETCH(QStringList, messages);
        Panel p;
        p.f.board.setDeviceAnswers(0x9E, dcp);
        if (!module)
            p.f.board.unplug();
        p.click("cmdOpen_USB");
        QCOMPARE(p.f.messages.texts(), messages);
        if (!messages.isEmpty())
            QCOMPARE(p.f.messages.messages.back().caption, kApplicationTitle);
        QCOMPARE(p.i2c(), module ? QStringList{"01 9F"} : QStringList{});
        QCOMPARE(p.lamp("ShpAttach"), module ? kLightGreen : LampColor::LightRed);
        QCOMPARE(p.lamp("Shape1_4"), !module ? LampColor::Black : dcp ? kLightGreen : LampColor::LightRed);
        QVERIFY(!p.f.link.UsbOpen);
    }

    // The slider and the list never disagree: keys and the wheel move the selection (and write) at once, a
    // drag writes once, on release. The "Read Position" list takes no clicks.
    void sliderFollowsEveryMoveAndTheReadListIgnoresClicks()
    {
        Panel p;
        auto* slider = p.child<QSlider>("Slider1_0");
        slider->setValue(10); // a key step or the wheel
        QCOMPARE(p.list()->currentRow(), 9);
        QCOMPARE(p.i2c(), QStringList{"01 9E 13"});
        slider->setSliderDown(true);
        slider->setValue(20);
        slider->setValue(21);
        QCOMPARE(p.i2c().size(), 1); // nothing while dragging
        slider->setSliderDown(false);
        QCOMPARE(p.list()->currentRow(), 20);
        QCOMPARE(p.i2c(), (QStringList{"01 9E 13", "01 9E 29"}));

        auto* readList = p.child<QListWidget>("List1_1");
        const int before = readList->currentRow();
        QTest::mouseClick(readList->viewport(), Qt::LeftButton, {},
                          readList->visualItemRect(readList->item(3)).center());
        QCOMPARE(readList->currentRow(), before);
    }

    // Every click writes exactly once: on another row, on the row already selected (after a mode switch the
    // user stores it again), and on the slider's handle let go where it was.
    void everyClickWritesOnce_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("another row") << "row 20" << QStringList{"01 9E 29"};
        QTest::newRow("the selected row") << "row 9" << QStringList{"01 9E 13"};
        QTest::newRow("the slider's handle") << "slider" << QStringList{"01 9E 13"};
    }
    void everyClickWritesOnce()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, written);
        Panel p;
        p.list()->setCurrentRow(9);
        p.f.board.clearTransferLog();
        if (target == QLatin1String("slider")) {
            auto* slider = p.child<QSlider>("Slider1_0");
            slider->setSliderDown(true);
            slider->setSliderDown(false);
        } else {
            QListWidget* list = p.list();
            QListWidgetItem* item = list->item(target.mid(4).toInt());
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        }
        QCOMPARE(p.i2c(), written);
    }

    // The last open failed (UsbOK false): a write sends nothing and changes no lamp while the module is
    // away, and goes out again as soon as it is back, without a read or "Open USB " first.
    void aWriteAfterAFailedOpenWaitsForTheModule()
    {
        Panel p;
        p.f.board.unplug();
        p.click("cmdI2Read"); // the open fails: UsbOK false
        QVERIFY(!p.f.link.UsbOK);
        p.f.messages.clear();
        p.list()->setCurrentRow(20);
        p.click("CMDxMIT");
        QCOMPARE(p.text("txtHexDataWrt"), QStringLiteral("29"));
        QVERIFY(p.i2c().isEmpty());
        QVERIFY(p.f.messages.messages.empty());
        p.f.board.plug();
        p.list()->setCurrentRow(21);
        QCOMPARE(p.i2c(), QStringList{"01 9E 2B"});
        QCOMPARE(p.f.board.dcp().wiperCode(), 21);
        QVERIFY(p.f.messages.messages.empty());
        QVERIFY(!p.f.link.UsbOpen);
    }

    void linkOpenedByHand()
    {
        Panel p;
        p.click("cmdUSBConnect");
        QVERIFY(!p.child("cmdexit")->isVisible());
        QVERIFY(!p.window.close());
        QCOMPARE(p.f.messages.texts(),
                 QStringList{"Form will not close until USB Connection is closed. Click USB Disconnect"});
        QCOMPARE(p.f.messages.messages[0].caption, kApplicationTitle);
        p.click("CMDxMIT"); // a transaction closes a link opened by hand
        QVERIFY(!p.f.link.UsbOpen && p.child("cmdexit")->isVisible());
        // ... and the status caption says so where it can be seen.
        QCOMPARE(p.child<QLabel>("cbNoc")->text(), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(p.child("cbNoc")->isVisible());
        QVERIFY(p.window.close());
        QCOMPARE(p.f.program.endRequests, 1);
    }

    // The transaction guard. Requests arrive inside a running transaction's yields, or while its error box
    // is up: chosen positions wait and only the last reaches the device; buttons and ticks are dropped, so
    // ticks never overlap; an exit waits for the end.
    void insideATransaction_data()
    {
        QTest::addColumn<bool>("tick"); // the running transaction: a timer tick, else the write button
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("during a write") << false << "rows 9 19 29" << QStringList{"01 9E 01", "01 9E 3B"};
        // A tick yields before its timed write takes the byte, so that write already carries the new one.
        QTest::newRow("during a tick") << true << "rows 49" << QStringList{"01 9E 63", "01 9F", "01 9E 63"};
        QTest::newRow("while an error shows") << false << "error 99" << QStringList{"01 9E 01", "01 9E C7"};
        QTest::newRow("buttons during a write") << false << "buttons" << QStringList{"01 9E 01"};
        QTest::newRow("tick during a write") << false << "tick" << QStringList{"01 9E 01"};
        QTest::newRow("tick during a tick") << true << "tick" << QStringList{"01 9E 01", "01 9F"};
        QTest::newRow("exit during a write") << false << "exit" << QStringList{"01 9E 01"};
    }
    void insideATransaction()
    {
        QFETCH(bool, tick);
        QFETCH(QString, request);
        QFETCH(QStringList, commands);
        Panel p;
        p.startTimers("0", {"chkWriteTimer", "chkReadTimer"}); // enabled, ticked by hand
        int inside = 0;
        const auto act = [&] {
            inside += p.f.link.guard().busy();
            if (request == QLatin1String("tick"))
                p.timed().tick();
            else if (request == QLatin1String("exit"))
                p.window.cmdexit_Click();
            else if (request == QLatin1String("buttons"))
                for (const char* button : {"cmdI2Read", "cmdOpen_USB", "cmdUSBConnect", "CMDxMIT"})
                    p.click(button);
            else
                for (const QString& row : request.split(QLatin1Char(' ')).mid(1))
                    p.list()->setCurrentRow(row.toInt());
        };
        const bool error = request.startsWith(QLatin1String("error"));
        p.f.board.setDeviceAnswers(0x9E, !error);
        p.f.messages.onMessage = [&](const RecordedMessage&) {
            p.f.board.setDeviceAnswers(0x9E, true);
            act();
        };
        if (!error)
            QMetaObject::invokeMethod(&p.window, act, Qt::QueuedConnection);
        tick ? p.timed().tick() : p.click("CMDxMIT");
        QTRY_COMPARE(p.i2c(), commands);
        QTRY_COMPARE(p.f.program.endRequests, int(request == QLatin1String("exit")));
        QCOMPARE(inside, 1);
        QCOMPARE(p.f.link.guard().pendingCount(), 0);
        QCOMPARE(p.timed().droppedTicks(), int(request == QLatin1String("tick")));
        QCOMPARE(p.lamp("Shape1_3"), tick ? LampColor::LightRed : LampColor::Black); // dropped: no blink
        QCOMPARE(p.f.messages.messages.size(), std::size_t(error));
        QVERIFY(!p.f.link.UsbOpen);
    }

    void timedWritesRepeatTheCurrentByte()
    {
        Panel p;
        p.list()->setCurrentRow(9);
        p.startTimers("5", {"chkWriteTimer"});
        for (const QString& command : {QStringLiteral("01 9E 13"), QStringLiteral("01 9E 15")}) {
            p.f.board.clearTransferLog();
            QTRY_VERIFY(p.i2c().size() >= 2);
            QCOMPARE(p.i2c().filter(command), p.i2c());
            p.list()->setCurrentRow(10);
        }
        p.click("cmdStopTimer");
        QVERIFY(!p.box("chkWriteTimer")->isChecked());
    }

    // Timed transfers: the timer lamp blinks, the write or read lamp alternates light green / green, the
    // transfers go out in order; "Stop Timer" ends it all.
    void timedTicksBlinkTheLampUntilStopTimer_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QStringList>("perTick");
        QTest::addColumn<QString>("hidden");
        QTest::newRow("read (write unchecked again)") << false << QStringList{"01 9F"} << "cmdI2Read";
        QTest::newRow("write with Auto Read, then read")
            << true << QStringList{"01 9E 01", "01 9F", "01 9F"} << "CMDxMIT";
    }
    void timedTicksBlinkTheLampUntilStopTimer()
    {
        QFETCH(bool, write);
        QFETCH(QStringList, perTick);
        QFETCH(QString, hidden);
        Panel p;
        p.startTimers("0", {"chkWriteTimer", "chkReadTimer"});
        p.box("chkWriteTimer")->setChecked(write);
        p.box("ChkAutoRead")->setChecked(write);
        p.f.board.clearTransferLog();
        const LampColor blink[] = {LampColor::LightRed, LampColor::Black, LampColor::LightRed};
        const LampColor greens[] = {kLightGreen, LampColor::Green, kLightGreen}; // one good transfer each
        QStringList expected;
        for (int i = 0; i < 3; ++i) {
            p.timed().tick();
            QCOMPARE(p.lamp("Shape1_3"), blink[i]);
            QCOMPARE(p.lamp(write ? "Shape1_1" : "Shape1_2"), greens[i]);
            expected += perTick;
        }
        QCOMPARE(p.i2c(), expected);
        QVERIFY(!p.child(hidden)->isVisible());
        p.click("cmdStopTimer");
        QVERIFY(!p.box("chkReadTimer")->isChecked() && !p.box("chkWriteTimer")->isChecked());
        QCOMPARE(p.lamp("Shape1_3"), LampColor::Black);
        QVERIFY(!p.child("cmdStopTimer")->isVisible() && p.child(hidden)->isVisible());
    }

    // Checking a timer box takes the interval text: a text that does not start with a number gives 0 (no
    // ticks); out of range is refused, the previous interval (1000) stays and is shown again. Leaving the
    // box takes whole numbers only.
    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("onCheck");
        QTest::addColumn<int>("onLeave");
        QTest::newRow("number") << "250" << 250 << 250;
        QTest::newRow("letters") << "abc" << 0 << 60000;
        QTest::newRow("trailing letters") << "25x" << 25 << 60000;
        QTest::newRow("half to even") << "12.5" << 12 << 12;
        QTest::newRow("half to even up") << "13.5" << 14 << 14;
        QTest::newRow("highest") << "65535" << 65535 << 65535;
        QTest::newRow("too large") << "65536" << 1000 << 60000;
        QTest::newRow("rounds to zero") << "-0.4" << 0 << 0;
    }
    void interval()
    {
        QFETCH(QString, text);
        QFETCH(int, onCheck);
        QFETCH(int, onLeave);
        Panel p;
        const auto& timer = p.timed().readTimer();
        auto* delay = p.child<QLineEdit>("txtDelay");
        p.startTimers(text, {"chkReadTimer"});
        QCOMPARE(timer.interval(), onCheck);
        QCOMPARE(delay->text(), onCheck == 1000 ? QStringLiteral("1000") : text);
        QCOMPARE(timer.isTicking(), onCheck > 0);
        for (const QString& typed : {QStringLiteral("60000"), text}) {
            delay->setText(typed);
            emit delay->editingFinished();
        }
        QCOMPARE(timer.interval(), onLeave);
        QCOMPARE(timer.isTicking(), onLeave > 0);
        p.click("cmdStopTimer");
    }

    // The register tool chose the register device at C0 and manual connection; the panel still writes its
    // own device at 9E, in its own bracket (the link opened and closed around the write).
    void panelKeepsItsOwnDeviceWhateverTheToolChose()
    {
        Panel p;
        RegisterToolWindow tool(p.f.context);
        tool.show();
        tool.addressPanel().setAddressText(QStringLiteral("C0"));
        tool.addressPanel().cmdTestComm_Click();
        tool.findChild<QCheckBox*>(QStringLiteral("ChKManUsbConn"))->click();
        QCOMPARE(p.f.state.I2CWrtAdr, 0xC0);
        QVERIFY(p.f.state.ManualUsbConn);
        p.f.board.clearTransferLog();
        p.f.board.clearCallLog();
        p.box("ChkAutoRead")->setChecked(true);
        p.list()->setCurrentRow(9);
        QCOMPARE(p.i2c(), (QStringList{"01 9F", "01 9E 13", "01 9F"}));
        QCOMPARE(p.text("txtActualWrtAddress"), QStringLiteral("9E"));
        QVERIFY(!p.f.link.UsbOpen);
        QVERIFY(p.f.messages.messages.empty());
    }

    // The panel opened the link with "USB Connect"; a transaction of the register tool closed it. The panel's
    // "Exit" and "USB Status" lamp follow.
    void panelFollowsTheLinkAnotherWindowClosed()
    {
        Panel p;
        p.click("cmdUSBConnect");
        QVERIFY(!p.child("cmdexit")->isVisible());
        RegisterToolWindow tool(p.f.context);
        tool.show();
        tool.findChild<QPushButton*>(QStringLiteral("cmdRead"))->click();
        QVERIFY(!p.f.link.UsbOpen);
        QVERIFY(p.child("cmdexit")->isVisible());
        QCOMPARE(p.lamp("ShpAttach"), LampColor::Black);
        QCOMPARE(p.child<QLabel>("cbNoc")->text(), QStringLiteral("USB Board Interface Closed"));
    }

    // And the other way round: the panel opens and closes the link, the register tool's "Exit" follows.
    void toolFollowsTheLinkThePanelOpened()
    {
        Panel p;
        RegisterToolWindow tool(p.f.context);
        tool.show();
        QWidget* exit = tool.findChild<QWidget*>(QStringLiteral("cmdexit"));
        QVERIFY(exit->isVisible());
        p.click("cmdUSBConnect");
        QVERIFY(p.f.link.UsbOpen);
        QVERIFY(!exit->isVisible());
        QVERIFY(!tool.close()); // it refuses while the link is open, as when it opened the link itself
        p.click("cmdUSBDisconnect");
        QVERIFY(exit->isVisible());
    }

    // After an EEPROM write the part acknowledges nothing until its write cycle is over; the read-back polls
    // it (one-byte reads) until it answers, for up to 20 ms. Each transfer takes 1 ms here, so a poll is
    // 2 ms. A Register write starts no cycle and sends no poll. The write and its read-back share one open.
    void eepromWriteCycleIsWaitedFor_data()
    {
        QTest::addColumn<bool>("registerMode");
        QTest::addColumn<int>("cycleMs");
        QTest::addColumn<int>("polls");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("EEPROM, ready within the deadline") << false << 5 << 3 << QStringList{};
        QTest::newRow("EEPROM, busy past the deadline") << false << 30 << 10 << QStringList{kReadError};
        QTest::newRow("Register") << true << 30 << 0 << QStringList{};
    }
    void eepromWriteCycleIsWaitedFor()
    {
        QFETCH(bool, registerMode);
        QFETCH(int, cycleMs);
        QFETCH(int, polls);
        QFETCH(QStringList, messages);
        Panel p;
        p.child<QRadioButton>(registerMode ? "Option1_1" : "Option1_0")->click();
        p.box("ChkAutoRead")->setChecked(true);
        p.f.board.setTransferTimeMs(1);
        p.f.board.dcp().setWriteCycleMs(cycleMs);
        p.f.board.clearTransferLog();
        p.f.board.clearCallLog();
        p.list()->setCurrentRow(64);
        const QStringList expected = QStringList{registerMode ? "01 9E 81" : "01 9E 80"} +
                                     QStringList(polls, QStringLiteral("01 9F")) + QStringList{"01 9F"};
        QCOMPARE(p.i2c(), expected);
        QCOMPARE(p.f.messages.texts(), messages);
        // Checking "Auto Read" read once already: a second good read turns the lamp green.
        QCOMPARE(p.lamp("Shape1_2"), messages.isEmpty() ? LampColor::Green : LampColor::LightRed);
        QCOMPARE(p.text("txtHexDataRead"), messages.isEmpty() ? QStringLiteral("80") : QStringLiteral("--"));
        const auto calls = p.f.board.callLog();
        QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("init")), 1);
        QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("uninit")), 1);
    }

    // Timed writes and reads in EEPROM mode: every tick's transfers wait for the last write cycle.
    void timedEepromWritesNeverFail()
    {
        Panel p;
        p.child<QRadioButton>("Option1_0")->click();
        p.list()->setCurrentRow(64);
        p.f.board.setTransferTimeMs(1);
        p.f.board.dcp().setWriteCycleMs(5);
        p.startTimers("0", {"chkWriteTimer", "chkReadTimer"});
        p.box("ChkAutoRead")->setChecked(true);
        for (int i = 0; i < 50; ++i)
            p.timed().tick();
        QVERIFY(p.f.messages.messages.empty());
        QCOMPARE(p.lamp("Shape1_4"), kLightGreen);
        QVERIFY(p.box("chkWriteTimer")->isChecked());
        QCOMPARE(p.f.board.dcp().eepromCode(), 64);
        p.click("cmdStopTimer");
    }

    // Hours of timed transfers: nothing may pile up per tick. The timer runs from a real event loop, as in
    // the program; the live objects are counted all along the run, not only at its end.
    void timedRunKeepsObjectCountFlat()
    {
        Panel p;
        p.f.board.setRecording(false);
        p.box("ChkAutoRead")->setChecked(true);
        const auto liveObjects = [&p] {
            return p.window.findChildren<QObject*>().size() + QApplication::allWidgets().size() +
                   qApp->findChildren<QObject*>().size();
        };
        qsizetype peak = 0;
        const auto runTicks = [&](std::uint64_t count) {
            QEventLoop loop;
            QTimer watch;
            const std::uint64_t until = p.timed().ticksRun() + count;
            QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
                peak = std::max(peak, liveObjects());
                if (p.timed().ticksRun() >= until)
                    loop.quit();
            });
            watch.start(1);
            loop.exec();
        };
        p.startTimers("1", {"chkWriteTimer", "chkReadTimer"});
        runTicks(50); // every lazily made object exists by now
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto before = liveObjects();
        runTicks(2000);
        p.click("cmdStopTimer");
        QCOMPARE(p.f.messages.messages.size(), 0u);
        QVERIFY2(peak <= before + 10,
                 qPrintable(QStringLiteral("%1 live objects at the start, up to %2 during the run")
                                .arg(before)
                                .arg(peak)));
    }
};

QTEST_MAIN(TestDcpPanel)
#include "tst_dcppanel.moc"
