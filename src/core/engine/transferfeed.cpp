// SPDX-License-Identifier: GPL-3.0-or-later
#include "transferfeed.h"

#include <algorithm>

namespace vtx {

void TransferFeed::publish(FeedEntry entry, QStringView text)
{
    const std::uint64_t number = m_published;
    if (!text.isEmpty()) {
        // An entry whose text gives way leaves the ring with every entry before it.
        entry.text = m_texts.store(text, number, [this](std::uint64_t owner) {
            const RingView<FeedEntry> ring = m_feed.entries();
            const std::uint64_t first = m_published - ring.size();
            if (owner >= first)
                m_feed.dropOldest(static_cast<std::size_t>(owner - first + 1));
        });
    }
    ++m_published;
    m_feed.publish(std::move(entry));
}

void TransferFeed::setCapacity(std::size_t capacity)
{
    m_feed.setCapacity(capacity);
    m_feed.clear();
    m_texts = TextRing(capacity * kTextBytesPerEntry);
}

} // namespace vtx

namespace vtx {

std::uint8_t TransferFeed::ownerId(const QString& name)
{
    if (name.isEmpty())
        return 0;
    const auto known = std::find(m_owners.begin(), m_owners.end(), name);
    if (known != m_owners.end())
        return static_cast<std::uint8_t>(known - m_owners.begin());
    if (m_owners.size() > 0xFF)
        return 0xFF;
    m_owners.push_back(name);
    return static_cast<std::uint8_t>(m_owners.size() - 1);
}

QString TransferFeed::ownerName(std::uint8_t id) const
{
    return id < m_owners.size() ? m_owners[id] : QString();
}

} // namespace vtx
