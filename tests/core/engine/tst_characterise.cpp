// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's characterisation operations on the simulated board: the sweep, the verified EEPROM store and
// the wiper history they and every other read feed.
#include "engine/dcpsweep.h"
#include "engine/linkclient.h"
#include "engine/verifiedstore.h"
#include "enginefixture.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

struct Engine : EngineFixture {
    Engine() { sim.board.setTransferTimeUs(100); }
};

} // namespace

class TestCharacterise : public QObject {
    Q_OBJECT
private slots:
    void sweep_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("eeprom");
        QTest::addColumn<bool>("restore");
        QTest::addColumn<int>("stuckBit");  // bit of the read byte stuck at 1; -1 none
        QTest::addColumn<int>("stopAfter"); // 0: run to the end
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<int>("mismatches");
        QTest::addColumn<int>("wiperAfter"); // position
        // The part starts at position 64 (EEPROM code 63).
        QTest::newRow("register, restored")
            << 1 << 3 << 1 << false << true << -1 << 0
            << QStringList{"01 9F", "01 9E 01", "01 9F", "01 9E 03", "01 9F", "01 9E 05", "01 9F", "01 9E 7F"}
            << QStringList{"OK", "OK", "OK"} << 0 << 64;
        QTest::newRow("downwards, step 3, not restored")
            << 10 << 4 << 3 << false << false << -1 << 0
            << QStringList{"01 9E 13", "01 9F", "01 9E 0D", "01 9F", "01 9E 07", "01 9F"}
            << QStringList{"OK", "OK", "OK"} << 0 << 4;
        QTest::newRow("stuck bit found and counted")
            << 1 << 4 << 1 << false << true << 2 << 0
            << QStringList{"01 9F",    "01 9E 01", "01 9F",    "01 9E 03", "01 9F",
                           "01 9E 05", "01 9F",    "01 9E 07", "01 9F",    "01 9E 7F"}
            << QStringList{"mismatch", "mismatch", "OK", "OK"} << 2 << 64;
        QTest::newRow("stopped after two, restored")
            << 1 << 128 << 1 << false << true << -1 << 2
            << QStringList{"01 9F", "01 9E 01", "01 9F", "01 9E 03", "01 9F", "01 9E 7F"}
            << QStringList{"OK", "OK"} << 0 << 64;
        // 1 ms a transfer, a 5 ms cycle: three polls after each write, the third answered and the read-back.
        QTest::newRow("EEPROM, write cycle polled, never restored")
            << 1 << 2 << 1 << true << true << -1 << 0
            << QStringList{"01 9E 00", "01 9F", "01 9F", "01 9F", "01 9E 02", "01 9F", "01 9F", "01 9F"}
            << QStringList{"OK", "OK"} << 0 << 2;
    }
    void sweep()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, step);
        QFETCH(bool, eeprom);
        QFETCH(bool, restore);
        QFETCH(int, stuckBit);
        QFETCH(int, stopAfter);
        Engine e;
        if (eeprom) {
            e.sim.board.setTransferTimeMs(1);
            e.sim.board.dcp().setWriteCycleJitterUs(0);
        }
        if (stuckBit >= 0)
            e.sim.board.dcp().setStuckReadBit(stuckBit, true);
        const SweepSettings settings{from, to, step,
                                     eeprom ? ProgrammingMode::Eeprom : ProgrammingMode::Register, restore};
        const auto report = runSweep(e.dcp, settings, [stopAfter](const SweepRow&, int done, int) {
            return stopAfter == 0 || done < stopAfter;
        });
        QVERIFY(report.ok());
        QTEST(e.i2c(), "sent");
        QStringList got;
        for (const SweepRow& row : report.value().rows)
            got << sweepOutcomeText(row.outcome);
        QTEST(got, "outcomes");
        QTEST(report.value().mismatches, "mismatches");
        QCOMPARE(report.value().end, stopAfter ? SweepReport::End::Stopped : SweepReport::End::Completed);
        QTEST(int(e.sim.board.dcp().wiperCode()) + 1, "wiperAfter");
        if (eeprom)
            QCOMPARE(sweepCsvLine(report.value().rows.back()), QStringLiteral("2,02,02,2,OK,6.0"));
        QVERIFY(e.sim.messages.messages.empty());
    }

    void storeVerified_data()
    {
        using V = StoreVerification::Verdict;
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("verdict");  // -1: the write failed
        QTest::addColumn<QString>("text"); // %1: the measured write cycle
        // clang-format off
        QTest::newRow("verified") << "" << int(V::Verified) << "Stored position 65 in EEPROM, verified, write cycle %1";
        QTest::newRow("stuck bit: mismatch") << "stuck" << int(V::Mismatch)
            << "Stored position 65 in EEPROM, but it reads back position 67 (byte 84): mismatch, write cycle %1";
        QTest::newRow("write cycle past the deadline") << "slow" << int(V::WriteCycleTimedOut)
            << "Stored position 65 in EEPROM, not verified: the part did not answer within 20 ms of the write (write-cycle timeout)";
        QTest::newRow("write not acknowledged") << "mute" << -1 << "";
        // clang-format on
    }
    void storeVerified()
    {
        QFETCH(QString, fault);
        QFETCH(int, verdict);
        QFETCH(QString, text);
        Engine e;
        SimVtx8303& part = e.sim.board.dcp();
        if (fault == QLatin1String("stuck"))
            part.setStuckReadBit(2, true);
        if (fault == QLatin1String("slow"))
            part.setWriteCycleMs(40);
        if (fault == QLatin1String("mute"))
            e.sim.board.setDeviceAnswers(0x9E, false);
        const auto store = vtx::storeVerified(e.dcp, 0x9E, 65);
        // The write, then (once it went through) the first poll of its cycle.
        const QStringList sentFirst{"01 9E 80", "01 9F"};
        QCOMPARE(e.i2c().mid(0, verdict < 0 ? 1 : 2), sentFirst.mid(0, verdict < 0 ? 1 : 2));
        QCOMPARE(store.ok(), verdict >= 0);
        QCOMPARE(e.sim.link.dcpSession().eepromWrites(), std::uint64_t(verdict >= 0 ? 1 : 0));
        if (verdict < 0)
            return;
        QCOMPARE(int(store.value().verdict), verdict);
        const WriteCycle& cycle = store.value().cycle;
        const bool timedOut = verdict == int(StoreVerification::Verdict::WriteCycleTimedOut);
        QCOMPARE(cycle.state, timedOut ? WriteCycle::State::TimedOut : WriteCycle::State::Finished);
        // Nothing read after the polls: the one the part answered was the read-back.
        QCOMPARE(e.i2c().size(), 1 + cycle.polls);
        const auto samples = e.sim.link.dcpSession().samples().entries();
        QCOMPARE(samples.size(), std::size_t(timedOut ? 1 : 2)); // the write, and the read-back
        if (!timedOut)
            QCOMPARE(samples.back().readPosition, store.value().readPosition());
        QCOMPARE(storeVerificationText(store.value()),
                 text.contains(QLatin1String("%1")) ? text.arg(writeCycleText(cycle.elapsedUs)) : text);
    }

    // The part's cycle varies around its nominal 5 ms, and every measurement follows it: at least the part's
    // cycle, and less than one poll (two 100 us transfers) more.
    void measuredWriteCycleFollowsThePart()
    {
        Engine e;
        QSet<std::int64_t> cycles;
        for (int i = 0; i < 10; ++i) {
            const auto store = vtx::storeVerified(e.dcp, 0x9E, 1 + i);
            QVERIFY(store.ok());
            const std::int64_t actual = e.sim.board.dcp().lastWriteCycleUs();
            const WriteCycle& cycle = store.value().cycle;
            QVERIFY2(cycle.earliestUs < actual && cycle.elapsedUs >= actual && cycle.elapsedUs < actual + 200,
                     qPrintable(QString::number(cycle.elapsedUs)));
            cycles.insert(actual);
        }
        QVERIFY(cycles.size() > 5);
    }

    // Where the cycle lies when other windows' events take the clock on between commands (a jump after the
    // pipe-3 command numbered `jumpAfter`, 0 the write): between the last poll the part left unanswered and
    // the first it answered, timed as each command went out; the span is shown when wider than a poll, and a
    // wait stretched past the deadline polls once more instead of reporting a timeout. 100 us a transfer.
    void writeCycleBounds_data()
    {
        QTest::addColumn<int>("cycleMs");
        QTest::addColumn<int>("jumpAfter"); // -1: no jump
        QTest::addColumn<int>("jumpUs");
        QTest::addColumn<int>("polls");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("earliestUs");
        QTest::addColumn<int>("elapsedUs");
        QTest::addColumn<QString>("text");
        QTest::newRow("quiet") << 5 << -1 << 0 << 25 << true << 4800 << 5000 << "5.0 ms";
        QTest::newRow("after the write's command")
            << 5 << 0 << 7000 << 1 << true << 0 << 7200 << "at most 7.2 ms (between 0.0 and 7.2 ms)";
        QTest::newRow("between two polls")
            << 5 << 2 << 4500 << 3 << true << 400 << 5100 << "at most 5.1 ms (between 0.4 and 5.1 ms)";
        QTest::newRow("past the deadline: one more poll")
            << 5 << 1 << 25000 << 2 << true << 200 << 25400 << "at most 25.4 ms (between 0.2 and 25.4 ms)";
        QTest::newRow("slow part: the last poll after the deadline")
            << 40 << -1 << 0 << 101 << false << 20200 << 20200 << "20.2 ms";
    }
    void writeCycleBounds()
    {
        QFETCH(int, cycleMs);
        QFETCH(int, jumpAfter);
        QFETCH(int, jumpUs);
        Engine e;
        e.sim.board.dcp().setWriteCycleMs(cycleMs);
        e.sim.board.dcp().setWriteCycleJitterUs(0);
        int commands = 0;
        e.sim.link.feed().subscribe([&](const FeedEntry& entry) {
            if (entry.kind == FeedEntry::Kind::Transfer && entry.direction == TransferDirection::Write &&
                entry.pipe == 3 && commands++ == jumpAfter)
                e.sim.clock.elapseUs(jumpUs);
        });
        QVERIFY(e.dcp.write(0x9E, 0x80).ok());
        const WriteCycle cycle = e.dcp.finishWriteCycle();
        QTEST(cycle.polls, "polls");
        QTEST(cycle.state == WriteCycle::State::Finished, "finished");
        QTEST(int(cycle.earliestUs), "earliestUs");
        QTEST(int(cycle.elapsedUs), "elapsedUs");
        QTEST(writeCycleText(cycle), "text");
    }

    // On real time the simulated board answers at once: the polls are paced so that its cycle (5 ms, 5.3 at
    // most) takes some fifty of them, not thousands. A slower machine only polls fewer times.
    void pollsPerSimulatedWrite()
    {
        SteadyClock clock;
        SimulatedBoard board(clock);
        RecordingDriver recorder(board);
        RecordingMessageBoxes messages;
        Link link(recorder, UsbMatch{SimulatedBoard::kVendorId, SimulatedBoard::kProductId, {}}, clock);
        NullLinkObserver view;
        LinkClient client(link, kDcpPanelLink, view, messages);
        I2cBus bus(client);
        DcpDevice dcp(bus, clock);
        client.Connect_Usb();
        QVERIFY(link.UsbOpen);
        recorder.clearTransferLog();
        qsizetype polls = 0;
        for (int i = 0; i < 10; ++i) {
            const auto store = vtx::storeVerified(dcp, 0x9E, 1 + i);
            QVERIFY(store.ok());
            const WriteCycle& cycle = store.value().cycle;
            QCOMPARE(cycle.state, WriteCycle::State::Finished);
            QVERIFY2(cycle.polls <= 60, qPrintable(QString::number(cycle.polls)));
            polls += cycle.polls;
        }
        qInfo("%lld polls for 10 EEPROM writes", static_cast<long long>(polls));
        const auto records = recorder.transferLog();
        const qsizetype sent = std::count_if(records.begin(), records.end(), [](const TransferRecord& r) {
            return r.pipe == 3 && r.bytes == std::vector<std::uint8_t>{0x01, 0x9F};
        });
        QCOMPARE(sent, polls); // no read besides the polls
    }

    // An EEPROM write by one window's device is waited for by another's on the same link.
    void anotherDeviceWaitsForTheWriteCycle()
    {
        Engine e;
        e.sim.board.dcp().setWriteCycleJitterUs(0);
        DcpDevice other(e.bus, e.sim.clock);
        QVERIFY(e.dcp.write(0x9E, 0x80).ok());
        QVERIFY(other.read(0x9F).ok());
        QCOMPARE(other.lastWriteCycle().state, WriteCycle::State::Finished);
        QCOMPARE(other.lastWriteCycle().elapsedUs, 5000);
    }

    // Every write and read goes into the session's history with the position last written; the history
    // keeps the newest 100,000.
    void history()
    {
        Engine e;
        BoundedFeed<WiperSample>& samples = e.sim.link.dcpSession().samples();
        QVERIFY(e.dcp.write(0x9E, 0x81).ok());
        e.sim.board.setDeviceAnswers(0x9E, false);
        QVERIFY(!e.dcp.read(0x9F).ok());
        e.sim.board.setDeviceAnswers(0x9E, true);
        QVERIFY(e.dcp.read(0x9F).ok());
        QStringList described;
        for (const WiperSample& s : samples.entries())
            described << QStringLiteral("%1 %2 %3 %4")
                             .arg(s.kind == WiperSample::Kind::Write ? "write" : "read")
                             .arg(s.writtenPosition.value_or(0))
                             .arg(s.readPosition.value_or(0))
                             .arg(s.ok ? "ok" : "failed");
        QCOMPARE(described, (QStringList{"write 65 0 ok", "read 65 0 failed", "read 65 65 ok"}));

        for (int i = 0; i < int(DcpSession::kHistoryCapacity); ++i)
            samples.publish({WiperSample::Kind::Read, i, 1, 1, true});
        QCOMPARE(samples.entries().size(), DcpSession::kHistoryCapacity);
        QCOMPARE(samples.droppedCount(), std::uint64_t(3));
        QCOMPARE(samples.entries().front().timeMs, 0);
    }
};

QTEST_MAIN(TestCharacterise)
#include "tst_characterise.moc"
