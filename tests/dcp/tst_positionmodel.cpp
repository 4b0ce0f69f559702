#include "dcp/positionmodel.h"

#include <QTest>

using namespace vtx::dcp;

class TestPositionModel : public QObject {
    Q_OBJECT
private slots:
    void dataByte_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("registerMode");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 EEPROM") << 1 << false << 0x00 << "00";
        QTest::newRow("1 Register") << 1 << true << 0x01 << "01";
        QTest::newRow("65 EEPROM") << 65 << false << 0x80 << "80";
        QTest::newRow("65 Register") << 65 << true << 0x81 << "81";
        QTest::newRow("128 EEPROM") << 128 << false << 0xFE << "FE";
        QTest::newRow("128 Register") << 128 << true << 0xFF << "FF";
        QTest::newRow("10 Register") << 10 << true << 0x13 << "13";
        QTest::newRow("below range held at 1") << 0 << true << 0x01 << "01";
        QTest::newRow("above range held at 128") << 200 << false << 0xFE << "FE";
    }
    void dataByte()
    {
        QFETCH(int, position);
        QFETCH(bool, registerMode);
        QFETCH(int, byte);
        QFETCH(QString, text);
        const auto data = dataByteFor(position, registerMode ? ProgrammingMode::Register : ProgrammingMode::Eeprom);
        QCOMPARE(int(data), byte);
        QCOMPARE(dataByteText(data), text);
    }

    void readByte_data()
    {
        QTest::addColumn<int>("readByte");
        QTest::addColumn<int>("wiperCode");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("bar");
        QTest::newRow("0x00 full bar") << 0x00 << 0 << 1 << 128;
        QTest::newRow("0x01 bit 0 ignored") << 0x01 << 0 << 1 << 128;
        QTest::newRow("0x80") << 0x80 << 64 << 65 << 64;
        QTest::newRow("0x81") << 0x81 << 64 << 65 << 64;
        QTest::newRow("0xFE") << 0xFE << 127 << 128 << 1;
        QTest::newRow("0xFF") << 0xFF << 127 << 128 << 1;
    }
    void readByte()
    {
        QFETCH(int, readByte);
        QFETCH(int, wiperCode);
        QFETCH(int, position);
        QFETCH(int, bar);
        const auto byte = static_cast<std::uint8_t>(readByte);
        QCOMPARE(wiperCodeFromRead(byte), wiperCode);
        QCOMPARE(positionFromRead(byte), position);
        QCOMPARE(progressValueFromRead(byte), bar);
    }

    void itemTexts_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << " 1";
        QTest::newRow("65") << 65 << " 65";
        QTest::newRow("128") << 128 << " 128";
    }
    void itemTexts()
    {
        QFETCH(int, position);
        QFETCH(QString, text);
        QCOMPARE(positionItemText(position), text);
        QCOMPARE(positionFromItemText(text), std::optional<int>(position));
        QCOMPARE(listRowFor(position), position - 1);
        QCOMPARE(positionForRow(position - 1), position);
    }

    void itemTextsThatNameNoPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("zero") << " 0";
        QTest::newRow("129") << " 129";
        QTest::newRow("letters") << "ab";
    }
    void itemTextsThatNameNoPosition()
    {
        QFETCH(QString, text);
        QVERIFY(!positionFromItemText(text).has_value());
    }
};

QTEST_APPLESS_MAIN(TestPositionModel)
#include "tst_positionmodel.moc"
