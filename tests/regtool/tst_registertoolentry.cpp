// How users reach the register tool on the simulated board: the DCP panel's Tools menu, or directly as the
// command line does, while the DCP panel holds the link open; one window however often it is opened; its
// About menu.
#include "dcp/dcppanelwindow.h"
#include "regtool/registertoolopener.h"
#include "regtool/registertoolwindow.h"
#include "shell/aboutbox.h"
#include "shell/shellwindows.h"
#include "simfixture.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

namespace {
template <typename T> T* child(QWidget* window, const char* name)
{
    return window->findChild<T*>(QLatin1String(name));
}
} // namespace

using namespace vtx;
using namespace vtx::test;

class TestRegisterToolEntry : public QObject {
    Q_OBJECT
private slots:
    void openingWhileTheDcpPanelHoldsTheLinkOpen()
    {
        for (const bool fromMenu : {true, false}) { // or directly, as the command line does
            SimFixture sim;
            shell::ShellWindows windows(sim.context);
            RegisterToolOpener registerTool(sim.context, [&windows] { windows.showAbout(); });
            windows.setRegisterToolOpener([&registerTool] { registerTool.open(); });
            QVERIFY(windows.start());
            child<QPushButton>(windows.dcpPanel(), "cmdUSBConnect")->click();
            QVERIFY(sim.link.UsbOpen && sim.board.isInitialised());
            sim.board.clearCallLog();
            QAction* entry = child<QAction>(windows.dcpPanel(), "mnuRegisterTool");
            QCOMPARE(entry->text(), QStringLiteral("I2C Register Tool"));
            fromMenu ? entry->trigger() : registerTool.open();
            RegisterToolWindow* const window = registerTool.window();
            QVERIFY(window && window->isVisible());
            // The link is closed the proper way before the probe initialises the driver again, and every
            // initialisation is released: the DCP panel's and the probe's own.
            const auto calls = sim.board.callLog();
            QCOMPARE(std::vector<QString>(calls.begin(),
                                          calls.begin() + std::min<std::ptrdiff_t>(4, std::ssize(calls))),
                     (std::vector<QString>{"resetDevice 0", "closeDriverHandle", "uninit", "init"}));
            QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("init")), 1);
            QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("uninit")), 2);
            QVERIFY(!sim.link.UsbOpen && !sim.board.isInitialised() && sim.messages.messages.empty());
            // The register tool loaded last, so its lamp takes the attach notifications.
            QCOMPARE(sim.link.AttachLampForm, static_cast<LinkView*>(window));
            sim.board.clearCallLog();
            entry->trigger(); // the same window, not loaded a second time
            QCOMPARE(registerTool.window(), window);
            QVERIFY(sim.board.callLog().empty());
            child<QAction>(window, "frmAbout")->trigger();
            QVERIFY(windows.aboutBox() && windows.aboutBox()->isVisible());
            sim.board.clearTransferLog();
            child<QPushButton>(window, "cmdRead")->click(); // on the board it was opened on
            QCOMPARE(hexBytes(sim.writesOn(sim.board.i2cOutPipe()).at(0).bytes), QStringLiteral("01 9F"));
        }
    }
};

QTEST_MAIN(TestRegisterToolEntry)
#include "tst_registertoolentry.moc"
