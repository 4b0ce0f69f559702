// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "transferfeed.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vtx {

// What a transfer of the log did, read back from its bytes: an I2C command with its reply, or one of the
// module's own commands. A command and the reply that answers it are one operation; the command's row shows
// it still waiting, the reply's row shows it whole.
struct I2cOperation {
    enum class Kind : std::uint8_t {
        None,        // a trace line
        Unknown,     // bytes this program never sends
        OrphanReply, // a reply whose command the log does not hold
        BridgeQuery, // with its reply
        SerialSetupFirst,
        SerialSetupSecond,
        TestResult, // data 1: good, 0: bad
        DirectRegisterWrite,
        Read, // the current register
        ReadRegister,
        Write,
        WriteRegister,
        Poll, // a plain read while the device finishes a write: not acknowledged means busy
        CommunicationTest,
    };
    // Sent: a command that has no reply. Pending: a command whose reply has not come (yet).
    enum class Outcome : std::uint8_t { Pending, Sent, Ack, Nak, Failed };

    Kind kind = Kind::None;
    Outcome outcome = Outcome::Pending;
    std::uint8_t addressByte = 0;                // the 8-bit address byte on the bus
    std::uint8_t registerAddress = 0;            // register reads and writes, the direct register write
    std::uint8_t data = 0;                       // the byte written, or read
    DriverStatus status = DriverStatus::Success; // of the transfer that failed
    FeedBytes bytes;         // unknown commands and orphan replies: as sent; the test and query: the reply
    std::uint64_t start = 0; // position of the transfer that began it: the operation's identity
    std::int64_t startMs = 0; // when that transfer went, on the link's clock

    bool isBusOperation() const { return kind >= Kind::Read; }
    bool complete() const { return outcome != Outcome::Pending; }
};

using StatusTextFunction = std::function<QString(DriverStatus)>;

// Reads the feed's transfers in the order they were published, one at a time. It remembers only the command
// that waits for its reply and the last operation on the bus (to tell a write cycle's polls from reads): a
// state small enough to keep copies of along a long log.
class TransferDecoder {
public:
    // The operation that `entry` (at `position` in the feed) begins, continues or ends.
    I2cOperation next(const FeedEntry& entry, std::uint64_t position);

private:
    I2cOperation command(const FeedEntry& entry, std::uint64_t position) const;
    I2cOperation reply(const FeedEntry& entry, std::uint64_t position);
    bool isPoll(const I2cOperation& read) const;

    std::optional<I2cOperation> m_waiting; // the command whose reply comes next
    std::uint32_t m_replyPipe = 0;
    std::optional<I2cOperation> m_lastOnBus;
};

// Decodes the feed's entries by their number, each as decoding from the first entry on would, without going
// through all the entries before it for every one asked for: it keeps the decoder's state every kSpacing
// entries and after the entry decoded last, so rows asked for in order cost one step each.
class DecodingCache {
public:
    using EntryAt = std::function<const FeedEntry&(std::uint64_t number)>;
    static constexpr std::uint64_t kSpacing = 256;

    // The operation of entry `number`, where the entries from `first` to `number` are there to read.
    I2cOperation operationAt(std::uint64_t number, std::uint64_t first, const EntryAt& entryAt);
    // Entries before `first` are gone: so are the states kept for them.
    void forgetBefore(std::uint64_t first);

private:
    struct Point {
        std::uint64_t number; // the decoder's state before this entry
        TransferDecoder decoder;
    };
    std::vector<Point> m_points; // by number
    std::optional<Point> m_next;
};

// "write 0x4F: 81 → ack", "read 0x60 [03] → 55", "poll 0x4F → busy", "bridge reply: kind 1".
QString operationText(const I2cOperation& operation,
                      const StatusTextFunction& statusText = genericStatusText);

// The script line that replays an operation through `vtxctl session` ("set 0x60 0x03 0x55"), or nothing
// when vtxctl cannot send it (a module command, a busy poll, the communication test, a failed transfer, an
// address byte whose read flag does not match the command).
std::optional<QString> replayCommand(const I2cOperation& operation);

// A `vtxctl session` script of the operations, oldest first: every one vtxctl can send as its command,
// every other one as a comment saying what it was; under a header that says where and when it was saved.
// Where a device was busy (a write cycle's refused polls), a `wait` as long as the polls went on stands in
// for them, so that the command after it finds the device ready again, as the window's last poll did.
QString sessionScript(std::span<const I2cOperation> operations, const QDateTime& saved,
                      const StatusTextFunction& statusText = genericStatusText);

} // namespace vtx
