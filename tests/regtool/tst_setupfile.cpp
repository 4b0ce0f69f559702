// The setup-file format on its own: what we write byte for byte, the quoting rule, texts we refuse, how
// files of earlier versions and foreign files read, characters outside ASCII, and the disk operations.
#include "regtool/registermap.h"
#include "regtool/setupfile.h"
#include "regtool/setupfilestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vtx;
using namespace vtx::setupfile;

Q_DECLARE_METATYPE(vtx::setupfile::Unsavable)

namespace {

Setup defaultSetup()
{
    Setup setup;
    setup.i2cAddress = QStringLiteral("9E");
    for (int r = 0; r < kRegisterRowCount; ++r)
        setup.rows[static_cast<std::size_t>(r)] =
            Row{QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper(),
                defaultRegisterDescription(r),
                {},
                {}};
    return setup;
}

QByteArray defaultFileBytes()
{
    // The file the window writes right after it opened, as earlier versions wrote it too.
    QByteArray bytes = "I2C ADDRESS , 9E\r\n";
    for (int r = 0; r < kRegisterRowCount; ++r)
        bytes += QStringLiteral("%1,%2,,\r\n")
                     .arg(r, 2, 16, QLatin1Char('0'))
                     .toUpper()
                     .arg(defaultRegisterDescription(r))
                     .toLatin1();
    return bytes;
}

QByteArray fileWithRows(const QByteArray& header, const QList<QByteArray>& firstRows)
{
    QByteArray bytes = header;
    for (int r = 0; r < kRegisterRowCount; ++r)
        bytes +=
            r < firstRows.size() ? firstRows[r] : QStringLiteral("%1,,,\r\n").arg(r + 0x20, 2, 16).toLatin1();
    return bytes;
}

} // namespace

class TestSetupFile : public QObject {
    Q_OBJECT
private slots:
    void encodesTheDefaultSetupLineByLine()
    {
        const QByteArray bytes = encode(defaultSetup());
        QCOMPARE(bytes, defaultFileBytes());
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 34); // 33 lines, each ended by CR LF, and nothing after the last
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QByteArray("I2C ADDRESS , 9E\r"));
        QCOMPARE(lines[1], QByteArray("00,Veltrane Product ID,,\r"));
        QCOMPARE(lines[21], QByteArray("14,,,\r"));
        QCOMPARE(lines[32], QByteArray("1F,,,\r"));
    }

    void fieldText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Control"
                               << "Control";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("no value") << "--"
                                  << "--";
        QTest::newRow("comma") << "RX, TX"
                               << "\"RX, TX\"";
        QTest::newRow("leading blank") << " gain"
                                       << "\" gain\"";
        QTest::newRow("trailing blank") << "gain "
                                        << "\"gain \"";
        QTest::newRow("leading tab") << "\tgain"
                                     << "\"\tgain\"";
        QTest::newRow("inner quote") << "5\" panel"
                                     << "5\" panel";
        QTest::newRow("inner blank") << "TA time"
                                     << "TA time";
    }
    void fieldText()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(setupfile::fieldText(text), field);
    }

    void refusesTextsNoQuotingCarries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Unsavable>("reason");
        QTest::newRow("CR LF") << "two\r\nlines" << Unsavable::LineBreak;
        QTest::newRow("LF") << "two\nlines" << Unsavable::LineBreak;
        QTest::newRow("CR") << "two\rlines" << Unsavable::LineBreak;
        QTest::newRow("comma and quote") << "5\", wide" << Unsavable::CommaAndQuote;
        QTest::newRow("leading quote") << "\"quoted\"" << Unsavable::LeadingQuote;
        QTest::newRow("lone leading quote") << "\"x" << Unsavable::LeadingQuote;
        QTest::newRow("quote and leading blank") << " 5\"" << Unsavable::QuoteAndEdgeBlank;
        QTest::newRow("quote and trailing blank") << "5\" " << Unsavable::QuoteAndEdgeBlank;
    }
    void refusesTextsNoQuotingCarries()
    {
        QFETCH(QString, text);
        QFETCH(Unsavable, reason);
        QCOMPARE(unsavableReason(text), std::optional<Unsavable>(reason));
    }

    void refusalNamesTheFirstBadTextInFileOrder()
    {
        Setup setup = defaultSetup();
        setup.rows[7].writeData = QStringLiteral("a\nb");
        setup.rows[3].description = QStringLiteral("5\", wide");
        const auto problem = findUnsavableText(setup);
        QVERIFY(problem.has_value());
        QCOMPARE(problem->where, QStringLiteral("description of row 3"));
        QCOMPARE(refusalMessage(*problem),
                 QStringLiteral(
                     "The setup was not saved: the description of row 3 holds both a comma and a double "
                     "quote, which a setup file cannot carry. Change that text and save again."));
        setup.rows[3].description.clear();
        QCOMPARE(refusalMessage(*findUnsavableText(setup)),
                 QStringLiteral(
                     "The setup was not saved: the write data of row 7 holds a line break, which a setup "
                     "file cannot carry. Change that text and save again."));
        setup.rows[7].writeData.clear();
        setup.i2cAddress = QStringLiteral("\"9E");
        QCOMPARE(findUnsavableText(setup)->where, QStringLiteral("I2C address"));
        setup.i2cAddress = QStringLiteral("9E");
        QVERIFY(!findUnsavableText(setup).has_value());
    }

    void everySavableTextReadsBackUnchanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Analog Settings";
        QTest::newRow("empty") << "";
        QTest::newRow("no value") << "--";
        QTest::newRow("comma") << "RX, TX";
        QTest::newRow("only commas") << ",,,";
        QTest::newRow("leading blanks") << "  indented";
        QTest::newRow("trailing blank") << "gain ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("inner quote") << "5\" panel";
        QTest::newRow("trailing quote") << "inch\"";
        QTest::newRow("Latin-1") << "Temp\u00E9rature \u00B5A";
        QTest::newRow("outside Windows-1252") << "\u03A9 \u2192 \u4E2D";
        QTest::newRow("euro and dashes") << "\u20AC \u2013 \u2014";
    }
    void everySavableTextReadsBackUnchanged()
    {
        QFETCH(QString, text);
        QVERIFY(!unsavableReason(text).has_value());
        // In every kind of field: the address, and first, middle and last field of a row.
        Setup setup = defaultSetup();
        setup.i2cAddress = text;
        setup.rows[0].address = text;
        setup.rows[15].description = text;
        setup.rows[16].writeData = text;
        setup.rows[31].readData = text;
        const Decoded decoded = decode(encode(setup));
        QCOMPARE(decoded.fieldsFound, kFieldCount);
        QVERIFY(decoded.setup.has_value());
        QCOMPARE(decoded.setup->i2cAddress, text);
        QCOMPARE(decoded.setup->rows[0].address, text);
        QCOMPARE(decoded.setup->rows[15].description, text);
        QCOMPARE(decoded.setup->rows[16].writeData, text);
        QCOMPARE(decoded.setup->rows[31].readData, text);
        QVERIFY(*decoded.setup == setup);
    }

    void writesUtf8()
    {
        Setup setup = defaultSetup();
        setup.rows[2].description = QStringLiteral("\u00B5A \u20AC");
        const QByteArray bytes = encode(setup);
        QVERIFY(bytes.contains("02,\xC2\xB5"
                               "A \xE2\x82\xAC,,\r\n"));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("registerText");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("writeData");
        QTest::addColumn<QString>("readData");

        QTest::newRow("foreign header")
            << fileWithRows("ADDR , 50\r\n", {"00,Product,12,34\r\n"}) << "50" << 0 << "00"
            << "Product"
            << "12"
            << "34";
        QTest::newRow("ZZ address") << fileWithRows("I2C ADDRESS , 9E\r\n", {"00,a,,\r\n", "ZZ,,,\r\n"})
                                    << "9E" << 1 << "ZZ"
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("bare LF line ends")
            << QByteArray("I2C ADDRESS , C0\n").append(QByteArray("05,x,y,z\n").repeated(32)) << "C0" << 31
            << "05"
            << "x"
            << "y"
            << "z";
        QTest::newRow("blanks around fields")
            << fileWithRows("I2C ADDRESS ,   9E  \r\n", {"  03 ,  Control  , 7F ,  \r\n"}) << "9E" << 0
            << "03"
            << "Control"
            << "7F"
            << "";
        QTest::newRow("quoted fields")
            << fileWithRows("I2C ADDRESS , \"9E\"\r\n", {"01,\"RX, TX\",\" 5\",\"--\"\r\n"}) << "9E" << 0
            << "01"
            << "RX, TX"
            << " 5"
            << "--";
        QTest::newRow("text after a closing quote is dropped")
            << fileWithRows("I2C ADDRESS , 9E\r\n", {"01,\"Ctl\"junk,A,B\r\n"}) << "9E" << 0 << "01"
            << "Ctl"
            << "A"
            << "B";
        QTest::newRow("Windows-1252") << fileWithRows("I2C ADDRESS , 9E\r\n", {"01,\xB5"
                                                                               "A \x80 \x96,,\r\n"})
                                      << "9E" << 0 << "01"
                                      << "\u00B5A \u20AC \u2013"
                                      << ""
                                      << "";
        QTest::newRow("UTF-8 with byte order mark")
            << fileWithRows("\xEF\xBB\xBFI2C ADDRESS , 9E\r\n", {"01,\xC2\xB5"
                                                                 "A,,\r\n"})
            << "9E" << 0 << "01"
            << "\u00B5A"
            << ""
            << "";
        QTest::newRow("anything after the last field")
            << fileWithRows("I2C ADDRESS , 9E\r\n", {}).append("extra,line\r\nmore\r\n") << "9E" << 31 << "3f"
            << ""
            << ""
            << "";
        QTest::newRow("last line without line end")
            << fileWithRows("I2C ADDRESS , 9E\r\n", {}).chopped(2) << "9E" << 31 << "3f"
            << ""
            << ""
            << "";
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, address);
        QFETCH(int, row);
        const Decoded decoded = decode(bytes);
        QCOMPARE(decoded.fieldsFound, kFieldCount);
        QVERIFY(decoded.setup.has_value());
        QCOMPARE(decoded.setup->i2cAddress, address);
        const Row& got = decoded.setup->rows[static_cast<std::size_t>(row)];
        QTEST(got.address, "registerText");
        QTEST(got.description, "description");
        QTEST(got.writeData, "writeData");
        QTEST(got.readData, "readData");
    }

    void anUnquotedCommaInAnOldFileShiftsTheFollowingFields()
    {
        const QByteArray bytes = fileWithRows("I2C ADDRESS , 9E\r\n", {"00,RX, TX,,\r\n", "01,b,,\r\n"});
        const Decoded decoded = decode(bytes);
        QVERIFY(decoded.setup.has_value());
        QCOMPARE(decoded.setup->rows[0].description, QStringLiteral("RX"));
        QCOMPARE(decoded.setup->rows[0].writeData, QStringLiteral("TX"));
        QCOMPARE(decoded.setup->rows[1].address, QString()); // the last empty field of row 0
        QCOMPARE(decoded.setup->rows[1].description, QStringLiteral("01"));
    }

    void incompleteFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fieldsFound");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("header only") << QByteArray("I2C ADDRESS , 9E\r\n") << 2;
        QTest::newRow("last row missing")
            << defaultFileBytes().first(defaultFileBytes().lastIndexOf("1F,")) << 126;
        QTest::newRow("cut in the last row") << defaultFileBytes().chopped(4) << 128;
        QTest::newRow("unterminated quote") << fileWithRows("I2C ADDRESS , 9E\r\n", {"00,\"open,,\r\n"}) << 4;
    }
    void incompleteFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        const Decoded decoded = decode(bytes);
        QVERIFY(!decoded.setup.has_value());
        QTEST(decoded.fieldsFound, "fieldsFound");
    }

    void savesAndLoadsFromDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("I2C_General.vtx"));
        Setup setup = defaultSetup();
        setup.rows[4].description = QStringLiteral("RX, Control \u00B5");
        QCOMPARE(saveFile(path, setup), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), encode(setup));
        const LoadResult loaded = loadFile(path);
        QVERIFY(loaded.error.isEmpty());
        QVERIFY(loaded.setup.has_value());
        QVERIFY(*loaded.setup == setup);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("I2C_General.vtx")});
    }

    void aMissingFileIsToldAndNothingLoaded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("none.vtx"));
        const LoadResult loaded = loadFile(path);
        QVERIFY(!loaded.setup.has_value());
        QCOMPARE(loaded.error,
                 QStringLiteral("The setup file \"%1\" could not be opened: No such file or directory. "
                                "Nothing was changed.")
                     .arg(QDir::toNativeSeparators(path)));
    }

    void aTruncatedFileIsToldAndNothingLoaded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("short.vtx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Rows 0 to 7 only: the header's two fields and four for each of the eight rows.
        file.write(defaultFileBytes().first(defaultFileBytes().indexOf("08,")));
        file.close();
        const LoadResult loaded = loadFile(path);
        QVERIFY(!loaded.setup.has_value());
        QCOMPARE(loaded.error,
                 QStringLiteral("The setup file \"%1\" is incomplete: it holds 34 of the 130 fields a "
                                "setup needs. Nothing was changed.")
                     .arg(QDir::toNativeSeparators(path)));
    }

    void aRefusedSaveWritesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.vtx"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        Setup setup = defaultSetup();
        setup.rows[9].readData = QStringLiteral("a\r\nb");
        const auto error = saveFile(path, setup);
        QVERIFY(error.has_value());
        QCOMPARE(*error,
                 QStringLiteral("The setup was not saved: the read data of row 9 holds a line break, which a "
                                "setup file cannot carry. Change that text and save again."));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    void aSaveThatCannotCreateTheFileIsTold()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing-folder/I2C_General.vtx"));
        const auto error = saveFile(path, defaultSetup());
        QVERIFY(error.has_value());
        QVERIFY2(error->startsWith(QStringLiteral("The setup file \"%1\" could not be saved: ")
                                       .arg(QDir::toNativeSeparators(path))),
                 qPrintable(*error));
        QVERIFY(error->endsWith(QStringLiteral(". Any earlier file of that name is unchanged.")));
        QVERIFY(!QFile::exists(path));
    }

    void aSaveThatFailsLeavesTheEarlierFileAsItWas()
    {
        // A name so long that the temporary file beside it cannot be created, while the file itself can
        // exist: the save fails before the earlier file is touched.
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(250, QLatin1Char('s')) + QStringLiteral(".vtx"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("I2C ADDRESS , 50\r\n");
        old.close();
        const auto error = saveFile(path, defaultSetup());
        QVERIFY(error.has_value());
        QVERIFY(error->endsWith(QStringLiteral(". Any earlier file of that name is unchanged.")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("I2C ADDRESS , 50\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
