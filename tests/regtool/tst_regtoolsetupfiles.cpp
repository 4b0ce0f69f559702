// Setup files through the window (the format itself is tst_setupfile's): the File menu and its dialogs, saving
// and loading back, the caption, refused texts, and failed loads and saves with their messages.
#include "common/yield.h"
#include "regtoolharness.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vtx;
using namespace vtx::test;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The file a freshly loaded window saves, with another header.
QByteArray defaultFile(const QByteArray& header)
{
    RegToolHarness h;
    QTemporaryDir dir;
    h.window->WriteParameters(dir.filePath(QStringLiteral("d.vtx")));
    return readAll(dir.filePath(QStringLiteral("d.vtx"))).replace("I2C ADDRESS , 9E", header);
}

const char* const kRowBoxes[] = {"Reg_Adr", "Reg_Desc", "txtBWrite", "txtRdByte"};

// The caption and every text the window saves, to check that a failed load changed none of them.
QStringList windowTexts(const RegToolHarness& h)
{
    QStringList texts{h.window->windowTitle(), h.texts({"txtI2CADR", "txtActualWrtAddress", "txtActualReadAddress"})};
    for (int r = 0; r < kRegisterRowCount; ++r)
        for (const char* base : kRowBoxes)
            texts << h.text(rowName(base, r));
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
        h.sim.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("I2C_General.vtx"));
        h.child<QAction>("mnuSetup_Save")->trigger();
        const QByteArray bytes = readAll(h.sim.fileDialogs.nextSaveName);
        QVERIFY(bytes.startsWith("I2C ADDRESS , 9E\r\n00,Veltrane Product ID,,\r\n01,Veltrane Product ID / revision number,,\r\n"));
        QVERIFY(bytes.endsWith("\r\n1D,Status2,,\r\n1E,,,\r\n1F,,,\r\n"));
        QCOMPARE(bytes.count("\r\n"), 33);
        QVERIFY(h.messages().isEmpty());
        QCOMPARE(h.window->windowTitle(), QStringLiteral("USB - I2C Communications  VELTRANE CORPORATION"));
        const FileDialogRequest& request = h.sim.fileDialogs.saveRequests.at(0);
        QCOMPARE(request.fileName + u'|' + request.defaultSuffix, QStringLiteral("I2C_General.vtx|vtx"));
        QCOMPARE(request.nameFilters, (QStringList{"All Files (*.*)", "I2C_General Setup Files (*.vtx)"}));
        QCOMPARE(request.selectedFilter, 1);
    }

    void aSavedSetupLoadsBackIntoTheWindow()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.vtx"));
        for (const auto& [box, text] : {std::pair{"txtI2CADR", "c0"}, {"Reg_Desc_2", "RX, TX gain"}, {"Reg_Desc_3", "  indented "},
                                        {"Reg_Desc_4", "5\" panel"}, {"Reg_Desc_5", "Temp\u00E9rature \u00B5A \u20AC \u03A9"},
                                        {"txtBWrite_6", "7f"}, {"txtRdByte_7", "--"}})
            h.setText(box, QString::fromUtf8(text));
        QStringList expected = windowTexts(h);
        h.sim.fileDialogs.nextSaveName = path;
        h.window->mnuSetup_Save_Click();
        QVERIFY(h.messages().isEmpty());
        QVERIFY(readAll(path).contains("\r\n02,\"RX, TX gain\",,\r\n03,\"  indented \",,\r\n04,5\" panel,,\r\n"));
        h.setText("txtI2CADR", "50");
        for (int r = 0; r < kRegisterRowCount; ++r)
            for (const char* base : kRowBoxes)
                h.setText(rowName(base, r), "x");
        h.sim.fileDialogs.nextOpenName = path;
        h.child<QAction>("mnuSetup_Open")->trigger();
        QVERIFY(h.messages().isEmpty());
        expected[0] = QStringLiteral("bench.vtx - Veltrane R2IZOR");
        expected[1] = QStringLiteral("c0 C0 C1");
        QCOMPARE(windowTexts(h), expected);
        QCOMPARE(h.sim.state.I2CWrtAdr + (h.sim.state.I2CRdAdr << 8), 0xC1C0);
        QVERIFY(h.sim.board.transferLog().empty()); // loading sends nothing
        const FileDialogRequest& request = h.sim.fileDialogs.openRequests.at(0);
        QCOMPARE(request.title, QStringLiteral("Select Setup File to Open"));
        QCOMPARE(request.nameFilters.value(1), QStringLiteral("I2C_General Setup Files (*.vtx)"));
    }

    void theHeaderAddressAndAZZRegisterAddress()
    {
        // A foreign header's address is taken; one too long for a number shows but leaves 9E in force.
        for (const auto& [header, shown, address] : {std::tuple{"ADDR , 50", "50 50 51", 0x50}, {"I2C ADDRESS , 12345", "12345 -- --", 0x9E},
                                                     {"I2C ADDRESS , C0", "C0 C0 C1", 0xC0}}) {
            RegToolHarness h;
            QTemporaryDir dir;
            writeFile(dir.filePath(QStringLiteral("other.vtx")), defaultFile(header).replace("\r\n14,,,\r\n", "\r\nZZ,,,\r\n"));
            h.window->Read_Param_File(dir.filePath(QStringLiteral("other.vtx")));
            QCOMPARE(h.texts({"txtI2CADR", "txtActualWrtAddress", "txtActualReadAddress"}), QString::fromUtf8(shown));
            QCOMPARE(int(h.sim.state.I2CWrtAdr), address);
            QCOMPARE(h.text("Reg_Adr_20"), QStringLiteral("ZZ"));
        }
        RegToolHarness h; // a "ZZ" address reads register 0
        h.useRegisterDevice();
        h.setText("Reg_Adr_20", "ZZ");
        h.click("cmdReadRegs");
        QCOMPARE(h.i2cCommands().value(20), QStringLiteral("01 C1 00"));
        QCOMPARE(h.text("txtRdByte_20"), QStringLiteral("83"));
    }

    void textsNoFileCanCarryAreRefusedBeforeAnythingIsWritten()
    {
        for (const auto& [box, text, what] : {
                 std::tuple{"Reg_Desc_3", "5\", wide", "the description of row 3 holds both a comma and a double quote"},
                 {"txtI2CADR", "\"9E", "the I2C address holds a double quote at its start"},
                 {"txtBWrite_31", " 1\"", "the write data of row 31 holds a double quote and a blank at its start or end"}}) {
            RegToolHarness h;
            QTemporaryDir dir;
            writeFile(h.sim.fileDialogs.nextSaveName = dir.filePath(QStringLiteral("old.vtx")), "old");
            h.setText(box, text);
            h.window->mnuSetup_Save_Click();
            QCOMPARE(h.messages(), QStringList{QStringLiteral("The setup was not saved: %1, which a setup file cannot carry. "
                                                              "Change that text and save again.").arg(what)});
            QCOMPARE(h.sim.messages.messages.front().caption, kApplicationTitle);
            QVERIFY(h.sim.fileDialogs.saveRequests.empty()); // told before the dialog
            QCOMPARE(readAll(h.sim.fileDialogs.nextSaveName), QByteArray("old"));
        }
    }

    void aFileThatCannotBeLoadedLeavesTheWindowUnchanged()
    {
        for (const auto& [exists, message] : {std::pair{true, "is incomplete: it holds 126 of the 130 fields a setup needs"},
                                              {false, "could not be opened: No such file or directory"}}) {
            RegToolHarness h;
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("short.vtx"));
            const QByteArray bytes = defaultFile("I2C ADDRESS , 50");
            if (exists)
                writeFile(path, bytes.first(bytes.indexOf("1F,"))); // the last row is missing
            h.setText("txtRdByte_3", "33");
            const QStringList before = windowTexts(h);
            h.sim.fileDialogs.nextOpenName = path;
            h.window->mnuSetup_Open_Click();
            QCOMPARE(h.messages(), QStringList{QStringLiteral("The setup file \"%1\" %2. Nothing was changed.")
                                                   .arg(QDir::toNativeSeparators(path), message)});
            QCOMPARE(windowTexts(h), before);
            QCOMPARE(h.sim.state.I2CWrtAdr, 0x9E);
        }
    }

    void openWaitsForARunningTransactionAndCancelDoesNothing()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        const QStringList before = windowTexts(h);
        h.window->mnuSetup_Open_Click(); // cancelled dialogs
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.sim.fileDialogs.openRequests.size() + h.sim.fileDialogs.saveRequests.size(), 2u);
        QCOMPARE(windowTexts(h), before);
        writeFile(h.sim.fileDialogs.nextOpenName = dir.filePath(QStringLiteral("later.vtx")), defaultFile("I2C ADDRESS , C0"));
        {
            const auto transaction = h.sim.link.guard().tryBegin();
            h.window->mnuSetup_Open_Click();
            QCOMPARE(h.sim.fileDialogs.openRequests.size(), 1u);
        }
        yieldEvents();
        QCOMPARE(h.sim.state.I2CWrtAdr, 0xC0);
        QCOMPARE(h.window->windowTitle(), QStringLiteral("later.vtx - Veltrane R2IZOR"));
        QVERIFY(h.messages().isEmpty());
    }

    void aFailedSaveIsToldAndTheEarlierFileKept()
    {
        RegToolHarness h;
        QTemporaryDir dir;
        // The temporary file beside a name this long cannot be created, so the save fails before the end.
        const QString path = dir.filePath(QString(250, QLatin1Char('s')) + QStringLiteral(".vtx"));
        writeFile(h.sim.fileDialogs.nextSaveName = path, "I2C ADDRESS , 50\r\n");
        h.window->mnuSetup_Save_Click();
        QCOMPARE(h.messages().size(), 1);
        const QString message = h.messages().front();
        QVERIFY2(message.startsWith(QStringLiteral("The setup file \"%1\" could not be saved: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(message));
        QVERIFY(message.endsWith(QStringLiteral(". Any earlier file of that name is unchanged.")));
        QCOMPARE(readAll(path), QByteArray("I2C ADDRESS , 50\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }
};

QTEST_MAIN(TestRegToolSetupFiles)
#include "tst_regtoolsetupfiles.moc"
