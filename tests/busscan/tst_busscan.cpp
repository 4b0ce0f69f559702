// SPDX-License-Identifier: GPL-3.0-or-later
// The bus scan as the user drives it from the register tool on the simulated board: what the grid shows, the
// bytes on the wire inside one bracket, "Stop", a link failure told once, a double-click that makes an
// address the tool's, and the register dump with its CSV.
#include "busscan/busscanwindow.h"
#include "common/textformat.h"
#include "engine/registerdump.h"
#include "registerdump/registerdumpwindow.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// The register tool loaded on the simulated board, its load's traffic and messages cleared.
struct Tool {
    SimFixture sim;
    RegisterToolWindow window{sim.context};

    Tool()
    {
        window.show();
        sim.board.clearTransferLog();
        sim.board.clearCallLog();
        sim.messages.clear();
    }
    template <typename T> T* child(QObject* parent, const char* name) const
    {
        T* const found = parent->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    BusScanWindow* scan() const { return window.busScanWindow(); }
    QTableWidget* grid() const { return child<QTableWidget>(scan(), "grdAddresses"); }
    QTableWidgetItem* cell(int sevenBit) const { return grid()->item(sevenBit / 16, sevenBit % 16); }
    // What each cell of the grid shows, "." for an empty one, a row of 16 per line.
    QStringList gridTexts() const
    {
        QStringList rows;
        for (int r = 0; r < 8; ++r) {
            QStringList cells;
            for (int c = 0; c < 16; ++c)
                cells << (grid()->item(r, c)->text().isEmpty() ? QStringLiteral(".")
                                                               : grid()->item(r, c)->text());
            rows << cells.join(u' ');
        }
        return rows;
    }
    int driverInits() const { return int(std::ranges::count(sim.board.callLog(), QStringLiteral("init"))); }
    void doubleClick(int sevenBit) const
    {
        const QRect rect = grid()->visualItemRect(cell(sevenBit));
        // An item view takes a double click only after the press that selects the item.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

// The read command of each 7-bit address from `first` to `last`: "01 11" for 0x08.
QStringList probes(int first, int last)
{
    QStringList result;
    for (int a = first; a <= last; ++a)
        result << QStringLiteral("01 ") + hex2Text(std::uint32_t(a * 2 + 1));
    return result;
}

QStringList sentOn(const SimFixture& sim, std::uint32_t pipe)
{
    return sim.hexWritesOn(pipe);
}

} // namespace

class TestBusScan : public QObject {
    Q_OBJECT
private slots:
    // "Scan Bus": one read per probed address, all inside one bracket (one open of the driver, one bridge
    // query), the answering addresses on the grid, and the status line; "Stop" ends it early; an unplugged
    // module ends it with one message.
    void scan_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("stopAt"); // the progress value at which "Stop" is clicked; 0: never
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("whole bus") << "" << 0 << probes(0x08, 0x77) << "Answering: 0x4F, 0x60"
                                   << QStringList{};
        QTest::newRow("stopped") << "" << 0x50 - 0x07 << probes(0x08, 0x50)
                                 << "Answering: 0x4F (stopped after 73 of 112 addresses)" << QStringList{};
        QTest::newRow("module unplugged")
            << "unplugged" << 0 << QStringList{} << "The bus scan stopped: the USB link failed."
            << QStringList{"The bus scan stopped: the USB link failed.\n\n"
                           "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n\n"
                           "ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n"};
    }
    void scan()
    {
        QFETCH(QString, fault);
        QFETCH(int, stopAt);
        QFETCH(QStringList, sent);
        QFETCH(QString, status);
        QFETCH(QStringList, messages);
        Tool t;
        if (fault == QLatin1String("unplugged"))
            t.sim.board.unplug();
        t.window.findChild<QPushButton*>(QStringLiteral("cmdScanBus"))->click();
        // "Stop" is clicked from inside a second scan while it runs, as a user would.
        if (stopAt) {
            connect(t.child<QProgressBar>(t.scan(), "prgScan"), &QProgressBar::valueChanged, t.scan(),
                    [&t, stopAt](int value) {
                        if (value == stopAt)
                            t.child<QPushButton>(t.scan(), "cmdStop")->click();
                    });
            t.sim.board.clearTransferLog();
            t.sim.board.clearCallLog();
            t.child<QPushButton>(t.scan(), "cmdScan")->click();
        }
        QCOMPARE(sentOn(t.sim, 3), sent);
        QCOMPARE(t.driverInits(), 1);
        QCOMPARE(t.child<QLabel>(t.scan(), "lblScanStatus")->text(), status);
        QCOMPARE(t.sim.messages.texts(), messages);
        QVERIFY(!t.sim.link.UsbOpen);
        QVERIFY(!t.scan()->isScanning());
        QVERIFY(t.child<QPushButton>(t.scan(), "cmdScan")->isEnabled());
    }

    // What the grid shows after a whole scan: reserved cells empty, "--" for silence, the answering 7-bit
    // numbers on green with their 8-bit bytes in the tooltip.
    void gridShowsTheAnsweringAddresses()
    {
        Tool t;
        t.window.cmdScanBus_Click();
        const QString silent = QStringLiteral("-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --");
        QCOMPARE(t.gridTexts(), QStringList({
                                    ". . . . . . . . -- -- -- -- -- -- -- --",
                                    silent,
                                    silent,
                                    silent,
                                    "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- 4F",
                                    silent,
                                    "60 -- -- -- -- -- -- -- -- -- -- -- -- -- -- --",
                                    "-- -- -- -- -- -- -- -- . . . . . . . .",
                                }));
        QCOMPARE(t.cell(0x4F)->toolTip(), QStringLiteral("write 9E / read 9F"));
        QCOMPARE(t.cell(0x60)->toolTip(), QStringLiteral("write C0 / read C1"));
        QCOMPARE(t.cell(0x60)->background().color(), QColor(0, 255, 0));
        QCOMPARE(t.cell(0x03)->toolTip(), QStringLiteral("0x03: reserved"));
    }

    // A double-click on an answering address makes it the tool's address as Enter in "IC2 Addr" does (the
    // communication test runs); one on a silent address does nothing.
    void doubleClickSetsTheToolsAddress_data()
    {
        QTest::addColumn<int>("sevenBit");
        QTest::addColumn<QString>("addressText");
        QTest::addColumn<QString>("sevenBitText");
        QTest::addColumn<QString>("test");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("register device") << 0x60 << "C0"
                                         << "C0 = 0x60"
                                         << "Good" << QStringList{"01 C1"};
        QTest::newRow("VTX8303") << 0x4F << "9E"
                                 << "9E = 0x4F"
                                 << "Good" << QStringList{"01 9F"};
        QTest::newRow("silent address") << 0x50 << "9E"
                                        << "9E = 0x4F"
                                        << "" << QStringList{};
    }
    void doubleClickSetsTheToolsAddress()
    {
        QFETCH(int, sevenBit);
        QFETCH(QString, addressText);
        QFETCH(QString, sevenBitText);
        QFETCH(QString, test);
        QFETCH(QStringList, sent);
        Tool t;
        t.window.cmdScanBus_Click();
        t.sim.board.clearTransferLog();
        t.doubleClick(sevenBit);
        QCOMPARE(t.window.findChild<QLineEdit*>(QStringLiteral("txtI2CADR"))->text(), addressText);
        QCOMPARE(t.window.findChild<QLabel*>(QStringLiteral("lblSevenBitAddress"))->text(), sevenBitText);
        QCOMPARE(t.window.findChild<QLabel*>(QStringLiteral("lblCommTest"))->text(), test);
        QCOMPARE(sentOn(t.sim, 3), sent);
    }

    // "Dump" on the register device reads 00 to FF with the bank's register read; the view and the CSV hold
    // the simulated registers.
    void dumpOfTheRegisterDevice()
    {
        Tool t;
        t.sim.board.registerDevice().setReg(0xA5, 0x3C);
        t.window.cmdScanBus_Click();
        t.grid()->setCurrentCell(6, 0); // 0x60
        t.sim.board.clearTransferLog();
        t.child<QPushButton>(t.scan(), "cmdDump")->click();
        RegisterDumpWindow* const dump = t.scan()->dumpWindow();
        QVERIFY(dump && dump->isVisible());
        QStringList expectedSent;
        QStringList shown;
        QStringList expected;
        auto* const view = t.child<QTableWidget>(dump, "grdRegisters");
        for (int reg = 0; reg < 256; ++reg) {
            expectedSent << QStringLiteral("01 C1 ") + hex2Text(std::uint32_t(reg));
            shown << view->item(reg / 16, reg % 16)->text();
            expected << hex2Text(t.sim.board.registerDevice().reg(std::uint8_t(reg)));
        }
        QCOMPARE(sentOn(t.sim, 3), expectedSent);
        QCOMPARE(shown, expected);
        QCOMPARE(view->item(0xA, 0x5)->text(), QStringLiteral("3C"));

        QTemporaryDir dir;
        t.sim.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("dump.csv"));
        t.child<QPushButton>(dump, "cmdSaveAs")->click();
        QFile file(t.sim.fileDialogs.nextSaveName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines.at(0), QStringLiteral("Register,0,1,2,3,4,5,6,7,8,9,A,B,C,D,E,F"));
        QCOMPARE(lines.at(0xA + 1).split(u',').mid(1), expected.mid(0xA0, 16));
        QVERIFY(t.sim.messages.messages.empty());
    }
};

QTEST_MAIN(TestBusScan)
#include "tst_busscan.moc"
