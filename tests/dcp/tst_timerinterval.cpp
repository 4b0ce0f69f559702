#include "dcp/timerinterval.h"

#include <QTest>

using namespace vtx::dcp;

class TestTimerInterval : public QObject {
    Q_OBJECT
private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("interval");
        QTest::newRow("plain") << "250" << true << 250;
        QTest::newRow("default") << "1000" << true << 1000;
        QTest::newRow("leading blanks") << "   40" << true << 40;
        QTest::newRow("trailing text") << "25x" << true << 25;
        QTest::newRow("no number") << "abc" << true << 0;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("half to even down") << "12.5" << true << 12;
        QTest::newRow("half to even up") << "13.5" << true << 14;
        QTest::newRow("fraction rounds") << "99.7" << true << 100;
        QTest::newRow("exponent") << "1e3" << true << 1000;
        QTest::newRow("highest") << "65535" << true << 65535;
        QTest::newRow("rounds into range") << "65535.4" << true << 65535;
        QTest::newRow("too large") << "65536" << false << 0;
        QTest::newRow("far too large") << "100000" << false << 0;
        QTest::newRow("negative") << "-5" << false << 0;
        QTest::newRow("rounds to zero") << "-0.4" << true << 0;
        QTest::newRow("huge exponent") << "1e400" << false << 0;
    }
    void reading()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(int, interval);
        const IntervalReading r = readIntervalText(text);
        QCOMPARE(r.kind == IntervalTextKind::Accepted, accepted);
        if (accepted)
            QCOMPARE(r.intervalMs, interval);
    }

    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole");
        QTest::newRow("number") << "250" << true;
        QTest::newRow("blanks around") << " 250 " << true;
        QTest::newRow("fraction") << "2.5" << true;
        QTest::newRow("negative") << "-3" << true;
        QTest::newRow("trailing letters") << "25x" << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("two numbers") << "2 5" << false;
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        QCOMPARE(isWholeNumber(text), whole);
    }
};

QTEST_APPLESS_MAIN(TestTimerInterval)
#include "tst_timerinterval.moc"
