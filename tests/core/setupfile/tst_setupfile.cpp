// SPDX-License-Identifier: GPL-3.0-or-later
// The setup-file format on its own: the quoting rule, texts we refuse, how files of earlier versions and
// foreign files read, and characters outside ASCII. Saving and loading files is checked through the window.
#include "setupfile/registermap.h"
#include "setupfile/setupfile.h"

#include <QTest>

using namespace vtx;
using namespace vtx::setupfile;

namespace {

Setup defaultSetup()
{
    Setup setup;
    setup.i2cAddress = QStringLiteral("9E");
    for (int r = 0; r < kRegisterRowCount; ++r)
        setup.rows[std::size_t(r)] = Row{QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper(),
                                         defaultRegisterDescription(r),
                                         {},
                                         {}};
    return setup;
}

// A header and the given first rows, the rest filled with rows "20,,," to "3f,,,".
QByteArray fileWithRows(const QByteArray& header, const QList<QByteArray>& firstRows = {})
{
    QByteArray bytes = header;
    for (int r = 0; r < kRegisterRowCount; ++r)
        bytes +=
            r < firstRows.size() ? firstRows[r] : QStringLiteral("%1,,,\r\n").arg(r + 0x20, 2, 16).toLatin1();
    return bytes;
}

const QByteArray kHeader = "I2C ADDRESS , 9E\r\n";

} // namespace

class TestSetupFile : public QObject {
    Q_OBJECT
private slots:
    void quotesFieldsThatNeedIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        // clang-format off
        QTest::newRow("plain") << "Control" << "Control";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("comma") << "RX, TX" << "\"RX, TX\"";
        QTest::newRow("leading blank") << " gain" << "\" gain\"";
        QTest::newRow("trailing blank") << "gain " << "\"gain \"";
        QTest::newRow("leading tab") << "\tgain" << "\"\tgain\"";
        QTest::newRow("inner quote") << "5\" panel" << "5\" panel";
        // clang-format on
    }
    void quotesFieldsThatNeedIt()
    {
        QFETCH(QString, text);
        QTEST(fieldText(text), "field");
    }

    void refusesTextsNoQuotingCarries_data()
    {
        using U = Unsavable;
        QTest::addColumn<QString>("text");
        QTest::addColumn<Unsavable>("reason");
        QTest::newRow("CR LF") << "two\r\nlines" << U::LineBreak;
        QTest::newRow("LF") << "two\nlines" << U::LineBreak;
        QTest::newRow("CR") << "two\rlines" << U::LineBreak;
        QTest::newRow("comma and quote") << "5\", wide" << U::CommaAndQuote;
        QTest::newRow("leading quote") << "\"quoted\"" << U::LeadingQuote;
        QTest::newRow("quote, leading blank") << " 5\"" << U::QuoteAndEdgeBlank;
        QTest::newRow("quote, trailing blank") << "5\" " << U::QuoteAndEdgeBlank;
        // A lone surrogate (high or low, alone or at either end) has no UTF-8 form.
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) << U::BrokenCharacter;
        QTest::newRow("low surrogate at the end")
            << QStringLiteral("Ctl") + QChar(0xDE00) << U::BrokenCharacter;
        QTest::newRow("low surrogate before a pair")
            << QChar(0xDE00) + QStringLiteral("\U0001F600") << U::BrokenCharacter;
        QTest::newRow("high surrogate after a comma")
            << QStringLiteral("a, b") + QChar(0xD800) << U::BrokenCharacter;
    }
    void refusesTextsNoQuotingCarries()
    {
        QFETCH(QString, text);
        QFETCH(Unsavable, reason);
        QCOMPARE(unsavableReason(text), reason);
    }

    void namesTheFirstUnsavableText()
    {
        Setup setup = defaultSetup(); // the first bad text in file order is named
        setup.rows[7].writeData = QStringLiteral("a\nb");
        setup.rows[3].description = QStringLiteral("5\", wide");
        QCOMPARE(findUnsavableText(setup)->where, QStringLiteral("description of row 3"));
        setup.i2cAddress = QStringLiteral("C0") + QChar(0xDC00);
        const auto broken = findUnsavableText(setup);
        QCOMPARE(broken->where, QStringLiteral("I2C address"));
        QCOMPARE(refusalMessage(*broken),
                 QStringLiteral(
                     "The setup was not saved: the I2C address holds a broken character (half of a UTF-16 "
                     "surrogate pair), which a setup file cannot carry. Change that text and save again."));
    }

    void everySavableTextReadsBackUnchanged()
    {
        for (const char* utf8 : {"Analog Settings", "", "--", "RX, TX", ",,,", "  indented", "gain ", "   ",
                                 "5\" panel", "inch\"", "Temp\u00E9rature \u00B5A", "\u03A9 \u2192 \u4E2D",
                                 "\u20AC \u2013 \u2014", "chip \U0001F600"}) {
            const QString text = QString::fromUtf8(utf8);
            QVERIFY2(!unsavableReason(text).has_value(), utf8);
            // In every kind of field: the address, and the first, middle and last of a row.
            Setup setup = defaultSetup();
            setup.i2cAddress = setup.rows[0].address = setup.rows[15].description = text;
            setup.rows[16].writeData = setup.rows[31].readData = text;
            const Decoded decoded = decode(encode(setup));
            QCOMPARE(decoded.fieldsFound, kFieldCount);
            QVERIFY2(decoded.setup.has_value() && *decoded.setup == setup, utf8);
        }
    }

    void reads_data()
    {
        const QByteArray full = encode(defaultSetup());
        QTest::addColumn<QByteArray>("bytes");
        // The address, then the fields of row 0 and of row 31; or, for a file refused, how many fields it
        // held.
        QTest::addColumn<QString>("fields");
        // clang-format off
        QTest::newRow("foreign header") << fileWithRows("ADDR , 50\r\n", {"00,Product,12,34\r\n"}) << "50|00|Product|12|34|3f|||";
        QTest::newRow("ZZ address") << fileWithRows(kHeader, {"ZZ,,,\r\n"}) << "9E|ZZ||||3f|||";
        QTest::newRow("bare LF") << "I2C ADDRESS , C0\n" + QByteArray("05,x,y,z\n").repeated(32) << "C0|05|x|y|z|05|x|y|z";
        QTest::newRow("blanks") << fileWithRows("I2C ADDRESS ,   9E  \r\n", {"  03 ,  Ctl  , 7F ,  \r\n"}) << "9E|03|Ctl|7F||3f|||";
        QTest::newRow("quoted") << fileWithRows("I2C ADDRESS , \"9E\"\r\n", {"01,\"RX, TX\",\" 5\",\"--\"\r\n"}) << "9E|01|RX, TX| 5|--|3f|||";
        QTest::newRow("text after a closing quote") << fileWithRows(kHeader, {"01,\"Ctl\"junk,A,B\r\n"}) << "9E|01|Ctl|A|B|3f|||";
        QTest::newRow("Windows-1252") << fileWithRows(kHeader, {"01,\xB5" "A \x80 \x96,,\r\n"}) << "9E|01|\u00B5A \u20AC \u2013|||3f|||";
        QTest::newRow("UTF-8 with BOM") << fileWithRows("\xEF\xBB\xBF" + kHeader, {"01,\xC2\xB5" "A,,\r\n"}) << "9E|01|\u00B5A|||3f|||";
        QTest::newRow("lines after the last") << fileWithRows(kHeader).append("extra,line\r\nmore\r\n") << "9E|20||||3f|||";
        QTest::newRow("no final line end") << fileWithRows(kHeader).chopped(2) << "9E|20||||3f|||";
        // A last letter of Windows-1252 that UTF-8 would take for the start of a character cut short.
        QTest::newRow("Windows-1252, no final line end") << fileWithRows(kHeader).chopped(2).append("caf\xE9") << "9E|20||||3f|||caf\u00E9";
        // An unquoted comma in an old file shifts the following fields, to the end of the file.
        QTest::newRow("unquoted comma") << fileWithRows(kHeader, {"00,RX, TX,,\r\n"}) << "9E|00|RX|TX|||3f||";
        QTest::newRow("empty") << QByteArray() << "refused after 0";
        QTest::newRow("header only") << kHeader << "refused after 2";
        QTest::newRow("last row missing") << full.first(full.lastIndexOf("1F,")) << "refused after 126";
        QTest::newRow("last fields cut") << full.chopped(4) << "refused after 128";
        QTest::newRow("unclosed quote") << fileWithRows(kHeader, {"00,\"open,,\r\n"}) << "refused after 4";
        // clang-format on
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        const Decoded decoded = decode(bytes);
        if (!decoded.setup) {
            QTEST(QStringLiteral("refused after %1").arg(decoded.fieldsFound), "fields");
            return;
        }
        QCOMPARE(decoded.fieldsFound, kFieldCount);
        QStringList fields{decoded.setup->i2cAddress};
        for (const Row& row : {decoded.setup->rows[0], decoded.setup->rows[31]})
            fields << row.address << row.description << row.writeData << row.readData;
        QTEST(fields.join(u'|'), "fields");
    }
};

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
