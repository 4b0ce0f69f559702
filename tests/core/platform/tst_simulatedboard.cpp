// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated board's own behaviour that the window and link suites do not pin: the module's answer to
// every command on each kind, refusals, timeouts, overflow, short replies, silent devices, the EEPROM write
// cycle on the manual clock, read-only registers, notification delivery and injected pipe failures.

#include "platform/sim/simulatedboard.h"

#include <QCoreApplication>
#include <QTest>
#include <array>
#include <memory>
#include <vector>

using namespace vtx;
using S = DriverStatus;
using Dir = TransferDirection;

namespace {

// A board on a manual clock with its driver initialised; notifications are recorded as they are delivered.
struct Bench {
    explicit Bench(int kindByte = SimulatedBoard::kKind1Byte)
    {
        board.setKindByte(std::uint8_t(kindByte));
        UsbDriver::Notifications notifications;
        notifications.attach = [this](DeviceHandle device, const DeviceInfo& info) {
            attached.push_back(device);
            attachInfo = info;
            return true;
        };
        notifications.detach = [this](DeviceHandle device) { detached.push_back(device); };
        initStatus = board.init(UsbMatch{SimulatedBoard::kVendorId, SimulatedBoard::kProductId},
                                std::move(notifications), driver);
    }

    struct Result {
        DriverStatus status;
        QByteArray buffer; // the whole caller buffer
        std::uint32_t count;
    };

    // One transfer on `device` (0: the current handle).
    Result transfer(std::uint32_t pipe, Dir direction, QByteArray buffer, DeviceHandle device = 0)
    {
        std::uint32_t count = 0xDEAD;
        const std::span bytes(reinterpret_cast<std::uint8_t*>(buffer.data()), std::size_t(buffer.size()));
        const auto status = board.transfer(device ? device : board.currentHandle(), pipe, direction, 0, bytes,
                                           count, UsbDriver::kTransferTimeoutMs);
        return {status, buffer, count};
    }

    // Runs a script of kRows on `outPipe`.
    QByteArray run(std::uint32_t outPipe, const QByteArray& script)
    {
        QByteArrayList replies;
        for (const QByteArray& step : script.split(' ')) {
            const QByteArrayList f = step.split(':');
            if (step.startsWith('+')) {
                clock.advance(step.mid(1).toInt());
            } else if (step == "power") {
                board.unplug();
                board.plug();
            } else if (step == "clear") {
                board.clearFaults();
            } else if (f[0] == "mute" || f[0] == "unmute") {
                board.setDeviceAnswers(std::uint8_t(f[1].toUInt(nullptr, 16)), f[0] == "unmute");
            } else if (f[0] == "reset") { // the reset on closing: the port resets counted so far
                board.resetDevice(board.currentHandle(), f[1].toUInt());
                replies << "R" + QByteArray::number(board.portResetCount());
            } else if (f[0] == "fail") {
                board.failPipe(f[1].toUInt(nullptr, 16), DriverStatus(f[2].toUInt()), f[3].toInt());
            } else if (f[0] == "w" || f[0] == "r") {
                const bool write = f[0] == "w";
                const auto t = transfer(f[1].toUInt(nullptr, 16), write ? Dir::Write : Dir::Read,
                                        write ? QByteArray::fromHex(f[2]) : QByteArray(f[2].toInt(), 0));
                replies << QByteArray::number(statusCode(t.status)) + '/' + QByteArray::number(t.count) +
                               (write ? "" : '/' + t.buffer.toHex().toUpper());
            } else if (const auto sent = transfer(outPipe, Dir::Write, QByteArray::fromHex(step));
                       !succeeded(sent.status)) {
                replies << "w" + QByteArray::number(statusCode(sent.status));
            } else {
                const auto reply = transfer(outPipe | 0x80, Dir::Read, QByteArray(2, 0));
                replies << (succeeded(reply.status) ? reply.buffer.left(int(reply.count)).toHex().toUpper()
                                                    : "r" + QByteArray::number(statusCode(reply.status)));
            }
        }
        return replies.join(' ');
    }

    bool allInPipesEmpty() { return run(0, "r:81:32 r:82:32 r:83:32").count("6/0/") == 3; }

    ManualClock clock;
    SimulatedBoard board{clock};
    DriverHandle driver = 0;
    DriverStatus initStatus = S::Other;
    std::vector<DeviceHandle> attached;
    std::vector<DeviceHandle> detached;
    DeviceInfo attachInfo;
};

// A script on the kind's I2C pipe. Each command is answered by its reply in hex, "w<status>" for a failed
// write (nothing read) or "r<status>" for a failed read. "w:PP:HEX" writes HEX on pipe PP and "r:PP:N" reads
// N bytes from it, answered "<status>/<count>" and for a read "/<the whole buffer>" (statuses: 0 success, 5
// no such pipe, 6 timeout, 10 overflow). Other steps answer nothing: "+N" advances the clock N ms, "power"
// unplugs and plugs the module, "mute:AA"/"unmute:AA" silence the device at address AA or let it answer,
// "fail:PP:S:T" fails pipe PP with status S the next T times (-1: until "clear"). The DCP starts with EEPROM
// code 63, so its wiper reads 63 << 1 = 7E; its EEPROM write cycle lasts 5 ms.
struct Row {
    const char* name;
    int kind;
    const char* script;
    const char* replies;
};
const Row kRows[] = {
    {"bridge query, kind 1", 0, "w:01:FF02FFFF02 r:81:25",
     "0/5 0/25/19020107000083035654582D4556414C2042524944474500CB"},
    {"bridge query, kind 2", 2, "w:01:FF02FFFF02 r:81:25",
     "0/5 0/25/19020107000283035654582D4556414C2042524944474500C9"},
    {"bridge query, unknown kind", 0xFF, "w:01:FF02FFFF02 r:81:25",
     "0/5 0/25/1902010700FF83035654582D4556414C204252494447450034"},
    {"reply longer than the buffer, consumed", 0, "w:01:FF02FFFF02 r:81:8 r:81:2",
     "0/5 10/8/1902010700008303 6/0/0000"},
    {"reply shorter than the buffer", 0, "w:03:019F r:83:3", "0/2 0/2/017E00"},
    {"commands without reply", 0, "w:01:001040 w:02:0010 w:01:FF02 w:01:123456 w:01: w:04:0512 w:04:8512",
     "0/3 0/2 0/2 0/3 0/0 0/2 0/2"},
    {"malformed I2C", 0, "w:03:029E81 w:03:019E818181 w:03:019F0505 w:02:019E81 019F",
     "0/3 0/5 0/4 0/3 017E"},
    {"kind 2: no I2C on pipe 3", 2, "w:03:019E81 w:02:0010 019F", "0/3 0/2 017E"},
    {"unknown kind: no I2C", 5, "w:02:019E81 w:03:019E81", "0/3 0/3"},
    {"refused writes", 0, "w:00:FF02FFFF02 w:05:FF02FFFF02 w:81:FF02FFFF02 r:81:2", "5/0 5/0 5/0 6/0/0000"},
    {"refused reads leave the reply", 0, "w:03:019F r:00:2 r:80:2 r:84:2 r:03:2 r:83:2",
     "0/2 5/0/0000 5/0/0000 5/0/0000 5/0/0000 0/2/017E"},
    {"dcp read", 0, "019F 019F05", "017E 017E"},
    {"dcp register writes", 0, "019E81 019F 019E01 019F 019EFF 019F", "0200 0180 0200 0100 0200 01FE"},
    {"dcp four bytes, second refused", 0, "019E0580 019F", "0200 0104"},
    {"dcp eeprom busy 5 ms", 0, "+1000 019E40 019F +4 019F +1 019F", "0200 0000 0000 0140"},
    {"dcp eeprom ready long after", 0, "019E40 +1000 019F", "0200 0140"},
    {"dcp write while busy: refused, cycle not restarted", 0, "019E40 +1 019E81 +4 019F", "0200 0000 0140"},
    {"dcp write at the end of the cycle", 0, "019E40 +5 019E81 019F", "0200 0200 0180"},
    {"dcp power-up takes the eeprom", 0, "019E40 +5 019E81 power 019F", "0200 0200 0140"},
    {"regdev reads keep the pointer", 0, "01C1 01C101 01C1 01C005 01C1", "0183 0121 0121 0200 010F"},
    {"regdev address only", 0, "01C0", "0100"},
    {"regdev defaults", 0, "01C103 01C108 01C10F 01C114 01C119 01C11C 01C11E 01C1FF",
     "0101 0120 019E 0100 0144 0180 0100 0100"},
    {"regdev id and revision read-only", 0, "01C00055 01C1 01C00155 01C1", "0300 0183 0300 0121"},
    {"regdev writable", 0, "01C00355 01C1 01C014AA 01C1 01C0FF01 01C1", "0300 0155 0300 01AA 0300 0101"},
    {"nobody at A0", 0, "01A1 01A105 01A055 01A00555", "0000 0000 0000 0000"},
    {"dcp silent", 0, "mute:9E 019F 019E81 01C101 unmute:9E 019F", "0000 0000 0121 017E"},
    {"dcp silenced by read address", 0, "mute:9F 019F unmute:9F 019F", "0000 017E"},
    {"regdev silent", 0, "mute:C0 01C101 01C00380 019F unmute:C0 01C103", "0000 0000 017E 0101"},
    {"kind 2: dcp", 2, "019F 019E81 019F", "017E 0200 0180"},
    {"kind 2: regdev", 2, "01C00355 01C1", "0300 0155"},
    {"kind 2: silent dcp", 2, "mute:9E 019F", "0000"},
    // A failed transfer loses its command or its reply.
    {"out 3, I/O error once", 0, "fail:03:9:1 019E81 019E81", "w9 0200"},
    {"out 3, raw 26 twice", 0, "fail:03:26:2 019F 019F 019F", "w26 w26 017E"},
    {"in 83, timeout once", 0, "fail:83:6:1 019E81 019F", "r6 0180"},
    {"in 83, stall twice", 0, "fail:83:11:2 019F 019F 019F", "r11 r11 017E"},
    {"in 83, until cleared", 0, "fail:83:26:-1 019F 019F 019F clear 019F", "r26 r26 r26 017E"},
    {"unused pipe 1", 0, "fail:01:26:2 019F 019F", "017E 017E"},
    {"kind 2: in 82, timeout once", 2, "fail:82:6:1 019F 019F", "r6 017E"},
    // The hard reset resets the port every time, the soft one only after a transfer that left the module
    // unusable (a timeout does not).
    {"hard reset", 0, "019F reset:1 reset:1", "017E R1 R2"},
    {"soft reset, module working", 0, "019F fail:83:6:1 019F reset:0", "017E r6 R0"},
    {"soft reset after an I/O error", 0, "fail:03:9:1 019F reset:0 019F reset:0", "w9 R1 017E R1"},
    {"soft reset after a stall", 0, "fail:83:11:1 019F reset:0", "r11 R1"},
    {"soft reset, answered since", 0, "fail:83:11:1 019F 019F reset:0", "r11 017E R0"},
};

// A store that keeps what the board saved in it: the wiper code of each save.
struct CountingStore final : SimBoardStore {
    bool claim() override { return true; }
    void release() override {}
    std::optional<SimBoardState> load() override { return std::nullopt; }
    void save(const SimBoardState& state) override { saves << state.wiperCode; }
    QList<int> saves;
};

} // namespace

class TestSimulatedBoard : public QObject {
    Q_OBJECT

private slots:
    void scripts_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kRows)); ++i)
            QTest::newRow(kRows[i].name) << i;
    }
    void scripts()
    {
        QFETCH(int, row);
        const Row& r = kRows[row];
        Bench bench(r.kind);
        QCOMPARE(bench.run(r.kind ? 2 : 3, r.script), QByteArray(r.replies));
        QVERIFY(bench.allInPipesEmpty()); // one reply per command, none left behind a failed transfer
    }

    // A change reaches the store at the release, or while the board runs once the last save is a second
    // old: a sweep is one save, not one per position. Steps: "wN" writes wiper code N, "+N" lets N ms pass,
    // "sweep" writes 130 codes, "release" uninitialises the driver, "destroy" drops the board without it.
    void savesAreSpaced_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<int>>("saves");
        QTest::newRow("a sweep: one save, at the release") << "sweep release" << QList<int>{1};
        QTest::newRow("no change, no save") << "+2000 release" << QList<int>{};
        QTest::newRow("a second after the claim") << "w10 +999 w20 +1 w30 w40 release" << QList<int>{30, 40};
        QTest::newRow("nothing left for the release") << "+1000 w5 release" << QList<int>{5};
        QTest::newRow("dropped without a release") << "w7 +1000 w8 destroy" << QList<int>{8};
    }
    void savesAreSpaced()
    {
        QFETCH(QString, steps);
        ManualClock clock;
        ManualClock saveClock;
        CountingStore store;
        auto board = std::make_unique<SimulatedBoard>(clock);
        board->setStore(&store);
        board->setSaveClock(saveClock);
        DriverHandle driver = 0;
        const UsbDriver::Notifications ignored{[](DeviceHandle, const DeviceInfo&) { return true; },
                                               [](DeviceHandle) {}};
        QCOMPARE(board->init({SimulatedBoard::kVendorId, SimulatedBoard::kProductId}, ignored, driver),
                 S::Success);
        const auto writeCode = [&board](int code) {
            std::array<std::uint8_t, 3> command{0x01, 0x9E, std::uint8_t(code * 2 + 1)};
            std::uint32_t count = 0;
            QCOMPARE(board->transfer(board->currentHandle(), 3, Dir::Write, 0, command, count, 1000),
                     S::Success);
        };
        for (const QString& step : steps.split(u' ')) {
            if (step.startsWith(u'w'))
                writeCode(step.mid(1).toInt());
            else if (step.startsWith(u'+'))
                saveClock.advance(step.mid(1).toInt());
            else if (step == u"sweep")
                for (int code = 0; code < 130; ++code)
                    writeCode(code % 128);
            else if (step == u"release")
                board->uninit(driver);
            else if (step == u"destroy")
                board.reset();
        }
        QTEST(store.saves, "saves");
    }

    void notificationsOnlyAfterYield()
    {
        Bench bench;
        QCOMPARE(bench.initStatus, S::Success);
        QVERIFY(bench.driver > 0);
        const auto first = bench.board.currentHandle();
        QVERIFY(first != 0);
        QVERIFY(bench.attached.empty()); // init queued it, did not call it
        QCoreApplication::processEvents();
        QCOMPARE(bench.attached, std::vector<DeviceHandle>{first});
        QCOMPARE(bench.attachInfo.descriptor.idVendor, SimulatedBoard::kVendorId);
        QCOMPARE(bench.attachInfo.descriptor.idProduct, SimulatedBoard::kProductId);
        QByteArray pipes;
        for (const auto& pipe : bench.attachInfo.activeAlternateSetting.pipes)
            pipes.append(char(pipe.type == PipeType::Bulk ? pipe.address : 0));
        QCOMPARE(pipes.toHex(), QByteArray("01020304818283"));

        bench.board.unplug();
        QCOMPARE(bench.board.currentHandle(), 0u);
        QCOMPARE(bench.transfer(3, Dir::Write, "\x01\x9F", first).status, S::DeviceGone);
        DeviceInfo info;
        QCOMPARE(bench.board.getDeviceInfo(first, info), S::DeviceGone);
        QVERIFY(bench.detached.empty()); // neither the unplug nor the failing calls delivered it
        QCoreApplication::processEvents();
        QCOMPARE(bench.detached, std::vector<DeviceHandle>{first});

        bench.board.plug();
        const auto second = bench.board.currentHandle();
        QVERIFY(second != 0 && second != first);
        QCOMPARE(bench.attached.size(), 1u);
        QCoreApplication::processEvents();
        QCOMPARE(bench.attached, (std::vector<DeviceHandle>{first, second}));
        QCOMPARE(bench.transfer(3, Dir::Write, "\x01\x9F", first).status, S::DeviceGone);
        QCOMPARE(bench.run(3, "019F"), QByteArray("017E"));
    }

    void uninitDropsPendingNotifications()
    {
        for (const bool detachPending : {false, true}) {
            Bench bench;
            const auto handle = bench.board.currentHandle();
            if (detachPending) {
                QCoreApplication::processEvents();
                bench.board.unplug();
            }
            bench.board.uninit(bench.driver);
            QVERIFY(!bench.board.isInitialised());
            QCoreApplication::processEvents();
            QCOMPARE(bench.attached.size(), detachPending ? 1u : 0u);
            QVERIFY(bench.detached.empty());
            // Every handle is dead after uninit, gone or not.
            QCOMPARE(bench.board.currentHandle(), 0u);
            QCOMPARE(bench.transfer(3, Dir::Write, "\x01\x9F", handle).status, S::InvalidHandle);
            DeviceInfo info;
            QCOMPARE(bench.board.getDeviceInfo(handle, info), S::InvalidHandle);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulatedBoard)
#include "tst_simulatedboard.moc"
