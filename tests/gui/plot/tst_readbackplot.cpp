// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/readbackplotwindow.h"
#include "simfixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

using Kind = WiperSample::Kind;

// A write of 65, its read-back, a failed read, a failed write of 70, then a read of 66.
void publishSession(BoundedFeed<WiperSample>& samples)
{
    for (const WiperSample& sample :
         {WiperSample{Kind::Write, 1000, 65, std::nullopt, true}, WiperSample{Kind::Read, 1250, 65, 65, true},
          WiperSample{Kind::Read, 2500, 65, std::nullopt, false},
          WiperSample{Kind::Write, 3000, 70, std::nullopt, false},
          WiperSample{Kind::Read, 61004, 65, 66, true}})
        samples.publish(sample);
}

} // namespace

class TestReadbackPlot : public QObject {
    Q_OBJECT
private slots:
    // The chart follows the last 60 s of the history: reads as points, failed reads on the time axis, the
    // position written as a step line; it listens only while shown.
    void chartFollowsTheHistoryWhileShown()
    {
        SimFixture f;
        BoundedFeed<WiperSample>& samples = f.link.dcpSession().samples();
        publishSession(samples);
        f.clock.advance(62000);
        plot::ReadbackPlotWindow window(f.context);
        QVERIFY(!samples.hasSubscribers());
        window.show();
        QVERIFY(samples.hasSubscribers());
        QCOMPARE(window.timeAxis()->min(), 2.0);
        QCOMPARE(window.timeAxis()->max(), 62.0);
        // In view: the failed read at 2.5 s and the read of 66; the failed write moves nothing.
        QCOMPARE(window.readSeries()->points(), (QList<QPointF>{{61.004, 66}}));
        QCOMPARE(window.failedSeries()->points(), (QList<QPointF>{{2.5, 0}}));
        QCOMPARE(window.writtenSeries()->points(), (QList<QPointF>{{2, 65}, {62, 65}}));

        window.findChild<QCheckBox*>(QStringLiteral("chkPause"))->setChecked(true);
        f.clock.advance(10000);
        samples.publish({Kind::Read, 71000, 65, 64, true});
        window.refresh();
        QCOMPARE(window.timeAxis()->max(), 62.0);
        QCOMPARE(window.readSeries()->count(), 1);

        window.hide();
        QVERIFY(!samples.hasSubscribers());
    }

    // Reads are joined only while nothing is missing between them: a failed read or more than 5 s without a
    // read starts a new line, so no line bridges a gap; the written position stays one step line.
    void readsAreNotJoinedAcrossAGap()
    {
        SimFixture f;
        BoundedFeed<WiperSample>& samples = f.link.dcpSession().samples();
        samples.publish({Kind::Write, 1000, 10, std::nullopt, true});
        for (const auto& [ms, ok] : {std::pair{1000, true}, {1500, true}, {2000, false}, {2500, true},
                                     {3000, true}, {20000, true}, {20500, true}})
            samples.publish({Kind::Read, ms, 10, ok ? std::optional<int>(10) : std::nullopt, ok});
        samples.publish({Kind::Write, 21000, 20, std::nullopt, true});
        f.clock.advance(22000);
        plot::ReadbackPlotWindow window(f.context);
        window.show();
        using Run = QList<QPointF>;
        QCOMPARE(window.readRuns(), (QList<Run>{Run{{1, 10}, {1.5, 10}}, Run{{2.5, 10}, {3, 10}},
                                                Run{{20, 10}, {20.5, 10}}}));
        QCOMPARE(window.writtenSeries()->points(), (Run{{1, 10}, {21, 10}, {21, 20}, {22, 20}}));
    }

    void saveAs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // of a PNG, its signature
        QTest::newRow("CSV") << "history.csv"
                             << QByteArray("time,written,read,outcome\n"
                                           "1.000,65,,written\n"
                                           "1.250,65,65,read\n"
                                           "2.500,65,,read failed\n"
                                           "3.000,70,,write failed\n"
                                           "61.004,65,66,read\n");
        QTest::newRow("PNG") << "chart.png" << QByteArray("\x89PNG");
    }
    void saveAs()
    {
        QFETCH(QString, name);
        SimFixture f;
        publishSession(f.link.dcpSession().samples());
        plot::ReadbackPlotWindow window(f.context);
        window.show();
        QTemporaryDir dir;
        f.fileDialogs.nextSaveName = dir.filePath(name);
        window.cmdSaveAs_Click();
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QTEST(name.endsWith(QLatin1String(".png")) ? bytes.left(4) : bytes, "content");
        QVERIFY(f.messages.messages.empty());
    }
};

QTEST_MAIN(TestReadbackPlot)
#include "tst_readbackplot.moc"
