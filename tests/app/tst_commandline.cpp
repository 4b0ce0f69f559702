// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

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
                              << "--simulate --trace --help --version --register-tool";
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
