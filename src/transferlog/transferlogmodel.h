// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>

namespace vtx {

class Link;
struct FeedEntry;

// The transfer log's rows: a view onto the link's ring of published transfers and trace lines, oldest at the
// top. It copies nothing: a row is an entry of the ring, found by its number in the order of publishing, so a
// ring of 100,000 entries costs the model no more than its row count.
class TransferLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, SinceStart, Direction, Pipe, Data, Status, Transaction, ColumnCount };

    explicit TransferLogModel(Link& link, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Brings the rows in line with the ring: rows whose entries the ring dropped go; entries published since
    // the last call come in at the bottom unless `follow` is false (the log is paused).
    void sync(bool follow);
    // Every column of a row as shown.
    QStringList rowTexts(int row) const;
    static QStringList columnTitles();

private:
    const FeedEntry& entryAt(int row) const;
    QString text(const FeedEntry& entry, int column) const;

    Link& m_link;
    std::uint64_t m_first = 0; // number of the entry in row 0
    int m_rows = 0;
};

} // namespace vtx
