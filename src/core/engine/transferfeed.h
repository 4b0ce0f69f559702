// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundedfeed.h"
#include "platform/driverstatus.h"
#include "platform/usbtypes.h"
#include "textring.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <vector>

namespace vtx {

// The bytes of one transfer, kept inside the entry rather than on the heap: a ring of 100,000 entries then
// costs its entries' size and nothing more. The longest transfer of the module's protocol (the bridge query's
// reply) has 25 bytes; anything longer is kept cut, and says so.
class FeedBytes {
public:
    static constexpr std::size_t kCapacity = 25;

    FeedBytes() = default;
    FeedBytes(std::span<const std::uint8_t> bytes) { assign(bytes.begin(), bytes.end()); }
    template <typename It> void assign(It first, It last)
    {
        m_size = 0;
        m_truncated = false;
        for (; first != last; ++first) {
            if (m_size == kCapacity) {
                m_truncated = true;
                return;
            }
            m_bytes[m_size++] = static_cast<std::uint8_t>(*first);
        }
    }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    bool truncated() const { return m_truncated; }
    std::uint8_t operator[](std::size_t i) const { return m_bytes[i]; }
    const std::uint8_t* begin() const { return m_bytes.data(); }
    const std::uint8_t* end() const { return m_bytes.data() + m_size; }
    operator std::vector<std::uint8_t>() const { return {begin(), end()}; }
    bool operator==(const FeedBytes& other) const { return std::ranges::equal(*this, other); }

private:
    std::array<std::uint8_t, kCapacity> m_bytes{};
    std::uint8_t m_size = 0;
    bool m_truncated = false;
};

// One thing the link did that a watcher may want to see: a pipe transfer, or a line of its trace.
struct FeedEntry {
    enum class Kind : std::uint8_t { Transfer, Trace };
    std::int64_t wallMs = 0;      // time of day, milliseconds since the epoch
    std::int64_t monotonicMs = 0; // on the link's clock: milliseconds since the program started
    TextRing::Span text;          // the trace line, in the feed's text room: TransferFeed::text()
    DriverStatus status = DriverStatus::Success;
    std::uint32_t pipe = 0;
    TransferDirection direction = TransferDirection::Write;
    Kind kind = Kind::Trace;
    std::uint8_t owner = 0; // whose transaction it belongs to: TransferFeed::ownerName(); 0 is none
    FeedBytes bytes;        // sent, or received
};

// Publishes everything that crossed the pipes, and the link's trace, to whoever subscribes (the trace
// output, a log window, tests), and keeps the newest entries in a ring of bounded size so that a watcher
// opened later still sees the recent past and an overnight run never grows without bound.
class TransferFeed {
public:
    using Subscriber = std::function<void(const FeedEntry&)>;
    // An overnight run at 100 transfers a second stays within this many entries (about 8 MB; see FeedEntry).
    static constexpr std::size_t kDefaultCapacity = 100000;
    // Room for trace texts per entry of the ring. The link's timed transfers publish about 26 bytes of trace
    // per entry (four lines of some 60 characters for every ten entries), so the text room runs out only
    // under a flood of long trace lines; the oldest entries then give way early.
    static constexpr std::size_t kTextBytesPerEntry = 40;

    explicit TransferFeed(std::size_t capacity = kDefaultCapacity)
        : m_feed(capacity), m_texts(capacity * kTextBytesPerEntry)
    {
    }
    TransferFeed(const TransferFeed&) = delete;
    TransferFeed& operator=(const TransferFeed&) = delete;

    // Returns an id for unsubscribe().
    int subscribe(Subscriber subscriber) { return m_feed.subscribe(std::move(subscriber)); }
    void unsubscribe(int id) { m_feed.unsubscribe(id); }
    bool hasSubscribers() const { return m_feed.hasSubscribers(); }

    // Keeps the trace text (if any) in the text room, tells every subscriber, then keeps the entry in the
    // ring.
    void publish(FeedEntry entry, QStringView text = {});
    // An entry's trace text: empty for a transfer.
    QString text(const FeedEntry& entry) const { return m_texts.text(entry.text); }
    // How many entries were ever published (cleared or not): the entry at the back of the ring is number
    // publishedCount() - 1, so a watcher can tell what it has not seen yet.
    std::uint64_t publishedCount() const { return m_published; }

    // Owners are the names of whoever holds the transaction (a window, a tool); entries keep a small number.
    // Numbers are never reused; the 255th distinct name and any after it share the last number.
    std::uint8_t ownerId(const QString& name);
    QString ownerName(std::uint8_t id) const;

    // The ring: newest last. Entries pushed out at the front are counted.
    RingView<FeedEntry> entries() const { return m_feed.entries(); }
    std::uint64_t droppedCount() const { return m_feed.droppedCount(); }
    // Empties the ring and takes room for `capacity` entries and their texts.
    void setCapacity(std::size_t capacity);
    std::size_t capacity() const { return m_feed.capacity(); }
    void clear()
    {
        m_feed.clear();
        m_texts.clear();
    }

private:
    BoundedFeed<FeedEntry> m_feed;
    std::uint64_t m_published = 0;
    TextRing m_texts;
    std::vector<QString> m_owners{QString()};
};

} // namespace vtx
