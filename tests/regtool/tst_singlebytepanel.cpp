// The single-byte transfer panel on the simulated board: bytes on the wire, the boxes, the activity and
// acknowledge lamps, and the values it refuses.
#include "regtool/singlebytepanel.h"
#include "regtoolharness.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vtx;
using namespace vtx::test;

class TestSingleBytePanel : public QObject {
    Q_OBJECT
private slots:
    void readSendsTheReadAddressAndShowsTheByte()
    {
        RegToolHarness h;
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
        const auto reads = h.readsOn(0x83);
        QCOMPARE(reads.size(), 1u);
        QCOMPARE(reads[0].bytes.size(), 2u);
        const std::uint8_t expected = static_cast<std::uint8_t>(h.sim.board.dcp().wiperCode() << 1);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text(),
                 QStringLiteral("%1").arg(expected, 2, 16, QLatin1Char('0')).toUpper());
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 1"));
        QVERIFY(h.child<QLabel>(QStringLiteral("lblNak"))->isVisible());
        QVERIFY(h.child<LampWidget>(QStringLiteral("Shape3"))->isVisible());
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("Shape2_0")), LampColor::Black);
        QVERIFY(h.sim.messages.messages.empty());
    }

    void readShowsTwoDigits()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x00, 0x0A);
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 C1")});
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text(), QStringLiteral("0A"));
    }

    void successiveReadsAlternateTheActivityLamp()
    {
        RegToolHarness h;
        auto* read = h.child<QPushButton>(QStringLiteral("cmdRead"));
        const LampColor expected[] = {LampColor::LightGreen, LampColor::Green, LampColor::LightGreen};
        for (const LampColor colour : expected) {
            read->click();
            QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), colour);
        }
        QCOMPARE(h.i2cCommands().size(), 3);
    }

    void aReadThatIsNotAcknowledgedShowsRed()
    {
        RegToolHarness h;
        h.sim.board.setDeviceAnswers(0x9E, false);
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text(), QStringLiteral("--"));
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 0"));
        QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), LampColor::LightRed);
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightRed);
        QVERIFY(h.child<QLabel>(QStringLiteral("lblNak"))->isVisible());
        // A success afterwards turns the lamp light green again.
        h.sim.board.setDeviceAnswers(0x9E, true);
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightGreen);
    }

    void write_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("sent");
        QTest::newRow("default AA") << 0 << "AA" << false << "AA"
                                    << "01 9E AA";
        QTest::newRow("default 55") << 1 << "55" << false << "55"
                                    << "01 9E 55";
        QTest::newRow("lower case plus Enter") << 0 << "aa" << true << "AA"
                                               << "01 9E AA";
        QTest::newRow("empty") << 1 << "" << false << "00"
                               << "01 9E 00";
        QTest::newRow("zero plus Enter") << 0 << "0" << true << "00"
                                         << "01 9E 00";
        QTest::newRow("no hex digit") << 0 << "xy" << false << "00"
                                      << "01 9E 00";
        QTest::newRow("one digit") << 1 << "5" << false << "5"
                                   << "01 9E 05";
        QTest::newRow("digit then letter") << 0 << "1g" << false << "1G"
                                           << "01 9E 01";
        QTest::newRow("leading zeros") << 1 << "00FF" << true << "00FF"
                                       << "01 9E FF";
    }
    void write()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        RegToolHarness h;
        auto* box = h.child<QLineEdit>(QStringLiteral("txtsbwr_%1").arg(index));
        box->setText(typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            h.child<QPushButton>(QStringLiteral("cmdWrite1Byte_%1").arg(index))->click();
        QTEST(box->text(), "shown");
        QCOMPARE(h.i2cCommands().size(), 1);
        QTEST(h.i2cCommands().front(), "sent");
        QCOMPARE(h.readsOn(0x83).size(), 1u);
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 2"));
        QCOMPARE(h.lamp(QStringLiteral("Shape2_%1").arg(index)), LampColor::LightGreen);
        QCOMPARE(h.lamp(QStringLiteral("Shape2_%1").arg(1 - index)), LampColor::Black);
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightGreen);
        QVERIFY(h.sim.messages.messages.empty());
    }

    void invalidWriteValuesAreRefusedWithoutTouchingTheLink_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::newRow("100") << "100" << false;
        QTest::newRow("1FF plus Enter") << "1ff" << true;
        QTest::newRow("8000 is negative") << "8000" << false;
        QTest::newRow("FFFF is negative") << "FFFF" << true;
        QTest::newRow("too long for a number") << "12345" << false;
    }
    void invalidWriteValuesAreRefusedWithoutTouchingTheLink()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        RegToolHarness h;
        auto* box = h.child<QLineEdit>(QStringLiteral("txtsbwr_1"));
        box->setText(typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            h.child<QPushButton>(QStringLiteral("cmdWrite1Byte_1"))->click();
        QCOMPARE(box->text(), QStringLiteral("--"));
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Invalid Write Value")});
        QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
        QVERIFY(h.sim.board.transferLog().empty());
        QVERIFY(h.sim.board.callLog().empty()); // the link was not even opened
        QCOMPARE(h.lamp(QStringLiteral("Shape2_1")), LampColor::Black);
        QVERIFY(h.child<QLabel>(QStringLiteral("lblNak"))->isHidden());
    }

    void aWriteThatIsNotAcknowledgedShowsRedAndClearsTheReadBox()
    {
        RegToolHarness h;
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QVERIFY(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text() != u"--");
        h.sim.board.setDeviceAnswers(0x9E, false);
        h.child<QPushButton>(QStringLiteral("cmdWrite1Byte_1"))->click();
        QCOMPARE(h.lamp(QStringLiteral("Shape2_1")), LampColor::LightRed);
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightRed);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text(), QStringLiteral("--"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtsbwr_1"))->text(), QStringLiteral("55"));
        QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), LampColor::LightGreen); // READ's lamp keeps its outcome
    }

    void aTransferCountOtherThanTwoIsNotAnAcknowledgedWrite()
    {
        // The register device acknowledges the address and one byte: count 2. A write of the VTX8303's EEPROM
        // leaves it busy, so the next write gets count 0.
        RegToolHarness h;
        h.child<QLineEdit>(QStringLiteral("txtsbwr_0"))->setText(QStringLiteral("80"));
        h.child<QPushButton>(QStringLiteral("cmdWrite1Byte_0"))->click();
        QCOMPARE(h.lamp(QStringLiteral("Shape2_0")), LampColor::LightGreen);
        h.child<QPushButton>(QStringLiteral("cmdWrite1Byte_0"))->click();
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblReadCount"))->text(), QStringLiteral(" 0"));
        QCOMPARE(h.lamp(QStringLiteral("Shape2_0")), LampColor::LightRed);
        QCOMPARE(h.i2cCommands(), (QStringList{QStringLiteral("01 9E 80"), QStringLiteral("01 9E 80")}));
    }

    void manualModeWithoutAnOpenLinkReportsAndFails()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.sim.messages.texts(), (QStringList{QStringLiteral("Write GPIOPipe .. USB Not opened"),
                                                      QStringLiteral("ReadPipe .. USB Not opened")}));
        QVERIFY(h.sim.board.transferLog().empty());
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtReadByte"))->text(), QStringLiteral("--"));
        QCOMPARE(h.lamp(QStringLiteral("Shape2_2")), LampColor::LightRed);
        QCOMPARE(h.lamp(QStringLiteral("Shape3")), LampColor::LightRed);
        // Manual mode leaves the link alone: nothing opened it, nothing closed it.
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral(" 1"));
    }

    void registerBoxIsADisplayOnly()
    {
        RegToolHarness h;
        auto* registerBox = h.child<QLineEdit>(QStringLiteral("txtUserRegAdr"));
        QVERIFY(!registerBox->isEnabled());
        registerBox->setText(QStringLiteral("05"));
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
    }
};

QTEST_MAIN(TestSingleBytePanel)
#include "tst_singlebytepanel.moc"
