// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"
#include "modulechooser.h"

#include <QProcess>
#include <QTest>

using namespace vtx::app;
using Action = CommandLine::Action;

// The options as parsed, and the built program run as a user runs it: exit codes and what it prints.
class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse()
    {
        const CommandLine none = parseCommandLine({"vtx-eval"});
        QVERIFY(none.action == Action::Run && !none.simulate && !none.trace && !none.registerTool);
        const CommandLine all = parseCommandLine({"vtx-eval", "--trace", "--register-tool", "--simulate"});
        QVERIFY(all.action == Action::Run && all.simulate && all.trace && all.registerTool);
        const CommandLine simulate = parseCommandLine({"vtx-eval", "--simulate"});
        QVERIFY(simulate.simulate && !simulate.trace && !simulate.registerTool);
        QCOMPARE(parseCommandLine({"vtx-eval", "--device", "1-4.2"}).device, QStringLiteral("1-4.2"));
        QCOMPARE(parseCommandLine({"vtx-eval", "--device=VTX8303-A1"}).device, QStringLiteral("VTX8303-A1"));
        QVERIFY(parseCommandLine({"vtx-eval", "--device"}).action == Action::Error);
    }

    // The module the driver is to take. The chooser is asked once, with the modules listed, only when
    // several are plugged in and none is named; it answers with `answer` (-1: the user chose none).
    void chooseModule_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("plugged"); // the first this many of 1-1 (VTX8303-A1), 1-4.2 (none, in use)
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("asked"); // the lines the chooser showed; empty: not asked
        QTest::addColumn<QString>("chosen");    // "(none)": the program ends
        const QStringList both{"1-1        serial VTX8303-A1", "1-4.2      no serial number  in use"};
        QTest::newRow("the only one") << "" << 1 << 0 << QStringList{} << "";
        QTest::newRow("named, of two") << "VTX8303-A1" << 2 << 0 << QStringList{} << "VTX8303-A1";
        QTest::newRow("the second of two") << "" << 2 << 1 << both << "1-4.2";
        QTest::newRow("none of two") << "" << 2 << -1 << both << "(none)";
    }
    void chooseModule()
    {
        QFETCH(QString, named);
        QFETCH(int, plugged);
        QFETCH(int, answer);
        struct Recorder final : ModuleChooser {
            std::optional<int> choose(const QStringList& modules) override
            {
                asked << modules;
                ++calls;
                return answer < 0 ? std::nullopt : std::optional<int>(answer);
            }
            int answer = 0;
            int calls = 0;
            QStringList asked;
        } chooser;
        chooser.answer = answer;
        const std::vector<vtx::FoundModule> modules{{"1-1", "VTX8303-A1", false}, {"1-4.2", "", true}};
        const auto chosen =
            vtx::app::chooseModule(named, {modules.begin(), modules.begin() + plugged}, chooser);
        QTEST(chooser.asked, "asked");
        QCOMPARE(chooser.calls, chooser.asked.isEmpty() ? 0 : 1);
        QTEST(chosen.value_or(QStringLiteral("(none)")), "chosen");
    }

    // Qt's own options are left to QApplication, with their values; ours around them still count.
    void qtOptionsAreQts_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("style") << QStringList{"-style", "Fusion", "--simulate"};
        QTest::newRow("style=") << QStringList{"--simulate", "-style=Fusion"};
        QTest::newRow("platform") << QStringList{"-platform", "xcb", "--simulate"};
        QTest::newRow("two dashes") << QStringList{"--platform", "offscreen", "--simulate"};
        QTest::newRow("reverse") << QStringList{"-reverse", "--simulate"};
    }
    void qtOptionsAreQts()
    {
        QFETCH(QStringList, arguments);
        const CommandLine parsed = parseCommandLine(QStringList{"vtx-eval"} + arguments);
        QCOMPARE(parsed.text, QString());
        QVERIFY(parsed.action == Action::Run && parsed.simulate && !parsed.trace);
    }

    // "Use simulated board" in the start-up failure dialog starts the program again with the same options and
    // --simulate.
    void restartOnTheSimulatedBoard_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("restart");
        QTest::newRow("no options") << QStringList{"/usr/bin/vtx-eval"} << QStringList{"--simulate"};
        QTest::newRow("options kept") << QStringList{"vtx-eval", "--trace", "--register-tool"}
                                      << QStringList{"--trace", "--register-tool", "--simulate"};
        QTest::newRow("already simulated") << QStringList{"vtx-eval", "--simulate", "--trace"}
                                           << QStringList{"--simulate", "--trace"};
        QTest::newRow("module chosen") << QStringList{"vtx-eval", "--device", "1-1", "--trace", "--device=x"}
                                       << QStringList{"--trace", "--simulate"};
    }
    void restartOnTheSimulatedBoard()
    {
        QFETCH(QStringList, arguments);
        QTEST(simulatedRestartArguments(arguments), "restart");
    }

    // Standard output must start with "out" and standard error with "err" (each empty when empty), and
    // together they must name every word of "names".
    void run_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("names");
        QTest::newRow("version") << QStringList{"--version"} << 0 << "vtx-eval 2.0.2\n"
                                 << ""
                                 << "";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: vtx-eval"
                              << ""
                              << "--simulate --device --trace --help --version --register-tool";
        QTest::newRow("misspelt") << QStringList{"--simulat"} << 2 << ""
                                  << "vtx-eval: "
                                  << "simulat";
        QTest::newRow("unknown among good") << QStringList{"--simulate", "--fast"} << 2 << ""
                                            << "vtx-eval: "
                                            << "fast";
        QTest::newRow("a Qt option before ours")
            << QStringList{"-style", "Fusion", "--version"} << 0 << "vtx-eval 2.0.2\n"
            << ""
            << "";
    }
    void run()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, names);
        QProcess process;
        process.start(QStringLiteral(VTX_EVAL_PATH), arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), exitCode);
        QCOMPARE(stdOut.left(out.size()), out);
        QCOMPARE(stdErr.left(err.size()), err);
        QCOMPARE(stdOut.isEmpty(), out.isEmpty());
        QCOMPARE(stdErr.isEmpty(), err.isEmpty());
        for (const QString& name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2((stdOut + stdErr).contains(name), qPrintable(name));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
