// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "common/appinfo.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace vtx::app {

namespace {

QString versionString()
{
    return kVersionText;
}

// The options QApplication takes for itself (with one dash or two), those with a value first. They are
// Qt's to read: we pass the whole command line on to QApplication and parse only what is left, so that
// --help and --version still work without a display, before QApplication exists.
const QStringList kQtOptionsWithValue{QStringLiteral("platform"),
                                      QStringLiteral("platformpluginpath"),
                                      QStringLiteral("platformtheme"),
                                      QStringLiteral("plugin"),
                                      QStringLiteral("qwindowgeometry"),
                                      QStringLiteral("geometry"),
                                      QStringLiteral("qwindowtitle"),
                                      QStringLiteral("title"),
                                      QStringLiteral("qwindowicon"),
                                      QStringLiteral("icon"),
                                      QStringLiteral("style"),
                                      QStringLiteral("stylesheet"),
                                      QStringLiteral("session"),
                                      QStringLiteral("display"),
                                      QStringLiteral("name"),
                                      QStringLiteral("qmljsdebugger"),
                                      QStringLiteral("fontengine"),
                                      QStringLiteral("dialogs")};
const QStringList kQtFlags{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                           QStringLiteral("nograb"),  QStringLiteral("dograb"),
                           QStringLiteral("sync"),    QStringLiteral("testability")};

QStringList withoutQtOptions(const QStringList& arguments)
{
    QStringList ours;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (i == 0 || !word.startsWith(u'-') || word == QLatin1String("--")) {
            ours << word;
            continue;
        }
        const QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1).section(u'=', 0, 0);
        if (kQtOptionsWithValue.contains(name)) {
            if (!word.contains(u'='))
                ++i; // its value
        } else if (!kQtFlags.contains(name)) {
            ours << word;
        }
    }
    return ours;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kApplicationTitle);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Shows the program's version and exits."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Uses the simulated evaluation board instead of a USB control "
                       "module."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Prints the trace messages and every pipe transfer to standard "
                       "error, one line each."));
    const QCommandLineOption registerTool(
        QStringLiteral("register-tool"),
        QStringLiteral("Opens the I2C register tool after the normal start."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Uses the module with this serial number or on this USB port (BUS-PORT[.PORT...]); "
                       "without it, the program asks when several are plugged in."),
        QStringLiteral("SERIAL|BUS-PORT"));
    parser.addOptions({help, version, simulate, device, trace, registerTool});

    CommandLine result;
    if (!parser.parse(withoutQtOptions(arguments))) {
        result.action = CommandLine::Action::Error;
        result.text = parser.errorText() + QStringLiteral("\nTry '--help' for the options.");
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Error;
        result.text = QStringLiteral("Unexpected argument '%1'.\nTry '--help' for the options.")
                          .arg(parser.positionalArguments().constFirst());
        return result;
    }
    result.simulate = parser.isSet(simulate);
    result.trace = parser.isSet(trace);
    result.registerTool = parser.isSet(registerTool);
    result.device = parser.value(device);
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        // The parser names the program after argv[0]; we name it ourselves.
        result.text = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                                QStringLiteral("Usage: vtx-eval"));
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QStringLiteral("vtx-eval ") + versionString() + QLatin1Char('\n');
    }
    return result;
}

QStringList simulatedRestartArguments(const QStringList& arguments)
{
    QStringList restart;
    // A module chosen by --device names no simulated board: kept, it would leave the new program without one.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--device"))
            ++i; // and its value
        else if (!arguments[i].startsWith(QLatin1String("--device=")))
            restart << arguments[i];
    }
    if (!restart.contains(QStringLiteral("--simulate")))
        restart << QStringLiteral("--simulate");
    return restart;
}

} // namespace vtx::app
