// How users reach the register tool: the DCP panel's Tools menu on the simulated board, one window however
// often it is opened, its About menu, and opening it while the DCP panel holds the link open.
#include "dcp/dcppanelwindow.h"
#include "regtool/registertoolopener.h"
#include "regtool/registertoolwindow.h"
#include "shell/aboutbox.h"
#include "shell/shellwindows.h"
#include "simfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

int countCalls(const std::vector<QString>& calls, const QString& name)
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

QAction* registerToolEntry(shell::ShellWindows& windows)
{
    auto* action = windows.dcpPanel()->findChild<QAction*>(QStringLiteral("mnuRegisterTool"));
    if (!action)
        qFatal("the DCP panel has no register tool entry");
    return action;
}

} // namespace

class TestRegisterToolEntry : public QObject {
    Q_OBJECT
private slots:
    void theToolsMenuOpensTheRegisterToolOnce()
    {
        SimFixture sim;
        shell::ShellWindows windows(sim.context);
        RegisterToolOpener registerTool(sim.context, [&windows] { windows.showAbout(); });
        windows.setRegisterToolOpener([&registerTool] { registerTool.open(); });
        QVERIFY(windows.start());
        QCOMPARE(registerTool.window(), nullptr);

        QAction* entry = registerToolEntry(windows);
        QCOMPARE(entry->text(), QStringLiteral("I2C Register Tool"));
        entry->trigger();
        RegisterToolWindow* const window = registerTool.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->objectName(), QStringLiteral("frmI2C_General"));
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("txtActualReadAddress"))->text(),
                 QStringLiteral("9F"));
        QVERIFY(!sim.link.UsbOpen);
        QVERIFY(!sim.board.isInitialised());
        QVERIFY(sim.messages.messages.empty());

        // Again: the same window, not loaded a second time.
        sim.board.clearCallLog();
        entry->trigger();
        QCOMPARE(registerTool.window(), window);
        QVERIFY(sim.board.callLog().empty());

        // Its About menu shows the program's about box.
        QCOMPARE(windows.aboutBox(), nullptr);
        window->findChild<QAction*>(QStringLiteral("frmAbout"))->trigger();
        QVERIFY(windows.aboutBox());
        QVERIFY(windows.aboutBox()->isVisible());

        // The register tool works on the board it was opened on.
        sim.board.clearTransferLog();
        window->findChild<QPushButton*>(QStringLiteral("cmdRead"))->click();
        QCOMPARE(sim.writesOn(sim.board.i2cOutPipe()).size(), 1u);
        QCOMPARE(hexBytes(sim.writesOn(sim.board.i2cOutPipe()).front().bytes), QStringLiteral("01 9F"));
    }

    void openingWhileTheDcpPanelHoldsTheLinkOpenClosesItFirst()
    {
        SimFixture sim;
        shell::ShellWindows windows(sim.context);
        RegisterToolOpener registerTool(sim.context, [] {});
        windows.setRegisterToolOpener([&registerTool] { registerTool.open(); });
        QVERIFY(windows.start());
        windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("cmdUSBConnect"))->click();
        QVERIFY(sim.link.UsbOpen);
        QVERIFY(sim.board.isInitialised());
        sim.board.clearCallLog();

        registerToolEntry(windows)->trigger();
        // The open link is closed the proper way (reset, handle closed, driver released) before the probe
        // initialises the driver again.
        const std::vector<QString> closing(sim.board.callLog().begin(), sim.board.callLog().begin() + 4);
        QCOMPARE(closing,
                 (std::vector<QString>{QStringLiteral("resetDevice 0"), QStringLiteral("closeDriverHandle"),
                                       QStringLiteral("uninit"), QStringLiteral("init")}));
        QVERIFY(registerTool.window());
        // Every initialisation of the driver was released again; the register tool starts on a closed link.
        QVERIFY(!sim.link.UsbOpen);
        QVERIFY(!sim.board.isInitialised());
        // The DCP panel's initialisation and the probe's own, both released.
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("init")), 1);
        QCOMPARE(countCalls(sim.board.callLog(), QStringLiteral("uninit")), 2);
        QVERIFY(sim.messages.messages.empty());
    }

    void openingDirectlyAsTheCommandLineDoes()
    {
        SimFixture sim;
        shell::ShellWindows windows(sim.context);
        RegisterToolOpener registerTool(sim.context, [] {});
        QVERIFY(windows.start());
        registerTool.open();
        QVERIFY(registerTool.window());
        QVERIFY(registerTool.window()->isVisible());
        // The register tool loaded last, so its lamp takes the attach notifications.
        QCOMPARE(sim.link.AttachLampForm, static_cast<LinkView*>(registerTool.window()));
        QVERIFY(!sim.link.UsbOpen);
    }
};

QTEST_MAIN(TestRegisterToolEntry)
#include "tst_registertoolentry.moc"
