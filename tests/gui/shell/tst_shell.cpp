// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/appinfo.h"
#include "dcp/dcppanelwindow.h"
#include "namedchild.h"
#include "shell/aboutbox.h"
#include "shell/boardpicture.h"
#include "shell/evalpicture.h"
#include "shell/shellwindows.h"
#include "shell/startupwindow.h"
#include "shell/systeminfolauncher.h"
#include "shell/windowplacement.h"
#include "simfixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

Q_DECLARE_METATYPE(vtx::StartupChoice)

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
            namedChild<QPushButton>(windows.dcpPanel(), "cmdUSBConnect")->click();
        f.recorder.clearTransferLog();
    }
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
        // Placed side by side: the start-up window covers no part of the panel (on the offscreen screen the
        // panel alone is nearly as wide as the screen, so this is the tight case).
        QString frames;
        QDebug(&frames) << startup->frameGeometry() << panel->frameGeometry();
        QVERIFY2(!startup->frameGeometry().intersects(panel->frameGeometry()), qPrintable(frames));
        QCOMPARE(startup->objectName(), QStringLiteral("frmStartup"));
        QCOMPARE(startup->windowTitle(), QStringLiteral("Veltrane I2C Video Mux Control Software"));
        namedChild<QAction>(startup, "mnuAbout")->trigger();
        QWidget* about = s.windows.aboutBox();
        about->close();
        namedChild<QAction>(panel, "mnuAbout")->trigger();
        QVERIFY(s.windows.aboutBox() == about && about->isVisible());
        namedChild<QPushButton>(panel, "SSCommand1")->click();
        QWidget* picture = s.windows.jumperPicture();
        picture->close();
        namedChild<QAction>(panel, "mnuJumperHelp")->trigger();
        QVERIFY(s.windows.jumperPicture() == picture && picture->isVisible());
        QCOMPARE(picture->windowTitle(), QStringLiteral("Jumper Orientation Information"));
        QCOMPARE(namedChild<QLabel>(picture, "lblUpper")->text(),
                 QStringLiteral("To Write to the part, J3 Must be in Pos 2-3."));
        QCOMPARE(namedChild<QLabel>(picture, "lblLower")->text(),
                 QStringLiteral("To Utilize SCL_S,  J3 Must be in Pos 2-3 and J16 must be 2 to 3."));
        for (QWidget* window : {static_cast<QWidget*>(startup), static_cast<QWidget*>(panel), about, picture})
            QCOMPARE(namedChild<QLabel>(window, "lblBanner")->text(),
                     QStringLiteral("Simulated evaluation board"));
        QAction* tool = namedChild<QAction>(panel, "mnuRegisterTool");
        QVERIFY(!tool->isEnabled());
        int opened = 0;
        s.windows.setRegisterToolOpener([&opened] { ++opened; });
        tool->trigger();
        QCOMPARE(opened, 1);
    }

    // Where the two start-up windows go on screens of several sizes (frame sizes as the DCP panel's and the
    // start-up window's are at 100 %).
    void startWindowPlacement_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("startup");
        QTest::newRow("1920x1080: side by side")
            << QRect(0, 0, 1920, 1032) << QRect(218, 192, 832, 559) << QRect(1058, 192, 644, 648);
        QTest::newRow("second screen")
            << QRect(1920, 0, 1920, 1032) << QRect(2138, 192, 832, 559) << QRect(2978, 192, 644, 648);
        QTest::newRow("1280x800: narrower")
            << QRect(0, 0, 1280, 800) << QRect(0, 76, 832, 559) << QRect(840, 76, 440, 648);
        QTest::newRow("900x1300: stacked")
            << QRect(0, 0, 900, 1300) << QRect(34, 42, 832, 559) << QRect(34, 609, 644, 648);
        QTest::newRow("800x800: past the edge")
            << QRect(0, 0, 800, 800) << QRect(0, 76, 832, 559) << QRect(840, 76, 644, 648);
    }
    void startWindowPlacement()
    {
        QFETCH(QRect, area);
        const shell::StartPlacement placed =
            shell::placeStartWindows(area, QSize(832, 559), QSize(644, 648), QSize(204, 195));
        QTEST(placed.panel, "panel");
        QTEST(placed.startup, "startup");
    }

    // No module at start: a dialog for each attempt, whatever was found, with the link's messages as its
    // details and the command that gives access when the module may not be opened; then what each choice
    // does, in turn. Quit ends the program.
    void startupFailure_data()
    {
        using C = StartupChoice;
        // The fault: 0 unplugged, NoMemory from the driver's init, else from the device information.
        QTest::addColumn<int>("fault");
        QTest::addColumn<QList<C>>("choices");
        QTest::addColumn<bool>("plugInAtRetry");
        QTest::addColumn<bool>("restartStarts");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("restarts");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("details");
        const QList quit{C::Quit};
        const QStringList none;
        const QString absent =
            "Found: no such device. Check that the module is plugged in and its cable is sound; "
            "\"lsusb -d 2a5e:8303\" lists it when the computer sees it.";
        const QString gone = "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (Invalid device handle)";
        // clang-format off
        QTest::newRow("no module: Quit") << 0 << quit << false << true << false << 0 << none << absent << gone;
        QTest::newRow("not accessible") << int(DriverStatus::AccessDenied) << quit << false << true << false << 0 << none
            << "Found: the module, but it is not accessible: this user may not open it. This command gives the user logged in at this computer access to it:\n\n"
               "sudo cp /opt/lib/udev/rules.d/70-vtx-eval.rules /etc/udev/rules.d/ && sudo udevadm control --reload-rules && sudo udevadm trigger\n\n"
               "Then plug the module in again and press Retry."
            << "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H7 (Access denied (insufficient permissions))";
        QTest::newRow("in use") << int(DriverStatus::Busy) << quit << false << true << false << 0 << none
            << "Found: the module, but it is in use by another program. Close that program (another vtx-eval, perhaps) and press Retry."
            << "WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H8 (Resource busy)";
        QTest::newRow("driver fails") << int(DriverStatus::NoMemory) << quit << false << true << false << 0 << none
            << "Found: no module that could be used; the USB driver reported \"Insufficient memory\"."
            << ""; // the link only traces a driver that will not start
        QTest::newRow("Retry, still missing; Quit") << 0 << QList{C::Retry, C::Quit} << false << true << false << 0 << none << absent << gone;
        QTest::newRow("Retry after plugging in") << 0 << QList{C::Retry} << true << true << true << 0 << none << absent << gone;
        QTest::newRow("Use simulated board") << 0 << QList{C::UseSimulatedBoard} << false << true << false << 1 << none << absent << gone;
        QTest::newRow("restart fails; Quit") << 0 << QList{C::UseSimulatedBoard, C::Quit} << false << false << false << 1
            << QStringList{"The program could not be started again on the simulated board."} << absent << gone;
        // clang-format on
    }
    void startupFailure()
    {
        QFETCH(int, fault);
        QFETCH(QList<StartupChoice>, choices);
        QFETCH(bool, plugInAtRetry);
        QFETCH(bool, restartStarts);
        QFETCH(bool, started);
        const bool initFails = fault == int(DriverStatus::NoMemory);
        SimFixture f;
        if (fault == 0)
            f.board.unplug();
        else if (initFails)
            f.board.failInit(DriverStatus::NoMemory);
        else
            f.board.failDeviceInfo(DriverStatus(fault));
        shell::ShellWindows windows(f.context);
        int restarts = 0;
        windows.setStartupRecovery({[&] { return ++restarts, restartStarts; },
                                    "sudo cp /opt/lib/udev/rules.d/70-vtx-eval.rules /etc/udev/rules.d/ && "
                                    "sudo udevadm control --reload-rules && sudo udevadm trigger"});
        f.startupFailures.choices = std::vector(choices.begin(), choices.end());
        if (plugInAtRetry)
            f.startupFailures.onAsk = [&f] { f.board.plug(); };
        QCOMPARE(windows.start(), started);
        QCOMPARE(f.startupFailures.shown.size(), std::size_t(choices.size()));
        const StartupFailure& shown = f.startupFailures.shown[0];
        QCOMPARE(shown.text,
                 "USB Control module is not responding, check USB connections and re-start application");
        QCOMPARE(shown.explanation.section(u'\n', 0, 0),
                 QStringLiteral("Looked for: the USB control module, USB ID 2A5E:8303."));
        QTEST(shown.explanation.section(u'\n', 1), "found");
        QTEST(shown.details, "details");
        QTEST(restarts, "restarts");
        QTEST(f.messages.texts(), "boxes"); // no box besides the dialog, unless a restart failed
        QCOMPARE(f.program.endRequests, started ? 0 : 1);
        QCOMPARE(windows.startupWindow()->isVisible(), started);
        QVERIFY(windows.shownDcpPanel()); // the panel stays behind the dialog, or works
        // Every probe initialised the driver once and released it; a working panel closed its link.
        const auto& calls = f.recorder.callLog();
        const int probes = 1 + int(std::count(choices.begin(), choices.end(), StartupChoice::Retry));
        QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("init")), probes);
        QCOMPARE(std::count(calls.begin(), calls.end(), QStringLiteral("uninit")), initFails ? 0 : probes);
        QVERIFY(!f.board.isInitialised() && !f.link.UsbOpen);
        QVERIFY(f.writesOn(3).empty()); // no I2C command: the panel's load sends none
    }

    // The six "Device Select" entries in order, each with the link open and closed: whether the start-up
    // window stays, and the light sensor's request for a restart while the link is open.
    void deviceMenu_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("staysIfClosed");
        // clang-format off
        QTest::newRow("6101") << 0 << "MNUVTX6101" << "VTX6101 Light Sensor" << false;
        QTest::newRow("6240") << 1 << "mnuVTX6240" << "VTX6240 Mux Combo" << true;
        QTest::newRow("6330") << 2 << "MNU6330_1" << "VTX6330 16 X 16" << true;
        QTest::newRow("6331") << 3 << "mnuVTX6331" << "VTX6331 16 X 16, No Clamp" << true;
        QTest::newRow("6332") << 4 << "mnu6332_1" << "VTX6332 32 X 32 " << false;
        QTest::newRow("6333") << 5 << "mnuVTX6333" << "VTX6333 32 X 32 , No Clamp" << true;
        // clang-format on
    }
    void deviceMenu()
    {
        QFETCH(int, index);
        QFETCH(bool, staysIfClosed);
        for (const bool linkOpen : {true, false}) {
            Shell s(linkOpen);
            auto* menu = namedChild<QMenu>(s.windows.startupWindow(), "MnuDevSel1");
            QCOMPARE(menu->title(), QStringLiteral("&Device Select")); // with its mnemonic
            QTEST(menu->actions().at(index)->objectName(), "name");
            QTEST(menu->actions().at(index)->text(), "caption");
            menu->actions().at(index)->trigger();
            QCOMPARE(s.windows.startupWindow()->isVisible(), linkOpen || staysIfClosed);
            const bool restart = linkOpen && index == 0;
            QCOMPARE(s.f.messages.texts(),
                     restart ? QStringList{"Exit and ReStart App to change devices"} : QStringList{});
            if (restart)
                QCOMPARE(s.f.messages.messages[0].caption, kApplicationTitle);
            QVERIFY(s.windows.dcpPanel()->isVisible());
            QCOMPARE(s.f.link.UsbOpen, linkOpen);
            QVERIFY(s.f.recorder.transferLog().empty());
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
        FakeSystemServices system;
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        const auto label = [&box](const char* name) { return namedChild<QLabel>(&box, name)->text(); };
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout2"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About VTX830X I2C DCP EVALUATION SOFTWARE"));
        QCOMPARE(label("lblTitle"), kApplicationTitle);
        QCOMPARE(label("lblVersion"), QStringLiteral("Version 2.0.2"));
        QCOMPARE(label("lblDisclaimer_0"), QStringLiteral("ACCURACY OF INFORMATION"));
        QVERIFY(!label("lblDisclaimer_1").isEmpty());
        QCOMPARE(namedChild<QPushButton>(&box, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
        namedChild(&box, "picHalvoraLogo"); // the logo is there, under its name
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QVERIFY(system.startAttempts.isEmpty());
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
        FakeSystemServices system;
        system.namedProgram = named;
        system.searchPath = searchPath;
        system.existingFiles = {binProgram()};
        system.startablePrograms = QSet<QString>(startable.cbegin(), startable.cend());
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        box.show();
        namedChild<QPushButton>(&box, "cmdSysInfo")->click();
        QCOMPARE(system.startAttempts, attempts);
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
