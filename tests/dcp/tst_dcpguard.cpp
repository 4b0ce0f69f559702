#include "dcppanelharness.h"

#include <QMetaObject>

using namespace vtx;
using namespace vtx::test;

// One transaction at a time: requests that arrive while a transaction yields are queued (wiper positions,
// the latest winning) or dropped (buttons, ticks). Each test posts its requests so that they run inside the
// yields of a transaction it then starts.
class TestDcpGuard : public QObject {
    Q_OBJECT
private:
    static void post(QObject* context, std::function<void()> action)
    {
        QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
    }

private slots:
    void lastPositionChosenDuringAWriteReachesTheDevice()
    {
        DcpPanelHarness h;
        QListWidget* list = h.setList();
        bool ranInside = false;
        post(list, [&] {
            ranInside = h.f.link.guard().busy();
            list->setCurrentRow(9);
        });
        post(list, [&] { list->setCurrentRow(19); });
        post(list, [&] { list->setCurrentRow(29); });
        h.click("CMDxMIT");
        QVERIFY(ranInside);
        // The running write finished with its own byte; only the last selection followed it.
        QTRY_COMPARE(h.i2cCommands().size(), std::size_t(2));
        QCOMPARE(h.i2cCommands()[0], QStringLiteral("01 9E 01"));
        QCOMPARE(h.i2cCommands()[1], QStringLiteral("01 9E 3B"));
        QCOMPARE(int(h.f.board.dcp().wiperCode()), 29);
        QCOMPARE(h.f.link.guard().pendingCount(), 0);
        QVERIFY(!h.f.link.guard().busy());
    }

    void positionChosenWhileAnErrorIsShownFollowsTheFailedWrite()
    {
        DcpPanelHarness h;
        h.f.board.setDeviceAnswers(0x9E, false);
        h.f.messages.onMessage = [&](const RecordedMessage&) {
            h.f.board.setDeviceAnswers(0x9E, true);
            h.setList()->setCurrentRow(99); // the user picks a position while the error box is up
        };
        h.click("CMDxMIT");
        QTRY_COMPARE(h.i2cCommands().size(), std::size_t(2));
        QCOMPARE(h.i2cCommands()[1], QStringLiteral("01 9E C7"));
        QCOMPARE(h.writeLamp(), LampColor::LightGreen);
        QCOMPARE(h.f.messages.messages.size(), std::size_t(1));
    }

    void buttonsPressedDuringATransactionAreDropped()
    {
        DcpPanelHarness h;
        post(h.window.get(), [&] {
            h.click("cmdI2Read");
            h.click("cmdOpen_USB");
            h.click("cmdUSBConnect");
        });
        h.click("CMDxMIT");
        QCoreApplication::processEvents();
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9E 01")});
        QVERIFY(!h.f.link.UsbOpen);
    }

    void tickDuringATransactionIsDropped()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0")); // enabled, no ticks of its own
        h.box("chkWriteTimer")->setChecked(true);
        dcp::TimedTransfers& timed = h.window->timedTransfers();
        post(h.window.get(), [&] { timed.tick(); });
        h.click("CMDxMIT");
        QCoreApplication::processEvents();
        QCOMPARE(timed.droppedTicks(), 1);
        QCOMPARE(h.i2cCommands().size(), std::size_t(1));
        QCOMPARE(h.timerLamp(), LampColor::Black); // the dropped tick did not blink either
    }

    void ticksNeverOverlap()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
        h.box("chkWriteTimer")->setChecked(true);
        h.box("chkReadTimer")->setChecked(true);
        dcp::TimedTransfers& timed = h.window->timedTransfers();
        post(h.window.get(), [&] { timed.tick(); });
        timed.tick();
        QCoreApplication::processEvents();
        QCOMPARE(timed.droppedTicks(), 1);
        QCOMPARE(h.i2cCommands(), (std::vector<QString>{QStringLiteral("01 9E 01"), QStringLiteral("01 9F")}));
        QCOMPARE(h.timerLamp(), LampColor::LightRed);
    }

    void positionChosenDuringATickIsWrittenAfterIt()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
        h.box("chkReadTimer")->setChecked(true);
        post(h.window.get(), [&] { h.setList()->setCurrentRow(49); });
        h.window->timedTransfers().tick();
        QTRY_COMPARE(h.i2cCommands().size(), std::size_t(2));
        QCOMPARE(h.i2cCommands()[0], QStringLiteral("01 9F"));
        QCOMPARE(h.i2cCommands()[1], QStringLiteral("01 9E 63"));
    }

    void exitDuringATransactionWaitsForItsEnd()
    {
        DcpPanelHarness h;
        post(h.window.get(), [&] { h.window->cmdexit_Click(); });
        h.click("CMDxMIT");
        QTRY_COMPARE(h.f.program.endRequests, 1);
        QCOMPARE(h.i2cCommands().size(), std::size_t(1));
        QCOMPARE(h.writeLamp(), LampColor::LightGreen);
        QVERIFY(!h.f.link.UsbOpen);
    }
};

QTEST_MAIN(TestDcpGuard)
#include "tst_dcpguard.moc"
