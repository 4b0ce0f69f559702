#include <QProcess>
#include <QTest>

// The built program's command line as a user meets it: exit codes and what it prints. None of these cases
// opens a window.
class TestExecutable : public QObject {
    Q_OBJECT
private:
    struct Run {
        int exitCode;
        QString out;
        QString err;
    };
    static Run run(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(VTX_EVAL_PATH), arguments);
        if (!process.waitForFinished(30000))
            qFatal("vtx-eval did not finish");
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private slots:
    void version()
    {
        const Run r = run({QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("vtx-eval 2.0.2\n"));
    }

    void help()
    {
        const Run r = run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QStringLiteral("--simulate")));
        QVERIFY(r.out.contains(QStringLiteral("--trace")));
    }

    void unknownOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("misspelt") << QStringList{"--simulat"} << "simulat";
        QTest::newRow("unknown with a good one") << QStringList{"--simulate", "--fast"} << "fast";
        QTest::newRow("stray word") << QStringList{"board"} << "board";
    }
    void unknownOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("vtx-eval: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(named), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestExecutable)
#include "tst_executable.moc"
