// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

namespace vtx {

// Publishes entries to whoever subscribes and keeps the newest of them in a ring of bounded size, so that a
// watcher opened later still sees the recent past and an overnight run never grows without bound. With no
// subscriber, publishing costs one append to the ring.
template <typename Entry> class BoundedFeed {
public:
    using Subscriber = std::function<void(const Entry&)>;

    explicit BoundedFeed(std::size_t capacity) : m_capacity(capacity) {}
    BoundedFeed(const BoundedFeed&) = delete;
    BoundedFeed& operator=(const BoundedFeed&) = delete;

    // Returns an id for unsubscribe().
    int subscribe(Subscriber subscriber)
    {
        const int id = m_nextId++;
        m_subscribers.emplace(id, std::move(subscriber));
        return id;
    }
    void unsubscribe(int id) { m_subscribers.erase(id); }
    bool hasSubscribers() const { return !m_subscribers.empty(); }

    void publish(Entry entry)
    {
        if (!m_subscribers.empty()) {
            // Copied first: a subscriber may unsubscribe itself or another while it is told.
            const auto subscribers = m_subscribers;
            for (const auto& [id, subscriber] : subscribers)
                subscriber(entry);
        }
        if (m_capacity == 0)
            return;
        if (m_entries.size() == m_capacity) {
            m_entries.pop_front();
            ++m_dropped;
        }
        m_entries.push_back(std::move(entry));
    }

    // The ring: newest last. Entries pushed out at the front are counted.
    const std::deque<Entry>& entries() const { return m_entries; }
    std::uint64_t droppedCount() const { return m_dropped; }
    std::size_t capacity() const { return m_capacity; }
    // A smaller capacity drops the oldest entries at once (and counts them).
    void setCapacity(std::size_t capacity)
    {
        m_capacity = capacity;
        while (m_entries.size() > m_capacity) {
            m_entries.pop_front();
            ++m_dropped;
        }
    }
    void clear()
    {
        m_entries.clear();
        m_dropped = 0;
    }

private:
    std::size_t m_capacity;
    std::deque<Entry> m_entries;
    std::uint64_t m_dropped = 0;
    std::map<int, Subscriber> m_subscribers;
    int m_nextId = 1;
};

} // namespace vtx
