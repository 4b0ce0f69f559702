// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/hex.h"
#include "common/programstate.h"
#include "common/textformat.h"
#include "widgets/lampcolor.h"

#include <QtTest>

using namespace vtx;

class TestHexAndFormats : public QObject {
    Q_OBJECT
private slots:
    void hexToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("9E") << "9E" << true << 158;
        QTest::newRow("lower case") << "9e" << true << 158;
        QTest::newRow("blank between digits") << "1 2" << true << 0x12;
        QTest::newRow("tab skipped") << "\tA" << true << 10;
        QTest::newRow("stops at comma") << "2A,5" << true << 0x2A;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("dashes") << "--" << true << 0;
        QTest::newRow("7FFF") << "7FFF" << true << 32767;
        QTest::newRow("8000 negative") << "8000" << true << -32768;
        QTest::newRow("FFFF is -1") << "FFFF" << true << -1;
        QTest::newRow("leading zeros do not count") << "0000FF" << true << 255;
        QTest::newRow("five digits do not fit") << "10000" << false << 0;
        QTest::newRow("100 fits") << "100" << true << 256;
    }
    void hexToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto result = HexToInt(text);
        QCOMPARE(result.has_value(), valid);
        if (valid)
            QCOMPARE(int(*result), value);
    }

    void formats_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hex 9E") << hexText(0x9E) << "9E";
        QTest::newRow("hex 5 no leading zero") << hexText(5) << "5";
        QTest::newRow("hex 0") << hexText(0) << "0";
        QTest::newRow("hex 32-bit") << hexText(0xC0000001u) << "C0000001";
        QTest::newRow("hex2 5") << hex2Text(5) << "05";
        QTest::newRow("hex2 FF") << hex2Text(0xFF) << "FF";
        QTest::newRow("decimal 0") << decimalText(0) << " 0";
        QTest::newRow("decimal 128") << decimalText(128) << " 128";
        QTest::newRow("decimal negative") << decimalText(-3) << "-3";
        QTest::newRow("no value") << kNoValue << "--";
    }
    void formats()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void paletteColours_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QColor>("rgb");
        QTest::newRow("0 black") << 0 << QColor(0, 0, 0);
        QTest::newRow("2 green") << 2 << QColor(0, 128, 0);
        QTest::newRow("8 grey") << 8 << QColor(128, 128, 128);
        QTest::newRow("9 light blue") << 9 << QColor(0, 0, 255);
        QTest::newRow("10 light green") << 10 << QColor(0, 255, 0);
        QTest::newRow("12 light red") << 12 << QColor(255, 0, 0);
        QTest::newRow("15 white") << 15 << QColor(255, 255, 255);
    }
    void paletteColours()
    {
        QFETCH(int, number);
        QTEST(toQColor(static_cast<LampColor>(number)), "rgb");
    }

    void successAlternates()
    {
        QCOMPARE(nextSuccessColor(LampColor::Black), LampColor::LightGreen);
        QCOMPARE(nextSuccessColor(LampColor::LightGreen), LampColor::Green);
        QCOMPARE(nextSuccessColor(LampColor::Green), LampColor::LightGreen);
        QCOMPARE(nextSuccessColor(LampColor::LightRed), LampColor::LightGreen);
    }

    void readAddressFollowsWriteAddress()
    {
        ProgramState state;
        QCOMPARE(state.I2CWrtAdr, 0x9E);
        QCOMPARE(state.I2CRdAdr, 0x9F);
        state.setWriteAddress(0xFF);
        QCOMPARE(state.I2CRdAdr, 0x00); // wraps modulo 256
        state.setWriteAddress(0x50);
        QCOMPARE(state.I2CRdAdr, 0x51);
    }
};

QTEST_GUILESS_MAIN(TestHexAndFormats)
#include "tst_hex.moc"
