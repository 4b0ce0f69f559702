// SPDX-License-Identifier: GPL-3.0-or-later
#include "transferfeed.h"

#include <algorithm>

namespace vtx {

namespace {

// Enough for the link's distinct trace lines of one open and close.
constexpr std::size_t kRecentTexts = 16;

} // namespace

void TransferFeed::publish(FeedEntry entry)
{
    ++m_published;
    if (!entry.text.isEmpty()) {
        const auto same = std::find(m_recentTexts.begin(), m_recentTexts.end(), entry.text);
        if (same != m_recentTexts.end()) {
            entry.text = *same;
        } else {
            m_recentTexts.push_back(entry.text);
            if (m_recentTexts.size() > kRecentTexts)
                m_recentTexts.pop_front();
        }
    }
    m_feed.publish(std::move(entry));
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
