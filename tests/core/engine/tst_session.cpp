// SPDX-License-Identifier: GPL-3.0-or-later
// The transaction as every front end gets it from the session: the bracket around the transfers, the
// failure told as data, and what follows a link failure.
#include "engine/failurefollowup.h"
#include "engine/failurereport.h"
#include "simfixture.h"

#include <QtTest>

Q_DECLARE_METATYPE(vtx::Failure)

using namespace vtx;
using namespace vtx::test;

namespace {

// The session with a bracket whose actions are counted: the open and close a window would paint.
struct Bracketed {
    SimFixture sim;
    Session& session = sim.session;
    bool userHolds = false;
    int opens = 0;
    int closes = 0;

    explicit Bracketed(bool leavesOpenLink)
    {
        session.setBracketPolicy(BracketPolicy{
            .userHoldsLink = [this] { return userHolds; },
            .leavesOpenLink = leavesOpenLink,
            .open = [this] { ++opens, session.client().Connect_Usb(); },
            .close = [this] { ++closes, session.client().Disconnect_USB(); },
        });
    }
};

const QString kText = QStringLiteral("Error during Write to DCP");

Failure linkFailure(DriverStatus status, QStringList words = {})
{
    return Failure{Failure::Kind::Link, status, std::move(words)};
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    // When the bracket opens and closes the link, by the front end's policy and the link's state; the
    // transfer in between always goes out on an open link.
    void bracket_data()
    {
        QTest::addColumn<bool>("leavesOpenLink");
        QTest::addColumn<bool>("openBefore");
        QTest::addColumn<bool>("userHolds");
        QTest::addColumn<int>("transactions"); // inside one hold
        QTest::addColumn<int>("opens");
        QTest::addColumn<int>("closes");
        QTest::addColumn<bool>("openAfter");
        QTest::newRow("per transaction") << false << false << false << 1 << 1 << 1 << false;
        QTest::newRow("user holds the link") << false << true << true << 1 << 0 << 0 << true;
        QTest::newRow("found open, closed after") << false << true << false << 1 << 1 << 1 << false;
        QTest::newRow("found open, left open") << true << true << false << 1 << 0 << 0 << true;
        QTest::newRow("two transactions, one close") << false << false << false << 2 << 2 << 1 << false;
    }
    void bracket()
    {
        QFETCH(bool, leavesOpenLink);
        QFETCH(bool, openBefore);
        QFETCH(int, transactions);
        Bracketed b(leavesOpenLink);
        if (openBefore)
            b.session.client().Connect_Usb();
        QFETCH(bool, userHolds);
        b.userHolds = userHolds;
        b.sim.recorder.clearTransferLog();
        {
            const LinkBracket::Hold hold(b.session.bracket());
            for (int i = 0; i < transactions; ++i)
                QVERIFY(b.session.transaction(QStringLiteral("test"), [&](BracketedTransfers&) {
                    QCOMPARE(b.session.link().guard().owner(), QStringLiteral("test"));
                    QVERIFY(b.session.dcp().write(0x9E, 0x81).ok());
                }));
        }
        QCOMPARE(b.sim.hexWritesOn(3), QStringList(transactions, QStringLiteral("01 9E 81")));
        QTEST(b.opens, "opens");
        QTEST(b.closes, "closes");
        QTEST(b.session.isOpen(), "openAfter");
    }

    // A transaction while another runs does nothing; an open that failed half-way is cleaned up with the
    // close, and what the link said while opening is handed over.
    void busyAndFailedOpen()
    {
        Bracketed b(false);
        auto other = b.session.guard().tryBegin();
        bool ran = false;
        QVERIFY(!b.session.transaction({}, [&](BracketedTransfers&) { ran = true; }));
        QVERIFY(!ran);
        QCOMPARE(b.opens, 0);
        other.reset();

        b.sim.board.setNoPipes(true);
        b.sim.board.unplug();
        QStringList opening;
        QVERIFY(b.session.transaction({}, [&](BracketedTransfers& t) { opening = t.openMessages(); }));
        QCOMPARE(opening.size(), 1);
        QVERIFY(opening.first().startsWith(QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:")));
        QVERIFY(!b.session.link().driverInitialised());
        QVERIFY(b.sim.messages.texts().isEmpty());
    }

    // The one failure text: the module's cause when the link failed for it, the front end's words, the
    // link's words trimmed, one a line.
    void failureText_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QStringList>("opening");
        QTest::addColumn<bool>("causeNamed");
        QTest::addColumn<QString>("box");
        const QString gone =
            QStringLiteral("The USB control module is not connected (unplugged or without power).");
        QTest::newRow("not acknowledged") << Failure{} << QStringList{} << true << kText;
        QTest::newRow("module gone, words of opening and transfer")
            << linkFailure(DriverStatus::DeviceGone, {QStringLiteral("ReadPipe .. USB Not opened")})
            << QStringList{QStringLiteral("Write GPIOPipe .. USB Not opened\n")} << true
            << gone + "\n\n" + kText + "\n\nWrite GPIOPipe .. USB Not opened\nReadPipe .. USB Not opened";
        QTest::newRow("module gone, cause left")
            << linkFailure(DriverStatus::DeviceGone) << QStringList{} << false << kText;
        QTest::newRow("link failure, no cause for the status")
            << linkFailure(DriverStatus::Other, {QStringLiteral(" x ")}) << QStringList{} << true
            << kText + "\n\nx";
    }
    void failureText()
    {
        QFETCH(Failure, failure);
        QFETCH(QStringList, opening);
        QFETCH(bool, causeNamed);
        const FailureReport report =
            describeFailure(kText, failure, opening, causeNamed ? ModuleCause::Named : ModuleCause::Left);
        QTEST(report.boxText(), "box");
    }

    // After a link failure the rest of the click or tick is skipped; a module gone while timed transfers
    // run pauses them, and each paused tick asks once whether it is back.
    void followUp_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<bool>("timersRun");
        QTest::addColumn<bool>("skipsRest");
        QTest::addColumn<bool>("paused");
        QTest::newRow("not acknowledged") << Failure{} << true << false << false;
        QTest::newRow("timed out") << linkFailure(DriverStatus::Timeout) << true << true << false;
        QTest::newRow("module gone, no timers")
            << linkFailure(DriverStatus::DeviceGone) << false << true << false;
        QTest::newRow("module gone, timers") << linkFailure(DriverStatus::DeviceGone) << true << true << true;
        QTest::newRow("handle gone, timers")
            << linkFailure(DriverStatus::InvalidHandle) << true << true << true;
    }
    void followUp()
    {
        QFETCH(Failure, failure);
        QFETCH(bool, timersRun);
        FailureFollowUp followUp;
        followUp.beginTransaction();
        QTEST(followUp.note(failure, timersRun), "paused");
        QTEST(followUp.skipsRest(), "skipsRest");
        QTEST(followUp.paused(), "paused");
        followUp.beginTransaction();
        QVERIFY(!followUp.skipsRest());
    }
    void pausedTicks()
    {
        FailureFollowUp followUp;
        followUp.note(linkFailure(DriverStatus::DeviceGone), true);
        int asked = 0;
        bool back = false;
        const auto moduleIsBack = [&] { return ++asked, back; };
        followUp.beginTransaction();
        QCOMPARE(followUp.timedTick(moduleIsBack), FailureFollowUp::Tick::Paused);
        QCOMPARE(followUp.timedTick(moduleIsBack), FailureFollowUp::Tick::Paused);
        QCOMPARE(asked, 1);
        back = true;
        followUp.beginTransaction();
        QCOMPARE(followUp.timedTick(moduleIsBack), FailureFollowUp::Tick::Resumed);
        QCOMPARE(followUp.timedTick(moduleIsBack), FailureFollowUp::Tick::Runs);
        QCOMPARE(asked, 2);
    }

    // What `vtxctl info` shows comes from the session; with the module unplugged the open fails on its
    // missing handle.
    void openAndModuleInfo()
    {
        SimFixture sim;
        QVERIFY(sim.session.open().ok());
        const Result<ModuleInfo> info = sim.session.moduleInfo();
        QVERIFY(info.ok());
        QCOMPARE(info.value().vendorId, SimulatedBoard::kVendorId);
        QCOMPARE(info.value().i2cOutPipe, 3u);
        QCOMPARE(info.value().i2cInPipe, 0x83u);
        QVERIFY(info.value().simulated);
        sim.session.close();
        sim.board.unplug();
        QCOMPARE(sim.session.open().failure().status, DriverStatus::InvalidHandle);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
