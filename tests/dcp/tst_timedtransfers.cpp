#include "dcppanelharness.h"

using namespace vtx;
using namespace vtx::test;

class TestTimedTransfers : public QObject {
    Q_OBJECT
private slots:
    void timedWritesRepeatTheCurrentByte()
    {
        DcpPanelHarness h;
        h.setList()->setCurrentRow(9); // position 10, Register: 0x13
        h.f.board.clearTransferLog();
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("5"));
        h.box("chkWriteTimer")->setChecked(true);
        QVERIFY(h.child<QPushButton>("cmdStopTimer")->isVisible());
        QTRY_VERIFY(h.i2cCommands().size() >= 2);
        for (const QString& command : h.i2cCommands())
            QCOMPARE(command, QStringLiteral("01 9E 13"));
        QTRY_VERIFY(!h.child<QPushButton>("CMDxMIT")->isVisible());
        QVERIFY(h.child<QPushButton>("cmdI2Read")->isVisible());

        h.setList()->setCurrentRow(10);
        h.f.board.clearTransferLog();
        QTRY_VERIFY(h.i2cCommands().size() >= 2);
        QCOMPARE(h.i2cCommands().back(), QStringLiteral("01 9E 15"));

        h.click("cmdStopTimer");
        QVERIFY(!h.box("chkWriteTimer")->isChecked());
        QVERIFY(!h.window->timedTransfers().readTimer().isEnabled());
        QVERIFY(!h.child<QPushButton>("cmdStopTimer")->isVisible());
        QCOMPARE(h.timerLamp(), LampColor::Black);
        QVERIFY(h.child<QPushButton>("CMDxMIT")->isVisible());
    }

    void timedReadsBlinkTheLamp()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0")); // enabled, ticks by hand
        h.box("chkReadTimer")->setChecked(true);
        auto& timed = h.window->timedTransfers();
        QVERIFY(timed.readTimer().isEnabled());
        QVERIFY(!timed.readTimer().isTicking());
        const LampColor expected[] = {LampColor::LightRed, LampColor::Black, LampColor::LightRed};
        for (const LampColor colour : expected) {
            timed.tick();
            QCOMPARE(h.timerLamp(), colour);
        }
        QCOMPARE(h.i2cCommands(), (std::vector<QString>(3, QStringLiteral("01 9F"))));
        QVERIFY(!h.child<QPushButton>("cmdI2Read")->isVisible());
        QVERIFY(h.child<QPushButton>("CMDxMIT")->isVisible());
    }

    void bothDirectionsWriteThenRead()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
        h.box("chkWriteTimer")->setChecked(true);
        h.box("chkReadTimer")->setChecked(true);
        h.box("ChkAutoRead")->setChecked(true);
        h.f.board.clearTransferLog();
        h.window->timedTransfers().tick();
        // With "Auto Read" the write brings its own read-back, then the timed read follows.
        QCOMPARE(h.i2cCommands(), (std::vector<QString>{QStringLiteral("01 9E 01"), QStringLiteral("01 9F"),
                                                        QStringLiteral("01 9F")}));
    }

    void uncheckingOneDirectionKeepsTheOther()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
        h.box("chkWriteTimer")->setChecked(true);
        h.box("chkReadTimer")->setChecked(true);
        h.box("chkWriteTimer")->setChecked(false);
        auto& timed = h.window->timedTransfers();
        QVERIFY(timed.readTimer().isEnabled());
        QVERIFY(h.child<QPushButton>("cmdStopTimer")->isVisible());
        timed.tick();
        QCOMPARE(h.i2cCommands(), std::vector<QString>{QStringLiteral("01 9F")});
        QCOMPARE(h.timerLamp(), LampColor::LightRed);
        h.click("cmdStopTimer");
        QVERIFY(!h.box("chkReadTimer")->isChecked());
        QVERIFY(!timed.readTimer().isEnabled());
        QCOMPARE(h.timerLamp(), LampColor::Black);
    }

    void failedTimedReadStopsTheTimer()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("5"));
        h.f.board.setDeviceAnswers(0x9E, false);
        h.box("chkReadTimer")->setChecked(true);
        QTRY_VERIFY(!h.box("chkReadTimer")->isChecked());
        auto& timed = h.window->timedTransfers();
        QVERIFY(!timed.readTimer().isEnabled());
        QCOMPARE(h.timerLamp(), LampColor::Black);
        QVERIFY(!h.child<QPushButton>("cmdStopTimer")->isVisible());
        QCOMPARE(h.f.messages.texts(),
                 QStringList{QStringLiteral("Read DCP Error, Check VDD & AVDD Power and I2C Connections ")});
        QCOMPARE(h.i2cCommands().size(), std::size_t(1));
    }

    void failedTimedWriteWithIgnoreFailsGoesOn()
    {
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(QStringLiteral("5"));
        h.box("chkFailIgnore")->setChecked(true);
        h.f.board.setDeviceAnswers(0x9E, false);
        h.box("chkWriteTimer")->setChecked(true);
        QTRY_VERIFY(h.i2cCommands().size() >= 3);
        QVERIFY(h.box("chkWriteTimer")->isChecked());
        QCOMPARE(h.writeLamp(), LampColor::LightRed);
        QVERIFY(h.f.messages.messages.empty());
        h.click("cmdStopTimer");
    }

    void intervalTakenWhenABoxIsChecked_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("number") << "250" << 250 << "250";
        QTest::newRow("not a number gives 0") << "abc" << 0 << "abc";
        QTest::newRow("half to even") << "12.5" << 12 << "12.5";
        QTest::newRow("highest") << "65535" << 65535 << "65535";
        QTest::newRow("too large refused") << "70000" << 1000 << "1000";
        QTest::newRow("negative refused") << "-20" << 1000 << "1000";
    }
    void intervalTakenWhenABoxIsChecked()
    {
        QFETCH(QString, text);
        QFETCH(int, interval);
        QFETCH(QString, textAfter);
        DcpPanelHarness h;
        h.child<QLineEdit>("txtDelay")->setText(text);
        h.box("chkReadTimer")->setChecked(true);
        const auto& timer = h.window->timedTransfers().readTimer();
        QCOMPARE(timer.interval(), interval);
        QCOMPARE(h.text("txtDelay"), textAfter);
        QVERIFY(timer.isEnabled());
        QCOMPARE(timer.isTicking(), interval > 0);
        QVERIFY(h.child<QPushButton>("cmdStopTimer")->isVisible());
        h.click("cmdStopTimer");
    }

    void leavingTheIntervalBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("interval");
        QTest::newRow("number") << "250" << 250;
        QTest::newRow("trailing letters ignored") << "25x" << 60000;
        QTest::newRow("letters ignored") << "abc" << 60000;
        QTest::newRow("too large refused") << "99999" << 60000;
    }
    void leavingTheIntervalBox()
    {
        QFETCH(QString, text);
        QFETCH(int, interval);
        DcpPanelHarness h;
        QLineEdit* delay = h.child<QLineEdit>("txtDelay");
        delay->setText(QStringLiteral("60000"));
        h.box("chkReadTimer")->setChecked(true);
        delay->setText(text);
        emit delay->editingFinished();
        const auto& timer = h.window->timedTransfers().readTimer();
        QCOMPARE(timer.interval(), interval);
        QVERIFY(timer.isEnabled());
        QVERIFY(timer.isTicking());
        h.click("cmdStopTimer");
    }
};

QTEST_MAIN(TestTimedTransfers)
#include "tst_timedtransfers.moc"
