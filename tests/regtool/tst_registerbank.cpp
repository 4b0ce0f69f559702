// The active register bank against the simulated register device (write address 0xC0): whole-bank read and
// write, rows left out by their text lengths, failed rows, lamps, copying, and the single-row operations.
#include "regtool/registerbank.h"
#include "regtoolharness.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vtx;
using namespace vtx::test;

namespace {

QString name(const char* base, int row)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(row);
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

class TestRegisterBank : public QObject {
    Q_OBJECT
private slots:
    void readAllReadsRegisters00To1FInOrder()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        auto& device = h.sim.board.registerDevice();
        for (int r = 0x02; r < 0x20; ++r)
            device.setReg(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(0xA0 + r));
        device.setReg(0x0A, 0x05);

        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QStringList expected;
        for (int r = 0; r < 32; ++r)
            expected << QStringLiteral("01 C1 ") + twoDigits(r);
        QCOMPARE(h.i2cCommands(), expected);
        QCOMPARE(h.readsOn(0x83).size(), 32u);
        for (int r = 0; r < 32; ++r) {
            QCOMPARE(h.child<QLineEdit>(name("txtRdByte", r))->text(),
                     twoDigits(device.reg(static_cast<std::uint8_t>(r))));
            QCOMPARE(h.lamp(name("Shape1", r)), LampColor::LightGreen);
            QVERIFY(h.child<QLineEdit>(name("txtRdByte", r))->isVisible());
        }
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 0))->text(), QStringLiteral("83"));
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 10))->text(), QStringLiteral("05"));
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 1"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
        QVERIFY(h.sim.messages.messages.empty());

        // Again: every lamp turns green.
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        for (int r = 0; r < 32; ++r)
            QCOMPARE(h.lamp(name("Shape1", r)), LampColor::Green);
    }

    void rowsLeftOutByTheirAddressLength_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << "";
        QTest::newRow("one character") << "5";
        QTest::newRow("three characters") << "005";
    }
    void rowsLeftOutByTheirAddressLength()
    {
        QFETCH(QString, address);
        RegToolHarness h;
        h.useRegisterDevice();
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click(); // row 5 read once: lamp lit, box shown
        h.sim.board.clearTransferLog();
        h.child<QLineEdit>(name("Reg_Adr", 5))->setText(address);
        h.child<QLineEdit>(name("txtBWrite", 5))->setText(QStringLiteral("11"));
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.i2cCommands().size(), 31);
        QVERIFY(!h.i2cCommands().contains(QStringLiteral("01 C1 05")));
        QVERIFY(h.child<QLineEdit>(name("txtRdByte", 5))->isHidden());
        QVERIFY(h.child<LampWidget>(name("Shape1", 5))->isHidden());
        QCOMPARE(h.lamp(name("Shape1", 5)), LampColor::Black);

        // The whole-bank write leaves it out too, though its write box holds two characters.
        h.sim.board.clearTransferLog();
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QVERIFY(h.i2cCommands().isEmpty());
        QVERIFY(h.child<LampWidget>(name("shpBwrite", 5))->isHidden());

        // Given its two characters back, the row is read again and its box and lamp reappear.
        h.child<QLineEdit>(name("Reg_Adr", 5))->setText(QStringLiteral("05"));
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QVERIFY(h.child<QLineEdit>(name("txtRdByte", 5))->isVisible());
        QCOMPARE(h.lamp(name("Shape1", 5)), LampColor::LightGreen);
    }

    void writeAllRightAfterLoadSendsNothingAndHidesTheWriteLamps()
    {
        RegToolHarness h;
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QVERIFY(h.i2cCommands().isEmpty());
        for (int r = 0; r < 32; ++r) {
            QVERIFY(h.child<LampWidget>(name("shpBwrite", r))->isHidden());
            QCOMPARE(h.lamp(name("shpBwrite", r)), LampColor::Black);
            QVERIFY(h.child<QLineEdit>(name("txtBWrite", r))->isVisible());
        }
        // The bracket still opened and closed the link.
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
    }

    void aTwoCharacterAddressWithoutDigitsReadsRegisterZero()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.child<QLineEdit>(name("Reg_Adr", 3))->setText(QStringLiteral("ZZ"));
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.i2cCommands().size(), 32);
        QCOMPARE(h.i2cCommands().at(3), QStringLiteral("01 C1 00"));
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 3))->text(), QStringLiteral("83"));
    }

    void aDeviceThatDoesNotAnswerFailsEveryRowWithoutAMessage()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x04, 0x44);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        h.sim.board.clearTransferLog();
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.i2cCommands().size(), 32);
        for (int r = 0; r < 32; ++r) {
            QCOMPARE(h.child<QLineEdit>(name("txtRdByte", r))->text(), QStringLiteral("--"));
            QCOMPARE(h.lamp(name("Shape1", r)), LampColor::LightRed);
            QVERIFY(h.child<QLineEdit>(name("txtRdByte", r))->isVisible());
        }
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 0"));
        QVERIFY(h.sim.messages.messages.empty());
        // A success afterwards: light green again.
        h.sim.board.setDeviceAnswers(0xC0, true);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.lamp(name("Shape1", 4)), LampColor::LightGreen);
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 4))->text(), QStringLiteral("44"));
    }

    void oneLostReplyFailsOnlyItsRow()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.i2cCommands().size(), 32);
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 0))->text(), QStringLiteral("--"));
        QCOMPARE(h.lamp(name("Shape1", 0)), LampColor::LightRed);
        for (int r = 1; r < 32; ++r) {
            QCOMPARE(h.child<QLineEdit>(name("txtRdByte", r))->text(),
                     twoDigits(h.sim.board.registerDevice().reg(static_cast<std::uint8_t>(r))));
            QCOMPARE(h.lamp(name("Shape1", r)), LampColor::LightGreen);
        }
        QCOMPARE(h.sim.messages.messages.size(), 1u);
        QVERIFY(h.sim.messages.texts().front().startsWith(
            QStringLiteral("ReadPipe: WDU_Transfer() failed: error &H6")));
    }

    void copyThenWriteAllRestoresTheRegisters()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        auto& device = h.sim.board.registerDevice();
        device.setReg(0x03, 0x55);
        device.setReg(0x1F, 0xE1);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        h.child<QPushButton>(QStringLiteral("Command7"))->click();
        for (int r = 0; r < 32; ++r)
            QCOMPARE(h.child<QLineEdit>(name("txtBWrite", r))->text(),
                     h.child<QLineEdit>(name("txtRdByte", r))->text());

        device.setReg(0x03, 0x00);
        device.setReg(0x1F, 0x00);
        h.sim.board.clearTransferLog();
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QStringList expected;
        for (int r = 0; r < 32; ++r)
            expected << QStringLiteral("01 C0 %1 %2")
                            .arg(twoDigits(r), h.child<QLineEdit>(name("txtBWrite", r))->text());
        QCOMPARE(h.i2cCommands(), expected);
        QCOMPARE(device.reg(0x03), 0x55);
        QCOMPARE(device.reg(0x1F), 0xE1);
        for (int r = 0; r < 32; ++r) {
            QCOMPARE(h.lamp(name("shpBwrite", r)), LampColor::LightGreen);
            QVERIFY(h.child<LampWidget>(name("shpBwrite", r))->isVisible());
        }
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 3"));
    }

    void aFailedReadCopiedWritesZero()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        h.child<QPushButton>(QStringLiteral("Command7"))->click();
        QCOMPARE(h.child<QLineEdit>(name("txtBWrite", 0))->text(), QStringLiteral("--"));
        h.sim.board.clearTransferLog();
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QCOMPARE(h.i2cCommands().front(), QStringLiteral("01 C0 00 00"));
    }

    void rowsLeftOutOfWriteAll_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::newRow("short data") << "06"
                                    << "5";
        QTest::newRow("long data") << "06"
                                   << "005";
        QTest::newRow("empty data") << "06"
                                    << "";
        QTest::newRow("short address") << "6"
                                       << "55";
    }
    void rowsLeftOutOfWriteAll()
    {
        QFETCH(QString, address);
        QFETCH(QString, data);
        RegToolHarness h;
        h.useRegisterDevice();
        h.child<QLineEdit>(name("Reg_Adr", 6))->setText(address);
        h.child<QLineEdit>(name("txtBWrite", 6))->setText(data);
        h.child<QLineEdit>(name("txtBWrite", 7))->setText(QStringLiteral("77"));
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 C0 07 77")});
        QVERIFY(h.child<LampWidget>(name("shpBwrite", 6))->isHidden());
        QCOMPARE(h.lamp(name("shpBwrite", 6)), LampColor::Black);
        QCOMPARE(h.child<QLineEdit>(name("txtBWrite", 6))->text(), data); // the box keeps its text
        QCOMPARE(h.lamp(name("shpBwrite", 7)), LampColor::LightGreen);
        QCOMPARE(h.sim.board.registerDevice().reg(0x07), 0x77);
    }

    void clickingAReadBoxReadsThatRow()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x0C, 0x0C);
        auto* box = h.child<QLineEdit>(name("txtRdByte", 12));
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 C1 0C")});
        QCOMPARE(box->text(), QStringLiteral("0C"));
        QCOMPARE(h.lamp(name("Shape1", 12)), LampColor::LightGreen);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(h.lamp(name("Shape1", 12)), LampColor::Green);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
    }

    void aSingleReadIgnoresTheAddressLength()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0xFF, 0x3C);
        h.child<QLineEdit>(name("Reg_Adr", 2))->setText(QStringLiteral("1FF")); // the low 8 bits: FF
        h.window->registerBank().txtRdByte_Click(2);
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 C1 FF")});
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 2))->text(), QStringLiteral("3C"));
    }

    void aRegisterAddressTooLongForANumberSendsNothing()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.child<QLineEdit>(name("Reg_Adr", 2))->setText(QStringLiteral("12345"));
        h.window->registerBank().txtRdByte_Click(2);
        QVERIFY(h.i2cCommands().isEmpty());
        QCOMPARE(h.child<QLineEdit>(name("txtRdByte", 2))->text(), QStringLiteral("--"));
        QCOMPARE(h.lamp(name("Shape1", 2)), LampColor::LightRed);
    }

    void singleWrite_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("stored");
        QTest::newRow("ab double click") << "ab" << false << "AB"
                                         << "01 C0 09 AB" << 0xAB;
        QTest::newRow("0 plus Enter") << "0" << true << "00"
                                      << "01 C0 09 00" << 0x00;
        QTest::newRow("one digit stays") << "5" << false << "5"
                                         << "01 C0 09 05" << 0x05;
        QTest::newRow("empty") << "" << true << "00"
                               << "01 C0 09 00" << 0x00;
        QTest::newRow("no value") << "--" << false << "00"
                                  << "01 C0 09 00" << 0x00;
    }
    void singleWrite()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(int, stored);
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x09, 0x99);
        auto* box = h.child<QLineEdit>(name("txtBWrite", 9));
        box->setText(typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::mouseDClick(box, Qt::LeftButton);
        QTEST(box->text(), "shown");
        QCOMPARE(h.i2cCommands().size(), 1);
        QTEST(h.i2cCommands().front(), "sent");
        QCOMPARE(int(h.sim.board.registerDevice().reg(0x09)), stored);
        QCOMPARE(h.lamp(name("shpBwrite", 9)), LampColor::LightGreen);
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 3"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
    }

    void aSingleWriteShowsAHiddenWriteLampAgain()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.child<QPushButton>(QStringLiteral("cmdwriteAll"))->click();
        QVERIFY(h.child<LampWidget>(name("shpBwrite", 4))->isHidden());
        h.child<QLineEdit>(name("txtBWrite", 4))->setText(QStringLiteral("12"));
        h.window->registerBank().txtBWrite_DblClick(4);
        QVERIFY(h.child<LampWidget>(name("shpBwrite", 4))->isVisible());
        QCOMPARE(h.lamp(name("shpBwrite", 4)), LampColor::LightGreen);
        h.window->registerBank().txtBWrite_DblClick(4);
        QCOMPARE(h.lamp(name("shpBwrite", 4)), LampColor::Green);
    }

    void aWriteThatIsNotAcknowledgedShowsRed()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.child<QLineEdit>(name("txtBWrite", 4))->setText(QStringLiteral("12"));
        h.window->registerBank().txtBWrite_DblClick(4);
        QCOMPARE(h.lamp(name("shpBwrite", 4)), LampColor::LightRed);
        QCOMPARE(h.child<QLineEdit>(name("txtBWrite", 4))->text(), QStringLiteral("12"));
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 0"));
    }

    void invalidSingleWritesAreRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("1ff") << "1ff";
        QTest::newRow("100") << "100";
        QTest::newRow("negative") << "9000";
        QTest::newRow("too long") << "ABCDE";
    }
    void invalidSingleWritesAreRefused()
    {
        QFETCH(QString, typed);
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.clearCallLog();
        auto* box = h.child<QLineEdit>(name("txtBWrite", 9));
        box->setText(typed);
        QTest::mouseDClick(box, Qt::LeftButton);
        QCOMPARE(box->text(), QStringLiteral("--"));
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Invalid Write Value")});
        QVERIFY(h.sim.board.transferLog().empty());
        QVERIFY(h.sim.board.callLog().empty());
        QCOMPARE(h.lamp(name("shpBwrite", 9)), LampColor::Black);
    }

    void manualModeWithoutALinkReportsEveryRow()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QLineEdit>(name("Reg_Adr", 1))->clear();
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.sim.messages.messages.size(), 62u); // two per row that takes part
        QCOMPARE(h.sim.messages.texts().at(0), QStringLiteral("Write GPIOPipe .. USB Not opened"));
        QCOMPARE(h.sim.messages.texts().at(1), QStringLiteral("ReadPipe .. USB Not opened"));
        QCOMPARE(h.lamp(name("Shape1", 31)), LampColor::LightRed);
    }
};

QTEST_MAIN(TestRegisterBank)
#include "tst_registerbank.moc"
