#include "common/appinfo.h"
#include "dcp/dcppanelwindow.h"
#include "shell/aboutbox.h"
#include "shell/boardpicture.h"
#include "shell/evalpicture.h"
#include "shell/shellwindows.h"
#include "shell/startupwindow.h"
#include "shell/systeminfolauncher.h"
#include "simfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// The program's windows on the simulated board, started; optionally with the link opened by hand.
struct Shell {
    SimFixture f;
    shell::ShellWindows windows{f.context};
    explicit Shell(bool linkOpen = false)
    {
        if (!windows.start())
            qFatal("start-up failed");
        if (linkOpen)
            windows.dcpPanel()->findChild<QPushButton*>(QStringLiteral("cmdUSBConnect"))->click();
        f.board.clearTransferLog();
    }
    QAction* entry(QWidget* window, const QString& name) const
    {
        if (auto* action = window->findChild<QAction*>(name))
            return action;
        qFatal("no menu entry %s", qPrintable(name));
    }
};

// What the well-known place names, the search path, which files exist and which programs start.
class ScriptedSystem final : public SystemServices {
public:
    bool startProgram(const QString& path) override { return attempts << path, startable.contains(path); }
    bool fileExists(const QString& path) const override { return files.contains(path); }
    QString namedSystemInfoProgram() const override { return named; }
    QStringList programSearchPath() const override { return searchPath; }
    QString named;
    QStringList searchPath, files, startable, attempts;
};

QString binProgram()
{
    return "/opt/tools/bin/" + shell::systemInfoProgramNames().constFirst();
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    // Start-up opens both windows; the about box and the jumper picture, opened again from other menus,
    // stay one window each; every window shows the simulation banner.
    void windows()
    {
        Shell s;
        shell::StartupWindow* startup = s.windows.startupWindow();
        dcp::DcpPanelWindow* panel = s.windows.dcpPanel();
        QVERIFY(startup->isVisible() && panel->isVisible());
        QCOMPARE(startup->objectName(), QStringLiteral("frmStartup"));
        QCOMPARE(startup->windowTitle(), QStringLiteral("Veltrane I2C Video Mux Control Software"));
        s.entry(startup, "mnuAbout")->trigger();
        QWidget* about = s.windows.aboutBox();
        about->close();
        s.entry(panel, "mnuAbout")->trigger();
        QVERIFY(s.windows.aboutBox() == about && about->isVisible());
        panel->findChild<QPushButton*>(QStringLiteral("SSCommand1"))->click();
        QWidget* picture = s.windows.jumperPicture();
        picture->close();
        s.entry(panel, "mnuJumperHelp")->trigger();
        QVERIFY(s.windows.jumperPicture() == picture && picture->isVisible());
        int pictures = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            pictures += w->objectName() == QStringLiteral("EvalPicture");
        QCOMPARE(pictures, 1);
        QCOMPARE(picture->windowTitle(), QStringLiteral("Jumper Orientation Information"));
        QCOMPARE(picture->findChild<QLabel*>(QStringLiteral("lblUpper"))->text(),
                 QStringLiteral("To Write to the part, J3 Must be in Pos 2-3."));
        QCOMPARE(picture->findChild<QLabel*>(QStringLiteral("lblLower"))->text(),
                 QStringLiteral("To Utilize SCL_S,  J3 Must be in Pos 2-3 and J16 must be 2 to 3."));
        for (QWidget* window : {static_cast<QWidget*>(startup), static_cast<QWidget*>(panel), about, picture})
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblBanner"))->text(),
                     QStringLiteral("Simulated evaluation board"));
        QAction* tool = s.entry(panel, "mnuRegisterTool");
        QVERIFY(!tool->isEnabled());
        int opened = 0;
        s.windows.setRegisterToolOpener([&opened] { ++opened; });
        tool->trigger();
        QCOMPARE(opened, 1);
    }

    void startupFailureEndsTheProgram()
    {
        SimFixture f;
        f.board.unplug();
        shell::ShellWindows windows(f.context);
        QVERIFY(!windows.start());
        QVERIFY(!windows.startupWindow()->isVisible());
        QCOMPARE(
            f.messages.texts(),
            (QStringList{
                "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)\n",
                "USB Control module is not responding, check USB connections and re-start application"}));
        QCOMPARE(f.messages.messages[1].caption, kApplicationTitle);
        QCOMPARE(f.program.endRequests, 1);
        QVERIFY(!f.board.isInitialised()); // the driver was released
        QVERIFY(f.writesOn(3).empty());
    }

    // The six "Device Select" entries in order, each with the link open and closed: whether the start-up
    // window stays, and the light sensor's request for a restart while the link is open.
    void deviceMenu_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("staysIfClosed");
        QTest::newRow("6101") << 0 << "MNUVTX6101"
                              << "VTX6101 Light Sensor" << false;
        QTest::newRow("6240") << 1 << "mnuVTX6240"
                              << "VTX6240 Mux Combo" << true;
        QTest::newRow("6330") << 2 << "MNU6330_1"
                              << "VTX6330 16 X 16" << true;
        QTest::newRow("6331") << 3 << "mnuVTX6331"
                              << "VTX6331 16 X 16, No Clamp" << true;
        QTest::newRow("6332") << 4 << "mnu6332_1"
                              << "VTX6332 32 X 32 " << false;
        QTest::newRow("6333") << 5 << "mnuVTX6333"
                              << "VTX6333 32 X 32 , No Clamp" << true;
    }
    void deviceMenu()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, staysIfClosed);
        for (const bool linkOpen : {true, false}) {
            Shell s(linkOpen);
            auto* menu = s.windows.startupWindow()->findChild<QMenu*>(QStringLiteral("MnuDevSel1"));
            QCOMPARE(menu->title(), QStringLiteral("Device Select"));
            QCOMPARE(menu->actions().at(index)->objectName(), name);
            QCOMPARE(menu->actions().at(index)->text(), caption);
            menu->actions().at(index)->trigger();
            QCOMPARE(s.windows.startupWindow()->isVisible(), linkOpen || staysIfClosed);
            const bool restart = linkOpen && index == 0;
            QCOMPARE(s.f.messages.texts(),
                     restart ? QStringList{"Exit and ReStart App to change devices"} : QStringList{});
            if (restart)
                QCOMPARE(s.f.messages.messages[0].caption, kApplicationTitle);
            QVERIFY(s.windows.dcpPanel()->isVisible());
            QCOMPARE(s.f.link.UsbOpen, linkOpen);
            QVERIFY(s.f.board.transferLog().empty());
            QVERIFY(!s.windows.aboutBox() && !s.windows.jumperPicture());
        }
    }

    void pinOneOfEveryJumperIsRed()
    {
        QStringList names;
        shell::BoardPicture picture;
        picture.resize(780, 832);
        const QImage image = picture.grab().toImage();
        for (const auto& jumper : shell::boardJumpers()) {
            names << jumper.name;
            const QPointF pin1 = picture.pin1InWidget(jumper);
            const QPointF pin2 = pin1 + (jumper.vertical ? QPointF(0, 28) : QPointF(28, 0));
            QCOMPARE(image.pixelColor(pin1.toPoint()), QColor(Qt::red));
            QVERIFY2(image.pixelColor(pin2.toPoint()) != QColor(Qt::red), qPrintable(jumper.name));
        }
        QCOMPARE(names, (QStringList{"J3", "J4", "J6", "J7", "J10", "J16"}));
    }

    void aboutBoxTextsAndKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void aboutBoxTextsAndKeys()
    {
        QFETCH(int, key);
        ScriptedSystem system;
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        const auto label = [&box](const char* name) { return box.findChild<QLabel*>(name)->text(); };
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout2"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About VTX830X I2C DCP EVALUATION SOFTWARE"));
        QCOMPARE(label("lblTitle"), kApplicationTitle);
        QCOMPARE(label("lblVersion"), QStringLiteral("Version 2.0.2"));
        QCOMPARE(label("lblDisclaimer_0"), QStringLiteral("ACCURACY OF INFORMATION"));
        QVERIFY(!label("lblDisclaimer_1").isEmpty());
        QCOMPARE(box.findChild<QPushButton*>("cmdSysInfo")->text(), QStringLiteral("&System Info..."));
        QVERIFY(box.findChild<QWidget*>("picHalvoraLogo"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QVERIFY(system.attempts.isEmpty());
    }

    // "System Info...": the program named in the well-known place, else the first one found on the search
    // path; "unavailable" when neither starts.
    void systemInfoLookUp_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QStringList>("searchPath");
        QTest::addColumn<QStringList>("startable");
        QTest::addColumn<QStringList>("attempts");
        const QString named = QStringLiteral("/opt/sysinfo/run");
        const QString inBin = binProgram();
        const QStringList path{"/usr/local/bin", "/opt/tools/bin"};
        QTest::newRow("named starts") << named << path << QStringList{named} << QStringList{named};
        QTest::newRow("named fails, no 2nd") << named << path << QStringList{inBin} << QStringList{named};
        QTest::newRow("found on the path") << "" << path << QStringList{inBin} << QStringList{inBin};
        QTest::newRow("absent") << "" << QStringList{"/usr/local/bin"} << QStringList{inBin} << QStringList{};
        QTest::newRow("found, will not start") << "" << path << QStringList{} << QStringList{inBin};
    }
    void systemInfoLookUp()
    {
        QFETCH(QString, named);
        QFETCH(QStringList, searchPath);
        QFETCH(QStringList, startable);
        QFETCH(QStringList, attempts);
        ScriptedSystem system;
        system.named = named;
        system.searchPath = searchPath;
        system.files = {binProgram()};
        system.startable = startable;
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        box.show();
        box.findChild<QPushButton*>("cmdSysInfo")->click();
        QCOMPARE(system.attempts, attempts);
        const bool started = !attempts.isEmpty() && startable.contains(attempts.last());
        QCOMPARE(messages.texts(),
                 started ? QStringList{} : QStringList{"System Information Is Unavailable At This Time"});
        if (!started)
            QCOMPARE(messages.messages[0].caption, kApplicationTitle);
        QVERIFY(box.isVisible()); // the about box stays open either way
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
