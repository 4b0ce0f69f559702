// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/textformat.h"
#include "engine/dcpsweep.h"
#include "namedchild.h"
#include "simfixture.h"
#include "sweep/sweepwindow.h"
#include "widgets/lampwidget.h"

#include <QChartView>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

struct Sweep {
    SimFixture f;
    sweep::SweepWindow window{f.context};
    int transactions = 0;

    Sweep()
    {
        f.board.setTransferTimeUs(100);
        QObject::connect(&f.link.guard(), &TransactionGuard::transactionStarted, [this] { ++transactions; });
        window.show();
    }
    template <typename T> T* child(const char* name) const { return namedChild<T>(&window, name); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    void set(int from, int to, bool eeprom)
    {
        child<QSpinBox>("spnFrom")->setValue(from);
        child<QSpinBox>("spnTo")->setValue(to);
        child<QRadioButton>(eeprom ? "optEeprom" : "optRegister")->setChecked(true);
    }
    bool run()
    {
        window.cmdStart_Click();
        return QTest::qWaitFor([this] { return !window.isRunning(); });
    }
};

} // namespace

class TestSweepWindow : public QObject {
    Q_OBJECT
private slots:
    // On a dark desktop the chart takes Qt Charts' dark theme, and a lamp that is off (black) keeps a rim
    // that stands out from the window.
    void darkPalette()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Mid, QColor(40, 40, 40));
        for (const bool isDark : {false, true}) {
            QApplication::setPalette(isDark ? dark : light);
            Sweep s;
            QCOMPARE(s.window.findChild<QChartView*>()->chart()->theme(),
                     isDark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
            LampWidget lamp(LampWidget::Shape::Circle);
            lamp.resize(21, 21);
            const QImage look = lamp.grab().toImage();
            const QColor window = QApplication::palette().color(QPalette::Window);
            int brightest = 0; // the rim's pixels along the middle row, against the window
            for (int x = 0; x < look.width(); ++x)
                brightest =
                    std::max(brightest, std::abs(look.pixelColor(x, 10).lightness() - window.lightness()));
            QVERIFY2(brightest > 60, qPrintable(QString::number(brightest)));
        }
        QApplication::setPalette(light);
    }

    // Both chart axes run over positions 1 to 128, with a tick at every 16th; a long result text ends in
    // "..." (its whole text in the tool tip) and leaves "Write cycle (ms)" in view.
    void chartAxesAndTableColumns()
    {
        Sweep s;
        const QList<QAbstractAxis*> axes = s.window.findChild<QChartView*>()->chart()->axes();
        QCOMPARE(axes.size(), 2);
        for (QAbstractAxis* const axis : axes) {
            const auto* positions = qobject_cast<const QValueAxis*>(axis);
            QVERIFY(positions);
            QCOMPARE(QPointF(positions->min(), positions->max()), QPointF(1, 128));
            QCOMPARE(positions->tickType(), QValueAxis::TicksDynamic);
            QCOMPARE(QPointF(positions->tickAnchor(), positions->tickInterval()), QPointF(0, 16));
        }
        s.set(5, 6, false);
        QVERIFY(s.run());
        auto* const table = s.child<QTableWidget>("tblSweep");
        const QString longResult = QString(u'x').repeated(300);
        table->item(0, 4)->setText(longResult);
        const QHeaderView* header = table->horizontalHeader();
        QCOMPARE(header->model()->headerData(5, Qt::Horizontal).toString(),
                 QStringLiteral("Write cycle (ms)"));
        QVERIFY(header->sectionViewportPosition(5) + header->sectionSize(5) <= table->viewport()->width());
        QCOMPARE(table->item(1, 4)->toolTip(), table->item(1, 4)->text());
    }

    void sweep_data()
    {
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("stuckBit");  // of the byte read back, stuck at 1; -1 none
        QTest::addColumn<int>("stopAfter"); // 0: to the end
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("mismatches");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("csv");     // the rows as saved, after the header
        QTest::addColumn<bool>("held");       // the link held (opened by another front end) before the start
        QTest::addColumn<QString>("traffic"); // OUT + IN transfers, driver starts, port resets
        // From position 1 in Register mode; the part starts at 64. One transaction reads the wiper, one per
        // position, one puts the wiper back. The run opens the link once (the set-up is 3 + 1 transfers),
        // each position is a write and a read (2 + 2), and the close resets the port once; a link already
        // held is used as it is and left open.
        QTest::newRow("stuck bit")
            << 4 << 2 << 0 << 4 << "Mismatches: 2 at positions 1 (read 3), 2 (read 4)"
            << "Done: 4 of 4 positions, wiper put back to position 64"
            << "1,01,04,3,mismatch,\n2,03,06,4,mismatch,\n3,05,04,3,OK,\n4,07,06,4,OK,\n"
            << false << "13 + 11, 1 opens, 1 port resets";
        QTest::newRow("stopped") << 128 << -1 << 2 << 2 << "Mismatches: 0"
                                 << "Stopped after 2 of 128 positions, wiper put back to position 64"
                                 << "1,01,00,1,OK,\n2,03,02,2,OK,\n"
                                 << false << "9 + 7, 1 opens, 1 port resets";
        QString all;
        for (int p = 1; p <= 128; ++p)
            all += QStringLiteral("%1,%2,%3,%1,OK,\n").arg(p).arg(hex2Text(2 * p - 1), hex2Text(2 * p - 2));
        QTest::newRow("1 to 128") << 128 << -1 << 0 << 128 << "Mismatches: 0"
                                  << "Done: 128 of 128 positions, wiper put back to position 64" << all
                                  << false << "261 + 259, 1 opens, 1 port resets";
        QTest::newRow("1 to 128, link held") << 128 << -1 << 0 << 128 << "Mismatches: 0"
                                             << "Done: 128 of 128 positions, wiper put back to position 64"
                                             << all << true << "258 + 258, 0 opens, 0 port resets";
    }
    void sweep()
    {
        QFETCH(int, to);
        QFETCH(int, stuckBit);
        QFETCH(int, stopAfter);
        QFETCH(int, rows);
        QFETCH(QString, csv);
        QFETCH(bool, held);
        Sweep s;
        if (held)
            QVERIFY(s.f.session.open());
        s.f.recorder.clearTransferLog();
        s.f.recorder.clearCallLog();
        const std::uint64_t resetsBefore = s.f.board.portResetCount();
        if (stuckBit >= 0)
            s.f.board.dcp().setStuckReadBit(stuckBit, true);
        if (stopAfter > 0)
            QObject::connect(&s.f.link.guard(), &TransactionGuard::transactionEnded, &s.window,
                             [&s, stopAfter] {
                                 if (int(s.window.rows().size()) == stopAfter)
                                     s.window.cmdStop_Click();
                             });
        s.set(1, to, false);
        QVERIFY(s.run());
        QCOMPARE(s.child<QTableWidget>("tblSweep")->rowCount(), rows);
        QCOMPARE(s.transactions, 1 + rows + 1);
        QTEST(s.label("lblMismatches"), "mismatches");
        QTEST(s.label("lblSweepStatus"), "status");
        QCOMPARE(int(s.f.board.dcp().wiperCode()), 63);
        QCOMPARE(s.f.link.UsbOpen, held);
        const auto log = s.f.recorder.transferLog();
        const auto outs = std::ranges::count(log, TransferDirection::Write, &TransferRecord::direction);
        QTEST(QStringLiteral("%1 + %2, %3 opens, %4 port resets")
                  .arg(outs)
                  .arg(std::ssize(log) - outs)
                  .arg(std::ranges::count(s.f.recorder.callLog(), QStringLiteral("init")))
                  .arg(s.f.board.portResetCount() - resetsBefore),
              "traffic");
        QTemporaryDir dir;
        s.f.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("sweep.csv"));
        s.window.cmdSaveAs_Click();
        QFile file(s.f.fileDialogs.nextSaveName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 "position,written,read,read position,outcome,write cycle ms\n" + csv);
        QVERIFY(s.f.messages.messages.empty());
    }

    // Another window closes the link the sweep holds: the next position opens it again, and the run ends
    // with every position written and the link closed.
    void linkClosedByAnotherWindowMidRun()
    {
        Sweep s;
        QObject::connect(&s.f.link.guard(), &TransactionGuard::transactionEnded, &s.window, [&s] {
            if (s.window.rows().size() == 2 && s.f.link.UsbOpen)
                s.f.session.client().Disconnect_USB();
        });
        s.f.recorder.clearCallLog();
        s.set(1, 4, false);
        QVERIFY(s.run());
        QCOMPARE(s.label("lblSweepStatus"),
                 QStringLiteral("Done: 4 of 4 positions, wiper put back to position 64"));
        QCOMPARE(std::ranges::count(s.f.recorder.callLog(), QStringLiteral("init")), 2);
        QVERIFY(!s.f.link.UsbOpen);
        QVERIFY(s.f.messages.messages.empty());
    }

    // An EEPROM sweep asks first, once per session; No sends nothing.
    void eepromSweepAsksOncePerSession_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("askedAfterTwoStarts");
        QTest::addColumn<int>("rows");
        QTest::newRow("Yes") << true << 1 << 3;
        QTest::newRow("No") << false << 2 << 0;
    }
    void eepromSweepAsksOncePerSession()
    {
        QFETCH(bool, yes);
        QFETCH(int, rows);
        Sweep s;
        s.f.questions.yes = yes;
        s.set(1, 3, true);
        QVERIFY(s.run());
        QCOMPARE(s.f.questions.asked.at(0).text,
                 QStringLiteral(
                     "A sweep in EEPROM mode writes the EEPROM once per position: 3 writes. Continue?"));
        QVERIFY(s.run());
        QTEST(int(s.f.questions.asked.size()), "askedAfterTwoStarts");
        QCOMPARE(s.child<QTableWidget>("tblSweep")->rowCount(), rows);
        QCOMPARE(s.f.link.dcpSession().eepromWrites(), std::uint64_t(2 * rows));
        if (rows > 0) // the measured write cycle
            QVERIFY(!s.child<QTableWidget>("tblSweep")->item(0, 5)->text().isEmpty());
    }
};

QTEST_MAIN(TestSweepWindow)
#include "tst_sweepwindow.moc"
