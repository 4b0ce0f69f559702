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

// An I2C command as its request bytes, then the reply length and the transfer count that means "done".
ByteList toList(const I2cCommand& command)
{
    return toList(command.request) << command.replyLength << command.expectedCount;
}

std::span<const std::uint8_t> asBytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

class TestBridgeCommands : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<ByteList>("actual");
        QTest::addColumn<ByteList>("expected");
        // clang-format off
        QTest::newRow("bridge query") << toList(bridgeQuery()) << ByteList{0xFF, 0x02, 0xFF, 0xFF, 0x02};
        QTest::newRow("serial set-up 1") << toList(serialSetupFirst()) << ByteList{0x00, 0x10, 0x40};
        QTest::newRow("serial set-up 2") << toList(serialSetupSecond()) << ByteList{0x00, 0x10};
        QTest::newRow("test good") << toList(testResultSignal(true)) << ByteList{0xFF, 0x02};
        QTest::newRow("test failed") << toList(testResultSignal(false)) << ByteList{0xFF, 0x01};
        QTest::newRow("direct write") << toList(directRegisterWrite(0x12, 0x34)) << ByteList{0x12, 0x34};
        QTest::newRow("direct write clears bit 7") << toList(directRegisterWrite(0xFF, 0x01)) << ByteList{0x7F, 0x01};
        QTest::newRow("DCP write 65 register mode") << toList(writeByte(0x9E, 0x81)) << ByteList{0x01, 0x9E, 0x81, 2, 2};
        QTest::newRow("read current") << toList(readCurrent(0x9F)) << ByteList{0x01, 0x9F, 2, 1};
        QTest::newRow("register read") << toList(readRegister(0xC1, 0x1F)) << ByteList{0x01, 0xC1, 0x1F, 2, 1};
        QTest::newRow("register write 05=80") << toList(writeRegister(0x9E, 0x05, 0x80)) << ByteList{0x01, 0x9E, 0x05, 0x80, 2, 3};
        QTest::newRow("communication test reads 3") << toList(communicationTest(0x9F)) << ByteList{0x01, 0x9F, 3, 1};
        // clang-format on
    }
    void commands()
    {
        QFETCH(ByteList, actual);
        QTEST(actual, "expected");
    }

    // Byte 5 of the bridge reply; a reply that never came, or came short, reads as zeros: kind 1.
    void bridgeKind_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("kind"); // 0: unknown
        QTest::addColumn<int>("pipe");
        const auto reply = [](char kindByte) {
            return QByteArray(kBridgeReplyLength, '\x5A')
                .replace(kBridgeKindByte, 1, QByteArray(1, kindByte));
        };
        QTest::newRow("0 is kind 1") << reply(0) << 1 << 3;
        QTest::newRow("2 is kind 2") << reply(2) << 2 << 2;
        QTest::newRow("1 unknown") << reply(1) << 0 << 0;
        QTest::newRow("7 unknown") << reply(7) << 0 << 0;
        QTest::newRow("FF unknown") << reply('\xFF') << 0 << 0;
        QTest::newRow("nothing came") << QByteArray() << 1 << 3;
        QTest::newRow("short") << QByteArray(kBridgeKindByte, '\x02') << 1 << 3;
    }
    void bridgeKind()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, kind);
        QFETCH(int, pipe);
        const auto decoded = decodeBridgeReply(asBytes(reply));
        QCOMPARE(decoded.has_value(), kind != 0);
        if (decoded) {
            QCOMPARE(decoded->kind, kind);
            QCOMPARE(int(decoded->i2cOutPipe), pipe);
            QCOMPARE(int(replyPipeFor(decoded->i2cOutPipe)), pipe + 0x80);
        }
    }

    // Byte 0 of a reply is the module's transfer count, byte 1 the data; missing bytes read as zeros. A
    // command is done when the count is exactly the one it expects (the commands' table has each one's).
    void replyJudgedByCount_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("data");
        QTest::newRow("nothing came") << QByteArray() << 0 << 0;
        QTest::newRow("count only") << QByteArray("\x01") << 1 << 0;
        QTest::newRow("2") << QByteArray("\x02\x42") << 2 << 0x42;
        QTest::newRow("3") << QByteArray("\x03\x42") << 3 << 0x42;
    }
    void replyJudgedByCount()
    {
        QFETCH(QByteArray, raw);
        const I2cReply reply = decodeReply(asBytes(raw));
        QTEST(int(reply.count), "count");
        QTEST(int(reply.data), "data");
        QCOMPARE(acknowledged(writeByte(0x9E, 0), reply), reply.count == 2);
    }
};

QTEST_GUILESS_MAIN(TestBridgeCommands)
#include "tst_bridgecommands.moc"
