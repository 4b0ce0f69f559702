// SPDX-License-Identifier: GPL-3.0-or-later
#include "transferlogmodel.h"

#include "common/textformat.h"
#include "common/timestamp.h"
#include "engine/link.h"

namespace vtx {

TransferLogModel::TransferLogModel(Link& link, QObject* parent) : QAbstractTableModel(parent), m_link(link)
{
    // The ring's oldest entry: what the link did before the window opened shows too.
    m_first = m_link.feed().publishedCount() - m_link.feed().entries().size();
}

int TransferLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TransferLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QStringList TransferLogModel::columnTitles()
{
    return {QStringLiteral("Time"),       QStringLiteral("ms since start"), QStringLiteral("Direction"),
            QStringLiteral("Pipe"),       QStringLiteral("Bytes / trace"),  QStringLiteral("Status"),
            QStringLiteral("Transaction")};
}

QVariant TransferLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    return columnTitles().at(section);
}

const FeedEntry& TransferLogModel::entryAt(int row) const
{
    const TransferFeed& feed = m_link.feed();
    const std::uint64_t ringFirst = feed.publishedCount() - feed.entries().size();
    return feed.entries()[static_cast<std::size_t>(m_first + static_cast<std::uint64_t>(row) - ringFirst)];
}

QString TransferLogModel::text(const FeedEntry& entry, int column) const
{
    const bool transfer = entry.kind == FeedEntry::Kind::Transfer;
    switch (column) {
    case Time:
        return timeOfDayText(entry.wallMs);
    case SinceStart:
        return sinceStartText(entry.monotonicMs);
    case Direction:
        return !transfer ? QStringLiteral("trace")
                         : (entry.direction == TransferDirection::Write ? QStringLiteral("OUT")
                                                                        : QStringLiteral("IN"));
    case Pipe:
        return transfer ? hex2Text(entry.pipe) : QString();
    case Data: {
        if (!transfer)
            return m_link.feed().text(entry).simplified();
        const QString bytes = hexBytes(std::span(entry.bytes.begin(), entry.bytes.size()));
        return entry.bytes.truncated() ? bytes + QStringLiteral(" ...") : bytes;
    }
    case Status:
        if (!transfer)
            return {};
        if (succeeded(entry.status))
            return QStringLiteral("OK");
        return QStringLiteral("&H") + hexText(statusCode(entry.status)) + QStringLiteral(" (") +
               m_link.UsbStatusText(entry.status) + QStringLiteral(")");
    case Transaction:
        return m_link.feed().ownerName(entry.owner);
    default:
        return {};
    }
}

QVariant TransferLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == Data))
        return text(entryAt(index.row()), index.column());
    return {};
}

QStringList TransferLogModel::rowTexts(int row) const
{
    QStringList texts;
    const FeedEntry& entry = entryAt(row);
    for (int column = 0; column < ColumnCount; ++column)
        texts << text(entry, column);
    return texts;
}

void TransferLogModel::sync(bool follow)
{
    const TransferFeed& feed = m_link.feed();
    const std::uint64_t published = feed.publishedCount();
    const std::uint64_t ringFirst = published - feed.entries().size();
    if (ringFirst > m_first) {
        const auto gone =
            static_cast<int>(std::min<std::uint64_t>(ringFirst - m_first, std::uint64_t(m_rows)));
        if (gone > 0) {
            beginRemoveRows({}, 0, gone - 1);
            m_rows -= gone;
            m_first = ringFirst;
            endRemoveRows();
        }
        m_first = ringFirst;
    }
    const std::uint64_t shownEnd = m_first + static_cast<std::uint64_t>(m_rows);
    if (follow && published > shownEnd) {
        const int added = static_cast<int>(published - shownEnd);
        beginInsertRows({}, m_rows, m_rows + added - 1);
        m_rows += added;
        endInsertRows();
    }
}

} // namespace vtx
