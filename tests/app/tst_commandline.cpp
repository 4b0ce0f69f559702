#include "commandline.h"

#include <QTest>

using vtx::app::CommandLine;
using vtx::app::parseCommandLine;

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<bool>("trace");
        QTest::newRow("nothing") << QStringList{} << CommandLine::Action::Run << false << false;
        QTest::newRow("simulate") << QStringList{"--simulate"} << CommandLine::Action::Run << true << false;
        QTest::newRow("trace") << QStringList{"--trace"} << CommandLine::Action::Run << false << true;
        QTest::newRow("both") << QStringList{"--trace", "--simulate"} << CommandLine::Action::Run << true << true;
        QTest::newRow("help") << QStringList{"--help"} << CommandLine::Action::ShowHelp << false << false;
        QTest::newRow("short help") << QStringList{"-h"} << CommandLine::Action::ShowHelp << false << false;
        QTest::newRow("version") << QStringList{"--version"} << CommandLine::Action::ShowVersion << false << false;
        QTest::newRow("unknown option") << QStringList{"--simulat"} << CommandLine::Action::Error << false << false;
        QTest::newRow("stray argument") << QStringList{"board"} << CommandLine::Action::Error << false << false;
    }
    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(bool, simulate);
        QFETCH(bool, trace);
        const CommandLine result = parseCommandLine(QStringList{"vtx-eval"} + arguments);
        QCOMPARE(result.action, action);
        if (action == CommandLine::Action::Run) {
            QCOMPARE(result.simulate, simulate);
            QCOMPARE(result.trace, trace);
        }
    }

    void registerToolOption()
    {
        QVERIFY(!parseCommandLine({"vtx-eval", "--simulate"}).registerTool);
        const CommandLine result = parseCommandLine({"vtx-eval", "--register-tool", "--simulate"});
        QCOMPARE(result.action, CommandLine::Action::Run);
        QVERIFY(result.registerTool);
        QVERIFY(result.simulate);
        QCOMPARE(parseCommandLine({"vtx-eval", "--register-tools"}).action, CommandLine::Action::Error);
    }

    void versionText()
    {
        QCOMPARE(parseCommandLine({"/usr/bin/vtx-eval", "--version"}).text, QStringLiteral("vtx-eval 2.0.2\n"));
    }

    void helpNamesEveryOption()
    {
        const QString help = parseCommandLine({"/some/where/vtx-eval", "--help"}).text;
        QVERIFY2(help.startsWith(QStringLiteral("Usage: vtx-eval")), qPrintable(help));
        for (const char* option : {"--simulate", "--trace", "--help", "--version", "--register-tool"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }

    void unknownOptionIsNamed()
    {
        const CommandLine result = parseCommandLine({"vtx-eval", "--bogus"});
        QCOMPARE(result.action, CommandLine::Action::Error);
        QVERIFY2(result.text.contains(QStringLiteral("bogus")), qPrintable(result.text));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
