#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "simfixture.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// The engine without any window: a link opened for the DCP panel's flavour on the simulated board.
struct Engine {
    SimFixture sim;
    NullLinkView view;
    LinkClient client{sim.link, kDcpPanelLink, view, sim.messages};
    I2cBus bus{client};

    explicit Engine(bool open = true)
    {
        if (open)
            client.Connect_Usb();
        sim.board.clearTransferLog();
    }
    QStringList i2c() const
    {
        QStringList result;
        for (const auto& record : sim.writesOn(3))
            result << hexBytes(record.bytes);
        return result;
    }
};

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
        const int nak = int(Failure::Kind::NotAcknowledged);
        const int link = int(Failure::Kind::Link);
        QTest::newRow("read") << "read 9F"
                              << ""
                              << "01 9F" << 0x7E << 0 << QStringList{};
        QTest::newRow("register read") << "readRegister C1 01"
                                       << ""
                                       << "01 C1 01" << 0x21 << 0 << QStringList{};
        QTest::newRow("write") << "write 9E 81"
                               << ""
                               << "01 9E 81" << 0 << 0 << QStringList{};
        QTest::newRow("register write") << "writeRegister C0 05 AA"
                                        << ""
                                        << "01 C0 05 AA" << 0 << 0 << QStringList{};
        QTest::newRow("communication test") << "test C1"
                                            << ""
                                            << "01 C1" << 0x83 << 0 << QStringList{};
        QTest::newRow("not acknowledged") << "read 9F"
                                          << "mute"
                                          << "01 9F" << -1 << nak << QStringList{};
        QTest::newRow("reply timed out")
            << "write 9E 81"
            << "timeout"
            << "01 9E 81" << -1 << link
            << QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (Operation timed out)"};
        QTest::newRow("link closed") << "read 9F"
                                     << "closed"
                                     << "" << -1 << link
                                     << QStringList{"Write GPIOPipe .. USB Not opened",
                                                    "ReadPipe .. USB Not opened"};
    }
    void operations()
    {
        QFETCH(QString, operation);
        QFETCH(QString, fault);
        QFETCH(QString, sent);
        QFETCH(int, value);
        QFETCH(int, kind);
        QFETCH(QStringList, linkMessages);
        Engine e(fault != QLatin1String("closed"));
        if (fault == QLatin1String("mute"))
            e.sim.board.setDeviceAnswers(0x9E, false);
        if (fault == QLatin1String("timeout"))
            e.sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
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
        QTest::newRow("EEPROM, past the deadline") << 0x80 << 40 << 10 << false;
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
        DcpDevice dcp(e.bus, e.sim.clock);
        QVERIFY(dcp.write(0x9E, std::uint8_t(data)).ok());
        const auto read = dcp.read(0x9F);
        QCOMPARE(dcp.lastPollCount(), polls);
        QCOMPARE(read.ok(), readOk);
        QCOMPARE(e.i2c().size(), 1 + polls + 1);
        QVERIFY(e.sim.messages.messages.empty());
    }
};

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
