// The single-byte transfer panel on the simulated board: bytes on the wire, the boxes, the activity and
// acknowledge lamps, and the values it refuses.
#include "regtoolharness.h"

using namespace vtx;
using namespace vtx::test;
using L = LampColor;

class TestSingleBytePanel : public QObject {
    Q_OBJECT
private slots:
    void readShowsTheByteAndItsLamps()
    {
        RegToolHarness h;
        h.click("cmdRead"); // the VTX8303 at 9E answers with its wiper code
        QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
        QCOMPARE(h.readCount(), 1);
        QCOMPARE(h.text("txtReadByte"), QStringLiteral("%1").arg(h.sim.board.dcp().wiperCode() << 1, 2, 16, QLatin1Char('0')).toUpper());
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x00, 0x0A);
        for (const L colour : {L::Green, L::LightGreen, L::Green}) { // alternating with each read
            h.click("cmdRead");
            QCOMPARE(h.lamps({"Shape2_2", "Shape3", "Shape2_0"}), (QList{colour, L::LightGreen, L::Black}));
        }
        QCOMPARE(h.i2cCommands(), (QStringList{"01 C1", "01 C1", "01 C1"}));
        QCOMPARE(h.text("txtReadByte") + h.label("lblReadCount"), QStringLiteral("0A 1"));
        QVERIFY(h.child<QLabel>("lblNak")->isVisible() && h.messages().isEmpty());
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.click("cmdRead");
        QCOMPARE(h.text("txtReadByte") + h.label("lblReadCount"), QStringLiteral("-- 0"));
        QCOMPARE(h.lamps({"Shape2_2", "Shape3"}), (QList{L::LightRed, L::LightRed}));
        h.sim.board.setDeviceAnswers(0xC0, true);
        h.click("cmdRead");
        QCOMPARE(h.lamps({"Shape2_2", "Shape3"}), (QList{L::LightGreen, L::LightGreen}));
    }

    void write_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown"); // "--": refused with "Invalid Write Value"
        QTest::addColumn<QString>("sent");
        QTest::newRow("default AA") << 0 << "AA" << false << "AA" << "01 9E AA";
        QTest::newRow("default 55") << 1 << "55" << false << "55" << "01 9E 55";
        QTest::newRow("lower case, Enter") << 0 << "aa" << true << "AA" << "01 9E AA";
        QTest::newRow("empty") << 1 << "" << false << "00" << "01 9E 00";
        QTest::newRow("zero, Enter") << 0 << "0" << true << "00" << "01 9E 00";
        QTest::newRow("no hex digit") << 0 << "xy" << false << "00" << "01 9E 00";
        QTest::newRow("one digit") << 1 << "5" << false << "5" << "01 9E 05";
        QTest::newRow("digit then letter") << 0 << "1g" << false << "1G" << "01 9E 01";
        QTest::newRow("leading zeros, Enter") << 1 << "00FF" << true << "00FF" << "01 9E FF";
        QTest::newRow("100") << 1 << "100" << false << "--" << "";
        QTest::newRow("1FF, Enter") << 0 << "1ff" << true << "--" << "";
        QTest::newRow("8000 is negative") << 1 << "8000" << false << "--" << "";
        QTest::newRow("FFFF is negative") << 1 << "FFFF" << true << "--" << "";
        QTest::newRow("too long for a number") << 0 << "12345" << false << "--" << "";
    }
    void write()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, sent);
        RegToolHarness h;
        auto* box = h.box(rowName("txtsbwr", index));
        box->setText(typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            h.click(rowName("cmdWrite1Byte", index));
        QTEST(box->text(), "shown");
        const bool refused = sent.isEmpty();
        QCOMPARE(h.messages(), refused ? QStringList{"Invalid Write Value"} : QStringList{});
        QCOMPARE(h.i2cCommands(), refused ? QStringList{} : QStringList{sent});
        QCOMPARE(h.readCount(), refused ? 0 : 1);
        QCOMPARE(h.sim.board.callLog().empty(), refused); // a refused value does not even open the link
        QCOMPARE(h.lamps({rowName("Shape2", index), rowName("Shape2", 1 - index)}), (QList{refused ? L::Black : L::LightGreen, L::Black}));
        QCOMPARE(h.child<QLabel>("lblNak")->isHidden(), refused);
        QCOMPARE(h.label("lblReadCount"), refused ? QStringLiteral("--") : QStringLiteral(" 2"));
    }

    void writesThatAreNotAcknowledgedShowRed()
    {
        RegToolHarness h;
        h.click("cmdRead");
        h.setText("txtsbwr_0", "80");
        h.click("cmdWrite1Byte_0"); // acknowledged; the VTX8303's EEPROM is busy after it ...
        QCOMPARE(h.lamp("Shape2_0"), L::LightGreen);
        h.click("cmdWrite1Byte_0"); // ... so the next write gets transfer count 0
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        QCOMPARE(h.lamps({"Shape2_0", "Shape3", "Shape2_2"}), (QList{L::LightRed, L::LightRed, L::LightGreen})); // READ's keeps
        QCOMPARE(h.text("txtReadByte") + h.text("txtsbwr_0"), QStringLiteral("--80"));
        QCOMPARE(h.i2cCommands(), (QStringList{"01 9F", "01 9E 80", "01 9E 80"}));
        h.sim.board.setDeviceAnswers(0x9E, false);
        h.click("cmdWrite1Byte_1");
        QCOMPARE(h.lamp("Shape2_1"), L::LightRed);
    }

    void manualModeWithoutAnOpenLinkReportsAndFails()
    {
        RegToolHarness h;
        h.manualMode();
        h.click("cmdRead");
        QCOMPARE(h.messages(), (QStringList{"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened"}));
        QVERIFY(h.sim.board.transferLog().empty());
        QCOMPARE(h.text("txtReadByte"), QStringLiteral("--"));
        QCOMPARE(h.lamp("Shape2_2"), L::LightRed);
        QCOMPARE(h.text("txthDriver"), QStringLiteral(" 1")); // nothing opened the link, nothing closed it
    }
};

QTEST_MAIN(TestSingleBytePanel)
#include "tst_singlebytepanel.moc"
