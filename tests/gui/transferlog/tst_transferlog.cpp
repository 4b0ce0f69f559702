// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer log on the simulated board's traffic: what a row shows, the ring's limit and its count of
// dropped entries, the filter, "Pause" and "Clear", the CSV against what the window shows, times that never
// go back, and a closed window that costs the link nothing.
#include "common/textformat.h"
#include "common/version.h"
#include "dcp/dcppanelwindow.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "namedchild.h"
#include "simfixture.h"
#include "transferlog/transferlogmodel.h"
#include "transferlog/transferlogwindow.h"
#include "widgets/csvfile.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// A link opened without a window, a log window over it, and traffic of a known shape: every exchange is one
// write on pipe 3 and its reply on 0x83, one millisecond each on the board's clock.
struct Log {
    SimFixture sim;
    NullLinkObserver view;
    LinkClient client{sim.link, kDcpPanelLink, view, sim.messages};
    I2cBus bus{client};
    TransferLogWindow window{sim.link, sim.messages, sim.fileDialogs};

    Log()
    {
        sim.board.setTransferTimeMs(1);
        client.Connect_Usb();
        window.show();
    }
    void exchanges(int count, const QString& owner = QStringLiteral("frmVTX8303"))
    {
        const int before = model()->rowCount();
        {
            const auto scope = sim.link.guard().tryBegin(owner);
            for (int i = 0; i < count; ++i)
                bus.write(0xC0, std::uint8_t(i)); // the register device: its pointer
        }
        // An open window follows when its refresh timer fires, for all of them at once.
        QCoreApplication::processEvents();
        QCOMPARE(model()->rowCount(), before);
        QCOMPARE(window.refreshPending(), window.isVisible());
        QVERIFY(QTest::qWaitFor([this] { return !window.refreshPending(); }));
    }
    QAbstractItemModel* model() const
    {
        return window.findChild<QTableView*>(QStringLiteral("grdLog"))->model();
    }
    // The rows as the view shows them, cell by cell.
    QList<QStringList> shown() const
    {
        QList<QStringList> rows;
        for (int r = 0; r < model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model()->columnCount(); ++c)
                cells << model()->index(r, c).data().toString();
            rows << cells;
        }
        return rows;
    }
    QString dropped() const { return window.findChild<QLabel*>(QStringLiteral("lblDropped"))->text(); }
};

} // namespace

class TestTransferLog : public QObject {
    Q_OBJECT
private slots:
    // A transfer's row: direction, pipe, two-digit bytes, status and the transaction's owner.
    void rowsShowTheTransfer()
    {
        Log log;
        log.exchanges(1);
        const QList<QStringList> rows = log.shown();
        QCOMPARE(rows.at(rows.size() - 2).mid(2),
                 QStringList({"OUT", "03", "01 C0 00", "write 0x60: 00 …", "OK", "frmVTX8303"}));
        QCOMPARE(rows.last().mid(2),
                 QStringList({"IN", "83", "02 00", "write 0x60: 00 → ack", "OK", "frmVTX8303"}));
        QCOMPARE(log.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ms since start"));
        // The link's trace shows as well, each line on one row: here the attach from before the window
        // opened.
        const auto attach = std::find_if(rows.begin(), rows.end(), [](const QStringList& row) {
            return row.at(2) == QLatin1String("trace") && row.at(4).startsWith(QLatin1String("DeviceAttach"));
        });
        QVERIFY(attach != rows.end());
        QCOMPARE(attach->at(4),
                 QStringLiteral("DeviceAttach: Received and accepted attach for vendor ID &H") +
                     hexText(SimulatedBoard::kVendorId) + QStringLiteral(" product ID &H") +
                     hexText(SimulatedBoard::kProductId) + QStringLiteral(" device handle &H") +
                     hexText(log.sim.board.currentHandle()));
    }

    // The ring keeps the newest entries up to its limit; the window shows them and says how many dropped.
    void ringLimitAndDroppedCount_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("dropped");
        QTest::newRow("below the limit")
            << 100 << 3 << 6 << "6 entries shown; 0 older entries dropped (the log keeps the newest 100)";
        QTest::newRow("past the limit")
            << 10 << 8 << 10 << "10 entries shown; 6 older entries dropped (the log keeps the newest 10)";
    }
    void ringLimitAndDroppedCount()
    {
        QFETCH(int, capacity);
        QFETCH(int, exchanges);
        QFETCH(int, rows);
        QFETCH(QString, dropped);
        Log log;
        log.sim.link.feed().clear();
        log.sim.link.feed().setCapacity(std::size_t(capacity));
        log.window.refresh();
        log.exchanges(exchanges);
        QCOMPARE(log.model()->rowCount(), rows);
        QCOMPARE(log.dropped(), dropped);
        // The newest at the bottom: the reply to the last write.
        QCOMPARE(log.shown().last().at(4), QStringLiteral("02 00"));
        QCOMPARE(log.shown().at(log.shown().size() - 2).at(4),
                 QStringLiteral("01 C0 ") +
                     QStringLiteral("%1").arg(exchanges - 1, 2, 16, QLatin1Char('0')).toUpper());
    }

    // Filter, "Pause" and "Clear" change what the window shows; "Save As..." writes exactly that, under the
    // column titles. Paused, the rows stay those shown at the pause while the ring records over them.
    void csvHoldsWhatTheWindowShows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("pauseBeforeMore");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("capacity"); // of the ring
        QTest::newRow("everything") << "" << false << false << 8 << 100;
        QTest::newRow("filtered to the writes") << "out" << false << false << 4 << 100;
        QTest::newRow("paused before two more") << "" << true << false << 4 << 100;
        QTest::newRow("paused, the ring records over it") << "" << true << false << 4 << 5;
        QTest::newRow("cleared") << "" << false << true << 4 << 100; // the two exchanges after the clear
    }
    void csvHoldsWhatTheWindowShows()
    {
        QFETCH(QString, filter);
        QFETCH(bool, pauseBeforeMore);
        QFETCH(bool, clear);
        QFETCH(int, rows);
        QFETCH(int, capacity);
        Log log;
        log.sim.link.feed().setCapacity(std::size_t(capacity));
        log.window.refresh();
        log.exchanges(2);
        const QList<QStringList> beforePause = log.shown();
        if (pauseBeforeMore)
            log.window.findChild<QPushButton*>(QStringLiteral("cmdPause"))->click();
        if (clear)
            log.window.findChild<QPushButton*>(QStringLiteral("cmdClear"))->click();
        log.exchanges(2, QStringLiteral("frmI2C_General"));
        log.window.findChild<QLineEdit*>(QStringLiteral("txtFilter"))->setText(filter);
        QCOMPARE(log.model()->rowCount(), rows);
        if (pauseBeforeMore)
            QCOMPARE(log.shown(), beforePause);

        QTemporaryDir dir;
        log.sim.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("log.csv"));
        log.window.findChild<QPushButton*>(QStringLiteral("cmdSaveAs"))->click();
        QFile file(log.sim.fileDialogs.nextSaveName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString expected = csvLine({"Time", "ms since start", "Direction", "Pipe", "Bytes / trace",
                                    "I2C operation", "Status", "Transaction"});
        for (const QStringList& row : log.shown())
            expected += csvLine(row);
        QCOMPARE(QString::fromUtf8(file.readAll()), expected);
    }

    // "Save As Script..." writes the operations of the selected rows, or of every row shown when none is, as
    // a session script: the link's opening as comments, each write as the `set` that sends its bytes. A
    // script that cannot be saved says so and leaves no file behind.
    void scriptHoldsTheOperations_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("selectedBytes"); // the command row selected, if any
        QTest::addColumn<QString>("name");          // in an empty directory
        QTest::addColumn<QStringList>("lines");     // below the header; none: the save fails
        // clang-format off
        QTest::newRow("every row") << "" << "" << "script.txt" << QStringList{"# bridge reply: kind 1",
            "# serial set-up, first part", "# serial set-up, second part", "set 0x60 0x00", "set 0x60 0x01",
            "set 0x60 0x02"};
        QTest::newRow("a command's row selected") << "" << "01 C0 01" << "script.txt" << QStringList{"set 0x60 0x01"};
        QTest::newRow("filtered") << "0x60: 02" << "" << "script.txt" << QStringList{"set 0x60 0x02"};
        QTest::newRow("unwritable") << "" << "" << "missing/script.txt" << QStringList{};
        // clang-format on
    }
    void scriptHoldsTheOperations()
    {
        QFETCH(QString, filter);
        QFETCH(QString, selectedBytes);
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        Log log;
        log.exchanges(3);
        log.window.findChild<QLineEdit*>(QStringLiteral("txtFilter"))->setText(filter);
        auto* view = log.window.findChild<QTableView*>(QStringLiteral("grdLog"));
        for (int row = 0; row < log.model()->rowCount(); ++row) {
            if (!selectedBytes.isEmpty() && log.shown().at(row).at(TransferLogModel::Data) == selectedBytes)
                view->selectionModel()->select(log.model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        log.sim.fileDialogs.nextSaveName = path;
        log.window.findChild<QPushButton*>(QStringLiteral("cmdSaveScript"))->click();
        QCOMPARE(log.sim.fileDialogs.saveRequests.back().title, QStringLiteral("Save As Script"));
        if (lines.isEmpty()) {
            QCOMPARE(log.sim.messages.texts().size(), 1);
            const QString error =
                QStringLiteral("The file \"%1\" could not be saved: ").arg(QDir::toNativeSeparators(path));
            QVERIFY2(log.sim.messages.texts().at(0).startsWith(error),
                     qPrintable(log.sim.messages.texts().at(0)));
            QVERIFY(QDir(dir.path()).isEmpty());
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList saved = QString::fromUtf8(file.readAll()).split(u'\n');
        QVERIFY2(saved.at(0).startsWith("# I2C operations from the transfer log of vtx-eval " + kVersionText +
                                        ", saved " + QDateTime::currentDateTimeUtc().toString("yyyy-MM-dd")),
                 qPrintable(saved.at(0)));
        QCOMPARE(saved.mid(3), lines + QStringList{""});
        QVERIFY(log.sim.messages.texts().isEmpty());
    }

    // Clicks in the DCP panel, saved from the log as a script and run through `vtxctl --simulate session`,
    // send the same I2C commands; only the write cycle's busy polls stay behind, as comments.
    void scriptReplaysTheClicks()
    {
        SimFixture f;
        dcp::DcpPanelWindow panel{f.context};
        panel.show();
        QVERIFY(panel.Form_Load());
        f.board.setTransferTimeUs(1000);
        namedChild<QCheckBox>(&panel, "ChkAutoRead")->setChecked(true);
        f.link.feed().clear();
        f.recorder.clearTransferLog();
        TransferLogWindow log{f.link, f.messages, f.fileDialogs};
        log.show();
        auto* const positions = namedChild<QListWidget>(&panel, "List1_0");
        positions->setCurrentRow(9);
        positions->setCurrentRow(20);
        namedChild<QRadioButton>(&panel, "Option1_0")->click(); // EEPROM
        positions->setCurrentRow(64);
        log.refresh();
        // Each click writes and reads back; the EEPROM write's read-back polls the part through its write
        // cycle (busy, then the answer) and reads it once more.
        const QStringList sent{"01 9E 13", "01 9F", "01 9E 29", "01 9F", "01 9E 80", "01 9F", "01 9F"};
        const QStringList recorded = f.hexWritesOn(3);
        const auto busyPolls = recorded.size() - sent.size();
        QVERIFY2(busyPolls > 0, qPrintable(recorded.join(u'|')));
        QCOMPARE(recorded, sent.mid(0, 5) + QStringList(busyPolls, "01 9F") + sent.mid(5));

        QTemporaryDir dir;
        f.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("clicks.txt"));
        log.cmdSaveScript_Click();
        QFile script(f.fileDialogs.nextSaveName);
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(script.readAll()).count(QStringLiteral("\n# poll 0x4F → busy\n")),
                 busyPolls);
        QProcess vtxctl;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), dir.path());
        vtxctl.setProcessEnvironment(environment);
        vtxctl.setStandardInputFile(f.fileDialogs.nextSaveName);
        vtxctl.start(QStringLiteral(VTXCTL_PATH), {"--simulate", "--trace", "session"});
        QVERIFY(vtxctl.waitForFinished(30000));
        QCOMPARE(vtxctl.exitStatus(), QProcess::NormalExit);
        // The script waits where the part was busy, so the read after the EEPROM write finds it ready: every
        // request succeeds, the wait one of them.
        const QString replies = QString::fromUtf8(vtxctl.readAllStandardOutput());
        QCOMPARE(replies.count(QStringLiteral("\"done\":true,\"exit\":0}")), sent.size() + 1);
        QVERIFY2(replies.contains(QStringLiteral("\nwaited ")), qPrintable(replies));
        QCOMPARE(vtxctl.exitCode(), 0);
        const QString trace = QString::fromUtf8(vtxctl.readAllStandardError());
        QStringList replayed;
        static const QRegularExpression out(QStringLiteral("OUT pipe 03: ([0-9A-F ]+) \\["));
        for (auto match = out.globalMatch(trace); match.hasNext();)
            replayed << match.next().captured(1);
        QCOMPARE(replayed, sent);
    }

    // Both times of every row, trace lines included, never go back.
    void timestampsAreMonotonic()
    {
        Log log;
        log.exchanges(3);
        log.client.Disconnect_USB();
        log.client.Connect_Usb();
        log.exchanges(3);
        QCoreApplication::processEvents();
        const QList<QStringList> rows = log.shown();
        QVERIFY(rows.size() > 12);
        for (int r = 1; r < rows.size(); ++r) {
            QVERIFY2(rows[r][0] >= rows[r - 1][0], qPrintable(rows[r][0]));
            QVERIFY2(rows[r][1].toLongLong() >= rows[r - 1][1].toLongLong(), qPrintable(rows[r][1]));
        }
        QVERIFY(rows.last()[1].toLongLong() > rows.first()[1].toLongLong());
        QVERIFY(rows.first()[0].contains(
            QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$"))));
    }

    // Closed, the window is not subscribed: the link only appends to its ring; shown again, it catches up. A
    // window opened later shows what the link did before.
    void closedWindowCostsNothing()
    {
        Log log;
        QVERIFY(log.sim.link.feed().hasSubscribers());
        log.window.close();
        QVERIFY(!log.sim.link.feed().hasSubscribers());
        log.exchanges(5);
        log.window.show();
        const int ring = int(log.sim.link.feed().entries().size());
        QCOMPARE(log.model()->rowCount(), ring);
        TransferLogWindow later(log.sim.link, log.sim.messages, log.sim.fileDialogs);
        later.show();
        QCOMPARE(later.findChild<QTableView*>(QStringLiteral("grdLog"))->model()->rowCount(), ring);
    }
};

QTEST_MAIN(TestTransferLog)
#include "tst_transferlog.moc"
