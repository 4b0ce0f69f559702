// SPDX-License-Identifier: GPL-3.0-or-later
// vtx-eval: the evaluation program for the VTX8303 digital potentiometer on its evaluation board, reached
// through the USB control module (or the simulated board with --simulate).

#include "commandline.h"
#include "common/appinfo.h"
#include "common/programstate.h"
#include "common/stopsignals.h"
#include "endrequestcontrol.h"
#include "engine/session.h"
#include "modulechooser.h"
#include "platform/driverchoice.h"
#include "platform/usb/libusbstatus.h"
#include "regtool/registertoolopener.h"
#include "shell/artwork.h"
#include "shell/desktopsystemservices.h"
#include "shell/shellwindows.h"
#include "tracing.h"
#include "widgets/appcontext.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/windowreporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// "Exit" pressed in every window that has one, as the user would press it: each lets its transaction finish
// and closes its link first. Without such a window the program ends as the last window's close would end it.
void pressExit(vtx::ProgramControl& program)
{
    QList<QPointer<QAbstractButton>> exits;
    for (QWidget* const window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        if (auto* const exit = window->findChild<QAbstractButton*>(QStringLiteral("cmdexit")))
            exits << exit;
    }
    if (exits.isEmpty())
        program.endProgram();
    for (const QPointer<QAbstractButton>& exit : exits) {
        if (exit) // an earlier one may have closed its window
            exit->click();
    }
}

// The chooser as the user meets it: a list in a small dialog, before any window opens.
class DialogModuleChooser final : public vtx::app::ModuleChooser {
public:
    std::optional<int> choose(const QStringList& modules) override
    {
        bool ok = false;
        const QString chosen = QInputDialog::getItem(
            nullptr, vtx::kApplicationTitle,
            QStringLiteral("Several USB control modules are plugged in. Which one do you want to use?"),
            modules, 0, false, &ok);
        if (!ok)
            return std::nullopt;
        return static_cast<int>(modules.indexOf(chosen));
    }
};

} // namespace

int main(int argc, char* argv[])
{
    // The command line is read before the window system starts, so --help and --version work without a
    // display.
    const QStringList arguments = argumentList(argc, argv);
    const vtx::app::CommandLine options = vtx::app::parseCommandLine(arguments);
    switch (options.action) {
    case vtx::app::CommandLine::Action::Error:
        std::fprintf(stderr, "vtx-eval: %s\n", qPrintable(options.text));
        return vtx::app::kUsageExitCode;
    case vtx::app::CommandLine::Action::ShowHelp:
    case vtx::app::CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(options.text), stdout);
        return 0;
    case vtx::app::CommandLine::Action::Run:
        break;
    }
    if (options.trace)
        vtx::app::enableTracing();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vtx-eval"));
    QApplication::setApplicationVersion(vtx::kVersionText);
    QApplication::setWindowIcon(vtx::shell::applicationIcon());

    // Declared in the order they are needed, so they are torn down in reverse: windows first, then the
    // session (its link releases the driver, then the driver itself goes).
    vtx::QtMessageBoxes messages;
    vtx::QtFileDialogs fileDialogs;
    vtx::app::EndRequestControl program;
    vtx::shell::DesktopSystemServices system;
    vtx::ProgramState state;
    vtx::WindowReporter reporter(messages, nullptr);
    vtx::DriverChoice drivers = vtx::chooseDriver(options.simulate, vtx::SimulatedTime::Wall, options.device);
    // Several modules and none named: the user picks one, once; the link then follows only that one.
    DialogModuleChooser chooser;
    const std::optional<QString> device =
        vtx::app::chooseModule(options.device, drivers.driver->listModules(drivers.match), chooser);
    if (!device)
        return 1;
    drivers.match.device = device->toStdString();
    vtx::Session session(std::move(drivers), vtx::kDcpPanelLink, reporter);
    vtx::Link& link = session.link();
    // Recent files and the last folder, in the user's configuration directory.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("vtx-eval"),
                       QStringLiteral("vtx-eval"));
    vtx::AppContext context{link, state, messages, fileDialogs, program, system};
    context.settings = &settings;

    vtx::shell::ShellWindows windows(context);
    // When the module does not answer at start, the user may start the program again on the simulated board.
    bool restarted = false;
    vtx::shell::StartupRecovery recovery;
    recovery.restartSimulated = [&arguments, &restarted] {
        restarted = QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                            vtx::app::simulatedRestartArguments(arguments));
        return restarted;
    };
#ifdef Q_OS_LINUX
    if (!options.simulate)
        recovery.accessCommand =
            vtx::udevRuleCommand(vtx::installedUdevRule(QCoreApplication::applicationDirPath()));
#endif
    windows.setStartupRecovery(std::move(recovery));
    // The register tool is reached from the DCP panel's "Tools" menu, and with --register-tool right after
    // the normal start. While the DCP panel is open, closing the tool closes only the tool. Declared after
    // the windows, so it goes first.
    vtx::RegisterToolOpener registerTool(context, [&windows] { windows.showAbout(); });
    registerTool.setHostWindow([&windows] { return windows.shownDcpPanel(); });
    registerTool.setTransferLogAction([&windows] { windows.showTransferLog(); });
    windows.setRegisterToolOpener([&registerTool] { registerTool.open(); });

    const bool started = windows.start();
    if (restarted)
        return 0; // the program goes on in its new process
    if (!started || program.endRequested()) {
        if (!options.simulate && !options.device.isEmpty())
            std::fprintf(stderr,
                         "vtx-eval: no USB control module with the serial number or USB port \"%s\" was "
                         "found; --simulate runs the simulated evaluation board.\n",
                         qPrintable(options.device));
        else if (!options.simulate)
            std::fputs("vtx-eval: no USB control module was found; --simulate runs the simulated evaluation "
                       "board.\n",
                       stderr);
        return 1;
    }
    if (options.registerTool)
        registerTool.open();
    // Ctrl+C in the terminal, or the session ending, closes the program as "Exit" does: a running
    // transaction finishes and the windows close in turn, instead of the link dying mid-transfer.
    vtx::StopSignals stop({SIGINT, SIGTERM});
    QObject::connect(&stop, &vtx::StopSignals::stopRequested, &stop, [&program] { pressExit(program); });
    return app.exec();
}
