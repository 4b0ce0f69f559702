// SPDX-License-Identifier: GPL-3.0-or-later
// Stop signals: noted by the handler, told to the event loop, and the previous handling back afterwards.
#include "common/stopsignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

using namespace vtx;

class TestStopSignals : public QObject {
    Q_OBJECT
private slots:
    void caughtAndToldOnce()
    {
        struct sigaction before {};
        QCOMPARE(::sigaction(SIGTERM, nullptr, &before), 0);
        for (const int signalNumber : {SIGINT, SIGTERM}) {
            StopSignals stop({SIGINT, SIGTERM});
            QSignalSpy told(&stop, &StopSignals::stopRequested);
            QCOMPARE(StopSignals::received(), 0);
            QCOMPARE(std::raise(signalNumber), 0); // the test lives on: the signal was caught
            QCOMPARE(StopSignals::received(), signalNumber);
            QVERIFY(told.wait(5000));
            QCOMPARE(told.count(), 1);
            QCOMPARE(told.first().first().toInt(), signalNumber);
        }
        struct sigaction now {};
        QCOMPARE(::sigaction(SIGTERM, nullptr, &now), 0);
        QVERIFY(now.sa_handler == before.sa_handler); // whatever handled it before handles it again
    }
};

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
