// The active register bank against the simulated register device (write address 0xC0): whole-bank read and
// write, rows left out by their text lengths, failed rows, lamps, copying, and the single-row operations.
#include "regtool/registerbank.h"
#include "regtoolharness.h"

using namespace vtx;
using namespace vtx::test;
using L = LampColor;

namespace {
QString twoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper(); }
QStringList rowNames(const char* base, int from = 0, int to = 32)
{
    QStringList names;
    for (int r = from; r < to; ++r)
        names << rowName(base, r);
    return names;
}
} // namespace

class TestRegisterBank : public QObject {
    Q_OBJECT
private slots:
    void readAllReadsRegisters00To1FInOrder()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        QStringList commands, shown{"83", "21"}; // registers 0 and 1 hold the device's ID 83 21
        for (int r = 0; r < 32; ++r) {
            if (r >= 2)
                h.sim.board.registerDevice().setReg(std::uint8_t(r), std::uint8_t(r == 0x0A ? 0x05 : 0xA0 + r));
            commands << QStringLiteral("01 C1 ") + twoDigits(r);
            shown << (r < 2 ? QString() : r == 0x0A ? QStringLiteral("05") : twoDigits(0xA0 + r));
        }
        shown.removeAll(QString());
        h.click("cmdReadRegs");
        QCOMPARE(h.i2cCommands(), commands);
        QCOMPARE(h.readCount(), 32);
        QCOMPARE(h.texts(rowNames("txtRdByte")), shown.join(u' '));
        QCOMPARE(h.label("lblReadCount") + h.text("txthDriver"), QStringLiteral(" 1Closed"));
        QVERIFY(h.messages().isEmpty());
        for (const L colour : {L::LightGreen, L::Green, L::LightGreen}) { // every lamp alternates with each read
            QCOMPARE(h.lamps(rowNames("Shape1")), QList<L>(32, colour));
            h.click("cmdReadRegs");
        }
    }

    void rowsLeftOutByTheirAddressLength()
    {
        for (const char* address : {"", "5", "005"}) {
            RegToolHarness h;
            h.useRegisterDevice();
            h.click("cmdReadRegs"); // row 5 read once: lamp lit, box shown
            h.sim.board.clearTransferLog();
            h.setText("Reg_Adr_5", address);
            h.setText("txtBWrite_5", "11");
            h.click("cmdReadRegs");
            QCOMPARE(h.i2cCommands().size(), 31);
            QVERIFY(!h.i2cCommands().contains("01 C1 05"));
            QVERIFY(h.box("txtRdByte_5")->isHidden() && h.child<LampWidget>("Shape1_5")->isHidden());
            QCOMPARE(h.lamp("Shape1_5"), L::Black);
            h.click("cmdwriteAll"); // left out though its write box holds two characters, as the empty ones are
            QCOMPARE(h.i2cCommands().size(), 31);
            QVERIFY(h.child<LampWidget>("shpBwrite_5")->isHidden());
            h.setText("Reg_Adr_5", "05"); // given its two characters back, the row is read again
            h.click("cmdReadRegs");
            QVERIFY(h.box("txtRdByte_5")->isVisible());
            QCOMPARE(h.lamp("Shape1_5"), L::LightGreen);
        }
    }

    void aDeviceThatDoesNotAnswerFailsEveryRowWithoutAMessage()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.registerDevice().setReg(0x04, 0x44);
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.click("cmdReadRegs");
        QCOMPARE(h.i2cCommands().size(), 32);
        QCOMPARE(h.texts(rowNames("txtRdByte")), QStringList(32, "--").join(u' '));
        QCOMPARE(h.lamps(rowNames("Shape1")), QList<L>(32, L::LightRed));
        QCOMPARE(h.label("lblReadCount"), QStringLiteral(" 0"));
        QVERIFY(h.messages().isEmpty());
        h.sim.board.setDeviceAnswers(0xC0, true);
        h.click("cmdReadRegs");
        QCOMPARE(h.lamp("Shape1_4"), L::LightGreen);
        QCOMPARE(h.text("txtRdByte_4"), QStringLiteral("44"));
    }

    void aLostReplyFailsOnlyItsRowAndCopyThenWriteAllRestores()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        auto& device = h.sim.board.registerDevice();
        device.setReg(0x03, 0x55);
        device.setReg(0x1F, 0xE1);
        h.sim.board.failPipe(0x83, DriverStatus::Timeout, 1); // row 0's reply is lost
        h.click("cmdReadRegs");
        QCOMPARE(h.i2cCommands().size(), 32);
        QCOMPARE(h.texts({"txtRdByte_0", "txtRdByte_3", "txtRdByte_31"}), QStringLiteral("-- 55 E1"));
        QCOMPARE(h.lamps(rowNames("Shape1", 0, 2)), (QList{L::LightRed, L::LightGreen}));
        QCOMPARE(h.lamps(rowNames("Shape1", 1)), QList<L>(31, L::LightGreen));
        QCOMPARE(h.messages().size(), 1);
        QVERIFY(h.messages().front().startsWith(QStringLiteral("ReadPipe: WDU_Transfer() failed: error &H6")));
        h.click("Command7");
        QCOMPARE(h.texts(rowNames("txtBWrite")), h.texts(rowNames("txtRdByte")));
        device.setReg(0x03, 0x00);
        device.setReg(0x1F, 0x00);
        h.sim.board.clearTransferLog();
        h.click("cmdwriteAll");
        QStringList expected{"01 C0 00 00"}; // the copied "--" is written as zero
        for (int r = 1; r < 32; ++r)
            expected << QStringLiteral("01 C0 %1 %2").arg(twoDigits(r), h.text(rowName("txtRdByte", r)));
        QCOMPARE(h.i2cCommands(), expected);
        QCOMPARE(device.reg(0x03) << 8 | device.reg(0x1F), 0x55E1);
        QCOMPARE(h.lamps(rowNames("shpBwrite")), QList<L>(32, L::LightGreen));
        QVERIFY(h.child<LampWidget>("shpBwrite_0")->isVisible());
    }

    void rowsLeftOutOfWriteAll()
    {
        for (const auto& [address, data] : {std::pair{"06", "5"}, {"06", "005"}, {"06", ""}, {"6", "55"}}) {
            RegToolHarness h;
            h.useRegisterDevice();
            h.setText("Reg_Adr_6", address);
            h.setText("txtBWrite_6", data);
            h.setText("txtBWrite_7", "77");
            h.click("cmdwriteAll"); // the other rows' write boxes are empty after load
            QCOMPARE(h.i2cCommands(), QStringList{"01 C0 07 77"});
            QVERIFY(h.child<LampWidget>("shpBwrite_6")->isHidden() && h.child<LampWidget>("shpBwrite_0")->isHidden());
            QCOMPARE(h.lamps({"shpBwrite_6", "shpBwrite_7"}), (QList{L::Black, L::LightGreen}));
            QCOMPARE(h.text("txtBWrite_6"), QString::fromUtf8(data));
            QCOMPARE(h.sim.board.registerDevice().reg(0x07), 0x77);
        }
    }

    void clickingAReadBoxReadsThatRow()
    {
        // The address's length does not matter here, only its low 8 bits; one too long for a number sends nothing.
        for (const auto& [address, sent, shown] : {std::tuple{"0C", "01 C1 0C", "0C"}, {"1FF", "01 C1 FF", "3C"}, {"12345", "", "--"}}) {
            RegToolHarness h;
            h.useRegisterDevice();
            h.sim.board.registerDevice().setReg(0x0C, 0x0C);
            h.sim.board.registerDevice().setReg(0xFF, 0x3C);
            h.setText("Reg_Adr_12", address);
            QTest::mouseClick(h.box("txtRdByte_12"), Qt::LeftButton);
            QCOMPARE(h.i2cCommands().join(u','), QString::fromUtf8(sent));
            QCOMPARE(h.text("txtRdByte_12"), QString::fromUtf8(shown));
            QCOMPARE(h.lamp("Shape1_12"), *sent ? L::LightGreen : L::LightRed);
        }
    }

    void singleWrite_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown"); // "--": refused with "Invalid Write Value"
        QTest::addColumn<int>("stored");
        QTest::newRow("ab double click") << "ab" << false << "AB" << 0xAB;
        QTest::newRow("0, Enter") << "0" << true << "00" << 0x00;
        QTest::newRow("one digit stays") << "5" << false << "5" << 0x05;
        QTest::newRow("empty") << "" << true << "00" << 0x00;
        QTest::newRow("no value") << "--" << false << "00" << 0x00;
        for (const char* refused : {"1ff", "100", "9000", "ABCDE"}) // the last two are negative and too long
            QTest::addRow("%s", refused) << refused << false << "--" << 0x99;
    }
    void singleWrite()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(int, stored);
        RegToolHarness h;
        h.useRegisterDevice();
        h.sim.board.clearCallLog();
        h.sim.board.registerDevice().setReg(0x09, 0x99);
        auto* box = h.box("txtBWrite_9");
        box->setText(typed);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::mouseDClick(box, Qt::LeftButton);
        QTEST(box->text(), "shown");
        QCOMPARE(int(h.sim.board.registerDevice().reg(0x09)), stored);
        const bool refused = box->text() == u"--";
        QCOMPARE(h.messages(), refused ? QStringList{"Invalid Write Value"} : QStringList{});
        QCOMPARE(h.i2cCommands(), refused ? QStringList{} : QStringList{QStringLiteral("01 C0 09 ") + twoDigits(stored)});
        QCOMPARE(h.sim.board.callLog().empty(), refused);
        QCOMPARE(h.lamp("shpBwrite_9"), refused ? L::Black : L::LightGreen);
        if (!refused)
            QCOMPARE(h.label("lblReadCount") + h.text("txthDriver"), QStringLiteral(" 3Closed"));
    }

    void singleWriteLamps()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        h.click("cmdwriteAll"); // hides every write lamp: no row has data
        h.setText("txtBWrite_4", "12");
        for (const L colour : {L::LightGreen, L::Green}) {
            h.window->registerBank().txtBWrite_DblClick(4);
            QVERIFY(h.child<LampWidget>("shpBwrite_4")->isVisible());
            QCOMPARE(h.lamp("shpBwrite_4"), colour);
        }
        h.sim.board.setDeviceAnswers(0xC0, false);
        h.window->registerBank().txtBWrite_DblClick(4);
        QCOMPARE(h.lamp("shpBwrite_4"), L::LightRed);
        QCOMPARE(h.text("txtBWrite_4") + h.label("lblReadCount"), QStringLiteral("12 0"));
    }

    void manualModeWithoutALinkReportsEveryRow()
    {
        RegToolHarness h;
        h.manualMode();
        h.box("Reg_Adr_1")->clear();
        h.click("cmdReadRegs");
        QCOMPARE(h.messages().size(), 62); // two per row that takes part
        QCOMPARE(h.messages().mid(0, 2), (QStringList{"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened"}));
        QCOMPARE(h.lamp("Shape1_31"), L::LightRed);
    }
};

QTEST_MAIN(TestRegisterBank)
#include "tst_registerbank.moc"
