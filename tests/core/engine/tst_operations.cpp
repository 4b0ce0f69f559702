// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/textformat.h"
#include "engine/busscan.h"
#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "engine/registerdump.h"
#include "enginefixture.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// The engine without any window, and the faults the rows name.
struct Engine : EngineFixture {
    // Puts the fault a row names on the board or the link ("closed": opened, so the module's I2C pipe is
    // known, then closed).
    void inject(const QString& fault)
    {
        if (fault == QLatin1String("closed"))
            client.Disconnect_USB();
        if (fault == QLatin1String("unplugged"))
            sim.board.unplug();
        if (fault == QLatin1String("mute"))
            sim.board.setDeviceAnswers(0x9E, false);
        if (fault == QLatin1String("timeout"))
            sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
    }
};

// The 8-bit read command of each 7-bit address from `first` to `last`: "01 11" for 0x08.
QStringList probes(int first, int last)
{
    QStringList result;
    for (int a = first; a <= last; ++a)
        result << QStringLiteral("01 ") + hex2Text(std::uint32_t(a * 2 + 1));
    return result;
}

} // namespace

class TestOperations : public QObject {
    Q_OBJECT
private slots:
    // Each operation: the bytes on the wire, the value or the failure with the link's words, and nothing
    // shown to the user while it runs (the caller tells).
    void operations_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("value"); // -1: a failure
        QTest::addColumn<int>("kind");  // Failure::Kind for a failure
        QTest::addColumn<QStringList>("linkMessages");
        const auto row = [](const char* name, const char* operation, const char* fault, const char* sent,
                            int value, Failure::Kind kind = {}, const QStringList& linkMessages = {}) {
            QTest::newRow(name) << operation << fault << sent << value << int(kind) << linkMessages;
        };
        row("read", "read 9F", "", "01 9F", 0x7E);
        row("register read", "readRegister C1 01", "", "01 C1 01", 0x21);
        row("write", "write 9E 81", "", "01 9E 81", 0);
        row("register write", "writeRegister C0 05 AA", "", "01 C0 05 AA", 0);
        row("communication test", "test C1", "", "01 C1", 0x83);
        row("not acknowledged", "read 9F", "mute", "01 9F", -1, Failure::Kind::NotAcknowledged);
        row("reply timed out", "write 9E 81", "timeout", "01 9E 81", -1, Failure::Kind::Link,
            {"ReadPipe: WDU_Transfer() failed: error &H6 (Operation timed out)"});
        row("link closed", "read 9F", "closed", "", -1, Failure::Kind::Link,
            {"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened"});
    }
    void operations()
    {
        QFETCH(QString, operation);
        QFETCH(QString, fault);
        QFETCH(QString, sent);
        QFETCH(int, value);
        QFETCH(int, kind);
        QFETCH(QStringList, linkMessages);
        Engine e;
        e.inject(fault);
        const QStringList words = operation.split(u' ');
        std::vector<std::uint8_t> b;
        for (const QString& word : words.mid(1))
            b.push_back(std::uint8_t(word.toUInt(nullptr, 16)));
        bool ok = false;
        int got = 0;
        Failure failure;
        const auto take = [&](const auto& result) {
            ok = result.ok();
            if (ok) {
                if constexpr (std::is_same_v<std::decay_t<decltype(result.value())>, std::uint8_t>)
                    got = result.value();
            } else {
                failure = result.failure();
            }
        };
        if (words[0] == "read")
            take(e.bus.read(b[0]));
        else if (words[0] == "readRegister")
            take(e.bus.readRegister(b[0], b[1]));
        else if (words[0] == "write")
            take(e.bus.write(b[0], b[1]));
        else if (words[0] == "writeRegister")
            take(e.bus.writeRegister(b[0], b[1], b[2]));
        else
            take(e.bus.communicationTest(b[0]));
        QCOMPARE(e.i2c(), sent.isEmpty() ? QStringList{} : QStringList{sent});
        QCOMPARE(ok, value >= 0);
        if (value >= 0) {
            QCOMPARE(got, value);
        } else {
            QCOMPARE(int(failure.kind), kind);
            QCOMPARE(failure.linkMessages, linkMessages);
        }
        QVERIFY(e.sim.messages.messages.empty());
    }

    // The EEPROM write cycle: the next read polls until the part answers; a Register write starts none.
    void dcpDeviceWaitsForTheWriteCycle_data()
    {
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("cycleMs");
        QTest::addColumn<int>("polls");
        QTest::addColumn<bool>("readOk");
        QTest::newRow("EEPROM, 5 ms") << 0x80 << 5 << 3 << true;
        QTest::newRow("EEPROM, past the deadline: once more after it") << 0x80 << 40 << 11 << false;
        QTest::newRow("Register") << 0x81 << 40 << 0 << true;
    }
    void dcpDeviceWaitsForTheWriteCycle()
    {
        QFETCH(int, data);
        QFETCH(int, cycleMs);
        QFETCH(int, polls);
        QFETCH(bool, readOk);
        Engine e;
        e.sim.board.setTransferTimeMs(1);
        e.sim.board.dcp().setWriteCycleMs(cycleMs);
        QVERIFY(e.dcp.write(0x9E, std::uint8_t(data)).ok());
        const auto read = e.dcp.read(0x9F);
        QCOMPARE(e.dcp.lastPollCount(), polls);
        QCOMPARE(read.ok(), readOk);
        QCOMPARE(e.i2c().size(), 1 + polls + 1);
        QVERIFY(e.sim.messages.messages.empty());
    }

    // The bus scan: one read per probed address at its read address, the answering addresses, a stop, and a
    // link failure that ends it with the link's words.
    void busScan_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("stopAfter"); // 0: never
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QList<int>>("answering"); // empty with linkMessages: a failure
        QTest::addColumn<QStringList>("linkMessages");
        QTest::newRow("whole bus") << "" << 0 << probes(0x08, 0x77) << QList<int>{0x4F, 0x60}
                                   << QStringList{};
        QTest::newRow("stopped after 0x4F")
            << "" << 0x4F - 0x07 << probes(0x08, 0x4F) << QList<int>{0x4F} << QStringList{};
        QTest::newRow("module unplugged")
            << "unplugged" << 0 << QStringList{} << QList<int>{}
            << QStringList{"ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H4 (No such device (it may have "
                           "been disconnected))\n"};
        QTest::newRow("reply timed out")
            << "timeout" << 0 << probes(0x08, 0x08) << QList<int>{}
            << QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (Operation timed out)"};
    }
    void busScan()
    {
        QFETCH(QString, fault);
        QFETCH(int, stopAfter);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, answering);
        QFETCH(QStringList, linkMessages);
        Engine e;
        e.inject(fault);
        QList<int> told;
        const auto result = scanBus(e.bus, [&](const BusScanStep& step) {
            if (step.answered)
                told << step.address;
            return step.done != stopAfter;
        });
        QCOMPARE(e.i2c(), sent);
        QCOMPARE(told, answering);
        QCOMPARE(result.ok(), linkMessages.isEmpty());
        if (result) {
            QCOMPARE(QList<int>(result.value().answering.begin(), result.value().answering.end()), answering);
            QCOMPARE(result.value().probed, int(sent.size()));
            QCOMPARE(result.value().stopped, stopAfter != 0);
        } else {
            QCOMPARE(int(result.failure().kind), int(Failure::Kind::Link));
            QCOMPARE(result.failure().linkMessages, linkMessages);
        }
        QVERIFY(e.sim.messages.messages.empty());
    }

    // The register dump reads 00 to FF with the bank's register read; a device that does not answer leaves
    // every register unread, and its CSV says so.
    void registerDump_data()
    {
        QTest::addColumn<int>("readAddress");
        QTest::addColumn<bool>("answers");
        QTest::newRow("register device") << 0xC1 << true;
        QTest::newRow("nobody at 0x10") << 0x21 << false;
    }
    void registerDump()
    {
        QFETCH(int, readAddress);
        QFETCH(bool, answers);
        Engine e;
        SimRegisterDevice& device = e.sim.board.registerDevice();
        device.setReg(0xFF, 0x5A);
        const auto result = dumpRegisters(e.bus, std::uint8_t(readAddress));
        QVERIFY(result.ok());
        const RegisterDump& dump = result.value();
        QCOMPARE(dump.tried, 256);
        QStringList expectedSent;
        QStringList expectedRows;
        for (int reg = 0; reg < 256; ++reg) {
            expectedSent << QStringLiteral("01 ") + hex2Text(std::uint32_t(readAddress)) + u' ' +
                                hex2Text(std::uint32_t(reg));
            const QString value = answers ? hex2Text(device.reg(std::uint8_t(reg))) : QStringLiteral("--");
            if (reg % 16 == 0)
                expectedRows << hex2Text(std::uint32_t(reg));
            expectedRows.last() += u',' + value;
            QCOMPARE(dump.values[std::size_t(reg)].has_value(), answers);
        }
        QCOMPARE(e.i2c(), expectedSent);
        const QStringList lines = registerDumpCsv(dump).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("Register,0,1,2,3,4,5,6,7,8,9,A,B,C,D,E,F"));
        QCOMPARE(lines.mid(1), expectedRows);
    }

    void registerDumpStops()
    {
        Engine e;
        const auto result = dumpRegisters(
            e.bus, 0xC1, [](const RegisterDumpStep& step) { return step.registerAddress < 0x10; });
        QVERIFY(result.ok());
        QCOMPARE(result.value().tried, 0x11);
        QVERIFY(result.value().stopped);
        QCOMPARE(e.i2c().size(), 0x11);
    }
};

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
