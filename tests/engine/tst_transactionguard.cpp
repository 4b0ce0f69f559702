// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/yield.h"
#include "engine/transactionguard.h"

#include <QtTest>

using namespace vtx;

class TestTransactionGuard : public QObject {
    Q_OBJECT
private slots:
    void oneTransactionAtATime();
    void idleRequestRunsFromTheEventLoop();
    void latestRequestPerKeyWins();
    void requestsWaitForTheRunningTransaction();
    void deferredActionsRunOneAfterAnother();
};

void TestTransactionGuard::oneTransactionAtATime()
{
    TransactionGuard guard;
    QVERIFY(!guard.busy());
    {
        auto scope = guard.tryBegin();
        QVERIFY(scope.has_value());
        QVERIFY(guard.busy());
        QVERIFY(!guard.tryBegin().has_value());
    }
    QVERIFY(!guard.busy());
    QVERIFY(guard.tryBegin().has_value());
}

void TestTransactionGuard::idleRequestRunsFromTheEventLoop()
{
    TransactionGuard guard;
    int runs = 0;
    guard.whenIdle("write", [&] { ++runs; });
    QCOMPARE(runs, 0); // never inside the caller
    yieldEvents();
    QCOMPARE(runs, 1);
    yieldEvents(3);
    QCOMPARE(runs, 1);
}

void TestTransactionGuard::latestRequestPerKeyWins()
{
    TransactionGuard guard;
    QList<int> written;
    QStringList order;
    {
        auto scope = guard.tryBegin();
        for (int position = 1; position <= 5; ++position)
            guard.whenIdle("write", [&written, position] { written << position; });
        guard.whenIdle("other", [&order] { order << "other"; });
        QCOMPARE(guard.pendingCount(), 2);
        yieldEvents(5);
        QVERIFY(written.isEmpty()); // still busy
    }
    yieldEvents();
    QCOMPARE(written, QList<int>{5});
    QCOMPARE(order, QStringList{"other"});
    QCOMPARE(guard.pendingCount(), 0);
}

void TestTransactionGuard::requestsWaitForTheRunningTransaction()
{
    TransactionGuard guard;
    QStringList log;
    guard.whenIdle("write", [&] {
        auto scope = guard.tryBegin();
        QVERIFY(scope.has_value());
        log << "write starts";
        // A request arriving in the middle of this transaction waits for its end.
        guard.whenIdle("read", [&] { log << "read"; });
        yieldEvents(3);
        log << "write ends";
    });
    yieldEvents();
    yieldEvents();
    QCOMPARE(log, QStringList({"write starts", "write ends", "read"}));
}

void TestTransactionGuard::deferredActionsRunOneAfterAnother()
{
    TransactionGuard guard;
    int concurrent = 0;
    int maxConcurrent = 0;
    int done = 0;
    const auto transaction = [&] {
        auto scope = guard.tryBegin();
        QVERIFY(scope.has_value());
        maxConcurrent = std::max(maxConcurrent, ++concurrent);
        yieldEvents(2);
        --concurrent;
        ++done;
    };
    guard.whenIdle("a", transaction);
    guard.whenIdle("b", transaction);
    guard.whenIdle("c", transaction);
    for (int i = 0; i < 10 && done < 3; ++i)
        yieldEvents();
    QCOMPARE(done, 3);
    QCOMPARE(maxConcurrent, 1);
}

QTEST_GUILESS_MAIN(TestTransactionGuard)
#include "tst_transactionguard.moc"
