// The I2C address entry and the communication test: accepted and refused addresses, "Good" and "Fail" with
// their colours, the bytes on the wire and the test result signal on pipe 1.
#include "regtoolharness.h"

#include <QApplication>
#include <QTimer>

using namespace vtx;
using namespace vtx::test;

namespace {
QColor background(const QLabel* label) { return label->palette().color(QPalette::Window); }
QColor foreground(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
} // namespace

class TestAddressTest : public QObject {
    Q_OBJECT
private slots:
    void communicationTest_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("writeAddress"); // -1: refused, the earlier 9E stays in force
        QTest::addColumn<QString>("shown"); // write and read address displays
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("lower case") << "9e" << 0x9E << "9E 9F" << "01 9F" << "Good";
        QTest::newRow("register device") << "C0" << 0xC0 << "C0 C1" << "01 C1" << "Good";
        QTest::newRow("highest") << "FE" << 0xFE << "FE FF" << "01 FF" << "Fail";
        QTest::newRow("no device") << "50" << 0x50 << "50 51" << "01 51" << "Fail";
        QTest::newRow("empty box") << "" << 0x00 << "0 1" << "01 01" << "Fail";
        QTest::newRow("one digit") << "5" << 0x05 << "5 6" << "01 06" << "Fail";
        for (const char* refused : {"FF", "100", "8000", "ffff", "12345"}) // the last three are negative or too long
            QTest::addRow("refused %s", refused) << refused << -1 << "-- --" << "" << "Fail";
    }
    void communicationTest()
    {
        QFETCH(QString, typed);
        QFETCH(int, writeAddress);
        QFETCH(QString, sent);
        QFETCH(QString, outcome);
        RegToolHarness h;
        h.setText("txtI2CADR", typed);
        h.click("cmdTestComm");
        QCOMPARE(h.text("txtI2CADR"), typed); // never rewritten
        QTEST(h.texts({"txtActualWrtAddress", "txtActualReadAddress"}), "shown");
        auto* result = h.child<QLabel>("lblCommTest");
        QCOMPARE(result->text(), outcome);
        QCOMPARE(background(result), outcome == u"Good" ? QColor(0, 128, 0) : QColor(255, 0, 0));
        QCOMPARE(foreground(result), outcome == u"Good" ? QApplication::palette().color(QPalette::ButtonText)
                                                        : QColor(255, 255, 255));
        // The result signal is the last transfer: FF 02 for good, FF 01 otherwise, on pipe 1.
        const auto& log = h.sim.board.transferLog();
        QVERIFY(!log.empty());
        QCOMPARE(log.back().pipe, 1u);
        QCOMPARE(hexBytes(log.back().bytes), outcome == u"Good" ? QStringLiteral("FF 02") : QStringLiteral("FF 01"));
        QCOMPARE(h.text("txthDriver"), QStringLiteral("Closed"));
        if (writeAddress < 0) {
            QCOMPARE(h.messages(), QStringList{"Address value to large"});
            QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
            QVERIFY(h.i2cCommands().isEmpty());
            QCOMPARE(h.sim.state.I2CWrtAdr + (h.sim.state.I2CRdAdr << 8), 0x9F9E);
            h.sim.board.clearTransferLog();
            h.click("cmdRead"); // READ still uses the earlier address
            QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
            return;
        }
        QVERIFY(h.messages().isEmpty());
        QCOMPARE(int(h.sim.state.I2CWrtAdr), writeAddress);
        QCOMPARE(int(h.sim.state.I2CRdAdr), (writeAddress + 1) & 0xFF);
        QCOMPARE(h.i2cCommands(), QStringList{sent});
        QCOMPARE(h.readCount(), 1);
        const int wiper = h.sim.board.dcp().wiperCode() << 1 & 0xFF;
        if (typed != u"C0") // the transfer count, then the byte read
            QCOMPARE(h.texts({"txtTstReg_0", "txtTstReg_1"}), typed == u"9e" ? "1 " + QString::number(wiper, 16).toUpper() : "0 0");
    }

    void enterShowsFailWhileTheTestRuns()
    {
        RegToolHarness h;
        auto* result = h.child<QLabel>("lblCommTest");
        h.click("cmdTestComm");
        QCOMPARE(result->text(), QStringLiteral("Good"));
        QString seenWhileRunning; // the label at the first event the running test lets through
        QTimer::singleShot(0, result, [&] { seenWhileRunning = result->text(); });
        QTest::keyClick(h.box("txtI2CADR"), Qt::Key_Return);
        QCOMPARE(seenWhileRunning, QStringLiteral("Fail"));
        QCOMPARE(result->text(), QStringLiteral("Good"));
        QCOMPARE(h.i2cCommands(), (QStringList{"01 9F", "01 9F"}));
    }

    void manualModeUsesTheLinkAsItIs()
    {
        RegToolHarness h;
        h.manualMode();
        h.click("cmdTestComm");
        QCOMPARE(h.messages(), (QStringList{"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened",
                                            "Write GPIOPipe .. USB Not opened"}));
        QCOMPARE(h.text("txtTstReg_0") + h.label("lblCommTest"), QStringLiteral("0Fail"));
        h.click("cmdUSBConnect");
        h.click("cmdTestComm");
        QVERIFY(h.sim.link.UsbOpen);
        QCOMPARE(h.label("lblCommTest"), QStringLiteral("Good"));
    }
};

QTEST_MAIN(TestAddressTest)
#include "tst_addresstest.moc"
