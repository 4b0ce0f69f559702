// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer log's decoder: what every kind of transfer reads as, and the session script made of them.
#include "common/version.h"
#include "engine/transferdecoder.h"

#include <QtTest>

using namespace vtx;

namespace {

// One transfer written as the log shows it: "> 03 01 9E 81" goes out on pipe 3, "< 83 02 00" comes in on
// 0x83,
// "!6" ends a transfer that failed with that status, "@5" one that went at 5 ms; "trace" is a trace line.
FeedEntry transfer(const QString& text)
{
    FeedEntry entry;
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.takeFirst() == QLatin1String("trace"))
        return entry;
    entry.kind = FeedEntry::Kind::Transfer;
    entry.direction = text.startsWith(u'>') ? TransferDirection::Write : TransferDirection::Read;
    entry.pipe = words.takeFirst().toUInt(nullptr, 16);
    if (!words.isEmpty() && words.constLast().startsWith(u'@'))
        entry.monotonicMs = words.takeLast().mid(1).toLongLong();
    if (!words.isEmpty() && words.constLast().startsWith(u'!'))
        entry.status = static_cast<DriverStatus>(words.takeLast().mid(1).toUInt());
    std::vector<std::uint8_t> bytes;
    for (const QString& word : words)
        bytes.push_back(static_cast<std::uint8_t>(word.toUInt(nullptr, 16)));
    entry.bytes = FeedBytes(bytes);
    return entry;
}

// Every row's operation, and the operations once each and whole, as the log's script takes them.
struct Decoded {
    QStringList texts;
    std::vector<I2cOperation> operations;
};

Decoded decode(const QStringList& transfers)
{
    Decoded decoded;
    TransferDecoder decoder;
    std::uint64_t position = 0;
    for (const QString& text : transfers) {
        const I2cOperation operation = decoder.next(transfer(text), position++);
        decoded.texts << operationText(operation);
        if (!operation.complete() || operation.kind == I2cOperation::Kind::None)
            continue;
        if (!decoded.operations.empty() && decoded.operations.back().start == operation.start)
            decoded.operations.back() = operation;
        else
            decoded.operations.push_back(operation);
    }
    return decoded;
}

QString bridgeReply(int kindByte)
{
    QStringList bytes(25, QStringLiteral("00"));
    bytes[5] = QStringLiteral("%1").arg(kindByte, 2, 16, QLatin1Char('0'));
    return QStringLiteral("< 81 ") + bytes.join(u' ');
}

} // namespace

class TestTransferDecoder : public QObject {
    Q_OBJECT
private slots:
    // Each transfer's row: a command waits on its own row; its reply's row shows the whole operation.
    void rows_data()
    {
        QTest::addColumn<QStringList>("transfers");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("write, then a read")
            << QStringList{"> 03 01 9E 81", "< 83 02 00", "> 03 01 9F", "< 83 01 81"}
            << QStringList{"write 0x4F: 81 …", "write 0x4F: 81 → ack", "read 0x4F …", "read 0x4F → 81"};
        QTest::newRow("register write and read, kind 2")
            << QStringList{"> 02 01 C0 03 55", "< 82 03 00", "> 02 01 C1 03", "trace", "< 82 01 55"}
            << QStringList{"write 0x60: 03 55 …", "write 0x60: 03 55 → ack", "read 0x60 [03] …", "",
                           "read 0x60 [03] → 55"};
        QTest::newRow("not acknowledged")
            << QStringList{"> 03 01 A1", "< 83 00 00", "> 03 01 A0 07", "< 83 00 00"}
            << QStringList{"read 0x50 …", "read 0x50 → nak", "write 0x50: 07 …", "write 0x50: 07 → nak"};
        QTest::newRow("write cycle polls")
            << QStringList{"> 03 01 9E 80", "< 83 02 00", "> 01 FF 02 FF FF 02", bridgeReply(0), "> 03 01 9F",
                           "< 83 00 00",    "> 03 01 9F", "< 83 01 80",          "> 03 01 9F",   "< 83 00 00"}
            << QStringList{"write 0x4F: 80 …",     "write 0x4F: 80 → ack", "bridge query …",
                           "bridge reply: kind 1", "read 0x4F …",          "poll 0x4F → busy",
                           "read 0x4F …",          "poll 0x4F → 80",       "read 0x4F …",
                           "read 0x4F → nak"};
        QTest::newRow("module commands")
            << QStringList{"> 01 FF 02 FF FF 02", bridgeReply(2), "> 01 FF 02 FF FF 02", bridgeReply(7),
                           "> 01 00 10 40",       "> 02 00 10",   "> 04 05 80",          "> 01 12 34"}
            << QStringList{"bridge query …",
                           "bridge reply: kind 2",
                           "bridge query …",
                           "bridge reply: unknown kind (byte 5 = 07)",
                           "serial set-up, first part",
                           "serial set-up, second part",
                           "direct register write 05: 80",
                           "unknown command"};
        QTest::newRow("communication tests")
            << QStringList{"> 03 01 9F", "< 83 01 80 00", "> 01 FF 02",
                           "> 03 01 A1", "< 83 00 00 00", "> 01 FF 01"}
            << QStringList{"read 0x4F …", "communication test 0x4F → 01 80 00",       "test result: good",
                           "read 0x50 …", "communication test 0x50 → nak (00 00 00)", "test result: bad"};
        QTest::newRow("failures")
            << QStringList{"> 03 01 9E 81 !6",    "< 83 !6", "> 03 01 9F",      "< 83 !4",
                           "> 01 FF 02 FF FF 02", "< 81 !6", "> 01 00 10 40 !4"}
            << QStringList{
                   "write 0x4F: 81 → failed (Operation timed out)",
                   "write 0x4F: 81 → failed (Operation timed out)",
                   "read 0x4F …",
                   "read 0x4F → failed (No such device (it may have been disconnected))",
                   "bridge query …",
                   "bridge query → failed (Operation timed out)",
                   "serial set-up, first part → failed (No such device (it may have been disconnected))"};
        QTest::newRow("address bytes against their command")
            << QStringList{"> 03 01 9F 55", "< 83 02 00",    "> 03 01 A0",
                           "< 83 01 12",    "> 03 01 A0 05", "< 83 01 34"}
            << QStringList{"read 0x4F [55] …",      "write 0x4F (byte 9F): 55 → ack",
                           "read 0x50 (byte A0) …", "read 0x50 (byte A0) → 12",
                           "write 0x50: 05 …",      "read 0x50 (byte A0) [05] → 34"};
        QTest::newRow("replies without their command")
            << QStringList{"< 83 02 00", "> 03 01 9F", "< 82 01 80", "> 01 00 10 40", "< 81 00"}
            << QStringList{"reply without its command", "read 0x4F …", "reply without its command",
                           "serial set-up, first part", "reply without its command"};
    }
    void rows()
    {
        QFETCH(QStringList, transfers);
        QFETCH(QStringList, texts);
        QCOMPARE(decode(transfers).texts, texts);
    }

    // Rows asked for in any order, and after the oldest entries went, read as decoding all in order does: a
    // write cycle's polls far past the spacing of the kept states stay polls.
    void cacheDecodesAsInOrder()
    {
        QStringList transfers{"> 03 01 9E 80", "< 83 02 00"};
        for (int i = 0; i < 300; ++i)
            transfers << "> 03 01 9F"
                      << "trace"
                      << "< 83 00 00";
        transfers << "> 03 01 9F"
                  << "< 83 01 80"
                  << "> 03 01 9F"
                  << "< 83 00 00";
        std::vector<FeedEntry> entries;
        for (const QString& text : transfers)
            entries.push_back(transfer(text));
        const QStringList inOrder = decode(transfers).texts;
        QCOMPARE(inOrder.at(901), QStringLiteral("poll 0x4F → busy"));
        QCOMPARE(inOrder.at(903), QStringLiteral("poll 0x4F → 80"));
        QCOMPARE(inOrder.at(905), QStringLiteral("read 0x4F → nak"));
        DecodingCache cache;
        const auto entryAt = [&entries](std::uint64_t number) -> const FeedEntry& { return entries[number]; };
        for (const std::uint64_t number : {905, 3, 600, 904, 903, 0, 1, 2, 901})
            QCOMPARE(operationText(cache.operationAt(number, 0, entryAt)), inOrder.at(int(number)));
        // The write and the first polls gone: what remains decodes from the states kept after them.
        cache.forgetBefore(300);
        QCOMPARE(operationText(cache.operationAt(901, 300, entryAt)), inOrder.at(901));
        DecodingCache
            fresh; // nothing kept: the write is out of sight, so the first read is not taken for a poll
        QCOMPARE(operationText(fresh.operationAt(304, 300, entryAt)), QStringLiteral("read 0x4F → nak"));
    }

    // The script replays what vtxctl can send as `get` and `set` (the bytes those send, acknowledged or not)
    // and keeps everything else as a comment, under a header with the time it was saved.
    void script()
    {
        const Decoded decoded =
            decode({"> 01 FF 02 FF FF 02", bridgeReply(0),  "> 01 00 10 40",    "> 02 00 10",
                    "> 03 01 9E 80",       "< 83 02 00",    "> 03 01 9F @1",    "< 83 00 00",
                    "> 03 01 9F @6",       "< 83 01 80",    "> 03 01 C0 03 55", "< 83 03 00",
                    "> 03 01 C1 03",       "< 83 01 55",    "> 03 01 A1",       "< 83 00 00",
                    "> 03 01 9F",          "< 83 01 80 00", "> 01 FF 02",       "> 04 05 80",
                    "> 03 01 9F 55",       "< 83 02 00",    "> 03 01 A0",       "< 83 01 12",
                    "> 03 01 9E 81 !6",    "< 83 !6",       "> 03 01 9F"});
        const QDateTime saved(QDate(2026, 12, 7), QTime(5, 10, 11), Qt::UTC);
        QCOMPARE(sessionScript(decoded.operations, saved).split(u'\n'),
                 QStringList({"# I2C operations from the transfer log of vtx-eval " + kVersionText +
                                  ", saved 2026-12-07 05:10:11 UTC.",
                              "# Replay with: vtxctl session < FILE",
                              "# What vtxctl cannot send (the module's own commands, busy polls, failed "
                              "transfers) is kept as a comment.",
                              "# bridge reply: kind 1",
                              "# serial set-up, first part",
                              "# serial set-up, second part",
                              "set 0x4F 0x80",
                              "# poll 0x4F → busy",
                              "wait 6",
                              "get 0x4F",
                              "set 0x60 0x03 0x55",
                              "get 0x60 0x03",
                              "# read 0x50 → nak",
                              "get 0x50",
                              "# communication test 0x4F → 01 80 00",
                              "# test result: good",
                              "# direct register write 05: 80",
                              "# write 0x4F (byte 9F): 55 → ack",
                              "# read 0x50 (byte A0) → 12",
                              "# write 0x4F: 81 → failed (Operation timed out)",
                              ""}));
    }
};

QTEST_GUILESS_MAIN(TestTransferDecoder)
#include "tst_transferdecoder.moc"
