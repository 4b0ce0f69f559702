// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <vector>

namespace vtx {

// The entries a BoundedFeed holds, oldest first: indexable and iterable like a container, without copying.
template <typename Entry> class RingView {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = const Entry*;
        using reference = const Entry&;

        const_iterator() = default;
        const_iterator(const RingView* view, std::size_t index) : m_view(view), m_index(index) {}
        reference operator*() const { return (*m_view)[m_index]; }
        pointer operator->() const { return &(*m_view)[m_index]; }
        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        const_iterator& operator--()
        {
            --m_index;
            return *this;
        }
        const_iterator& operator+=(difference_type n)
        {
            m_index = std::size_t(difference_type(m_index) + n);
            return *this;
        }
        const_iterator operator+(difference_type n) const { return const_iterator(*this) += n; }
        const_iterator operator-(difference_type n) const { return const_iterator(*this) += -n; }
        difference_type operator-(const const_iterator& other) const
        {
            return difference_type(m_index) - difference_type(other.m_index);
        }
        reference operator[](difference_type n) const { return *(*this + n); }
        bool operator==(const const_iterator& other) const { return m_index == other.m_index; }
        auto operator<=>(const const_iterator& other) const { return m_index <=> other.m_index; }

    private:
        const RingView* m_view = nullptr;
        std::size_t m_index = 0;
    };

    RingView(const std::vector<Entry>& room, std::size_t first, std::size_t size)
        : m_slots(room), m_first(first), m_size(size)
    {
    }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const Entry& operator[](std::size_t i) const { return m_slots[(m_first + i) % m_slots.size()]; }
    const Entry& front() const { return (*this)[0]; }
    const Entry& back() const { return (*this)[m_size - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }

private:
    const std::vector<Entry>& m_slots;
    std::size_t m_first;
    std::size_t m_size;
};

// Publishes entries to whoever subscribes and keeps the newest of them in a ring of bounded size, so that a
// watcher opened later still sees the recent past. The ring's room is taken once, when the feed is made:
// an overnight run then neither grows nor asks the allocator for anything per entry. With no subscriber,
// publishing costs one copy into the ring.
template <typename Entry> class BoundedFeed {
public:
    using Subscriber = std::function<void(const Entry&)>;

    explicit BoundedFeed(std::size_t capacity) : m_slots(capacity) {}
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
        if (m_slots.empty())
            return;
        if (m_size == m_slots.size()) {
            // Full: the oldest entry's place takes the new one.
            m_slots[m_first] = std::move(entry);
            m_first = (m_first + 1) % m_slots.size();
            ++m_dropped;
            return;
        }
        m_slots[(m_first + m_size) % m_slots.size()] = std::move(entry);
        ++m_size;
    }

    // The ring: oldest first, newest last. Entries pushed out at the front are counted.
    RingView<Entry> entries() const { return {m_slots, m_first, m_size}; }
    std::uint64_t droppedCount() const { return m_dropped; }
    std::size_t capacity() const { return m_slots.size(); }
    // A new capacity keeps the newest entries that fit (the others count as dropped).
    void setCapacity(std::size_t capacity)
    {
        std::vector<Entry> room(capacity);
        const std::size_t kept = std::min(m_size, capacity);
        for (std::size_t i = 0; i < kept; ++i)
            room[i] = std::move(m_slots[(m_first + m_size - kept + i) % m_slots.size()]);
        m_dropped += m_size - kept;
        m_slots = std::move(room);
        m_first = 0;
        m_size = kept;
    }
    // Lets the `count` oldest entries go before their time (they count as dropped).
    void dropOldest(std::size_t count)
    {
        count = std::min(count, m_size);
        for (std::size_t i = 0; i < count; ++i)
            m_slots[(m_first + i) % m_slots.size()] = Entry{};
        m_first = m_slots.empty() ? 0 : (m_first + count) % m_slots.size();
        m_size -= count;
        m_dropped += count;
    }
    void clear()
    {
        for (Entry& place : m_slots)
            place = Entry{};
        m_first = 0;
        m_size = 0;
        m_dropped = 0;
    }

private:
    std::vector<Entry> m_slots; // all of the ring's room, from the start
    std::size_t m_first = 0;    // the oldest entry's place
    std::size_t m_size = 0;
    std::uint64_t m_dropped = 0;
    std::map<int, Subscriber> m_subscribers;
    int m_nextId = 1;
};

} // namespace vtx
