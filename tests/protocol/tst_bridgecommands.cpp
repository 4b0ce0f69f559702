// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/bridgecommands.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::protocol;
using ByteList = QList<int>;

namespace {

ByteList toList(const Bytes& bytes)
{
    return ByteList(bytes.begin(), bytes.end());
}

} // namespace

class TestBridgeCommands : public QObject {
    Q_OBJECT
private slots:
    void moduleCommands_data();
    void moduleCommands();
    void i2cCommands_data();
    void i2cCommands();
    void bridgeKind_data();
    void bridgeKind();
    void replyJudgedByCount_data();
    void replyJudgedByCount();
    void shortReplyReadsAsZeros();
};

void TestBridgeCommands::moduleCommands_data()
{
    QTest::addColumn<ByteList>("actual");
    QTest::addColumn<ByteList>("expected");

    QTest::newRow("bridge query") << toList(bridgeQuery()) << ByteList{0xFF, 0x02, 0xFF, 0xFF, 0x02};
    QTest::newRow("serial set-up 1") << toList(serialSetupFirst()) << ByteList{0x00, 0x10, 0x40};
    QTest::newRow("serial set-up 2") << toList(serialSetupSecond()) << ByteList{0x00, 0x10};
    QTest::newRow("test good") << toList(testResultSignal(true)) << ByteList{0xFF, 0x02};
    QTest::newRow("test failed") << toList(testResultSignal(false)) << ByteList{0xFF, 0x01};
    QTest::newRow("direct write") << toList(directRegisterWrite(0x12, 0x34)) << ByteList{0x12, 0x34};
    QTest::newRow("direct write clears bit 7")
        << toList(directRegisterWrite(0xFF, 0x01)) << ByteList{0x7F, 0x01};
}

void TestBridgeCommands::moduleCommands()
{
    QFETCH(ByteList, actual);
    QFETCH(ByteList, expected);
    QCOMPARE(actual, expected);
}

void TestBridgeCommands::i2cCommands_data()
{
    QTest::addColumn<ByteList>("request");
    QTest::addColumn<int>("replyLength");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<ByteList>("wantRequest");
    QTest::addColumn<int>("wantReplyLength");
    QTest::addColumn<int>("wantCount");

    const auto row = [](const char* name, const I2cCommand& c, ByteList bytes, int length, int count) {
        QTest::newRow(name) << toList(c.request) << c.replyLength << int(c.expectedCount) << bytes << length
                            << count;
    };
    row("DCP write 65 register mode", writeByte(0x9E, 0x81), {0x01, 0x9E, 0x81}, 2, 2);
    row("write 55", writeByte(0x9E, 0x55), {0x01, 0x9E, 0x55}, 2, 2);
    row("read current", readCurrent(0x9F), {0x01, 0x9F}, 2, 1);
    row("read address 00 after FF", readCurrent(0x00), {0x01, 0x00}, 2, 1);
    row("register read", readRegister(0xC1, 0x1F), {0x01, 0xC1, 0x1F}, 2, 1);
    row("register write 05=80", writeRegister(0x9E, 0x05, 0x80), {0x01, 0x9E, 0x05, 0x80}, 2, 3);
    row("communication test reads 3", communicationTest(0x9F), {0x01, 0x9F}, 3, 1);
}

void TestBridgeCommands::i2cCommands()
{
    QFETCH(ByteList, request);
    QFETCH(int, replyLength);
    QFETCH(int, expectedCount);
    QFETCH(ByteList, wantRequest);
    QFETCH(int, wantReplyLength);
    QFETCH(int, wantCount);
    QCOMPARE(request, wantRequest);
    QCOMPARE(replyLength, wantReplyLength);
    QCOMPARE(expectedCount, wantCount);
}

void TestBridgeCommands::bridgeKind_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("pipe");

    QTest::newRow("0 is kind 1") << 0 << 1 << 3;
    QTest::newRow("2 is kind 2") << 2 << 2 << 2;
    QTest::newRow("1 unknown") << 1 << 0 << 0;
    QTest::newRow("7 unknown") << 7 << 0 << 0;
    QTest::newRow("FF unknown") << 0xFF << 0 << 0;
}

void TestBridgeCommands::bridgeKind()
{
    QFETCH(int, kindByte);
    QFETCH(int, kind);
    QFETCH(int, pipe);
    std::vector<std::uint8_t> reply(kBridgeReplyLength, 0x5A);
    reply[kBridgeKindByte] = static_cast<std::uint8_t>(kindByte);
    const auto decoded = decodeBridgeReply(reply);
    QCOMPARE(decoded.has_value(), kind != 0);
    if (decoded) {
        QCOMPARE(decoded->kind, kind);
        QCOMPARE(int(decoded->i2cOutPipe), pipe);
        QCOMPARE(int(replyPipeFor(decoded->i2cOutPipe)), pipe + 0x80);
    }
}

void TestBridgeCommands::replyJudgedByCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("readDone");
    QTest::addColumn<bool>("writeDone");
    QTest::addColumn<bool>("registerWriteDone");

    QTest::newRow("0 nothing came") << 0 << false << false << false;
    QTest::newRow("1") << 1 << true << false << false;
    QTest::newRow("2") << 2 << false << true << false;
    QTest::newRow("3") << 3 << false << false << true;
    QTest::newRow("4") << 4 << false << false << false;
}

void TestBridgeCommands::replyJudgedByCount()
{
    QFETCH(int, count);
    QFETCH(bool, readDone);
    QFETCH(bool, writeDone);
    QFETCH(bool, registerWriteDone);
    const std::vector<std::uint8_t> raw{static_cast<std::uint8_t>(count), 0x42};
    const I2cReply reply = decodeReply(raw);
    QCOMPARE(int(reply.data), 0x42);
    QCOMPARE(acknowledged(readCurrent(0x9F), reply), readDone);
    QCOMPARE(acknowledged(readRegister(0x9F, 0), reply), readDone);
    QCOMPARE(acknowledged(writeByte(0x9E, 0), reply), writeDone);
    QCOMPARE(acknowledged(writeRegister(0x9E, 0, 0), reply), registerWriteDone);
}

void TestBridgeCommands::shortReplyReadsAsZeros()
{
    QCOMPARE(int(decodeReply(std::vector<std::uint8_t>{}).count), 0);
    const std::vector<std::uint8_t> countOnly{1};
    QCOMPARE(int(decodeReply(countOnly).count), 1);
    QCOMPARE(int(decodeReply(countOnly).data), 0);
    // A bridge reply that never came reads as zeros: kind 1.
    QCOMPARE(decodeBridgeReply(std::vector<std::uint8_t>(kBridgeReplyLength, 0))->kind, 1);
}

QTEST_GUILESS_MAIN(TestBridgeCommands)
#include "tst_bridgecommands.moc"
