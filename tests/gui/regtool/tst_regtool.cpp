// SPDX-License-Identifier: GPL-3.0-or-later
// The register tool window on the simulated board: its load and connection modes, the single-byte panel, the
// communication test, the active register bank against the register device at 0xC0, and setup files through
// the window. Bytes on the wire, boxes, lamps and messages are checked as the user sees them.
#include "common/appinfo.h"
#include "common/yield.h"
#include "namedchild.h"
#include "regtool/addresstestpanel.h"
#include "regtool/registerbank.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"
#include "widgets/lampwidget.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <optional>

using namespace vtx;
using namespace vtx::test;
using L = LampColor;

namespace {

// "Reg_Adr_5" and the like: the name of a register row's widget.
QString rowName(const char* base, int row)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(row);
}

// The register tool loaded and shown on the simulated board, the transfers and driver calls of the load
// cleared (its messages are kept: there should be none).
struct RegToolHarness {
    SimFixture sim;
    std::unique_ptr<RegisterToolWindow> window;
    QTemporaryDir dir; // for setup files

    RegToolHarness()
    {
        window = std::make_unique<RegisterToolWindow>(sim.context);
        window->show();
        sim.recorder.clearTransferLog();
        sim.recorder.clearCallLog();
    }
    template <typename T> T* child(const QString& name) const { return namedChild<T>(window.get(), name); }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    QString text(const QString& name) const { return box(name)->text(); }
    void setText(const QString& name, const QString& text) const { box(name)->setText(text); }
    void click(const QString& name) const { child<QPushButton>(name)->click(); }
    QString label(const QString& name) const { return child<QLabel>(name)->text(); }
    LampColor lamp(const QString& name) const { return child<LampWidget>(name)->color(); }
    QList<LampColor> lamps(const QStringList& names) const
    {
        QList<LampColor> colours;
        std::transform(names.begin(), names.end(), std::back_inserter(colours),
                       [this](auto& n) { return lamp(n); });
        return colours;
    }
    QString texts(const QStringList& names) const // the named boxes' texts, separated by blanks
    {
        QStringList result;
        std::transform(names.begin(), names.end(), std::back_inserter(result),
                       [this](auto& n) { return text(n); });
        return result.join(u' ');
    }
    QStringList messages() const { return sim.messages.texts(); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    void manualMode() const { child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click(); }

    // Makes the register device (write address 0xC0) the window's device through the communication test.
    void useRegisterDevice()
    {
        window->addressPanel().setAddressText(QStringLiteral("C0"));
        window->addressPanel().cmdTestComm_Click();
        if (sim.state.I2CWrtAdr != 0xC0 || child<QLabel>(QStringLiteral("lblCommTest"))->text() != u"Good")
            qFatal("the register device did not answer the communication test");
        sim.recorder.clearTransferLog();
        sim.messages.clear();
    }
    // The commands sent on the I2C pipe, as "01 9E AA" texts.
    QStringList i2cCommands() const { return sim.hexWritesOn(sim.board.i2cOutPipe()); }
    long readCount() const // the replies read on pipe 0x83
    {
        const auto& log = sim.recorder.transferLog();
        return std::count_if(log.begin(), log.end(), [](const auto& r) { return r.pipe == 0x83u; });
    }
};

const QStringList kLinkLamps{"ShpHandleStatus", "shpUSBCon_0", "shpUSBCon_1"};
QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}
QStringList rowNames(const char* base)
{
    QStringList names;
    for (int r = 0; r < 32; ++r)
        names << rowName(base, r);
    return names;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The file a freshly loaded window saves, with another header.
QByteArray defaultFile(const QByteArray& header)
{
    RegToolHarness h;
    h.window->WriteParameters(h.path("d.vtx"));
    return readAll(h.path("d.vtx")).replace("I2C ADDRESS , 9E", header);
}

const char* const kRowBoxes[] = {"Reg_Adr", "Reg_Desc", "txtBWrite", "txtRdByte"};

// The caption as the window system shows it: Qt's "[*]" becomes "*" while there are unsaved edits.
QString shownCaption(const QWidget& window)
{
    return window.windowTitle().replace(QStringLiteral("[*]"), window.isWindowModified() ? "*" : "");
}

// The caption and every text the window saves, to check that a failed load changed none of them.
QStringList windowTexts(const RegToolHarness& h)
{
    QStringList texts{shownCaption(*h.window),
                      h.texts({"txtI2CADR", "txtActualWrtAddress", "txtActualReadAddress"})};
    for (int r = 0; r < kRegisterRowCount; ++r)
        for (const char* base : kRowBoxes)
            texts << h.text(rowName(base, r));
    return texts;
}

} // namespace

class TestRegTool : public QObject {
    Q_OBJECT
private slots:
    // The window: load, connection modes, closing, the transaction guard, the direct write.

    void loadAndTheAutomaticMode()
    {
        RegToolHarness h;
        QCOMPARE(shownCaption(*h.window), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION"));
        QCOMPARE(h.texts({"txtI2CADR", "txtActualWrtAddress", "txtActualReadAddress"}),
                 QStringLiteral("9E 9E 9F"));
        // The probe opened and closed the link: the handle box keeps the number, the Handle lamp its colour.
        QCOMPARE(h.text("txthDriver"), QStringLiteral(" 1"));
        QCOMPARE(h.lamps(kLinkLamps + QStringList{"ShpAttach"}),
                 (QList{L::LightGreen, L::Black, L::LightGreen, L::Black}));
        QVERIFY(!h.sim.link.UsbOpen && !h.sim.board.isInitialised() && h.messages().isEmpty());
        QVERIFY(!h.child<QPushButton>("cmdexit")->isHidden() && h.child<QPushButton>("cbNoc")->isHidden());
        for (int r = 0; r < kRegisterRowCount; ++r) // rows in two frames of sixteen
            QCOMPARE(h.box(rowName("txtRdByte", r))->parentWidget()->objectName(), rowName("Frame1", r / 16));
        h.click("cmdRead"); // the automatic mode opens the link for each transaction and closes it again
        QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
        QVERIFY(!h.sim.link.UsbOpen && !h.sim.board.isInitialised() && h.messages().isEmpty());
        QCOMPARE(h.text("txthDriver"), QStringLiteral("Closed"));
        QCOMPARE(h.lamps(kLinkLamps), (QList{L::Black, L::Black, L::LightGreen}));
        QCOMPARE(h.child<QPushButton>("cbNoc")->text(), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(h.child<QPushButton>("cmdexit")->isVisible());
    }

    void manualModeKeepsTheLinkAsTheUserLeftIt()
    {
        RegToolHarness h;
        auto* exitButton = h.child<QPushButton>("cmdexit");
        h.manualMode();
        h.click("cmdRead"); // no link yet: the pipes say so and READ fails
        QCOMPARE(h.messages(),
                 (QStringList{"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened"}));
        QVERIFY(h.sim.recorder.transferLog().empty() && h.text("txtReadByte") == u"--");
        QCOMPARE(h.lamp("Shape2_2"), L::LightRed);
        QCOMPARE(h.text("txthDriver"), QStringLiteral(" 1")); // nothing opened the link, nothing closed it
        h.sim.messages.clear();
        h.click("cmdUSBConnect");
        QVERIFY(h.sim.link.UsbOpen && exitButton->isHidden());
        QCOMPARE(h.lamps(kLinkLamps), (QList{L::LightGreen, L::LightGreen, L::Black}));
        QCOMPARE(h.text("txthDriver"), QStringLiteral(" 2"));
        h.click("cmdRead"); // a transaction leaves the link open
        QVERIFY(h.sim.link.UsbOpen);
        QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
        h.click("cmdUSBConnect");
        QCOMPARE(h.messages(), QStringList{"Already Opened"}); // the register tool's word for it
        h.click("cmdUSBDisconnect");
        QVERIFY(!h.sim.link.UsbOpen && !h.sim.board.isInitialised() && !exitButton->isHidden());
        h.sim.board.failInit(DriverStatus::NoMemory);
        h.click("cmdUSBConnect");
        QCOMPARE(h.child<QPushButton>("cbNoc")->text(), QStringLiteral("USB Board won't intialize"));
    }

    void transactionsWaitForOneRunningElsewhere()
    {
        RegToolHarness h;
        writeFile(h.sim.fileDialogs.nextOpenName = h.path("later.vtx"), defaultFile("I2C ADDRESS , C0"));
        std::optional<RegisterToolWindow> loading;
        {
            const auto otherTransaction = h.sim.link.guard().tryBegin();
            QVERIFY(otherTransaction.has_value());
            for (const char* button : {"cmdRead", "cmdReadRegs", "cmdTestComm", "cmdUSBConnect"})
                h.click(button);             // dropped
            h.window->mnuSetup_Open_Click(); // a load would change the address in use: it waits
            QVERIFY(!h.window->close());     // closing waits
            loading.emplace(h.sim.context);  // so does the probe of a window loading now
            QVERIFY(h.sim.recorder.transferLog().empty() && h.sim.recorder.callLog().empty());
            QVERIFY(h.sim.fileDialogs.openRequests.empty());
            QCOMPARE(h.sim.program.endRequests, 0);
        }
        yieldEvents();
        QCOMPARE(shownCaption(*h.window), QStringLiteral("later.vtx - Veltrane R2IZOR"));
        QCOMPARE(h.sim.state.I2CWrtAdr, 0xC0);
        QVERIFY(!h.window->isVisible()); // closed after all
        QCOMPARE(h.sim.program.endRequests, 1);
        const auto calls = h.sim.recorder.callLog(); // the waiting probe's, released
        QCOMPARE(std::count(calls.begin(), calls.end(), "init"), 1);
        QCOMPARE(std::count(calls.begin(), calls.end(), "uninit"), 1);
        QCOMPARE(namedChild<QLineEdit>(&*loading, "txthDriver")->text(), QStringLiteral(" 2"));
    }

    // The bytes sent on pipe 4; none: refused with "Invalid Write Value".
    void directWrite_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("sent");
        // clang-format off
        QTest::newRow("a byte") << "15" << "a5" << "15 A5";
        QTest::newRow("empty boxes are 00") << "" << "" << "00 00";
        QTest::newRow("data over FF") << "05" << "100" << "";
        QTest::newRow("data FFFF is negative") << "05" << "FFFF" << "";
        QTest::newRow("address with the read flag") << "85" << "01" << "";
        QTest::newRow("address too long") << "123456" << "01" << "";
        // clang-format on
    }
    void directWrite()
    {
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, sent);
        RegToolHarness h;
        QVERIFY(h.child<QWidget>("DirectWriteGroup")->isHidden()); // out of the way until expanded
        h.child<QToolButton>("tglDirectWrite")->click();
        QVERIFY(h.child<QWidget>("DirectWriteGroup")->isVisible());
        h.manualMode();
        h.click("cmdUSBConnect");
        h.sim.recorder.clearTransferLog();
        h.setText("txtAddr", address);
        h.setText("txtData", data);
        h.click("cmdWrite");
        QCOMPARE(h.messages(), sent.isEmpty() ? QStringList{"Invalid Write Value"} : QStringList{});
        QCOMPARE(h.sim.recorder.transferLog().empty(), sent.isEmpty());
        if (sent.isEmpty())
            return;
        QCOMPARE(hexBytes(h.sim.writesOn(1).at(0).bytes), QStringLiteral("FF 02 FF FF 02")); // bridge query
        QCOMPARE(h.sim.writesOn(4).size(), 1u);
        QCOMPARE(hexBytes(h.sim.writesOn(4).front().bytes), sent);
        QCOMPARE(h.texts({"txtAddr", "txtData"}).toUpper(), sent); // empty boxes show 00
        QCOMPARE(h.sim.board.moduleRegister(std::uint8_t(sent.left(2).toInt(nullptr, 16))),
                 sent.right(2).toInt(nullptr, 16));
    }

    // The single-byte transfer panel.

    void readShowsTheByteAndItsLamps()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x00, 0x0A);
        for (const L colour : {L::LightGreen, L::Green, L::LightGreen}) { // alternating with each read
            h.click("cmdRead");
            QCOMPARE(h.lamps({"Shape2_2", "Shape3", "Shape2_0"}), (QList{colour, L::LightGreen, L::Black}));
        }
        QCOMPARE(h.i2cCommands(), (QStringList{"01 C1", "01 C1", "01 C1"}));
        QCOMPARE(h.readCount(), 3);
        QCOMPARE(h.text("txtReadByte") + h.label("lblReadCount"), QStringLiteral("0A 1"));
        QVERIFY(h.child<QLabel>("lblNak")->isVisible() && h.messages().isEmpty());
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.click("cmdRead");
        QCOMPARE(h.text("txtReadByte") + h.label("lblReadCount"), QStringLiteral("-- 0"));
        QCOMPARE(h.lamps({"Shape2_2", "Shape3"}), (QList{L::LightRed, L::LightRed}));
    }

    void writesThatAreNotAcknowledgedShowRed()
    {
        RegToolHarness h;
        h.click("cmdRead");
        h.setText("txtsbwr_0", "80");
        h.click("cmdWrite1Byte_0"); // acknowledged; the VTX8303's EEPROM is busy after it ...
        h.click("cmdWrite1Byte_0"); // ... so the next write gets transfer count 0
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        QCOMPARE(h.lamps({"Shape2_0", "Shape3", "Shape2_2"}),
                 (QList{L::LightRed, L::LightRed, L::LightGreen})); // READ's keeps
        QCOMPARE(h.text("txtReadByte") + h.text("txtsbwr_0"), QStringLiteral("--80"));
        QCOMPARE(h.i2cCommands(), (QStringList{"01 9F", "01 9E 80", "01 9E 80"}));
    }

    // The I2C address entry and the communication test.

    void communicationTest_data()
    {
        // The typed address, the write address in force (refused, 9E stays: -1 too large, -2 no digit), the
        // write and read address displays, the read command sent, the outcome.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        QTest::newRow("9e") << "9e" << 0x9E << "9E 9F" << "01 9F" << "Good";
        QTest::newRow("highest") << "FE" << 0xFE << "FE FF" << "01 FF" << "Fail";
        QTest::newRow("no device") << "50" << 0x50 << "50 51" << "01 51" << "Fail";
        for (const char* refused : {"FF", "100", "8000", "ffff", "12345"}) // the last three negative or too long
            QTest::addRow("refused %s", refused) << refused << -1 << "-- --" << "" << "Fail";
        for (const char* invalid : {"", "ZZ", " -5"}) // never the general-call address 00
            QTest::addRow("invalid \"%s\"", invalid) << invalid << -2 << "-- --" << "" << "Fail";
        // clang-format on
    }
    void communicationTest()
    {
        QFETCH(QString, typed);
        QFETCH(int, address);
        QFETCH(QString, sent);
        QFETCH(QString, outcome);
        RegToolHarness h;
        h.setText("txtI2CADR", typed);
        h.click("cmdTestComm");
        QCOMPARE(h.text("txtI2CADR"), typed); // never rewritten
        QTEST(h.texts({"txtActualWrtAddress", "txtActualReadAddress"}), "shown");
        const bool good = outcome == u"Good";
        const QPalette palette = h.child<QLabel>("lblCommTest")->palette();
        QCOMPARE(h.label("lblCommTest"), outcome);
        QCOMPARE(palette.color(QPalette::Window), good ? QColor(0, 128, 0) : QColor(255, 0, 0));
        QCOMPARE(palette.color(QPalette::WindowText),
                 good ? QApplication::palette().color(QPalette::ButtonText) : QColor(255, 255, 255));
        // The result signal is the last transfer: FF 02 for good, FF 01 otherwise, on pipe 1.
        QCOMPARE(h.sim.recorder.transferLog().back().pipe, 1u);
        QCOMPARE(hexBytes(h.sim.recorder.transferLog().back().bytes), QLatin1String(good ? "FF 02" : "FF 01"));
        QCOMPARE(h.text("txthDriver"), QStringLiteral("Closed"));
        QCOMPARE(h.i2cCommands(), sent.isEmpty() ? QStringList{} : QStringList{sent});
        QCOMPARE(h.readCount(), sent.isEmpty() ? 0 : 1);
        QCOMPARE(h.messages(), address == -1   ? QStringList{"Address value to large"}
                               : address == -2 ? QStringList{"Invalid Address"}
                                               : QStringList{});
        QCOMPARE(h.sim.state.I2CWrtAdr + (h.sim.state.I2CRdAdr << 8),
                 address < 0 ? 0x9F9E : (address + 1) << 8 | address);
        const int wiper = h.sim.board.dcp().wiperCode() << 1 & 0xFF;
        if (address >= 0) // the transfer count, then the byte read
            QCOMPARE(h.texts({"txtTstReg_0", "txtTstReg_1"}),
                     good ? "1 " + QString::number(wiper, 16).toUpper() : "0 0");
    }

    // The active register bank against the register device at 0xC0.

    // "Read All" reads registers 00 to 1F in order; "Set Write Data = Read Data" and "Write All" write them
    // back in the same order.
    void readAllAndWriteAllGoThrough00To1FInOrder()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        auto& device = h.sim.board.registerDevice();
        QStringList reads, shown, writes;
        for (int r = 0; r < 32; ++r) {
            device.setReg(std::uint8_t(r), std::uint8_t(0xA0 + r));
            reads << QStringLiteral("01 C1 ") + twoDigits(r);
            shown << twoDigits(0xA0 + r);
            writes << QStringLiteral("01 C0 %1 %2").arg(twoDigits(r), shown.last());
        }
        h.click("cmdReadRegs");
        QCOMPARE(h.i2cCommands(), reads);
        QCOMPARE(h.readCount(), 32);
        QCOMPARE(h.texts(rowNames("txtRdByte")), shown.join(u' '));
        QCOMPARE(h.label("lblReadCount") + h.text("txthDriver"), QStringLiteral(" 1Closed"));
        QVERIFY(h.messages().isEmpty());
        // Every lamp alternates with each read.
        for (const L colour : {L::LightGreen, L::Green, L::LightGreen}) {
            QCOMPARE(h.lamps(rowNames("Shape1")), QList<L>(32, colour));
            h.click("cmdReadRegs");
        }
        h.click("Command7");
        QCOMPARE(h.texts(rowNames("txtBWrite")), shown.join(u' '));
        device.setReg(0x03, 0x00);
        h.sim.recorder.clearTransferLog();
        h.click("cmdwriteAll");
        QCOMPARE(h.i2cCommands(), writes);
        QCOMPARE(device.reg(0x03), 0xA3);
        QCOMPARE(h.lamps(rowNames("shpBwrite")), QList<L>(32, L::LightGreen));
        QVERIFY(h.messages().isEmpty());
    }

    // Whole-bank reads leave out a row whose address is not two characters long, writes also one whose data
    // is not; such a row's read box and lamps are hidden until it takes part again. Neither sends a failure
    // marker: a row whose address or data is two characters but no hex byte sends nothing and lights its lamp
    // red.
    void bankRowsTakePartByTheirTexts_data()
    {
        QTest::addColumn<QString>("address"); // of row 5
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("read");  // the command that reads row 5, none: left out, or "refused"
        QTest::addColumn<QString>("write"); // "sent", "refused" or "left out"
        // clang-format off
        QTest::newRow("written") << "05" << "5A" << "01 C1 05" << "sent";
        QTest::newRow("no address") << "" << "11" << "" << "left out";
        QTest::newRow("three-digit address") << "005" << "11" << "" << "left out";
        QTest::newRow("one-digit data") << "05" << "5" << "01 C1 05" << "left out";
        QTest::newRow("three-digit data") << "05" << "005" << "01 C1 05" << "left out";
        QTest::newRow("data after a failed read") << "05" << "--" << "01 C1 05" << "refused";
        QTest::newRow("address after a failed read") << "--" << "11" << "refused" << "refused";
        QTest::newRow("address no hex byte") << "ZZ" << "11" << "refused" << "refused";
        // clang-format on
    }
    void bankRowsTakePartByTheirTexts()
    {
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, read);
        QFETCH(QString, write);
        RegToolHarness h;
        h.useRegisterDevice();
        h.click("cmdReadRegs"); // row 5 read once: lamp lit, box shown
        h.sim.recorder.clearTransferLog();
        h.setText("Reg_Adr_5", address);
        h.setText("txtBWrite_5", data);
        h.setText("txtBWrite_7", "77"); // the other write boxes are empty after load
        h.click("cmdReadRegs");
        const bool readable = !read.isEmpty() && read != u"refused";
        QCOMPARE(h.i2cCommands().size(), readable ? 32 : 31);
        QCOMPARE(h.i2cCommands().value(5), readable ? read : QStringLiteral("01 C1 06"));
        QCOMPARE(h.box("txtRdByte_5")->isHidden() && h.child<LampWidget>("Shape1_5")->isHidden(),
                 read.isEmpty());
        QCOMPARE(h.lamp("Shape1_5"), readable ? L::Green : read.isEmpty() ? L::Black : L::LightRed);
        h.sim.recorder.clearTransferLog();
        h.click("cmdwriteAll");
        const bool sent = write == u"sent";
        QCOMPARE(h.i2cCommands(), (sent ? QStringList{"01 C0 05 5A"} : QStringList{}) << "01 C0 07 77");
        QCOMPARE(h.lamps({"shpBwrite_5", "shpBwrite_7"}), (QList{sent                  ? L::LightGreen
                                                                 : write == u"refused" ? L::LightRed
                                                                                       : L::Black,
                                                                 L::LightGreen}));
        QCOMPARE(h.child<LampWidget>("shpBwrite_5")->isHidden(), write == u"left out");
        QVERIFY(h.child<LampWidget>("shpBwrite_0")->isHidden()); // no data
        QCOMPARE(h.text("txtBWrite_5"), data);
        QVERIFY(h.messages().isEmpty());
    }

    // A device that does not answer fails every row on its own, without a message. A failure of the link
    // itself ends a whole-bank read with its one message (the first thing the link said); the rows not
    // reached keep their texts with dark lamps. No second timeout in the same click.
    void aFailedBankRead_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("commands");
        QTest::addColumn<QStringList>("messages");
        // clang-format off
        QTest::newRow("device silent") << "silent" << 32 << QStringList{};
        QTest::newRow("a reply lost") << "timeout" << 1 << QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (Operation timed out)"};
        QTest::newRow("link closed, manual mode") << "closed" << 0 << QStringList{"Write GPIOPipe .. USB Not opened"};
        // clang-format on
    }
    void aFailedBankRead()
    {
        QFETCH(QString, fault);
        RegToolHarness h;
        h.useRegisterDevice();
        h.click("cmdReadRegs"); // every lamp lit once
        const QStringList readBefore = h.texts(rowNames("txtRdByte")).split(u' ');
        if (fault == u"silent")
            h.sim.board.setDeviceAnswers(0xC0, false);
        else if (fault == u"timeout")
            h.sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
        else
            h.manualMode();
        h.sim.recorder.clearTransferLog();
        h.click("cmdReadRegs");
        QTEST(int(h.i2cCommands().size()), "commands");
        QTEST(h.messages(), "messages");
        const bool silent = fault == u"silent";
        QCOMPARE(h.lamps(rowNames("Shape1")),
                 QList<L>{L::LightRed} + QList<L>(31, silent ? L::LightRed : L::Black));
        QCOMPARE(h.texts(rowNames("txtRdByte")),
                 (QStringList{"--"} + (silent ? QStringList(31, "--") : readBefore.mid(1))).join(u' '));
        if (!silent)
            return;
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        h.setText("txtBWrite_4", "12");
        h.window->registerBank().txtBWrite_DblClick(4); // a write is not acknowledged either
        QCOMPARE(h.lamp("shpBwrite_4"), L::LightRed);
        QCOMPARE(h.text("txtBWrite_4") + h.label("lblReadCount"), QStringLiteral("12 0"));
    }

    void clickingAReadBoxReadsThatRow_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("two digits") << "0C" << "01 C1 0C" << "0C";
        QTest::newRow("low 8 bits of 1FF") << "1FF" << "01 C1 FF" << "3C";
        QTest::newRow("no hex digit: register 00") << "ZZ" << "01 C1 00" << "83"; // the product ID
        QTest::newRow("too long for a number") << "12345" << "" << "--";
        // clang-format on
    }

    void clickingAReadBoxReadsThatRow()
    {
        // The address's length does not matter here, only its low 8 bits; one too long for a number sends
        // nothing.
        QFETCH(QString, address);
        QFETCH(QString, sent);
        QFETCH(QString, shown);

        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x0C, 0x0C);
        h.sim.board.registerDevice().setReg(0xFF, 0x3C);
        h.setText("Reg_Adr_12", address);
        QTest::mouseClick(h.box("txtRdByte_12"), Qt::LeftButton);
        QCOMPARE(h.i2cCommands().join(u','), sent);
        QCOMPARE(h.text("txtRdByte_12"), shown);
        QCOMPARE(h.lamp("Shape1_12"), sent.isEmpty() ? L::LightRed : L::LightGreen);
    }

    // Return, Enter and Space on a read box read its row as a click does; other keys do nothing.
    void keysOnAReadBoxReadThatRow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("Return") << int(Qt::Key_Return) << QStringList{"01 C1 0C"};
        QTest::newRow("Enter") << int(Qt::Key_Enter) << QStringList{"01 C1 0C"};
        QTest::newRow("Space") << int(Qt::Key_Space) << QStringList{"01 C1 0C"};
        QTest::newRow("a letter") << int(Qt::Key_A) << QStringList{};
    }
    void keysOnAReadBoxReadThatRow()
    {
        QFETCH(int, key);
        RegToolHarness h;
        h.useRegisterDevice();
        QTest::keyClick(h.box("txtRdByte_12"), Qt::Key(key));
        QTEST(h.i2cCommands(), "sent");
        QCOMPARE(h.child<QPushButton>("cmdScanBus")->text(), QStringLiteral("Scan &Bus"));
    }

    void writeOneByte_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter"); // or a click on WRITE (0), a double click on the row's box
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("byte"); // -1: refused with "Invalid Write Value"
        // clang-format off
        QTest::newRow("AA") << "AA" << false << "AA" << 0xAA;
        QTest::newRow("lower case, Enter") << "aa" << true << "AA" << 0xAA;
        QTest::newRow("empty") << "" << false << "00" << 0x00;
        QTest::newRow("no value or hex digit, Enter") << "--" << true << "00" << 0x00;
        QTest::newRow("one digit") << "5" << false << "5" << 0x05;
        QTest::newRow("digit then letter") << "1g" << false << "1G" << 0x01;
        QTest::newRow("leading zeros, Enter") << "00FF" << true << "00FF" << 0xFF;
        QTest::newRow("100") << "100" << false << "--" << -1;
        QTest::newRow("FFFF is negative, Enter") << "FFFF" << true << "--" << -1;
        QTest::newRow("too long for a number") << "12345" << false << "--" << -1;
        // clang-format on
    }
    void writeOneByte() // through the single-byte panel to 9E, and through register row 9 to the device at C0
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(int, byte);
        const bool refused = byte < 0;
        for (const bool bank : {false, true}) {
            RegToolHarness h;
            if (bank) {
                h.useRegisterDevice();
                h.click("cmdwriteAll"); // hides every write lamp: no row has data
                h.sim.recorder.clearCallLog();
                h.sim.board.registerDevice().setReg(0x09, 0x99);
            }
            const int index = enter ? 1 : 0; // WRITE (1) by Enter, WRITE (0) by a click
            auto* box = h.box(bank ? QStringLiteral("txtBWrite_9") : rowName("txtsbwr", index));
            box->setText(typed);
            if (enter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                bank ? QTest::mouseDClick(box, Qt::LeftButton) : h.click(rowName("cmdWrite1Byte", index));
            QTEST(box->text(), "shown");
            QCOMPARE(h.messages(), refused ? QStringList{"Invalid Write Value"} : QStringList{});
            QCOMPARE(h.i2cCommands().join(u','),
                     refused ? QString() : (bank ? "01 C0 09 " : "01 9E ") + twoDigits(byte));
            QCOMPARE(h.sim.recorder.callLog().empty(), refused); // a refused value does not even open the link
            if (bank) {
                QCOMPARE(int(h.sim.board.registerDevice().reg(0x09)), refused ? 0x99 : byte);
                QCOMPARE(h.lamp("shpBwrite_9"), refused ? L::Black : L::LightGreen);
                QCOMPARE(h.child<LampWidget>("shpBwrite_9")->isVisible(), !refused); // shown again by a write
            } else {
                QCOMPARE(h.readCount(), refused ? 0 : 1);
                QCOMPARE(h.lamps({rowName("Shape2", index), rowName("Shape2", 1 - index)}),
                         (QList{refused ? L::Black : L::LightGreen, L::Black}));
                QCOMPARE(h.child<QLabel>("lblNak")->isHidden(), refused);
            }
            QCOMPARE(h.label("lblReadCount"), QLatin1String(refused ? "--" : bank ? " 3" : " 2"));
        }
    }

    // Setup files through the window (the format itself is tst_setupfile's).

    void aSavedSetupLoadsBackIntoTheWindow()
    {
        RegToolHarness h;
        h.sim.fileDialogs.nextSaveName = h.path("I2C_General.vtx"); // right after the load: the default setup
        h.child<QAction>("mnuSetup_Save")->trigger();
        const QByteArray bytes = readAll(h.sim.fileDialogs.nextSaveName);
        QVERIFY(bytes.startsWith("I2C ADDRESS , 9E\r\n00,Veltrane Product ID,,\r\n01,Veltrane Product ID / "
                                 "revision number,,\r\n"));
        QVERIFY(bytes.endsWith("\r\n1D,Status2,,\r\n1E,,,\r\n1F,,,\r\n") && bytes.count("\r\n") == 33);
        // The caption names the saved file, as after a load.
        QCOMPARE(shownCaption(*h.window), QStringLiteral("I2C_General.vtx - Veltrane R2IZOR"));
        const FileDialogRequest& save = h.sim.fileDialogs.saveRequests.at(0);
        QCOMPARE(
            QStringList({save.fileName, save.defaultSuffix, QString::number(save.selectedFilter)}) +
                save.nameFilters,
            (QStringList{"I2C_General.vtx", "vtx", "1", "All Files (*)", "I2C_General Setup Files (*.vtx)"}));
        const QString path = h.path("bench.vtx");
        // clang-format off
        for (const auto& [box, text] : {std::pair{"txtI2CADR", "c0"}, {"Reg_Desc_2", "RX, TX gain"}, {"Reg_Desc_3", "  indented "},
                                        {"Reg_Desc_4", "5\" panel"}, {"Reg_Desc_5", "Temp\u00E9rature \u00B5A \u20AC \u03A9"},
                                        {"txtBWrite_6", "7f"}, {"txtRdByte_7", "--"}})
            // clang-format on
            h.setText(box, QString::fromUtf8(text));
        QStringList expected = windowTexts(h);
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_SaveAs_Click();
        QVERIFY(h.messages().isEmpty());
        h.setText("txtI2CADR", "50");
        for (int r = 0; r < kRegisterRowCount; ++r)
            for (const char* base : kRowBoxes)
                h.setText(rowName(base, r), "x");
        h.sim.fileDialogs.nextOpenName = path;
        h.child<QAction>("mnuSetup_Open")->trigger();
        QVERIFY(h.messages().isEmpty());
        expected[0] = QStringLiteral("bench.vtx - Veltrane R2IZOR");
        expected[1] = QStringLiteral("c0 C0 C1");
        QCOMPARE(windowTexts(h), expected);
        QCOMPARE(h.sim.state.I2CWrtAdr + (h.sim.state.I2CRdAdr << 8), 0xC1C0);
        QVERIFY(h.sim.recorder.transferLog().empty()); // loading sends nothing
        const FileDialogRequest& open = h.sim.fileDialogs.openRequests.at(0);
        QCOMPARE(open.title + u'|' + open.nameFilters.value(1),
                 QStringLiteral("Select Setup File to Open|I2C_General Setup Files (*.vtx)"));
    }

    // A file's address that is no device address shows as it stands, and 9E stays in force: none of these
    // may become 00, the general-call address "Write All" would then send the rows to.
    void aFileAddressThatIsNoDeviceAddressShowsButLeaves9EInForce_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("too long for a number") << "12345";
        QTest::newRow("no hex digit") << "ZZ";
        QTest::newRow("empty") << "";
        QTest::newRow("above a byte") << "100";
        QTest::newRow("FF") << "FF";
    }
    void aFileAddressThatIsNoDeviceAddressShowsButLeaves9EInForce()
    {
        QFETCH(QString, address);
        RegToolHarness h;
        writeFile(h.path("other.vtx"), defaultFile("I2C ADDRESS , " + address.toLatin1()));
        h.window->Read_Param_File(h.path("other.vtx"));
        QCOMPARE(h.texts({"txtI2CADR", "txtActualWrtAddress", "txtActualReadAddress"}), address + " -- --");
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
    }

    void textsNoFileCanCarryAreRefusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        // clang-format off
        QTest::newRow("comma and quote") << "Reg_Desc_3" << "5\", wide" << "the description of row 3 holds both a comma and a double quote";
        QTest::newRow("leading quote") << "txtI2CADR" << "\"9E" << "the I2C address holds a double quote at its start";
        QTest::newRow("quote and edge blank") << "txtBWrite_31" << " 1\"" << "the write data of row 31 holds a double quote and a blank at its start or end";
        // clang-format on
    }

    void textsNoFileCanCarryAreRefusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, what);
        RegToolHarness h;
        writeFile(h.sim.fileDialogs.nextSaveName = h.path("old.vtx"), "old");
        h.setText(box, text);
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.messages(),
                 QStringList{QStringLiteral("The setup was not saved: %1, which a setup file cannot carry. "
                                            "Change that text and save again.")
                                 .arg(what)});
        QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
        QVERIFY(h.sim.fileDialogs.saveRequests.empty()); // told before the dialog
        QCOMPARE(readAll(h.sim.fileDialogs.nextSaveName), QByteArray("old"));
    }

    void aFileThatCannotBeLoadedLeavesTheWindowUnchanged_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("message");
        QTest::newRow("incomplete") << true << "is incomplete: it holds 126 of the 130 fields a setup needs";
        QTest::newRow("missing") << false << "could not be opened: No such file or directory";
    }

    void aFileThatCannotBeLoadedLeavesTheWindowUnchanged()
    {
        QFETCH(bool, exists);
        QFETCH(QString, message);
        RegToolHarness h;
        const QString path = h.path("short.vtx");
        const QByteArray bytes = defaultFile("I2C ADDRESS , 50");
        if (exists)
            writeFile(path, bytes.first(bytes.indexOf("1F,"))); // the last row is missing
        h.setText("txtRdByte_3", "33");
        const QStringList before = windowTexts(h);
        h.sim.fileDialogs.nextOpenName = path;
        h.window->mnuSetup_Open_Click();
        QCOMPARE(h.messages(), QStringList{QStringLiteral("The setup file \"%1\" %2. Nothing was changed.")
                                               .arg(QDir::toNativeSeparators(path), message)});
        QCOMPARE(windowTexts(h), before);
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
    }

    void aFailedSaveIsToldAndTheEarlierFileKept()
    {
        RegToolHarness h;
        // The temporary file beside a name this long cannot be created, so the save fails before the end.
        const QString path = h.path(QByteArray(250, 's').append(".vtx").constData());
        writeFile(h.sim.fileDialogs.nextSaveName = path, "I2C ADDRESS , 50\r\n");
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.messages().size(), 1); // its words: tst_registertoolentry's failed save on closing
        QCOMPARE(readAll(path), QByteArray("I2C ADDRESS , 50\r\n"));
        QCOMPARE(QDir(h.dir.path()).entryList(QDir::Files).size(), 1);
    }

    // File > Recent Files: the last five files opened or saved, newest first, kept in the user's settings
    // (a window opened later lists them too); the dialogs open in the folder of the last one; an entry loads
    // its file.
    void recentFilesKeepFiveNewestFirst_data()
    {
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("one") << QStringList{"a.vtx"} << QStringList{"&1 a.vtx"};
        QTest::newRow("six: the oldest drops")
            << QStringList{"a.vtx", "b.vtx", "c.vtx", "d.vtx", "e.vtx", "f.vtx"}
            << QStringList{"&1 f.vtx", "&2 e.vtx", "&3 d.vtx", "&4 c.vtx", "&5 b.vtx"};
        QTest::newRow("saved again: back on top")
            << QStringList{"a.vtx", "b.vtx", "a.vtx"} << QStringList{"&1 a.vtx", "&2 b.vtx"};
    }
    void recentFilesKeepFiveNewestFirst()
    {
        QFETCH(QStringList, saved);
        QFETCH(QStringList, listed);
        RegToolHarness h;
        for (const QString& name : saved) {
            h.sim.fileDialogs.nextSaveName = h.dir.filePath(name);
            h.child<QAction>("mnuSetup_SaveAs")->trigger();
        }
        const auto entries = [](const RegisterToolWindow& window) {
            QStringList texts;
            for (const QAction* action : namedChild<QMenu>(&window, "mnuRecentFiles")->actions())
                texts << action->text();
            return texts;
        };
        QCOMPARE(entries(*h.window), listed);
        const RegisterToolWindow later(h.sim.context);
        QCOMPARE(entries(later), listed);

        h.child<QAction>("mnuSetup_Open")->trigger(); // cancelled
        QCOMPARE(h.sim.fileDialogs.openRequests.back().directory, QDir(h.dir.path()).absolutePath());
        h.setText("txtI2CADR", "50");
        h.child<QAction>("mnuRecentFile_0")->trigger();
        QCOMPARE(h.text("txtI2CADR"), QStringLiteral("9E"));
        QCOMPARE(shownCaption(*h.window), listed.first().mid(3) + QStringLiteral(" - Veltrane R2IZOR"));
    }

    // File > Open and File > Recent Files ask about unsaved edits as closing does, before anything is
    // loaded: Save writes the open file first, Discard loads over the edits, Cancel keeps them and loads
    // nothing.
    void openingAsksAboutUnsavedEdits_data()
    {
        using A = Questions::SaveAnswer;
        QTest::addColumn<QString>("entry"); // the menu entry that loads b.vtx
        QTest::addColumn<bool>("edited");
        QTest::addColumn<A>("answer");
        QTest::addColumn<QString>("shown");  // Reg_Desc_3 and the caption afterwards
        QTest::addColumn<QString>("inFile"); // Reg_Desc_3 in b.vtx afterwards
        // clang-format off
        QTest::newRow("Open, no edits") << "mnuSetup_Open" << false << A::Cancel << "Control|b.vtx - Veltrane R2IZOR" << "Control";
        QTest::newRow("Open, Save") << "mnuSetup_Open" << true << A::Save << "Control gain|b.vtx - Veltrane R2IZOR" << "Control gain";
        QTest::newRow("Open, Discard") << "mnuSetup_Open" << true << A::Discard << "Control|b.vtx - Veltrane R2IZOR" << "Control";
        QTest::newRow("Open, Cancel") << "mnuSetup_Open" << true << A::Cancel << "Control gain|b.vtx - Veltrane R2IZOR*" << "Control";
        QTest::newRow("Recent, Discard") << "mnuRecentFile_0" << true << A::Discard << "Control|b.vtx - Veltrane R2IZOR" << "Control";
        QTest::newRow("Recent, Cancel") << "mnuRecentFile_0" << true << A::Cancel << "Control gain|b.vtx - Veltrane R2IZOR*" << "Control";
        // clang-format on
    }
    void openingAsksAboutUnsavedEdits()
    {
        QFETCH(QString, entry);
        QFETCH(bool, edited);
        QFETCH(Questions::SaveAnswer, answer);
        RegToolHarness h;
        const QString path = h.path("b.vtx");
        writeFile(path, defaultFile("I2C ADDRESS , C0"));
        h.window->Read_Param_File(path);
        if (edited)
            QTest::keyClicks(h.box("Reg_Desc_3"), " gain");
        h.setText("txtRdByte_4", "44"); // a read result is no edit
        h.sim.questions.answer = answer;
        h.sim.fileDialogs.nextOpenName = path;
        h.child<QAction>(entry)->trigger();
        QCOMPARE(h.sim.questions.asked.size(), std::size_t(edited ? 1 : 0));
        QTEST(h.text("Reg_Desc_3") + u'|' + shownCaption(*h.window), "shown");
        const bool cancelled = edited && answer == Questions::SaveAnswer::Cancel;
        const bool kept =
            cancelled || (edited && answer == Questions::SaveAnswer::Save); // saved, then loaded
        QCOMPARE(h.text("txtRdByte_4"), QString(kept ? "44" : ""));
        QCOMPARE(h.sim.fileDialogs.openRequests.size(), std::size_t(entry == u"mnuSetup_Open" && !cancelled));
        QVERIFY(h.sim.fileDialogs.saveRequests.empty()); // Save wrote the open file without asking
        QTEST(QString::fromUtf8(readAll(path).split('\n').at(4).split(',').at(1)), "inFile");
    }

    // File > Save writes the file named in the caption again without a dialog; only a new setup asks for a
    // name, and Save As always does. The caption's marker shows unsaved edits until they are saved.
    void saveWritesTheFileInTheCaption()
    {
        RegToolHarness h;
        const QString first = h.path("first.vtx");
        h.sim.fileDialogs.nextSaveName = first;
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        const auto save = [&h] { QTest::keySequence(h.window.get(), QKeySequence::Save); };
        QTest::keyClicks(h.box("Reg_Desc_3"), "!");
        QCOMPARE(shownCaption(*h.window), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION*"));
        save();
        QCOMPARE(h.sim.fileDialogs.saveRequests.size(), std::size_t(1));
        QCOMPARE(shownCaption(*h.window), QStringLiteral("first.vtx - Veltrane R2IZOR"));
        h.setText("txtBWrite_3", "5A");
        QCOMPARE(shownCaption(*h.window), QStringLiteral("first.vtx - Veltrane R2IZOR*"));
        h.setText("txtBWrite_3", ""); // back as saved: no edit left
        QCOMPARE(shownCaption(*h.window), QStringLiteral("first.vtx - Veltrane R2IZOR"));
        h.setText("txtBWrite_3", "5A");
        h.sim.fileDialogs.nextSaveName.clear(); // a dialog now would cancel the save
        save();
        QCOMPARE(h.sim.fileDialogs.saveRequests.size(), std::size_t(1));
        QVERIFY(readAll(first).contains("\r\n03,Control!,5A,\r\n"));
        QCOMPARE(shownCaption(*h.window), QStringLiteral("first.vtx - Veltrane R2IZOR"));
        h.sim.fileDialogs.nextSaveName = h.path("second.vtx");
        h.child<QAction>("mnuSetup_SaveAs")->trigger();
        QCOMPARE(h.sim.fileDialogs.saveRequests.size(), std::size_t(2));
        QCOMPARE(shownCaption(*h.window), QStringLiteral("second.vtx - Veltrane R2IZOR"));
    }
};

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
