// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/appinfo.h"
#include "dcp/dcppanelwindow.h"
#include "namedchild.h"
#include "regtool/addresstestpanel.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"
#include "widgets/lampwidget.h"
#include "widgets/statustext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>

using namespace vtx;
using namespace vtx::test;

namespace {

const QString kWriteError = QStringLiteral("Write DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kReadError = QStringLiteral("Read DCP Error, Check VDD & AVDD Power and I2C Connections ");
const QString kNoDriver =
    QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n");

// The question before timed writes in EEPROM mode.
QString wearQuestionText(int intervalMs, int perMinute)
{
    return QStringLiteral(
               "Timed writes in EEPROM mode write the EEPROM every %1 ms: about %2 writes per minute. "
               "Continue?")
        .arg(intervalMs)
        .arg(perMinute);
}

const QMap<LampColor, QString> kLampNames{{LampColor::Black, "Black"},
                                          {LampColor::Green, "Green"},
                                          {LampColor::LightGreen, "LightGreen"},
                                          {LampColor::LightRed, "LightRed"}};

// A loaded DCP panel on the simulated board, the load's traffic cleared.
struct Panel {
    SimFixture f;
    dcp::DcpPanelWindow window{f.context};
    QStringList boxesAtMessage; // the timer boxes while each message box was up
    std::uint64_t resetsAtClear = 0;
    QString counted; // the traffic since "clear", as the step "count" found it
    explicit Panel(bool load = true)
    {
        f.messages.onMessage = [this](const RecordedMessage&) {
            boxesAtMessage << QStringLiteral("write %1, read %2")
                                  .arg(box("chkWriteTimer")->isChecked() ? "on" : "off",
                                       box("chkReadTimer")->isChecked() ? "on" : "off");
        };
        window.show();
        if (load && window.Form_Load())
            f.recorder.clearTransferLog();
    }
    template <typename T = QWidget> T* child(const QString& name) const
    {
        return namedChild<T>(&window, name);
    }
    QListWidget* list() const { return child<QListWidget>("List1_0"); }
    LampColor lamp(const QString& name) const { return child<LampWidget>(name)->color(); }
    void click(const QString& button) const { child<QPushButton>(button)->click(); }
    QCheckBox* box(const QString& name) const { return child<QCheckBox>(name); }
    dcp::TimedTransfers& timed() { return window.timedTransfers(); }
    // The DCP commands on the I2C pipe of the simulated module (pipe 3).
    QStringList i2c() const { return f.hexWritesOn(3); }

    // Runs user actions and board events, ";"-separated: a verb of `steps` and its words.
    void run(const QString& script)
    {
        auto* slider = child<QSlider>("Slider1_0");
        const std::map<QString, std::function<void(const QStringList&)>> steps{
            {"row", [&](auto& w) { list()->setCurrentRow(w[1].toInt()); }},
            {"click", [&](auto& w) { click(w[1]); }},
            {"check", [&](auto& w) { box(w[1])->setChecked(true); }},
            {"uncheck", [&](auto& w) { box(w[1])->setChecked(false); }},
            {"yes", [&](auto&) { f.questions.yes = true; }}, // the answer to questions
            {"mode",
             [&](auto& w) { child<QRadioButton>(w[1] == u"Register" ? "Option1_1" : "Option1_0")->click(); }},
            {"delay", [&](auto& w) { child<QLineEdit>("txtDelay")->setText(w[1]); }},
            {"tick", [&](auto&) { timed().tick(); }},
            {"ticks",
             [&](auto& w) {
                 for (int i = 0; i < w[1].toInt(); ++i)
                     timed().tick();
             }},
            {"unsay", [&](auto&) { window.statusBar()->clearMessage(); }},
            {"time", [&](auto& w) { f.clock.advance(w[1].toInt()); }}, // ms pass
            {"press",                                                  // a mouse click on a row of a list
             [&](auto& w) {
                 auto* const list = child<QListWidget>(w[1]);
                 list->scrollToItem(list->item(w[2].toInt()));
                 const QPoint centre = list->visualItemRect(list->item(w[2].toInt())).center();
                 QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
             }},
            {"pressto", // a press on one row of a list, let go on another
             [&](auto& w) {
                 auto* const list = child<QListWidget>(w[1]);
                 const auto centre = [list](const QString& row) {
                     return list->visualItemRect(list->item(row.toInt())).center();
                 };
                 QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre(w[2]));
                 QTest::mouseMove(list->viewport(), centre(w[3]));
                 QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre(w[3]));
             }},
            {"groove", // a click on the slider's groove near its end for position 128
             [&](auto&) {
                 QTest::mouseClick(slider, Qt::LeftButton, {},
                                   QPoint(slider->width() / 2, slider->height() - 4));
             }},
            {"slider", [&](auto& w) { slider->setValue(w[1].toInt()); }}, // a key step or the wheel
            {"drag", // the slider's handle, through these values
             [&](auto& w) {
                 slider->setSliderDown(true);
                 for (const QString& value : w.mid(1))
                     slider->setValue(value.toInt());
                 slider->setSliderDown(false);
             }},
            {"unplug", [&](auto&) { f.board.unplug(); }},
            {"plug", [&](auto&) { f.board.plug(); }},
            {"mute", [&](auto&) { f.board.setDeviceAnswers(0x9E, false); }},            // the DCP
            {"timeout", [&](auto&) { f.board.failPipe(0x83, DriverStatus::Timeout); }}, // replies
            {"transfer", [&](auto& w) { f.board.setTransferTimeUs(w[1].toInt()); }},
            {"cycle", [&](auto& w) { f.board.dcp().setWriteCycleMs(w[1].toInt()); }}, // EEPROM
            {"jitter", [&](auto& w) { f.board.dcp().setWriteCycleJitterUs(w[1].toInt()); }},
            {"stuck", [&](auto& w) { f.board.dcp().setStuckReadBit(w[1].toInt(), true); }},
            {"manual", [&](auto&) { child<QAction>("mnuManUsbConn")->setChecked(true); }},
            {"count", // OUT and IN transfers, driver starts and port resets since "clear"
             [&](auto&) {
                 const auto log = f.recorder.transferLog();
                 const auto outs =
                     std::ranges::count(log, TransferDirection::Write, &TransferRecord::direction);
                 counted = QStringLiteral("%1 + %2, %3 opens, %4 port resets")
                               .arg(outs)
                               .arg(std::ssize(log) - outs)
                               .arg(std::ranges::count(f.recorder.callLog(), QStringLiteral("init")))
                               .arg(f.board.portResetCount() - resetsAtClear);
             }},
            {"clear", // the recorder's logs and the messages
             [&](auto&) {
                 resetsAtClear = f.board.portResetCount();
                 f.recorder.clearTransferLog();
                 f.recorder.clearCallLog();
                 f.messages.clear();
             }},
        };
        for (const QString& step : script.split(u';', Qt::SkipEmptyParts)) {
            const QStringList words = step.trimmed().split(u' ');
            const auto found = steps.find(words[0]);
            if (found == steps.end())
                qFatal("no step %s", qPrintable(step));
            found->second(words);
        }
    }
    // What the controls named in `expected` show, each as "name=value": "name.property" for a property, a
    // lamp by its colour's name; "caption" is the last message's, "opens" the driver's inits and uninits,
    // "traffic" what the step "count" found, "status" the status bar's message,
    // "timer" whether the timer runs, "boxesAtMessage" the timer boxes while each message was up, "asked" the
    // questions.
    QStringList shows(const QStringList& expected)
    {
        QStringList shown;
        for (const QString& entry : expected) {
            const QString key = entry.section(u'=', 0, 0);
            const QString name = key.section(u'.', 0, 0);
            const auto calls = f.recorder.callLog();
            QString value;
            if (key == u"asked") {
                for (const RecordedMessage& question : f.questions.asked)
                    value += (value.isEmpty() ? "" : "; ") + question.text;
            } else if (key == u"boxesAtMessage")
                value = boxesAtMessage.join(QStringLiteral("; "));
            else if (key == u"timer")
                value = timed().readTimer().isEnabled() ? QStringLiteral("on") : QStringLiteral("off");
            else if (key == u"status")
                value = window.statusBar()->currentMessage();
            else if (key == u"traffic")
                value = counted;
            else if (key == u"caption")
                value = f.messages.messages.empty() ? QString() : f.messages.messages.back().caption;
            else if (key == u"opens")
                value = QStringLiteral("%1/%2")
                            .arg(std::ranges::count(calls, QStringLiteral("init")))
                            .arg(std::ranges::count(calls, QStringLiteral("uninit")));
            else if (key.contains(u'.'))
                value = (name == window.objectName() ? &window : child<QObject>(name))
                            ->property(qPrintable(key.section(u'.', 1)))
                            .toString();
            else
                value = kLampNames.value(lamp(name), QStringLiteral("another colour"));
            shown << key + u'=' + value;
        }
        return shown;
    }
};

} // namespace

class TestDcpPanel : public QObject {
    Q_OBJECT
private slots:
    // The loaded panel: its texts, positions 1 to 128 with 1 selected, dark lamps. The load probes the
    // module but writes nothing to the DCP.
    void load()
    {
        Panel p(false);
        QVERIFY(p.window.Form_Load());
        QVERIFY(!p.f.recorder.transferLog().empty()); // the module was probed ...
        QVERIFY(p.i2c().isEmpty());                // ... but the DCP not written
        QVERIFY(p.f.messages.messages.empty());
        QCOMPARE(p.list()->item(127)->text(), QStringLiteral(" 128"));
        QCOMPARE(p.list()->currentItem()->text(), QStringLiteral(" 1"));
        const QStringList expected{"frmVTX8303.windowTitle=Veltrane's I2C DCP Product Demonstation",
                                   "txtActualWrtAddress.text=9E",
                                   "txtActualReadAddress.text=9F",
                                   "txtHexDataWrt.text=01",
                                   "cmdOpen_USB.text=Open USB ",
                                   "CMDxMIT.text=I2C-Write",
                                   "SSFrame3_0.title= Set  Position",
                                   "SSFrame6.title= Wrt  -DATA-  Rd ",
                                   "SSFrame1.title=VTX830x Digital Poteniometer Control",
                                   "lblUSBChk_0.text=USB Status",
                                   "lblUSBChk_4.text=DCP COMM",
                                   "lblUSBChk_3.text=Timer Status",
                                   "txtHexDataRead.toolTip=Actual Hex value read back from  the I2C Bus.",
                                   "mnuJumperInfoOff.text=Jumper Ino Off",
                                   "mnuJumperHelp.text=Display Jumper Info",
                                   "mnuAbout.text=&About", // "About", with its mnemonic
                                   "mnuRegisterTool.text=&I2C Register Tool",
                                   "mnuManUsbConn.checked=false",
                                   "txtI2CADR.toolTip=9E = 0x4F: 7-bit address 0x4F, write 9E / read 9F",
                                   "Shape1_1=Black",
                                   "Shape1_2=Black",
                                   "Shape1_3=Black",
                                   "Shape1_4=Black"};
        QCOMPARE(p.shows(expected), expected);
    }

    // User actions and board events (see Panel::run): the bytes on the wire, the message boxes, what the
    // controls show after them; the link is closed after each.
    void scenarios_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("shows");
        const QString title = "caption=" + kApplicationTitle;
        const QString writeCaption = "caption= Error during Write to DCP ";
        const QString failStatus = "lblFailStatus.text=" + kWriteError.trimmed();

        // Positions 1, 65 and 128 in both modes: the byte written and shown, then (once an EEPROM write
        // cycle is over) the byte read back and the read displays. A mode switch sends nothing.
        const auto select = [](int position, const char* mode, const QString& hex, int bar,
                               const QString& readHex) {
            QTest::addRow("position %d, %s", position, mode)
                << QStringLiteral("row 1; clear; mode %1; row %2; time 100; click cmdI2Read")
                       .arg(mode)
                       .arg(position - 1)
                << QStringList{"01 9E " + hex, "01 9F"} << QStringList{}
                << QStringList{"txtHexDataWrt.text=" + hex, "txtHexDataRead.text=" + readHex,
                               QStringLiteral("List1_1.currentRow=%1").arg(position - 1),
                               QStringLiteral("ProgressBar1.value=%1").arg(bar), "Shape1_4=LightGreen"};
        };
        select(1, "Register", "01", 128, "00");
        select(1, "EEPROM", "00", 128, "00");
        select(65, "Register", "81", 64, "80");
        select(65, "EEPROM", "80", 64, "80");
        select(128, "Register", "FF", 1, "FE");
        select(128, "EEPROM", "FE", 1, "FE");

        // A failing timed transfer. Reported: one box, the timer stopped, its box unchecked before the write
        // box goes up and after the read box. Ignored: no box, the timer goes on.
        const QString timed = "click cmdI2Read; clear; mute; delay 0; check %1; tick; tick; tick";
        const QStringList readCleared{"txtHexDataRead.text=--", "List1_1.currentRow=-1",
                                      "ProgressBar1.value=-1"};
        QTest::newRow("timed write fails")
            << timed.arg("chkWriteTimer") << QStringList{"01 9E 01"} << QStringList{kWriteError}
            << QStringList{writeCaption,
                           "boxesAtMessage=write off, read off",
                           "chkWriteTimer.checked=false",
                           "timer=off",
                           "Shape1_1=LightRed",
                           "Shape1_4=LightRed",
                           "Shape1_3=Black"};
        QTest::newRow("timed write fails, ignored") << "check chkFailIgnore; " + timed.arg("chkWriteTimer")
                                                    << QStringList(3, "01 9E 01") << QStringList{}
                                                    << QStringList{"chkWriteTimer.checked=true", "timer=on",
                                                                   "Shape1_1=LightRed", "Shape1_4=LightRed"};
        QTest::newRow("timed read fails")
            << timed.arg("chkReadTimer") << QStringList{"01 9F"} << QStringList{kReadError}
            << QStringList{"caption= Error during DCP Read ",
                           "boxesAtMessage=write off, read on",
                           "chkReadTimer.checked=false",
                           "timer=off",
                           "Shape1_2=LightRed",
                           "Shape1_4=LightRed",
                           "Shape1_3=Black"} +
                   readCleared;
        QTest::newRow("timed read fails, ignored")
            << "check chkFailIgnore; " + timed.arg("chkReadTimer") << QStringList(3, "01 9F") << QStringList{}
            << QStringList{"chkReadTimer.checked=true", "timer=on", "Shape1_2=LightRed",
                           "Shape1_4=LightRed"} +
                   readCleared;

        // Each timed write takes the position selected when it runs.
        QTest::newRow("timed write of a new position")
            << "delay 0; check chkWriteTimer; tick; row 10; clear; tick" << QStringList{"01 9E 15"}
            << QStringList{} << QStringList{};

        // "Open USB " probes the module and the DCP, and tells which one is missing.
        QTest::newRow("Open USB") << "click cmdOpen_USB" << QStringList{"01 9F"} << QStringList{}
                                  << QStringList{"ShpAttach=LightGreen", "Shape1_4=LightGreen"};
        QTest::newRow("Open USB, DCP absent")
            << "mute; click cmdOpen_USB" << QStringList{"01 9F"}
            << QStringList{kReadError, "DCP Device is not responding, check Eval board connections and Power"}
            << QStringList{title, "ShpAttach=LightGreen", "Shape1_4=LightRed"};
        QTest::newRow("Open USB, module absent")
            << "unplug; click cmdOpen_USB" << QStringList{}
            << QStringList{kNoDriver, "USB Control Module is not responding  check USB Connection"}
            << QStringList{title, "ShpAttach=LightRed", "Shape1_4=Black"};

        // A failure the module itself is behind gets one box: what is wrong with the module first, then the
        // panel's words, then what the link said (the engine's table has every case). After a link failure
        // nothing more of the same click is tried. With "Ignore Fails" no box at all: the status bar counts
        // the failures, but not the link's own (later clicks send nothing, the module having gone).
        QTest::newRow("write, module unplugged")
            << "check ChkAutoRead; clear; unplug; row 9" << QStringList{}
            << QStringList{"The USB control module is not connected (unplugged or without power).\n\n" +
                           kWriteError + "\n\n" + kNoDriver +
                           "Write GPIOPipe .. USB Not opened\nReadPipe .. USB Not opened"}
            << QStringList{writeCaption, "lblFailStatus.text=", "Shape1_1=LightRed"};
        QTest::newRow("writes, module unplugged, ignored")
            << "check chkFailIgnore; unplug; row 9; row 10; row 11" << QStringList{} << QStringList{}
            << QStringList{failStatus, "Shape1_1=LightRed"};
        QTest::newRow("writes, DCP silent, ignored")
            << "check chkFailIgnore; mute; row 9; row 10; row 11"
            << QStringList{"01 9E 13", "01 9E 15", "01 9E 17"} << QStringList{}
            << QStringList{failStatus + " (3 times)", "Shape1_1=LightRed"};

        // Unplugging the module pauses timed transfers: no box, nothing sent, the boxes stay checked and the
        // status bar says so; plugged in again, the next tick goes on.
        const QString paused =
            "row 9; delay 0; check chkWriteTimer; check chkReadTimer; unplug; clear; tick; tick; tick";
        QTest::newRow("timed transfers, module unplugged")
            << paused << QStringList{} << QStringList{}
            << QStringList{"chkWriteTimer.checked=true", "chkReadTimer.checked=true",
                           "lblFailStatus.text=USB control module unplugged: timed transfers paused until it "
                           "is back"};
        QTest::newRow("timed transfers, module back")
            << paused + "; plug; tick" << QStringList{"01 9E 13", "01 9F"} << QStringList{}
            << QStringList{"lblFailStatus.text=USB control module back: timed transfers resumed"};

        // The last open failed (UsbOK false): a write sends nothing and changes no lamp while the module is
        // away, and goes out again as soon as it is back, without a read or "Open USB " first.
        const QString away = "unplug; click cmdI2Read; clear; row 20; click CMDxMIT";
        QTest::newRow("write after a failed open") << away << QStringList{} << QStringList{}
                                                   << QStringList{"txtHexDataWrt.text=29", "Shape1_1=Black"};
        QTest::newRow("write once the module is back") << away + "; plug; row 21" << QStringList{"01 9E 2B"}
                                                       << QStringList{} << QStringList{"Shape1_1=LightGreen"};

        // After an EEPROM write the part acknowledges nothing until its write cycle is over; the read-back
        // polls it (one-byte reads) until it answers, for up to 20 ms. Each transfer takes 1 ms here, so a
        // poll is 2 ms, and the last one goes out after the deadline. A Register write starts no cycle and sends
        // no poll. The write and its read-back share
        // one open. Checking "Auto Read" read once already: a second good read turns the lamp green.
        const QString autoRead = "transfer 1000; check ChkAutoRead; ";
        QTest::newRow("EEPROM write, cycle waited for")
            << autoRead + "mode EEPROM; clear; row 64" << QStringList{"01 9E 80"} + QStringList(4, "01 9F")
            << QStringList{} << QStringList{"opens=1/1", "Shape1_2=Green", "txtHexDataRead.text=80"};
        QTest::newRow("EEPROM write, busy past the deadline")
            << autoRead + "cycle 30; mode EEPROM; clear; row 64"
            << QStringList{"01 9E 80"} + QStringList(12, "01 9F") << QStringList{kReadError}
            << QStringList{"opens=1/1", "Shape1_2=LightRed", "txtHexDataRead.text=--"};
        QTest::newRow("Register write, no poll")
            << autoRead + "cycle 30; clear; row 64" << QStringList{"01 9E 81", "01 9F"} << QStringList{}
            << QStringList{"opens=1/1", "Shape1_2=Green", "txtHexDataRead.text=80"};

        // Each open of the link sets the module up and each close resets its port. With "Manual USB Connect /
        // Disconnect" checked, "USB Connect" holds the link: clicks, ticks and "Store && Verify" use it as it
        // is until "USB Disconnect"; unplugged meanwhile, timed transfers pause and resume as without it.
        const QString held = "manual; click cmdUSBConnect; ";
        const QString release = "; count; uncheck chkReadTimer; click cmdUSBDisconnect";
        QTest::newRow("click with Auto Read, automatic")
            << "check ChkAutoRead; clear; row 9; count" << QStringList{"01 9E 13", "01 9F"} << QStringList{}
            << QStringList{"traffic=5 + 3, 1 opens, 1 port resets"};
        QTest::newRow("click with Auto Read, link held")
            << held + "check ChkAutoRead; clear; row 9" + release << QStringList{"01 9E 13", "01 9F"}
            << QStringList{} << QStringList{"traffic=2 + 2, 0 opens, 0 port resets", "Shape1_2=Green"};
        QTest::newRow("timed read tick, automatic")
            << "delay 0; check chkReadTimer; clear; tick; count; uncheck chkReadTimer" << QStringList{"01 9F"}
            << QStringList{} << QStringList{"traffic=4 + 2, 1 opens, 1 port resets"};
        QTest::newRow("timed read tick, link held")
            << held + "delay 0; check chkReadTimer; clear; tick" + release << QStringList{"01 9F"}
            << QStringList{} << QStringList{"traffic=1 + 1, 0 opens, 0 port resets"};
        QTest::newRow("Store && Verify, link held")
            << held + "transfer 100; jitter 0; row 64; clear; click cmdStoreVerify" + release
            << QStringList{"01 9E 80"} + QStringList(25, "01 9F") << QStringList{}
            << QStringList{"traffic=26 + 26, 0 opens, 0 port resets",
                           "lblStoreStatus.text=Stored position 65 in EEPROM, verified, write cycle 5.0 ms"};
        QTest::newRow("timed reads, link held, module unplugged and back")
            << held + "delay 0; check chkReadTimer; unplug; clear; tick; tick; plug; tick; clear; tick" +
                   release
            << QStringList{"01 9F"} << QStringList{}
            << QStringList{"traffic=1 + 1, 0 opens, 0 port resets",
                           "lblFailStatus.text=USB control module back: timed transfers resumed"};

        // Timed transfers that fall short of the interval's rate by more than a tenth, on the board's clock,
        // are told once per run (at 5 ms per transfer, a read tick takes 30 ms with the link opened and 10 ms
        // held).
        const QString rate = "transfer 5000; delay 10; check chkReadTimer; ticks 40; ";
        const QString shortOf =
            "status=Timed transfers run at %1 per second, below the 100.0 per second of the "
            "10 ms interval: ";
        QTest::newRow("timed reads too slow, told once")
            << rate + "unsay; ticks 40; uncheck chkReadTimer" << QStringList(80, "01 9F") << QStringList{}
            << QStringList{"status="};
        QTest::newRow("timed reads too slow, link opened per tick")
            << rate + "uncheck chkReadTimer" << QStringList(40, "01 9F") << QStringList{}
            << QStringList{shortOf.arg("33.3") +
                           "each tick opens and resets the module; \"Manual USB Connect / Disconnect\" with "
                           "\"USB Connect\" holds it"};
        QTest::newRow("timed reads, link held, kept up")
            << held + rate + "uncheck chkReadTimer; click cmdUSBDisconnect" << QStringList(40, "01 9F")
            << QStringList{} << QStringList{"status="};
        QTest::newRow("timed reads, link held, module too slow")
            << held + "transfer 8000; delay 10; check chkReadTimer; ticks 70; uncheck chkReadTimer; click "
                      "cmdUSBDisconnect"
            << QStringList(70, "01 9F") << QStringList{}
            << QStringList{shortOf.arg("62.5") + "the module's transfers take longer than the interval"};

        // "Store && Verify" writes the EEPROM and polls its write cycle; the poll the part answers is the
        // read-back. The status line says what came of it, the session's EEPROM write count follows.
        const QString store = "transfer 100; jitter 0; row 64; clear; ";
        QTest::newRow("Store && Verify")
            << store + "click cmdStoreVerify" << QStringList{"01 9E 80"} + QStringList(25, "01 9F")
            << QStringList{}
            << QStringList{"lblStoreStatus.text=Stored position 65 in EEPROM, verified, write cycle 5.0 ms",
                           "lblEepromWrites.text=EEPROM writes: 1"};
        QTest::newRow("Store && Verify, stuck bit")
            << store + "stuck 2; click cmdStoreVerify" << QStringList{"01 9E 80"} + QStringList(25, "01 9F")
            << QStringList{}
            << QStringList{"lblStoreStatus.text=Stored position 65 in EEPROM, but it reads back position 67 "
                           "(byte 84): mismatch, write cycle 5.0 ms",
                           "lblEepromWrites.text=EEPROM writes: 1"};
        QTest::newRow("Store && Verify, write-cycle timeout")
            << store + "cycle 40; click cmdStoreVerify" << QStringList{"01 9E 80"} + QStringList(101, "01 9F")
            << QStringList{}
            << QStringList{
                   "lblStoreStatus.text=Stored position 65 in EEPROM, not verified: the part did not answer "
                   "within 20 ms of the write (write-cycle timeout)",
                   "lblEepromWrites.text=EEPROM writes: 1"};
        QTest::newRow("Store && Verify, write refused")
            << store + "mute; click cmdStoreVerify" << QStringList{"01 9E 80"} << QStringList{kWriteError}
            << QStringList{"lblStoreStatus.text=Position 65 not stored in EEPROM: the write failed",
                           "lblEepromWrites.text=EEPROM writes: 0"};

        // Timed writes in EEPROM mode ask once per session, with the numbers of the interval (long enough
        // here that no tick comes); No leaves the timer off and asks again next time. Register mode asks
        // nothing, until it becomes EEPROM under running timed writes: the same question, and No ends them.
        const QString twice = "check chkWriteTimer; uncheck chkWriteTimer; check chkWriteTimer";
        QTest::newRow("timed EEPROM writes, Yes: asked once")
            << "mode EEPROM; delay 1000; yes; " + twice << QStringList{} << QStringList{}
            << QStringList{"asked=" + wearQuestionText(1000, 60), "chkWriteTimer.checked=true", "timer=on"};
        QTest::newRow("timed EEPROM writes, No: timer off, asked again")
            << "mode EEPROM; delay 10; " + twice << QStringList{} << QStringList{}
            << QStringList{"asked=" + wearQuestionText(10, 6000) + "; " + wearQuestionText(10, 6000),
                           "chkWriteTimer.checked=false", "timer=off"};
        QTest::newRow("timed Register writes: not asked")
            << "delay 1000; " + twice << QStringList{} << QStringList{}
            << QStringList{"asked=", "chkWriteTimer.checked=true", "timer=on"};
        QTest::newRow("timed Register writes, then EEPROM: No ends them")
            << "delay 1000; " + twice + "; mode EEPROM" << QStringList{} << QStringList{}
            << QStringList{"asked=" + wearQuestionText(1000, 60), "chkWriteTimer.checked=false", "timer=off"};

        // Every move writes exactly once: a click on another row or on the row already selected (after a
        // mode switch the user stores it again), a key step or the wheel on the slider at once, a drag on
        // release, the handle let go where it was. List and slider never disagree; the "Read Position" list
        // takes no clicks.
        const auto move = [](const char* name, const char* step, int row, const QStringList& written) {
            QTest::newRow(name) << QStringLiteral("row 9; clear; ") + QLatin1String(step) << written
                                << QStringList{}
                                << QStringList{QStringLiteral("List1_0.currentRow=%1").arg(row),
                                               QStringLiteral("Slider1_0.value=%1").arg(row + 1),
                                               "List1_1.currentRow=-1"};
        };
        move("click on another row", "press List1_0 20", 20, {"01 9E 29"});
        move("click on the selected row", "press List1_0 9", 9, {"01 9E 13"});
        move("click on the read list", "press List1_1 3", 9, {});
        move("press on one row, let go on another", "pressto List1_0 9 11", 11, {"01 9E 17"});
        move("slider groove click", "groove", 14, {"01 9E 1D"}); // one page step of 5
        move("slider key step", "slider 12", 11, {"01 9E 17"});
        move("slider drag", "drag 20 21", 20, {"01 9E 29"});
        move("slider handle let go", "drag", 9, {"01 9E 13"});
    }
    void scenarios()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, shows);
        Panel p;
        p.run(script);
        QTEST(p.i2c(), "sent");
        QTEST(p.f.messages.texts(), "messages");
        QCOMPARE(p.shows(shows), shows);
        QVERIFY(!p.f.link.UsbOpen);
        QVERIFY(!p.f.state.ManualUsbConn); // the register tool's mode is its own
    }

    // The keyboard: Tab never stops at a box that cannot be edited (each drawn on the window's colour), the
    // Tools entries have mnemonics, and the position list shows when it has the focus.
    void keyboard()
    {
        Panel p;
        const QStringList readOnly{"txtHexDataWrt", "txtHexDataRead",      "Text1",
                                   "txtI2CADR",     "txtActualWrtAddress", "txtActualReadAddress"};
        for (const QString& name : readOnly) {
            const auto* box = p.child<QLineEdit>(name);
            QVERIFY2(box->isReadOnly(), qPrintable(name));
            QCOMPARE(box->palette().color(QPalette::Base), p.window.palette().color(QPalette::Window));
        }
        p.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        p.child("txtDelay")->setFocus();
        const QImage unfocused = p.list()->grab().toImage();
        p.list()->setFocus();
        QVERIFY(p.list()->hasFocus());
        const QImage focused = p.list()->grab().toImage();
        const QPoint edge(0, focused.height() / 2); // the list's frame, beside its rows
        QCOMPARE(focused.pixelColor(edge), p.list()->palette().color(QPalette::Highlight));
        QVERIFY(unfocused.pixelColor(edge) != focused.pixelColor(edge));
        QStringList chain;
        while (chain.size() < 60) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            chain << QApplication::focusWidget()->objectName();
            if (chain.back() == u"List1_0")
                break;
        }
        QCOMPARE(chain.back(), QStringLiteral("List1_0")); // round once
        QVERIFY(chain.contains(u"txtDelay"));
        for (const QString& name : readOnly)
            QVERIFY2(!chain.contains(name), qPrintable(name));
        QStringList tools;
        for (const QAction* entry : p.child<QMenu>("mnuTools")->actions())
            tools << entry->text();
        QCOMPARE(tools, (QStringList{"&I2C Register Tool", "&Read-back Plot", "&Sweep...", "&Transfer Log",
                                     "", "Manual USB Connect / Disconnect"}));
    }

    // On a dark window the slider's ticks stay visible: some pixels of the slider stand out from the window.
    void sliderTicksOnADarkWindow()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        {
            Panel p;
            auto* const slider = p.child<QSlider>("Slider1_0");
            const QImage look = slider->grab().toImage();
            // Pixels in the leftmost columns, where the ticks are, well lighter than the window.
            int ticks = 0;
            for (int y = 0; y < look.height(); ++y)
                for (int x = 0; x < 4; ++x)
                    ticks += look.pixelColor(x, y).lightness() > 53 + 30;
            QVERIFY2(ticks > 10, qPrintable(QString::number(ticks)));
        }
        QApplication::setPalette(light);
    }

    // The interval box keeps its behaviour, and the status bar says why a timer does not tick as typed.
    void intervalFeedback_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box"); // afterwards
        QTest::addColumn<QString>("status");
        QTest::newRow("too long")
            << "70000"
            << "1000"
            << "Interval \"70000\" not taken: the timer runs at 0 to 65535 ms; it stays at 1000 ms";
        QTest::newRow("no number")
            << "abc"
            << "abc"
            << "Interval \"abc\" is 0 ms: the timer gives no ticks until a number from 1 to "
               "65535 is typed";
        QTest::newRow("taken") << "250"
                               << "250"
                               << "";
    }
    void intervalFeedback()
    {
        QFETCH(QString, typed);
        Panel p;
        p.run("delay " + typed + "; check chkReadTimer");
        QTEST(p.child<QLineEdit>("txtDelay")->text(), "box");
        QTEST(p.window.statusBar()->currentMessage(), "status");
    }

    // The status texts: the link's caption has the room of its whole text at the window's first size; a
    // text with too little room ends in "..." with the whole text as its tool tip; the outcome of "Store &&
    // Verify" goes after a while.
    void statusTexts()
    {
        Panel p;
        p.run("row 5"); // a write: the bracket closes the link
        auto* const caption = p.child<StatusText>("cbNoc");
        QCOMPARE(caption->text(), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(caption->width() >= caption->fontMetrics().horizontalAdvance(caption->text()));
        QCOMPARE(caption->toolTip(), QString());
        auto* const store = p.child<StatusText>("lblStoreStatus");
        const QString longText = QString(u'x').repeated(400);
        store->setText(longText);
        QCOMPARE(store->toolTip(), longText);
        store->setLifetime(300);
        p.run("transfer 100; jitter 0; row 64; click cmdStoreVerify");
        QVERIFY(store->text().startsWith(u"Stored position 65"));
        QTRY_COMPARE(store->text(), QString());
    }

    // A link opened by hand keeps the window open, and a transaction closes it. The link is shared with the
    // register tool: whichever window opens or closes it, the other's "Exit" follows, and the panel's
    // "USB Status" lamp and status caption too.
    void linkOpenedByHand()
    {
        Panel p;
        RegisterToolWindow tool(p.f.context);
        tool.show();
        QWidget* toolExit = namedChild(&tool, "cmdexit");
        p.click("cmdUSBConnect");
        QVERIFY(!p.child("cmdexit")->isVisible() && !toolExit->isVisible());
        QVERIFY(!p.window.close());
        QVERIFY(!tool.close()); // it refuses while the link is open, as when it opened the link itself
        const QString refused = "Form will not close until USB Connection is closed. Click USB Disconnect";
        QCOMPARE(p.f.messages.texts(), (QStringList{refused, refused}));
        QCOMPARE(p.f.messages.messages[0].caption, kApplicationTitle);
        p.click("CMDxMIT"); // a transaction closes a link opened by hand
        QVERIFY(!p.f.link.UsbOpen && p.child("cmdexit")->isVisible() && toolExit->isVisible());
        p.click("cmdUSBConnect");
        namedChild<QPushButton>(&tool, "cmdRead")->click(); // and so does one of the tool
        QVERIFY(!p.f.link.UsbOpen && p.child("cmdexit")->isVisible());
        const QStringList closed{"ShpAttach=Black", "cbNoc.text=USB Board Interface Closed",
                                 "cbNoc.visible=true"};
        QCOMPARE(p.shows(closed), closed);
        QVERIFY(p.window.close());
        QCOMPARE(p.f.program.endRequests, 1);
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
        namedChild<QCheckBox>(&tool, "ChKManUsbConn")->click();
        QCOMPARE(p.f.state.I2CWrtAdr, 0xC0);
        QVERIFY(p.f.state.ManualUsbConn);
        p.run("clear; check ChkAutoRead; row 9");
        QCOMPARE(p.i2c(), (QStringList{"01 9F", "01 9E 13", "01 9F"}));
        QCOMPARE(p.child<QLineEdit>("txtActualWrtAddress")->text(), QStringLiteral("9E"));
        QVERIFY(!p.f.link.UsbOpen);
        QVERIFY(p.f.messages.messages.empty());
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
        p.run("delay 0; check chkWriteTimer; check chkReadTimer"); // enabled, ticked by hand
        int inside = 0;
        const auto act = [&] {
            inside += p.f.link.guard().busy();
            if (request == u"tick")
                p.timed().tick();
            else if (request == u"exit")
                p.window.cmdexit_Click();
            else if (request == u"buttons")
                for (const char* button : {"cmdI2Read", "cmdOpen_USB", "cmdUSBConnect", "CMDxMIT"})
                    p.click(button);
            else
                for (const QString& row : request.split(u' ').mid(1))
                    p.list()->setCurrentRow(row.toInt());
        };
        const bool error = request.startsWith(u"error");
        p.f.board.setDeviceAnswers(0x9E, !error);
        p.f.messages.onMessage = [&](const RecordedMessage&) {
            p.f.board.setDeviceAnswers(0x9E, true);
            act();
        };
        if (!error)
            QMetaObject::invokeMethod(&p.window, act, Qt::QueuedConnection);
        tick ? p.timed().tick() : p.click("CMDxMIT");
        QTRY_COMPARE(p.i2c(), commands);
        QTRY_COMPARE(p.f.program.endRequests, int(request == u"exit"));
        QCOMPARE(inside, 1);
        QCOMPARE(p.f.link.guard().pendingCount(), 0);
        QCOMPARE(p.timed().droppedTicks(), int(request == u"tick"));
        QCOMPARE(p.lamp("Shape1_3"), tick ? LampColor::LightRed : LampColor::Black); // dropped: no blink
        QCOMPARE(p.f.messages.messages.size(), std::size_t(error));
        QVERIFY(!p.f.link.UsbOpen);
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
        p.run(QStringLiteral(
                  "delay 0; check chkWriteTimer; check chkReadTimer; %1 chkWriteTimer; %1 ChkAutoRead; clear")
                  .arg(write ? "check" : "uncheck"));
        const LampColor blink[] = {LampColor::LightRed, LampColor::Black, LampColor::LightRed};
        const LampColor greens[] = {LampColor::LightGreen, LampColor::Green, LampColor::LightGreen};
        QStringList expected;
        for (int i = 0; i < 3; ++i) {
            p.timed().tick();
            QCOMPARE(p.lamp("Shape1_3"), blink[i]);
            QCOMPARE(p.lamp(write ? "Shape1_1" : "Shape1_2"), greens[i]); // one good transfer each
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
        p.run("delay " + text + "; check chkReadTimer");
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

    // Hours of timed EEPROM writes with their read-backs: every tick's transfers wait for the last write
    // cycle, so none fails, and nothing piles up per tick. The timer runs from a real event loop, as in the
    // program; the live objects are counted all along the run, not only at its end.
    void timedEepromRunNeverFailsAndKeepsObjectCountFlat()
    {
        Panel p;
        p.f.recorder.setRecording(false);
        p.run("transfer 1000; yes; mode EEPROM; row 64; check ChkAutoRead"); // Yes to the wear question
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
        p.run("delay 1; check chkWriteTimer; check chkReadTimer");
        runTicks(50); // every lazily made object exists by now
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto before = liveObjects();
        runTicks(2000);
        QVERIFY(p.box("chkWriteTimer")->isChecked());
        p.click("cmdStopTimer");
        QCOMPARE(p.f.messages.messages.size(), 0u);
        QCOMPARE(p.lamp("Shape1_4"), LampColor::LightGreen);
        QCOMPARE(p.f.board.dcp().eepromCode(), 64);
        QVERIFY2(peak <= before + 10,
                 qPrintable(QStringLiteral("%1 live objects at the start, up to %2 during the run")
                                .arg(before)
                                .arg(peak)));
    }
};

QTEST_MAIN(TestDcpPanel)
#include "tst_dcppanel.moc"
