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
    return {QStringLiteral("Time"),   QStringLiteral("ms since start"), QStringLiteral("Direction"),
            QStringLiteral("Pipe"),   QStringLiteral("Bytes / trace"),  QStringLiteral("I2C operation"),
            QStringLiteral("Status"), QStringLiteral("Transaction")};
}

QVariant TransferLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    return columnTitles().at(section);
}

const FeedEntry& TransferLogModel::entryAt(int row) const
{
    if (m_frozen)
        return m_frozenEntries[static_cast<std::size_t>(row)];
    const TransferFeed& feed = m_link.feed();
    const std::uint64_t ringFirst = feed.publishedCount() - feed.entries().size();
    return feed.entries()[static_cast<std::size_t>(m_first + static_cast<std::uint64_t>(row) - ringFirst)];
}

QString TransferLogModel::traceText(int row) const
{
    if (m_frozen)
        return m_frozenTraces[static_cast<std::size_t>(row)];
    return m_link.feed().text(entryAt(row));
}

QString TransferLogModel::text(int row, int column) const
{
    const FeedEntry& entry = entryAt(row);
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
            return traceText(row).simplified();
        const QString bytes = hexBytes(std::span(entry.bytes.begin(), entry.bytes.size()));
        return entry.bytes.truncated() ? bytes + QStringLiteral(" ...") : bytes;
    }
    case Operation:
        return operationText(operationAt(row),
                             [this](DriverStatus status) { return m_link.UsbStatusText(status); });
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
        return text(index.row(), index.column());
    return {};
}

I2cOperation TransferLogModel::operationAt(int row) const
{
    // Entries keep their number while frozen too: the frozen rows are the ring's entries as they were.
    return m_decoding.operationAt(m_first + static_cast<std::uint64_t>(row), m_first,
                                  [this](std::uint64_t number) -> const FeedEntry& {
                                      return entryAt(static_cast<int>(number - m_first));
                                  });
}

std::vector<I2cOperation> TransferLogModel::operations(const QList<int>& rows) const
{
    std::vector<I2cOperation> operations;
    std::optional<std::uint64_t> lastStart;
    for (const int row : rows) {
        I2cOperation operation = operationAt(row);
        if (operation.kind == I2cOperation::Kind::None)
            continue;
        // A command's row: its reply is the next transfer, if the log holds it.
        for (int next = row + 1; !operation.complete() && next < m_rows; ++next) {
            if (entryAt(next).kind != FeedEntry::Kind::Transfer)
                continue;
            if (const I2cOperation reply = operationAt(next); reply.start == operation.start)
                operation = reply;
            break;
        }
        if (lastStart == operation.start)
            continue;
        lastStart = operation.start;
        operations.push_back(operation);
    }
    return operations;
}

QStringList TransferLogModel::rowTexts(int row) const
{
    QStringList texts;
    for (int column = 0; column < ColumnCount; ++column)
        texts << text(row, column);
    return texts;
}

void TransferLogModel::setFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    if (frozen) {
        // Copied before the ring records over them: the copy is as big as the ring at most, and taken once.
        // Rows whose entries the ring dropped since the last refresh are gone already; nothing comes in.
        dropGoneRows();
        m_frozenEntries.reserve(static_cast<std::size_t>(m_rows));
        m_frozenTraces.reserve(static_cast<std::size_t>(m_rows));
        for (int row = 0; row < m_rows; ++row) {
            const FeedEntry& entry = entryAt(row);
            m_frozenEntries.push_back(entry);
            m_frozenTraces.push_back(entry.kind == FeedEntry::Kind::Trace ? m_link.feed().text(entry)
                                                                          : QString());
        }
        m_frozen = true;
        return;
    }
    beginResetModel();
    m_frozen = false;
    m_frozenEntries = {};
    m_frozenTraces = {};
    // The rows the ring dropped meanwhile are gone; what it recorded comes in.
    const TransferFeed& feed = m_link.feed();
    m_first = std::max(m_first, feed.publishedCount() - feed.entries().size());
    m_decoding.forgetBefore(m_first);
    m_rows = static_cast<int>(feed.publishedCount() - m_first);
    endResetModel();
}

void TransferLogModel::clearRows()
{
    beginResetModel();
    const bool frozen = m_frozen;
    m_frozen = false;
    m_frozenEntries = {};
    m_frozenTraces = {};
    m_first = m_link.feed().publishedCount() - m_link.feed().entries().size();
    m_decoding.forgetBefore(m_first);
    m_rows = 0;
    endResetModel();
    // Still paused: from now on the (empty) rows stay as they are.
    if (frozen)
        m_frozen = true;
    else
        sync();
}

void TransferLogModel::sync()
{
    if (m_frozen)
        return;
    dropGoneRows();
    const TransferFeed& feed = m_link.feed();
    const std::uint64_t published = feed.publishedCount();
    const std::uint64_t shownEnd = m_first + static_cast<std::uint64_t>(m_rows);
    if (published > shownEnd) {
        const int added = static_cast<int>(published - shownEnd);
        beginInsertRows({}, m_rows, m_rows + added - 1);
        m_rows += added;
        endInsertRows();
    }
}

void TransferLogModel::dropGoneRows()
{
    const TransferFeed& feed = m_link.feed();
    const std::uint64_t ringFirst = feed.publishedCount() - feed.entries().size();
    if (ringFirst <= m_first)
        return;
    const auto gone = static_cast<int>(std::min<std::uint64_t>(ringFirst - m_first, std::uint64_t(m_rows)));
    if (gone > 0) {
        beginRemoveRows({}, 0, gone - 1);
        m_rows -= gone;
        m_first = ringFirst;
        endRemoveRows();
    }
    m_first = ringFirst;
    m_decoding.forgetBefore(m_first);
}

} // namespace vtx
