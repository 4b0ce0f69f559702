#pragma once

#include "platform/driverstatus.h"
#include "platform/usbtypes.h"

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace vtx {

// One thing the link did that a watcher may want to see: a pipe transfer, or a line of its trace.
struct FeedEntry {
    enum class Kind { Transfer, Trace };
    Kind kind = Kind::Trace;
    std::int64_t wallMs = 0;      // time of day, milliseconds since the epoch
    std::int64_t monotonicMs = 0; // on the link's clock
    TransferDirection direction = TransferDirection::Write;
    std::uint32_t pipe = 0;
    std::vector<std::uint8_t> bytes; // sent, or received
    DriverStatus status = DriverStatus::Success;
    QString text; // the trace line
};

// Publishes everything that crossed the pipes, and the link's trace, to whoever subscribes (the trace
// output, a log window, tests), and keeps the newest entries in a ring of bounded size so that a watcher
// opened later still sees the recent past and an overnight run never grows without bound.
class TransferFeed {
public:
    using Subscriber = std::function<void(const FeedEntry&)>;
    static constexpr std::size_t kDefaultCapacity = 1000;

    explicit TransferFeed(std::size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}
    TransferFeed(const TransferFeed&) = delete;
    TransferFeed& operator=(const TransferFeed&) = delete;

    // Returns an id for unsubscribe().
    int subscribe(Subscriber subscriber);
    void unsubscribe(int id);
    bool hasSubscribers() const { return !m_subscribers.empty(); }

    void publish(FeedEntry entry);

    // The ring: newest last. Entries pushed out at the front are counted.
    const std::deque<FeedEntry>& entries() const { return m_entries; }
    std::uint64_t droppedCount() const { return m_dropped; }
    void setCapacity(std::size_t capacity);
    std::size_t capacity() const { return m_capacity; }
    void clear();

private:
    std::size_t m_capacity;
    std::deque<FeedEntry> m_entries;
    std::uint64_t m_dropped = 0;
    std::map<int, Subscriber> m_subscribers;
    int m_nextId = 1;
};

} // namespace vtx
