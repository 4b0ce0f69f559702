// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/yield.h"
#include "engine/transactionguard.h"

#include <QtTest>
#include <functional>

using namespace vtx;

class TestTransactionGuard : public QObject {
    Q_OBJECT
private slots:
    void oneTransactionAtATime()
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

    void latestRequestPerKeyWins()
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

    // Deferred actions run from the event loop, never inside the caller, each once and one after another;
    // one requested in the middle of a transaction waits for its end.
    void deferredActionsRunOneAfterAnother()
    {
        TransactionGuard guard;
        QStringList log;
        std::function<void(const QString&)> transaction = [&](const QString& name) {
            auto scope = guard.tryBegin();
            QVERIFY(scope.has_value());
            log << name;
            if (name == u"a")
                guard.whenIdle("c", [&] { transaction("c"); });
            yieldEvents(3);
            log << "/" + name;
        };
        guard.whenIdle("a", [&] { transaction("a"); });
        guard.whenIdle("b", [&] { transaction("b"); });
        QVERIFY(log.isEmpty());
        yieldEvents(10);
        QCOMPARE(log, QStringList({"a", "/a", "b", "/b", "c", "/c"}));
    }
};

QTEST_GUILESS_MAIN(TestTransactionGuard)
#include "tst_transactionguard.moc"
