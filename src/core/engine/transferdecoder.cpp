// SPDX-License-Identifier: GPL-3.0-or-later
#include "transferdecoder.h"

#include "common/i2caddress.h"
#include "common/textformat.h"
#include "common/version.h"
#include "protocol/bridgecommands.h"

#include <algorithm>

namespace vtx {

namespace {

using Kind = I2cOperation::Kind;
using Outcome = I2cOperation::Outcome;

bool sameBytes(const FeedBytes& bytes, const protocol::Bytes& expected)
{
    return !bytes.truncated() && std::ranges::equal(bytes, expected);
}

// The pipes that carry I2C commands: 3 on a kind-1 module, 2 on a kind 2, 0 while no kind was recognised.
bool isI2cPipe(std::uint32_t pipe)
{
    return pipe == 0 || pipe == 2 || pipe == 3;
}

// The count each command expects back: 1 for a read, 2 for a write of one byte, 3 for a register write.
std::uint8_t expectedCount(Kind kind)
{
    switch (kind) {
    case Kind::Write:
        return 2;
    case Kind::WriteRegister:
        return 3;
    default:
        return 1;
    }
}

bool isRead(Kind kind)
{
    return kind == Kind::Read || kind == Kind::ReadRegister || kind == Kind::Poll ||
           kind == Kind::CommunicationTest;
}

// A read's address byte has its read flag set, a write's has it clear; a byte that breaks this (the register
// tool takes any address byte) shows it.
QString addressText(const I2cOperation& operation)
{
    const bool readFlag = (operation.addressByte & 1) != 0;
    QString text = sevenBitText(sevenBitAddress(operation.addressByte));
    if (readFlag != isRead(operation.kind))
        text += QStringLiteral(" (byte %1)").arg(hex2Text(operation.addressByte));
    return text;
}

QString outcomeText(const I2cOperation& operation, const StatusTextFunction& statusText)
{
    switch (operation.outcome) {
    case Outcome::Pending:
        return QStringLiteral(" …");
    case Outcome::Sent:
        return {};
    case Outcome::Failed:
        return QStringLiteral(" → failed (%1)").arg(statusText(operation.status));
    case Outcome::Nak:
        return operation.kind == Kind::Poll ? QStringLiteral(" → busy") : QStringLiteral(" → nak");
    case Outcome::Ack:
        return isRead(operation.kind) ? QStringLiteral(" → ") + hex2Text(operation.data)
                                      : QStringLiteral(" → ack");
    }
    return {};
}

QString bridgeReplyText(const I2cOperation& operation)
{
    if (const auto kind =
            protocol::decodeBridgeReply(std::span(operation.bytes.begin(), operation.bytes.size())))
        return QStringLiteral("bridge reply: kind %1").arg(kind->kind);
    return QStringLiteral("bridge reply: unknown kind (byte %1 = %2)")
        .arg(protocol::kBridgeKindByte)
        .arg(hex2Text(operation.bytes[protocol::kBridgeKindByte]));
}

QString byteArgument(std::uint8_t value)
{
    return QStringLiteral("0x") + hex2Text(value);
}

} // namespace

I2cOperation TransferDecoder::next(const FeedEntry& entry, std::uint64_t position)
{
    if (entry.kind != FeedEntry::Kind::Transfer)
        return {};
    if (entry.direction == TransferDirection::Write) {
        // A command that still waited for its reply never got one (the link closed in between).
        m_waiting.reset();
        I2cOperation operation = command(entry, position);
        const bool expectsReply = operation.kind == Kind::BridgeQuery || operation.isBusOperation();
        if (expectsReply) {
            // The reply read after a failed command belongs to it too.
            m_waiting = operation;
            m_replyPipe = entry.pipe == protocol::kCommandPipe ? protocol::kBridgeReplyPipe
                                                               : protocol::replyPipeFor(entry.pipe);
        }
        if (operation.isBusOperation() && operation.complete())
            m_lastOnBus = operation;
        return operation;
    }
    I2cOperation operation = reply(entry, position);
    if (operation.isBusOperation())
        m_lastOnBus = operation;
    return operation;
}

I2cOperation TransferDecoder::command(const FeedEntry& entry, std::uint64_t position) const
{
    I2cOperation operation;
    operation.start = position;
    operation.startMs = entry.monotonicMs;
    operation.kind = Kind::Unknown;
    operation.outcome = Outcome::Sent;
    const FeedBytes& bytes = entry.bytes;
    if (entry.pipe == protocol::kCommandPipe) {
        if (sameBytes(bytes, protocol::bridgeQuery())) {
            operation.kind = Kind::BridgeQuery;
            operation.outcome = Outcome::Pending;
        } else if (sameBytes(bytes, protocol::serialSetupFirst())) {
            operation.kind = Kind::SerialSetupFirst;
        } else if (sameBytes(bytes, protocol::testResultSignal(true)) ||
                   sameBytes(bytes, protocol::testResultSignal(false))) {
            operation.kind = Kind::TestResult;
            operation.data = sameBytes(bytes, protocol::testResultSignal(true)) ? 1 : 0;
        }
    } else if (entry.pipe == protocol::kSerialSetupPipe && sameBytes(bytes, protocol::serialSetupSecond())) {
        operation.kind = Kind::SerialSetupSecond;
    } else if (entry.pipe == protocol::kDirectRegisterPipe && bytes.size() == 2 && !bytes.truncated()) {
        operation.kind = Kind::DirectRegisterWrite;
        operation.registerAddress = bytes[0];
        operation.data = bytes[1];
    } else if (isI2cPipe(entry.pipe) && bytes.size() >= 2 && bytes.size() <= 4 && bytes[0] == 1) {
        operation.outcome = Outcome::Pending;
        operation.addressByte = bytes[1];
        if (bytes.size() == 2) {
            operation.kind = Kind::Read;
        } else if (bytes.size() == 4) {
            operation.kind = Kind::WriteRegister;
            operation.registerAddress = bytes[2];
            operation.data = bytes[3];
        } else if ((bytes[1] & 1) != 0) {
            // Three bytes are a register read or a one-byte write: the read flag tells them apart until the
            // reply's count says which it was.
            operation.kind = Kind::ReadRegister;
            operation.registerAddress = bytes[2];
        } else {
            operation.kind = Kind::Write;
            operation.data = bytes[2];
        }
    }
    if (operation.kind == Kind::Unknown)
        operation.bytes = bytes;
    if (!succeeded(entry.status)) {
        operation.outcome = Outcome::Failed;
        operation.status = entry.status;
    }
    return operation;
}

I2cOperation TransferDecoder::reply(const FeedEntry& entry, std::uint64_t position)
{
    if (!m_waiting || entry.pipe != m_replyPipe) {
        m_waiting.reset();
        I2cOperation orphan;
        orphan.kind = Kind::OrphanReply;
        orphan.outcome = succeeded(entry.status) ? Outcome::Sent : Outcome::Failed;
        orphan.status = entry.status;
        orphan.bytes = entry.bytes;
        orphan.start = position;
        orphan.startMs = entry.monotonicMs;
        return orphan;
    }
    I2cOperation operation = *std::exchange(m_waiting, std::nullopt);
    if (operation.outcome == Outcome::Failed)
        return operation;
    if (!succeeded(entry.status)) {
        operation.outcome = Outcome::Failed;
        operation.status = entry.status;
        return operation;
    }
    if (operation.kind == Kind::BridgeQuery) {
        operation.bytes = entry.bytes;
        operation.outcome = Outcome::Ack;
        return operation;
    }
    const protocol::I2cReply decoded =
        protocol::decodeReply(std::span(entry.bytes.begin(), entry.bytes.size()));
    // The count settles what three bytes were.
    if (operation.kind == Kind::ReadRegister && decoded.count == 2) {
        operation.kind = Kind::Write;
        operation.data = operation.registerAddress;
    } else if (operation.kind == Kind::Write && decoded.count == 1) {
        operation.kind = Kind::ReadRegister;
        operation.registerAddress = operation.data;
    }
    // Only the communication test reads three bytes back.
    if (operation.kind == Kind::Read && entry.bytes.size() == 3) {
        operation.kind = Kind::CommunicationTest;
        operation.bytes = entry.bytes;
    }
    const bool acknowledged = decoded.count == expectedCount(operation.kind);
    operation.outcome = acknowledged ? Outcome::Ack : Outcome::Nak;
    if (isRead(operation.kind))
        operation.data = acknowledged ? decoded.data : 0;
    if (isPoll(operation))
        operation.kind = Kind::Poll;
    return operation;
}

// A plain read of a device that has just taken a write, or that was busy at the read before, polls it: a part
// in its write cycle does not acknowledge, and its first answer ends the wait.
bool TransferDecoder::isPoll(const I2cOperation& read) const
{
    if (read.kind != Kind::Read || !m_lastOnBus)
        return false;
    const I2cOperation& last = *m_lastOnBus;
    if (last.kind == Kind::Poll && last.outcome == Outcome::Nak)
        return last.addressByte == read.addressByte;
    const bool wrote =
        (last.kind == Kind::Write || last.kind == Kind::WriteRegister) && last.outcome == Outcome::Ack;
    return wrote && read.outcome == Outcome::Nak &&
           static_cast<std::uint8_t>(last.addressByte + 1) == read.addressByte;
}

I2cOperation DecodingCache::operationAt(std::uint64_t number, std::uint64_t first, const EntryAt& entryAt)
{
    Point from{first, {}};
    const auto kept = std::ranges::upper_bound(m_points, number, {}, &Point::number);
    if (kept != m_points.begin() && std::prev(kept)->number >= first)
        from = *std::prev(kept);
    if (m_next && m_next->number <= number && m_next->number >= from.number)
        from = *m_next;
    I2cOperation operation;
    for (std::uint64_t n = from.number; n <= number; ++n) {
        if (n % kSpacing == 0 && (m_points.empty() || m_points.back().number < n))
            m_points.push_back({n, from.decoder});
        operation = from.decoder.next(entryAt(n), n);
    }
    m_next = Point{number + 1, from.decoder};
    return operation;
}

void DecodingCache::forgetBefore(std::uint64_t first)
{
    std::erase_if(m_points, [first](const Point& point) { return point.number < first; });
    if (m_next && m_next->number < first)
        m_next.reset();
}

QString operationText(const I2cOperation& operation, const StatusTextFunction& statusText)
{
    const QString outcome = outcomeText(operation, statusText);
    switch (operation.kind) {
    case Kind::None:
        return {};
    case Kind::Unknown:
        return QStringLiteral("unknown command") + outcome;
    case Kind::OrphanReply:
        return QStringLiteral("reply without its command") + outcome;
    case Kind::BridgeQuery:
        return operation.outcome == Outcome::Ack ? bridgeReplyText(operation)
                                                 : QStringLiteral("bridge query") + outcome;
    case Kind::SerialSetupFirst:
        return QStringLiteral("serial set-up, first part") + outcome;
    case Kind::SerialSetupSecond:
        return QStringLiteral("serial set-up, second part") + outcome;
    case Kind::TestResult:
        return (operation.data ? QStringLiteral("test result: good") : QStringLiteral("test result: bad")) +
               outcome;
    case Kind::DirectRegisterWrite:
        return QStringLiteral("direct register write %1: %2")
                   .arg(hex2Text(operation.registerAddress), hex2Text(operation.data)) +
               outcome;
    case Kind::Read:
        return QStringLiteral("read ") + addressText(operation) + outcome;
    case Kind::ReadRegister:
        return QStringLiteral("read %1 [%2]")
                   .arg(addressText(operation), hex2Text(operation.registerAddress)) +
               outcome;
    case Kind::Write:
        return QStringLiteral("write %1: %2").arg(addressText(operation), hex2Text(operation.data)) + outcome;
    case Kind::WriteRegister:
        return QStringLiteral("write %1: %2 %3")
                   .arg(addressText(operation), hex2Text(operation.registerAddress),
                        hex2Text(operation.data)) +
               outcome;
    case Kind::Poll:
        return QStringLiteral("poll ") + addressText(operation) + outcome;
    case Kind::CommunicationTest: {
        const QString test = QStringLiteral("communication test ") + addressText(operation);
        const QString reply = hexBytes(std::span(operation.bytes.begin(), operation.bytes.size()));
        switch (operation.outcome) {
        case Outcome::Ack:
            return test + QStringLiteral(" → ") + reply;
        case Outcome::Nak:
            return test + QStringLiteral(" → nak (") + reply + QStringLiteral(")");
        default:
            return test + outcome;
        }
    }
    }
    return {};
}

std::optional<QString> replayCommand(const I2cOperation& operation)
{
    if (operation.outcome != Outcome::Ack && operation.outcome != Outcome::Nak)
        return std::nullopt;
    const bool readFlag = (operation.addressByte & 1) != 0;
    const QString address = byteArgument(sevenBitAddress(operation.addressByte));
    switch (operation.kind) {
    case Kind::Read:
        if (readFlag)
            return QStringLiteral("get ") + address;
        break;
    case Kind::Poll:
        // A busy poll only waited; the answer that ended the wait is the read the caller used.
        if (readFlag && operation.outcome == Outcome::Ack)
            return QStringLiteral("get ") + address;
        break;
    case Kind::ReadRegister:
        if (readFlag)
            return QStringLiteral("get %1 %2").arg(address, byteArgument(operation.registerAddress));
        break;
    case Kind::Write:
        if (!readFlag)
            return QStringLiteral("set %1 %2").arg(address, byteArgument(operation.data));
        break;
    case Kind::WriteRegister:
        if (!readFlag)
            return QStringLiteral("set %1 %2 %3")
                .arg(address, byteArgument(operation.registerAddress), byteArgument(operation.data));
        break;
    default:
        break;
    }
    return std::nullopt;
}

QString sessionScript(std::span<const I2cOperation> operations, const QDateTime& saved,
                      const StatusTextFunction& statusText)
{
    QString script = QStringLiteral("# I2C operations from the transfer log of vtx-eval %1, saved %2 UTC.\n"
                                    "# Replay with: vtxctl session < FILE\n"
                                    "# What vtxctl cannot send (the module's own commands, busy polls, "
                                    "failed transfers) is kept as a comment.\n")
                         .arg(kVersionText, saved.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    std::optional<std::int64_t> busySinceMs; // the first refused poll of the present write cycle
    for (const I2cOperation& operation : operations) {
        if (operation.kind == Kind::None)
            continue;
        const bool busy = operation.kind == Kind::Poll && operation.outcome == Outcome::Nak;
        if (busy && !busySinceMs)
            busySinceMs = operation.startMs;
        if (!busy && busySinceMs) {
            // The log's times are whole milliseconds: one more covers the part of a millisecond they drop.
            script += QStringLiteral("wait %1\n")
                          .arg(std::max<std::int64_t>(operation.startMs - *busySinceMs + 1, 1));
            busySinceMs.reset();
        }
        const std::optional<QString> command = replayCommand(operation);
        // A command the device did not acknowledge is replayed all the same: the same bytes go out.
        if (!command || operation.outcome == Outcome::Nak)
            script += QStringLiteral("# ") + operationText(operation, statusText) + u'\n';
        if (command)
            script += *command + u'\n';
    }
    return script;
}

} // namespace vtx
