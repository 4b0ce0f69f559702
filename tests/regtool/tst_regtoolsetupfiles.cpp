// Setup files through the window: the File menu, the dialogs, what a saved file holds byte for byte, loading
// back, refused texts, and loads and saves that fail.
#include "common/yield.h"
#include "regtool/registermap.h"
#include "regtoolharness.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace vtx;
using namespace vtx::test;

namespace {

QString name(const char* base, int row)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(row);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray defaultFile()
{
    QByteArray bytes = "I2C ADDRESS , 9E\r\n";
    for (int r = 0; r < kRegisterRowCount; ++r)
        bytes += QStringLiteral("%1,%2,,\r\n")
                     .arg(QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper(),
                          defaultRegisterDescription(r))
                     .toLatin1();
    return bytes;
}

// Every text the window saves, to check that a failed load changed none of them.
QStringList windowTexts(const RegToolHarness& h)
{
    QStringList texts{h.window->windowTitle(), h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->text(),
                      h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(),
                      h.child<QLineEdit>(QStringLiteral("txtActualReadAddress"))->text()};
    for (int r = 0; r < kRegisterRowCount; ++r)
        for (const char* base : {"Reg_Adr", "Reg_Desc", "txtBWrite", "txtRdByte"})
            texts << h.child<QLineEdit>(name(base, r))->text();
    return texts;
}

} // namespace

class TestRegToolSetupFiles : public QObject {
    Q_OBJECT
private slots:
    void saveRightAfterLoadWritesTheDefaultFile()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("I2C_General.vtx"));
        h.sim.fileDialogs.nextSaveName = path;
        h.child<QAction>(QStringLiteral("mnuSetup_Save"))->trigger();
        QCOMPARE(readAll(path), defaultFile());
        QVERIFY(h.sim.messages.messages.empty());
        QCOMPARE(h.window->windowTitle(), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION"));

        QCOMPARE(h.sim.fileDialogs.saveRequests.size(), 1u);
        const FileDialogRequest& request = h.sim.fileDialogs.saveRequests.front();
        QCOMPARE(request.title, QString());
        QCOMPARE(request.fileName, QStringLiteral("I2C_General.vtx"));
        QCOMPARE(request.nameFilters, (QStringList{QStringLiteral("All Files (*.*)"),
                                                   QStringLiteral("I2C_General Setup Files (*.vtx)")}));
        QCOMPARE(request.selectedFilter, 1);
        QCOMPARE(request.defaultSuffix, QStringLiteral("vtx"));
    }

    void aSavedSetupLoadsBackIntoTheWindow()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.vtx"));
        h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->setText(QStringLiteral("c0"));
        h.child<QLineEdit>(name("Reg_Desc", 2))->setText(QStringLiteral("RX, TX gain"));
        h.child<QLineEdit>(name("Reg_Desc", 3))->setText(QStringLiteral("  indented "));
        h.child<QLineEdit>(name("Reg_Desc", 4))->setText(QStringLiteral("5\" panel"));
        h.child<QLineEdit>(name("Reg_Desc", 5))
            ->setText(QStringLiteral("Temp\u00E9rature \u00B5A \u20AC \u03A9"));
        h.child<QLineEdit>(name("txtBWrite", 6))->setText(QStringLiteral("7f"));
        h.child<QLineEdit>(name("txtRdByte", 7))->setText(QStringLiteral("--"));
        const QStringList saved = windowTexts(h);
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_Save_Click();
        QVERIFY(h.sim.messages.messages.empty());
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith("I2C ADDRESS , c0\r\n"));
        QVERIFY(bytes.contains("\r\n02,\"RX, TX gain\",,\r\n"));
        QVERIFY(bytes.contains("\r\n03,\"  indented \",,\r\n"));
        QVERIFY(bytes.contains("\r\n04,5\" panel,,\r\n"));
        QVERIFY(bytes.contains("\r\n05,Temp\xC3\xA9rature \xC2\xB5"
                               "A \xE2\x82\xAC \xCE\xA9,,\r\n"));
        QVERIFY(bytes.contains("\r\n06,Test Registers,7f,\r\n"));
        QVERIFY(bytes.contains("\r\n07,Error Counter,,--\r\n"));

        // Change everything, then load the file back.
        h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->setText(QStringLiteral("50"));
        for (int r = 0; r < kRegisterRowCount; ++r)
            for (const char* base : {"Reg_Adr", "Reg_Desc", "txtBWrite", "txtRdByte"})
                h.child<QLineEdit>(name(base, r))->setText(QStringLiteral("x"));
        h.sim.fileDialogs.nextOpenName = path;
        h.child<QAction>(QStringLiteral("mnuSetup_Open"))->trigger();
        QVERIFY(h.sim.messages.messages.empty());
        QCOMPARE(h.window->windowTitle(), QStringLiteral("bench.vtx - Veltrane R2IZOR"));
        QStringList expected = saved;
        expected[0] = QStringLiteral("bench.vtx - Veltrane R2IZOR");
        expected[2] = QStringLiteral("C0");
        expected[3] = QStringLiteral("C1");
        QCOMPARE(windowTexts(h), expected);
        QCOMPARE(h.sim.state.I2CWrtAdr, 0xC0);
        QCOMPARE(h.sim.state.I2CRdAdr, 0xC1);
        QVERIFY(h.sim.board.transferLog().empty()); // loading sends nothing

        const FileDialogRequest& request = h.sim.fileDialogs.openRequests.front();
        QCOMPARE(request.title, QStringLiteral("Select Setup File to Open"));
        QCOMPARE(request.fileName, QString());
        QCOMPARE(request.nameFilters.size(), 2);
        QCOMPARE(request.nameFilters.at(1), QStringLiteral("I2C_General Setup Files (*.vtx)"));
        QCOMPARE(request.selectedFilter, 1);
        QCOMPARE(request.defaultSuffix, QStringLiteral("vtx"));
    }

    void theDefaultFileLoadsWithItsCaption()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("I2C_General.vtx"));
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_Save_Click();
        h.child<QLineEdit>(name("Reg_Desc", 0))->setText(QStringLiteral("changed"));
        h.sim.fileDialogs.nextOpenName = path;
        h.window->mnuSetup_Open_Click();
        QCOMPARE(h.window->windowTitle(), QStringLiteral("I2C_General.vtx - Veltrane R2IZOR"));
        QCOMPARE(h.child<QLineEdit>(name("Reg_Desc", 0))->text(), QStringLiteral("Veltrane Product ID"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(), QStringLiteral("9E"));
    }

    void aForeignHeaderLoadsItsAddress()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.vtx"));
        QByteArray bytes = defaultFile();
        bytes.replace("I2C ADDRESS , 9E", "ADDR , 50");
        writeFile(path, bytes);
        h.window->Read_Param_File(path);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->text(), QStringLiteral("50"));
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x50);
        QCOMPARE(h.sim.state.I2CRdAdr, 0x51);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(), QStringLiteral("50"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualReadAddress"))->text(), QStringLiteral("51"));
    }

    void aZZAddressLoadsAndReadsRegisterZero()
    {
        RegToolHarness h;
        h.useRegisterDevice();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zz.vtx"));
        QByteArray bytes = defaultFile();
        bytes.replace("I2C ADDRESS , 9E", "I2C ADDRESS , C0");
        bytes.replace("\r\n14,,,\r\n", "\r\nZZ,,,\r\n");
        writeFile(path, bytes);
        h.window->Read_Param_File(path);
        QCOMPARE(h.child<QLineEdit>(name("Reg_Adr", 20))->text(), QStringLiteral("ZZ"));
        h.child<QPushButton>(QStringLiteral("cmdReadRegs"))->click();
        QCOMPARE(h.i2cCommands().size(), 32);
        QCOMPARE(h.i2cCommands().at(20), QStringLiteral("01 C1 00"));
    }

    void anAddressTooLongForANumberKeepsTheAddressInForce()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.vtx"));
        QByteArray bytes = defaultFile();
        bytes.replace("I2C ADDRESS , 9E", "I2C ADDRESS , 12345");
        writeFile(path, bytes);
        h.window->Read_Param_File(path);
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtI2CADR"))->text(), QStringLiteral("12345"));
        QCOMPARE(h.child<QLineEdit>(QStringLiteral("txtActualWrtAddress"))->text(), QStringLiteral("--"));
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
    }

    void textsNoFileCanCarryAreRefusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("comma and quote")
            << "Reg_Desc_3"
            << "5\", wide"
            << "The setup was not saved: the description of row 3 holds both a comma and a "
               "double quote, which a setup file cannot carry. Change that text and save again.";
        QTest::newRow("leading quote")
            << "txtI2CADR"
            << "\"9E"
            << "The setup was not saved: the I2C address holds a double quote at its start, "
               "which a setup file cannot carry. Change that text and save again.";
        QTest::newRow("quote and blank")
            << "txtBWrite_31"
            << " 1\""
            << "The setup was not saved: the write data of row 31 holds a double quote and a "
               "blank at its start or end, which a setup file cannot carry. Change that text "
               "and save again.";
    }
    void textsNoFileCanCarryAreRefusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.vtx"));
        writeFile(path, "old");
        h.child<QLineEdit>(box)->setText(text);
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.sim.messages.texts(), QStringList{message});
        QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
        QVERIFY(h.sim.fileDialogs.saveRequests.empty()); // told before the dialog
        QCOMPARE(readAll(path), QByteArray("old"));
    }

    void aTruncatedFileIsRefusedWithTheWindowUnchanged()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("short.vtx"));
        QByteArray bytes = defaultFile();
        bytes.replace("I2C ADDRESS , 9E", "I2C ADDRESS , 50");
        writeFile(path, bytes.first(bytes.indexOf("1F,"))); // the last row is missing
        h.child<QLineEdit>(name("txtRdByte", 3))->setText(QStringLiteral("33"));
        const QStringList before = windowTexts(h);
        h.sim.fileDialogs.nextOpenName = path;
        h.window->mnuSetup_Open_Click();
        QCOMPARE(
            h.sim.messages.texts(),
            QStringList{
                QStringLiteral("The setup file \"%1\" is incomplete: it holds 126 of the 130 fields a setup "
                               "needs. Nothing was changed.")
                    .arg(QDir::toNativeSeparators(path))});
        QCOMPARE(windowTexts(h), before);
        QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
    }

    void aMissingFileIsToldWithTheWindowUnchanged()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gone.vtx"));
        const QStringList before = windowTexts(h);
        h.window->Read_Param_File(path);
        QCOMPARE(h.sim.messages.texts(),
                 QStringList{
                     QStringLiteral("The setup file \"%1\" could not be opened: No such file or directory. "
                                    "Nothing was changed.")
                         .arg(QDir::toNativeSeparators(path))});
        QCOMPARE(windowTexts(h), before);
    }

    void openWaitsForARunningTransaction()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("later.vtx"));
        QByteArray bytes = defaultFile();
        bytes.replace("I2C ADDRESS , 9E", "I2C ADDRESS , C0");
        writeFile(path, bytes);
        h.sim.fileDialogs.nextOpenName = path;
        {
            const auto transaction = h.sim.link.guard().tryBegin();
            h.window->mnuSetup_Open_Click();
            QVERIFY(h.sim.fileDialogs.openRequests.empty());
            QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
        }
        yieldEvents();
        QCOMPARE(h.sim.fileDialogs.openRequests.size(), 1u);
        QCOMPARE(h.sim.state.I2CWrtAdr, 0xC0);
        QCOMPARE(h.window->windowTitle(), QStringLiteral("later.vtx - Veltrane R2IZOR"));
    }

    void cancelledDialogsDoNothing()
    {
        RegToolHarness h;
        const QStringList before = windowTexts(h);
        h.window->mnuSetup_Open_Click();
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.sim.fileDialogs.openRequests.size(), 1u);
        QCOMPARE(h.sim.fileDialogs.saveRequests.size(), 1u);
        QVERIFY(h.sim.messages.messages.empty());
        QCOMPARE(windowTexts(h), before);
    }

    void aFailedSaveIsToldAndTheEarlierFileKept()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        // The temporary file beside a name this long cannot be created, so the save fails before the end.
        const QString path = dir.filePath(QString(250, QLatin1Char('s')) + QStringLiteral(".vtx"));
        writeFile(path, "I2C ADDRESS , 50\r\n");
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.sim.messages.messages.size(), 1u);
        const QString message = h.sim.messages.texts().front();
        QVERIFY2(message.startsWith(QStringLiteral("The setup file \"%1\" could not be saved: ")
                                        .arg(QDir::toNativeSeparators(path))),
                 qPrintable(message));
        QVERIFY(message.endsWith(QStringLiteral(". Any earlier file of that name is unchanged.")));
        QCOMPARE(readAll(path), QByteArray("I2C ADDRESS , 50\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    void aSaveIntoAMissingFolderIsTold()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no-such-folder/I2C_General.vtx"));
        h.window->WriteParameters(path);
        QCOMPARE(h.sim.messages.messages.size(), 1u);
        QVERIFY(h.sim.messages.texts().front().contains(QStringLiteral("could not be saved")));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestRegToolSetupFiles)
#include "tst_regtoolsetupfiles.moc"
