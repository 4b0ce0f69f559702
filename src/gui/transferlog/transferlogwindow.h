// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

namespace vtx {

class FileDialogs;
class Link;
class MessageBoxes;
class TransferLogModel;

// `frmTransferLog`: everything that went over the pipes, and the link's trace lines, newest at the bottom,
// each with the time of day, the milliseconds since start, the direction, the pipe, the bytes in two-digit
// hexadecimal, the I2C operation they carry, the status and the transaction it belongs to (the window that
// ran it). A filter box keeps the rows that contain its text; "Pause" stops new rows coming in; "Clear"
// empties the log; "Save As..." writes the rows shown as CSV; "Save As Script..." writes the I2C operations
// of the selected rows (or of all shown) as a `vtxctl session` script that replays them.
//
// The log is the link's ring of the last 100,000 entries (TransferFeed): the window adds nothing to it and
// says how many older entries the ring has dropped. While the window is closed it is not subscribed, so the
// link does no more per transfer than append to the ring.
class TransferLogWindow final : public QWidget {
    Q_OBJECT
public:
    TransferLogWindow(Link& link, MessageBoxes& messages, FileDialogs& fileDialogs,
                      QWidget* parent = nullptr);
    ~TransferLogWindow() override;

    void cmdPause_Click(bool paused);
    void cmdClear_Click();
    void cmdSaveAs_Click();
    void cmdSaveScript_Click();
    // Brings the rows in line with the ring now rather than when the refresh timer fires.
    void refresh();
    // Whether entries have come that the rows will follow when the refresh timer fires.
    bool refreshPending() const;

    // New entries are shown at most this often: a person cannot read faster, and a table repainted at
    // every transfer would take the time of the transfers themselves.
    static constexpr int kRefreshIntervalMs = 100;

    // The rows as shown (filtered), with the column titles first, as "Save As..." writes them.
    QList<QStringList> shownRows() const;
    // The model's rows that "Save As Script..." writes: those selected, or every row shown when none is.
    QList<int> scriptRows() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void scheduleRefresh();
    void showDropped();

    Link& m_link;
    MessageBoxes& m_messages;
    FileDialogs& m_fileDialogs;
    TransferLogModel* m_model;
    QSortFilterProxyModel* m_filtered;
    QTableView* m_view;
    QLineEdit* m_filter;
    QPushButton* m_pause;
    QLabel* m_dropped;
    QTimer* m_refreshTimer;
    int m_subscription = 0;
};

} // namespace vtx
