#include "shell/aboutbox.h"
#include "shell/evalpicture.h"
#include "shell/shellwindows.h"
#include "shell/startupwindow.h"

#include "dcp/dcppanelwindow.h"
#include "simfixture.h"

#include "common/appinfo.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

QAction* entry(QWidget* window, const char* name)
{
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    if (!action)
        qFatal("no menu entry %s", name);
    return action;
}

} // namespace

class TestStartupWindow : public QObject {
    Q_OBJECT
private slots:
    void startOpensTheStartupWindowAndThePanel()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        QVERIFY(windows.startupWindow()->isVisible());
        QVERIFY(windows.dcpPanel()->isVisible());
        QCOMPARE(windows.startupWindow()->objectName(), QStringLiteral("frmStartup"));
        QCOMPARE(windows.startupWindow()->windowTitle(), QStringLiteral("Veltrane I2C Video Mux Control Software"));
        QVERIFY(!windows.startupWindow()->windowIcon().isNull());
        QCOMPARE(f.program.endRequests, 0);
        QVERIFY(!f.link.UsbOpen);
    }

    void deviceMenuEntries()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        auto* menu = windows.startupWindow()->findChild<QMenu*>(QStringLiteral("MnuDevSel1"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Device Select"));
        QStringList names;
        QStringList captions;
        for (QAction* action : menu->actions()) {
            names << action->objectName();
            captions << action->text();
        }
        QCOMPARE(names, (QStringList{"MNUVTX6101", "mnuVTX6240", "MNU6330_1", "mnuVTX6331", "mnu6332_1",
                                     "mnuVTX6333"}));
        QCOMPARE(captions, (QStringList{"VTX6101 Light Sensor", "VTX6240 Mux Combo", "VTX6330 16 X 16",
                                        "VTX6331 16 X 16, No Clamp", "VTX6332 32 X 32 ",
                                        "VTX6333 32 X 32 , No Clamp"}));
        QCOMPARE(entry(windows.startupWindow(), "mnuAbout")->text(), QStringLiteral("About"));
    }

    void lightSensorEntry_data()
    {
        QTest::addColumn<bool>("linkOpen");
        QTest::newRow("link open") << true;
        QTest::newRow("link closed") << false;
    }
    void lightSensorEntry()
    {
        QFETCH(bool, linkOpen);
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        if (linkOpen)
            windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("cmdUSBConnect"))->click();
        QCOMPARE(f.link.UsbOpen, linkOpen);
        entry(windows.startupWindow(), "MNUVTX6101")->trigger();
        if (linkOpen) {
            QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Exit and ReStart App to change devices")});
            QCOMPARE(f.messages.messages[0].caption, kApplicationTitle);
            QVERIFY(windows.startupWindow()->isVisible());
        } else {
            QVERIFY(f.messages.messages.empty());
            QVERIFY(!windows.startupWindow()->isVisible());
        }
        QVERIFY(windows.dcpPanel()->isVisible());
        QCOMPARE(f.program.endRequests, 0);
    }

    void largeMuxEntry_data()
    {
        QTest::addColumn<bool>("linkOpen");
        QTest::newRow("link open") << true;
        QTest::newRow("link closed") << false;
    }
    void largeMuxEntry()
    {
        QFETCH(bool, linkOpen);
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        if (linkOpen)
            windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("cmdUSBConnect"))->click();
        entry(windows.startupWindow(), "mnu6332_1")->trigger();
        QCOMPARE(windows.startupWindow()->isVisible(), linkOpen);
        QVERIFY(windows.dcpPanel()->isVisible());
        QVERIFY(f.messages.messages.empty());
    }

    void otherEntriesChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("linkOpen");
        for (const char* name : {"mnuVTX6240", "MNU6330_1", "mnuVTX6331", "mnuVTX6333"}) {
            QTest::addRow("%s open", name) << QString::fromLatin1(name) << true;
            QTest::addRow("%s closed", name) << QString::fromLatin1(name) << false;
        }
    }
    void otherEntriesChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(bool, linkOpen);
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        if (linkOpen)
            windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("cmdUSBConnect"))->click();
        f.board.clearTransferLog();
        entry(windows.startupWindow(), qPrintable(name))->trigger();
        QVERIFY(windows.startupWindow()->isVisible());
        QVERIFY(windows.dcpPanel()->isVisible());
        QCOMPARE(f.link.UsbOpen, linkOpen);
        QVERIFY(f.messages.messages.empty());
        QVERIFY(f.board.transferLog().empty());
        QVERIFY(!windows.aboutBox());
        QVERIFY(!windows.jumperPicture());
    }

    void aboutEntryOpensOneAboutBox()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        entry(windows.startupWindow(), "mnuAbout")->trigger();
        QVERIFY(windows.aboutBox());
        QVERIFY(windows.aboutBox()->isVisible());
        QWidget* first = static_cast<QWidget*>(windows.aboutBox());
        entry(windows.dcpPanel(), "mnuAbout")->trigger();
        QCOMPARE(static_cast<QWidget*>(windows.aboutBox()), first);
    }

    void startupFailureEndsTheProgram()
    {
        SimFixture f;
        f.board.unplug();
        shell::ShellWindows windows(f.context);
        QVERIFY(!windows.start());
        QVERIFY(!windows.startupWindow()->isVisible());
        QCOMPARE(f.program.endRequests, 1);
        QCOMPARE(f.messages.messages.back().text,
                 QStringLiteral("USB Control module is not responding, check USB connections and re-start "
                                "application"));
        QVERIFY(!f.board.isInitialised());
    }

    void registerToolEntryCallsTheOpener()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        QAction* tool = entry(windows.dcpPanel(), "mnuRegisterTool");
        QVERIFY(!tool->isEnabled());
        int opened = 0;
        windows.setRegisterToolOpener([&opened] { ++opened; });
        QVERIFY(tool->isEnabled());
        tool->trigger();
        QCOMPARE(opened, 1);
    }

    void windowsShowTheSimulationBanner()
    {
        SimFixture f;
        shell::ShellWindows windows(f.context);
        QVERIFY(windows.start());
        windows.showAbout();
        windows.showJumperPicture(windows.dcpPanel());
        for (QWidget* window : std::initializer_list<QWidget*>{
                 windows.startupWindow(), windows.dcpPanel(), static_cast<QWidget*>(windows.aboutBox()),
                 static_cast<QWidget*>(windows.jumperPicture())}) {
            auto* banner = window->findChild<QLabel*>(QStringLiteral("lblBanner"));
            QVERIFY2(banner, qPrintable(window->objectName()));
            QCOMPARE(banner->text(), QStringLiteral("Simulated evaluation board"));
        }
    }
};

QTEST_MAIN(TestStartupWindow)
#include "tst_startupwindow.moc"
