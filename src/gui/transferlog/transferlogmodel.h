// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/transferdecoder.h"
#include "engine/transferfeed.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace vtx {

class Link;

// The transfer log's rows: a view onto the link's ring of published transfers and trace lines, oldest at the
// top. While following it copies nothing: a row is an entry of the ring, found by its number in the order of
// publishing, so a ring of 100,000 entries costs the model no more than its row count. Frozen (the log
// paused) it keeps its own copy of the rows it showed, because the ring goes on recording over them.
class TransferLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, SinceStart, Direction, Pipe, Data, Operation, Status, Transaction, ColumnCount };

    explicit TransferLogModel(Link& link, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Brings the rows in line with the ring: rows whose entries the ring dropped go; entries published since
    // the last call come in at the bottom. Frozen, nothing changes.
    void sync();
    // Frozen, the rows stay those shown at the moment of freezing, in time order, whatever the ring does;
    // thawed, they follow the ring again from where it stands.
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }
    // No rows (after the ring was cleared): also the frozen ones go.
    void clearRows();
    // Every column of a row as shown.
    QStringList rowTexts(int row) const;
    static QStringList columnTitles();
    // What a row's transfer did on the bus or to the module, decoded from the rows before it.
    I2cOperation operationAt(int row) const;
    // The operations of the rows (sorted, as rows of this model), each once and whole: a command's row and
    // its reply's row give one operation, complete even when only the command's row is among them.
    std::vector<I2cOperation> operations(const QList<int>& rows) const;

private:
    void dropGoneRows();
    const FeedEntry& entryAt(int row) const;
    QString text(int row, int column) const;
    // The trace line of a row, from the copy while frozen (the ring's text room may have reused its place).
    QString traceText(int row) const;

    Link& m_link;
    std::uint64_t m_first = 0; // number of the entry in row 0
    int m_rows = 0;
    bool m_frozen = false;
    std::vector<FeedEntry> m_frozenEntries;
    std::vector<QString> m_frozenTraces; // the trace line of each frozen entry; empty for transfers
    mutable DecodingCache m_decoding;    // filled as rows are shown
};

} // namespace vtx
