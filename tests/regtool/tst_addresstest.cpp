// The I2C address entry and the communication test: accepted and refused addresses, "Good" and "Fail" with
// their colours, the bytes on the wire and the test result signal.
#include "common/yield.h"
#include "regtool/addresstestpanel.h"
#include "regtoolharness.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace vtx;
using namespace vtx::test;

namespace {

QColor background(const QLabel* label)
{
    return label->palette().color(QPalette::Window);
}

QColor foreground(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

QString lastSignal(const RegToolHarness& h)
{
    const auto commands = h.sim.writesOn(1);
    return commands.empty() ? QString() : hexBytes(commands.back().bytes);
}

} // namespace

class TestAddressTest : public QObject {
    Q_OBJECT
private slots:
    void aDeviceThatAnswersIsGood()
    {
        RegToolHarness h;
        // The size of the reply buffer, seen at the first event let through after the reply was read.
        std::size_t replyBufferSize = 0;
        std::function<void()> watch = [&] {
            if (!h.readsOn(0x83).empty()) {
                replyBufferSize = h.sim.link.PipeBuf.size();
                return;
            }
            QTimer::singleShot(0, h.window.get(), watch);
        };
        QTimer::singleShot(0, h.window.get(), watch);
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
        QCOMPARE(h.readsOn(0x83).size(), 1u);
        QCOMPARE(replyBufferSize, 3u); // one byte more than the reply needs
        const std::uint8_t expected = static_cast<std::uint8_t>(h.sim.board.dcp().wiperCode() << 1);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_0"))->text(), QStringLiteral("1"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_1"))->text(),
                 QString::number(expected, 16).toUpper());
        auto* result = h.child<QLabel>(QStringLiteral("lblCommTest"));
        QCOMPARE(result->text(), QStringLiteral("Good"));
        QCOMPARE(background(result), QColor(0, 128, 0));
        QCOMPARE(foreground(result), QApplication::palette().color(QPalette::ButtonText));
        QCOMPARE(lastSignal(h), QStringLiteral("FF 02"));
        // The signal follows the test read on the wire.
        const auto& log = h.sim.board.transferLog();
        QVERIFY(log.size() >= 2);
        QCOMPARE(log[log.size() - 1].pipe, 1u);
        QCOMPARE(log[log.size() - 1].direction, TransferDirection::Write);
        QVERIFY(!h.child<QWidget>(QStringLiteral("Frame1_0"))->isHidden());
        QVERIFY(!h.child<QWidget>(QStringLiteral("Frame1_1"))->isHidden());
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txthDriver"))->text(), QStringLiteral("Closed"));
        QVERIFY(!h.sim.link.UsbOpen);
        QVERIFY(h.sim.messages.messages.empty());
    }

    void acceptedAddresses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("writeAddress");
        QTest::addColumn<QString>("writeShown");
        QTest::addColumn<QString>("readShown");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("signal");
        QTest::newRow("lower case") << "9e" << 0x9E << "9E"
                                    << "9F"
                                    << "01 9F"
                                    << "Good"
                                    << "FF 02";
        QTest::newRow("register device") << "C0" << 0xC0 << "C0"
                                         << "C1"
                                         << "01 C1"
                                         << "Good"
                                         << "FF 02";
        QTest::newRow("highest") << "FE" << 0xFE << "FE"
                                 << "FF"
                                 << "01 FF"
                                 << "Fail"
                                 << "FF 01";
        QTest::newRow("no device") << "50" << 0x50 << "50"
                                   << "51"
                                   << "01 51"
                                   << "Fail"
                                   << "FF 01";
        QTest::newRow("empty box") << "" << 0x00 << "0"
                                   << "1"
                                   << "01 01"
                                   << "Fail"
                                   << "FF 01";
        QTest::newRow("one digit") << "5" << 0x05 << "5"
                                   << "6"
                                   << "01 06"
                                   << "Fail"
                                   << "FF 01";
    }
    void acceptedAddresses()
    {
        QFETCH(QString, typed);
        QFETCH(int, writeAddress);
        QFETCH(QString, outcome);
        RegToolHarness h;
        h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->setText(typed);
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->text(), typed); // never rewritten
        QCOMPARE(int(h.sim.state.I2CWrtAdr), writeAddress);
        QCOMPARE(int(h.sim.state.I2CRdAdr), (writeAddress + 1) & 0xFF);
        QTEST(h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(), "writeShown");
        QTEST(h.child<QLineEdit>(QStringLiteral("txtActualReadAddress"))->text(), "readShown");
        QCOMPARE(h.i2cCommands().size(), 1);
        QTEST(h.i2cCommands().front(), "sent");
        auto* result = h.child<QLabel>(QStringLiteral("lblCommTest"));
        QCOMPARE(result->text(), outcome);
        QCOMPARE(background(result), outcome == u"Good" ? QColor(0, 128, 0) : QColor(255, 0, 0));
        if (outcome == u"Fail") {
            QCOMPARE(foreground(result), QColor(255, 255, 255));
            QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_0"))->text(), QStringLiteral("0"));
            QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_1"))->text(), QStringLiteral("0"));
        }
        QTEST(lastSignal(h), "signal");
        QVERIFY(h.sim.messages.messages.empty());
    }

    void refusedAddresses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("FF") << "FF";
        QTest::newRow("100") << "100";
        QTest::newRow("8000 is negative") << "8000";
        QTest::newRow("FFFF is negative") << "ffff";
        QTest::newRow("too long for a number") << "12345";
    }
    void refusedAddresses()
    {
        QFETCH(QString, typed);
        RegToolHarness h;
        h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->setText(typed);
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QCOMPARE(h.sim.messages.texts(), QStringList{QStringLiteral("Address value to large")});
        QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(), QStringLiteral("--"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualReadAddress"))->text(), QStringLiteral("--"));
        auto* result = h.child<QLabel>(QStringLiteral("lblCommTest"));
        QCOMPARE(result->text(), QStringLiteral("Fail"));
        QCOMPARE(background(result), QColor(255, 0, 0));
        QCOMPARE(foreground(result), QColor(255, 255, 255));
        QVERIFY(h.i2cCommands().isEmpty()); // no read command
        QCOMPARE(lastSignal(h), QStringLiteral("FF 01"));
        // The earlier address stays in force: READ still uses it.
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
        QCOMPARE(h.sim.state.I2CRdAdr, 0x9F);
        h.sim.board.clearTransferLog();
        h.child<QPushButton>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(h.i2cCommands(), QStringList{QStringLiteral("01 9F")});
    }

    void enterShowsFailWhileTheTestRuns()
    {
        RegToolHarness h;
        auto* address = h.child<QLineEdit>(QStringLiteral("txtI2CADR"));
        auto* result = h.child<QLabel>(QStringLiteral("lblCommTest"));
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QCOMPARE(result->text(), QStringLiteral("Good"));
        // Looks at the label from the first event the running test lets through.
        QString seenWhileRunning;
        QColor seenBackground;
        QTimer::singleShot(0, result, [&] {
            seenWhileRunning = result->text();
            seenBackground = background(result);
        });
        QTest::keyClick(address, Qt::Key_Return);
        QCOMPARE(seenWhileRunning, QStringLiteral("Fail"));
        QCOMPARE(seenBackground, QColor(255, 0, 0));
        QCOMPARE(result->text(), QStringLiteral("Good"));
        QCOMPARE(h.i2cCommands(), (QStringList{QStringLiteral("01 9F"), QStringLiteral("01 9F")}));
    }

    void manualModeLeavesTheLinkAsItWas()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdUSBConnect"))->click();
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QVERIFY(h.sim.link.UsbOpen);
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblCommTest"))->text(), QStringLiteral("Good"));
    }

    void manualModeWithoutALinkFails()
    {
        RegToolHarness h;
        h.child<QCheckBox>(QStringLiteral("ChKManUsbConn"))->click();
        h.child<QPushButton>(QStringLiteral("cmdTestComm"))->click();
        QCOMPARE(h.sim.messages.texts(), (QStringList{QStringLiteral("Write GPIOPipe .. USB Not opened"),
                                                      QStringLiteral("ReadPipe .. USB Not opened"),
                                                      QStringLiteral("Write GPIOPipe .. USB Not opened")}));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_0"))->text(), QStringLiteral("0"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtTstReg_1"))->text(), QStringLiteral("0"));
        QCOMPARE(h.child<QLabel>(QStringLiteral("lblCommTest"))->text(), QStringLiteral("Fail"));
    }
};

QTEST_MAIN(TestAddressTest)
#include "tst_addresstest.moc"
