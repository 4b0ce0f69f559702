#include "shell/aboutbox.h"
#include "shell/systeminfolauncher.h"

#include "recordingseams.h"

#include "common/appinfo.h"
#include "platform/systemservices.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// A system of the test's making: what the well-known place names, the search path, which files exist and
// which programs start.
class ScriptedSystem final : public SystemServices {
public:
    bool startProgram(const QString& path) override
    {
        attempts << path;
        return startable.contains(path);
    }
    bool fileExists(const QString& path) const override { return files.contains(path); }
    QString namedSystemInfoProgram() const override { return named; }
    QStringList programSearchPath() const override { return searchPath; }

    QString named;
    QStringList searchPath;
    QSet<QString> files;
    QSet<QString> startable;
    QStringList attempts;
};

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void texts()
    {
        ScriptedSystem system;
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout2"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About VTX830X I2C DCP EVALUATION SOFTWARE"));
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), kApplicationTitle);
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 2.0.2"));
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblDescription"))->text(), QString());
        QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblDisclaimer_0"))->text(),
                 QStringLiteral("ACCURACY OF INFORMATION"));
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("lblDisclaimer_1"))->text().isEmpty());
        QCOMPARE(box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(), QStringLiteral("&System Info..."));
        QVERIFY(box.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());
        QVERIFY(box.findChild<QWidget*>(QStringLiteral("picHalvoraLogo")));
        QVERIFY(!box.isModal());
    }

    void keysClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void keysClose()
    {
        QFETCH(int, key);
        ScriptedSystem system;
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QVERIFY(system.attempts.isEmpty());
    }

    void systemInfoLookUp_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QStringList>("searchPath");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("startable");
        QTest::addColumn<QStringList>("attempts");
        QTest::addColumn<bool>("unavailable");

        const QString first = shell::systemInfoProgramNames().constFirst();
        const QString inBin = QStringLiteral("/opt/tools/bin/") + first;
        QTest::newRow("named program starts")
            << "/opt/sysinfo/run" << QStringList{"/opt/tools/bin"} << QStringList{inBin}
            << QStringList{"/opt/sysinfo/run"} << QStringList{"/opt/sysinfo/run"} << false;
        QTest::newRow("named program fails: no second step")
            << "/opt/sysinfo/run" << QStringList{"/opt/tools/bin"} << QStringList{inBin} << QStringList{inBin}
            << QStringList{"/opt/sysinfo/run"} << true;
        QTest::newRow("nothing named: found on the path")
            << "" << QStringList{"/usr/local/bin", "/opt/tools/bin"} << QStringList{inBin} << QStringList{inBin}
            << QStringList{inBin} << false;
        QTest::newRow("nothing named: folder lacks the file")
            << "" << QStringList{"/opt/tools/bin"} << QStringList{} << QStringList{inBin} << QStringList{} << true;
        QTest::newRow("found but will not start")
            << "" << QStringList{"/opt/tools/bin"} << QStringList{inBin} << QStringList{} << QStringList{inBin}
            << true;
        QTest::newRow("nothing anywhere") << "" << QStringList{} << QStringList{} << QStringList{} << QStringList{}
                                          << true;
    }
    void systemInfoLookUp()
    {
        QFETCH(QString, named);
        QFETCH(QStringList, searchPath);
        QFETCH(QStringList, files);
        QFETCH(QStringList, startable);
        QFETCH(QStringList, attempts);
        QFETCH(bool, unavailable);
        ScriptedSystem system;
        system.named = named;
        system.searchPath = searchPath;
        system.files = QSet<QString>(files.begin(), files.end());
        system.startable = QSet<QString>(startable.begin(), startable.end());
        RecordingMessageBoxes messages;
        shell::AboutBox box(system, messages, QString{});
        box.show();
        box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
        QCOMPARE(system.attempts, attempts);
        if (unavailable) {
            QCOMPARE(messages.texts(), QStringList{QStringLiteral("System Information Is Unavailable At This Time")});
            QCOMPARE(messages.messages[0].caption, kApplicationTitle);
        } else {
            QVERIFY(messages.messages.empty());
        }
        QVERIFY(box.isVisible()); // the about box stays open either way
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
