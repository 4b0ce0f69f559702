// SPDX-License-Identifier: GPL-3.0-or-later
// The bus scan as the user drives it from the register tool on the simulated board: what the grid shows, the
// bytes on the wire inside one bracket, "Stop", a link failure told once, a double-click that makes an
// address the tool's, and the register dump with its CSV.
#include "busscan/busscanwindow.h"
#include "common/textformat.h"
#include "namedchild.h"
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
        sim.recorder.clearTransferLog();
        sim.recorder.clearCallLog();
        sim.messages.clear();
    }
    BusScanWindow* scan() const { return window.busScanWindow(); }
    template <typename T = QPushButton> T* inScan(const char* name) const
    {
        return namedChild<T>(scan(), name);
    }
    QTableWidget* grid() const { return inScan<QTableWidget>("grdAddresses"); }
    QTableWidgetItem* cell(int sevenBit) const { return grid()->item(sevenBit / 16, sevenBit % 16); }
    // What each cell of the grid shows, by 7-bit address.
    QStringList cellTexts() const
    {
        QStringList texts;
        for (int a = 0; a < 128; ++a)
            texts << cell(a)->text();
        return texts;
    }
    QStringList i2c() const { return sim.hexWritesOn(3); }
};

// The read command of each 7-bit address from `first` to `last`: "01 11" for 0x08.
QStringList probes(int first, int last)
{
    QStringList result;
    for (int a = first; a <= last; ++a)
        result << QStringLiteral("01 ") + hex2Text(std::uint32_t(a * 2 + 1));
    return result;
}

// The cells after probing 0x08 to `last`: reserved and unprobed ones empty, "--" for silence, the answering
// addresses by number.
QStringList cellsAfter(int last, const QList<int>& answering)
{
    QStringList texts;
    for (int a = 0; a < 128; ++a)
        texts << (a < 0x08 || a > last    ? QString()
                  : answering.contains(a) ? hex2Text(std::uint32_t(a))
                                          : QStringLiteral("--"));
    return texts;
}

} // namespace

class TestBusScan : public QObject {
    Q_OBJECT
private slots:
    // "Scan Bus": one read per probed address, all inside one bracket (one open of the driver, one bridge
    // query), the answering addresses on the grid (green, their 8-bit bytes in the tooltip), and the status
    // line; "Stop" ends it early; an unplugged module ends it with one message.
    void scan_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("stopAt"); // the progress value at which "Stop" is clicked; 0: never
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("messages");
        const QString failed = "The bus scan stopped: the USB link failed.";
        QTest::newRow("whole bus") << "" << 0 << probes(0x08, 0x77) << cellsAfter(0x77, {0x4F, 0x60})
                                   << "Answering: 0x4F, 0x60" << QStringList{};
        QTest::newRow("stopped") << "" << 0x50 - 0x07 << probes(0x08, 0x50) << cellsAfter(0x50, {0x4F})
                                 << "Answering: 0x4F (stopped after 73 of 112 addresses)" << QStringList{};
        QTest::newRow("module unplugged")
            << "unplugged" << 0 << QStringList{} << cellsAfter(0x07, {}) << failed
            << QStringList{failed +
                           "\n\n"
                           "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n\n"
                           "ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n"};
    }
    void scan()
    {
        QFETCH(QString, fault);
        QFETCH(int, stopAt);
        QFETCH(QStringList, cells);
        Tool t;
        if (fault == u"unplugged")
            t.sim.board.unplug();
        namedChild<QPushButton>(&t.window, "cmdScanBus")->click();
        // "Stop" is clicked from inside a second scan while it runs, as a user would.
        if (stopAt) {
            connect(t.inScan<QProgressBar>("prgScan"), &QProgressBar::valueChanged, t.scan(),
                    [&t, stopAt](int value) {
                        if (value == stopAt)
                            t.inScan("cmdStop")->click();
                    });
            t.sim.recorder.clearTransferLog();
            t.sim.recorder.clearCallLog();
            t.inScan("cmdScan")->click();
        }
        QTEST(t.i2c(), "sent");
        QCOMPARE(int(std::ranges::count(t.sim.recorder.callLog(), QStringLiteral("init"))), 1);
        QCOMPARE(t.cellTexts(), cells);
        const bool found4F = cells[0x4F] == u"4F";
        QCOMPARE(t.cell(0x4F)->toolTip(), (found4F ? "" : "0x4F: ") + QStringLiteral("write 9E / read 9F"));
        QCOMPARE(t.cell(0x4F)->background().color() == QColor(0, 255, 0), found4F);
        QCOMPARE(t.cell(0x03)->toolTip(), QStringLiteral("0x03: reserved"));
        QTEST(t.inScan<QLabel>("lblScanStatus")->text(), "status");
        QTEST(t.sim.messages.texts(), "messages");
        QVERIFY(!t.sim.link.UsbOpen);
        QVERIFY(!t.scan()->isScanning());
        QVERIFY(t.inScan("cmdScan")->isEnabled());
    }

    // A double-click on an answering address makes it the tool's address as Enter in "IC2 Addr" does (the
    // communication test runs); one on a silent address does nothing.
    void doubleClickSetsTheToolsAddress_data()
    {
        QTest::addColumn<int>("sevenBit");
        QTest::addColumn<QStringList>("shown"); // "IC2 Addr", the 7-bit address, the communication test
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("register device")
            << 0x60 << QStringList{"C0", "C0 = 0x60", "Good"} << QStringList{"01 C1"};
        QTest::newRow("VTX8303") << 0x4F << QStringList{"9E", "9E = 0x4F", "Good"} << QStringList{"01 9F"};
        QTest::newRow("silent address") << 0x50 << QStringList{"9E", "9E = 0x4F", ""} << QStringList{};
    }
    void doubleClickSetsTheToolsAddress()
    {
        QFETCH(int, sevenBit);
        Tool t;
        t.window.cmdScanBus_Click();
        t.sim.recorder.clearTransferLog();
        const QPoint centre = t.grid()->visualItemRect(t.cell(sevenBit)).center();
        // An item view takes a double click only after the press that selects the item.
        QTest::mouseClick(t.grid()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(t.grid()->viewport(), Qt::LeftButton, {}, centre);
        QTEST((QStringList{namedChild<QLineEdit>(&t.window, "txtI2CADR")->text(),
                           namedChild<QLabel>(&t.window, "lblSevenBitAddress")->text(),
                           namedChild<QLabel>(&t.window, "lblCommTest")->text()}),
              "shown");
        QTEST(t.i2c(), "sent");
    }

    // "Dump" on the register device reads 00 to FF with the bank's register read; the view and the CSV hold
    // the simulated registers.
    void dumpOfTheRegisterDevice()
    {
        Tool t;
        t.sim.board.registerDevice().setReg(0xA5, 0x3C);
        t.window.cmdScanBus_Click();
        t.grid()->setCurrentCell(6, 0); // 0x60
        t.sim.recorder.clearTransferLog();
        t.inScan("cmdDump")->click();
        RegisterDumpWindow* const dump = t.scan()->dumpWindow();
        QVERIFY(dump && dump->isVisible());
        QStringList expectedSent;
        QStringList shown;
        QStringList expected;
        auto* const view = namedChild<QTableWidget>(dump, "grdRegisters");
        for (int reg = 0; reg < 256; ++reg) {
            expectedSent << QStringLiteral("01 C1 ") + hex2Text(std::uint32_t(reg));
            shown << view->item(reg / 16, reg % 16)->text();
            expected << hex2Text(t.sim.board.registerDevice().reg(std::uint8_t(reg)));
        }
        QCOMPARE(t.i2c(), expectedSent);
        QCOMPARE(shown, expected);
        QCOMPARE(view->item(0xA, 0x5)->text(), QStringLiteral("3C"));

        QTemporaryDir dir;
        t.sim.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("dump.csv"));
        namedChild<QPushButton>(dump, "cmdSaveAs")->click();
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
