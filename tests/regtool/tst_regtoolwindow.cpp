// The register tool window as a whole: its load with the start-up probe, the automatic and manual connection
// modes, closing, the guard against a second transaction and the direct register write.
#include "common/yield.h"
#include "regtoolharness.h"

#include <QToolButton>
#include <optional>

using namespace vtx;
using namespace vtx::test;
using L = LampColor;

namespace {
long countCalls(const SimFixture& sim, const QString& name)
{
    return std::count(sim.board.callLog().begin(), sim.board.callLog().end(), name);
}
const QStringList kLinkLamps{"ShpHandleStatus", "shpUSBCon_0", "shpUSBCon_1"};
} // namespace

class TestRegToolWindow : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheDefaultsAndLeavesTheLinkClosed()
    {
        SimFixture sim;
        RegisterToolWindow window(sim.context);
        const auto text = [&window](const char* name) { return window.findChild<QLineEdit*>(QLatin1String(name))->text(); };
        QCOMPARE(window.windowTitle(), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION"));
        QCOMPARE(text("txtI2CADR") + text("txtActualWrtAddress") + text("txtActualReadAddress"), QStringLiteral("9E9E9F"));
        QCOMPARE(sim.state.I2CWrtAdr + (sim.state.I2CRdAdr << 8), 0x9F9E);
        QVERIFY(!sim.state.ManualUsbConn);
        // The probe opened and closed the link: the handle box keeps the number, the Handle lamp its colour.
        QCOMPARE(text("txthDriver"), QStringLiteral(" 1"));
        for (const auto& [name, colour] : {std::pair{"ShpHandleStatus", L::LightGreen}, {"ShpAttach", L::Black},
                                            {"shpUSBCon_0", L::Black}, {"shpUSBCon_1", L::LightGreen}})
            QCOMPARE(window.findChild<LampWidget*>(QLatin1String(name))->color(), colour);
        QVERIFY(!sim.link.UsbOpen);
        QVERIFY(!sim.board.isInitialised());
        QCOMPARE(countCalls(sim, "init") + 10 * countCalls(sim, "uninit"), 11);
        QVERIFY(sim.messages.messages.empty());
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("cmdexit"))->isHidden());
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("cbNoc"))->isHidden());
        QCOMPARE(sim.link.I2COutPipe, 3u); // the bridge query of the probe chose the module's I2C pipe
        for (int r = 0; r < kRegisterRowCount; ++r) // rows in two frames of sixteen
            QCOMPARE(window.findChild<QWidget*>(rowName("txtRdByte", r))->parentWidget()->objectName(), rowName("Frame1", r / 16));
    }

    void automaticModeClosesTheLinkAfterEachTransaction()
    {
        RegToolHarness h;
        h.click("cmdRead");
        QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
        QVERIFY(!h.sim.link.UsbOpen);
        QVERIFY(!h.sim.board.isInitialised());
        QCOMPARE(h.text("txthDriver"), QStringLiteral("Closed"));
        QCOMPARE(h.lamps(kLinkLamps), (QList{L::Black, L::Black, L::LightGreen}));
        QCOMPARE(h.child<QPushButton>("cbNoc")->text(), QStringLiteral("USB Board Interface Closed"));
        QVERIFY(h.child<QPushButton>("cmdexit")->isVisible());
        QVERIFY(h.messages().isEmpty());
    }

    void manualModeKeepsTheLinkAsTheUserLeftIt()
    {
        RegToolHarness h;
        auto* exitButton = h.child<QPushButton>("cmdexit");
        h.manualMode();
        QVERIFY(h.sim.state.ManualUsbConn);
        h.click("cmdUSBConnect");
        QVERIFY(h.sim.link.UsbOpen && exitButton->isHidden());
        QCOMPARE(h.lamps(kLinkLamps), (QList{L::LightGreen, L::LightGreen, L::Black}));
        QCOMPARE(h.text("txthDriver"), QStringLiteral(" 2"));
        h.click("cmdRead"); // a transaction leaves the link open
        QVERIFY(h.sim.link.UsbOpen);
        QCOMPARE(h.i2cCommands(), QStringList{"01 9F"});
        h.click("cmdUSBConnect");
        QVERIFY(!h.window->close()); // refused while the link is open
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.sim.program.endRequests, 0);
        QCOMPARE(h.messages(), (QStringList{"Already Opened", "Form will not close until USB Connection is closed. Click USB Disconnect"}));
        QCOMPARE(h.sim.messages.messages.back().caption, kApplicationTitle);
        h.click("cmdUSBDisconnect");
        QVERIFY(!h.sim.link.UsbOpen && !h.sim.board.isInitialised());
        QVERIFY(!exitButton->isHidden());
        QCOMPARE(h.text("txthDriver"), QStringLiteral("Closed"));
        QCOMPARE(h.lamps(kLinkLamps), (QList{L::Black, L::Black, L::LightGreen}));
        exitButton->click(); // closes the window and ends the program
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.sim.program.endRequests, 1);
        h.sim.board.failInit(DriverStatus::NoMemory);
        h.click("cmdUSBConnect");
        QCOMPARE(h.child<QPushButton>("cbNoc")->text(), QStringLiteral("USB Board won't intialize"));
    }

    void transactionsWaitForOneRunningElsewhere()
    {
        RegToolHarness h;
        std::optional<RegisterToolWindow> loading;
        {
            const auto otherTransaction = h.sim.link.guard().tryBegin();
            QVERIFY(otherTransaction.has_value());
            for (const char* button : {"cmdRead", "cmdReadRegs", "cmdTestComm", "cmdUSBConnect"})
                h.click(button); // dropped
            QVERIFY(!h.window->close()); // closing waits
            loading.emplace(h.sim.context); // so does the probe of a window loading now
            QVERIFY(h.sim.board.transferLog().empty() && h.sim.board.callLog().empty());
            QCOMPARE(h.sim.program.endRequests, 0);
        }
        yieldEvents();
        QCOMPARE(h.sim.program.endRequests, 1);
        QVERIFY(!h.window->isVisible());
        QCOMPARE(countCalls(h.sim, "init") + 10 * countCalls(h.sim, "uninit"), 11);
        QCOMPARE(loading->findChild<QLineEdit*>(QStringLiteral("txthDriver"))->text(), QStringLiteral(" 2"));
    }

    void directWrite_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("sent"); // on pipe 4; empty: refused with "Invalid Write Value"
        QTest::newRow("15 a5") << "15" << "a5" << "15 A5";
        QTest::newRow("empty boxes") << "" << "" << "00 00";
        for (const auto& [address, data] : {std::pair{"05", "100"}, {"05", "1FF"}, {"05", "FFFF"}, {"85", "01"}, {"123456", "01"}})
            QTest::addRow("%s %s", address, data) << address << data << "";
    }
    void directWrite()
    {
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, sent);
        RegToolHarness h;
        QVERIFY(h.child<QWidget>("DirectWriteGroup")->isHidden()); // out of the way until expanded
        h.child<QToolButton>("tglDirectWrite")->click();
        QVERIFY(h.child<QWidget>("DirectWriteGroup")->isVisible());
        h.manualMode();
        h.click("cmdUSBConnect");
        h.sim.board.clearTransferLog();
        h.setText("txtAddr", address);
        h.setText("txtData", data);
        h.click("cmdWrite");
        QCOMPARE(h.messages(), sent.isEmpty() ? QStringList{"Invalid Write Value"} : QStringList{});
        QCOMPARE(h.sim.writesOn(4).size(), sent.isEmpty() ? 0u : 1u);
        if (sent.isEmpty())
            QVERIFY(h.sim.board.transferLog().empty());
        if (sent.isEmpty())
            return;
        QCOMPARE(hexBytes(h.sim.writesOn(1).at(0).bytes), QStringLiteral("FF 02 FF FF 02")); // the bridge query
        QCOMPARE(hexBytes(h.sim.writesOn(4).front().bytes), sent);
        QCOMPARE(h.texts({"txtAddr", "txtData"}).toUpper(), sent);
        QCOMPARE(int(h.sim.board.moduleRegister(static_cast<std::uint8_t>(sent.left(2).toInt(nullptr, 16)))),
                 sent.right(2).toInt(nullptr, 16));
    }
};

QTEST_MAIN(TestRegToolWindow)
#include "tst_regtoolwindow.moc"
