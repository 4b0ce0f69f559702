#include "transferfeed.h"

namespace vtx {

int TransferFeed::subscribe(Subscriber subscriber)
{
    const int id = m_nextId++;
    m_subscribers.emplace(id, std::move(subscriber));
    return id;
}

void TransferFeed::unsubscribe(int id)
{
    m_subscribers.erase(id);
}

void TransferFeed::publish(FeedEntry entry)
{
    // Copied first: a subscriber may unsubscribe itself or another while it is told.
    const auto subscribers = m_subscribers;
    for (const auto& [id, subscriber] : subscribers)
        subscriber(entry);
    if (m_capacity == 0)
        return;
    if (m_entries.size() == m_capacity) {
        m_entries.pop_front();
        ++m_dropped;
    }
    m_entries.push_back(std::move(entry));
}

void TransferFeed::setCapacity(std::size_t capacity)
{
    m_capacity = capacity;
    while (m_entries.size() > m_capacity) {
        m_entries.pop_front();
        ++m_dropped;
    }
}

void TransferFeed::clear()
{
    m_entries.clear();
    m_dropped = 0;
}

} // namespace vtx
