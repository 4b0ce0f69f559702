// SPDX-License-Identifier: GPL-3.0-or-later
#include "transferlogwindow.h"

#include "common/appinfo.h"
#include "engine/link.h"
#include "transferlogmodel.h"
#include "widgets/csvfile.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/savedfile.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace vtx {

TransferLogWindow::TransferLogWindow(Link& link, MessageBoxes& messages, FileDialogs& fileDialogs,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_link(link), m_messages(messages), m_fileDialogs(fileDialogs),
      m_model(new TransferLogModel(link, this)), m_filtered(new QSortFilterProxyModel(this)),
      m_view(new QTableView(this)), m_filter(new QLineEdit(this)),
      m_pause(new QPushButton(QStringLiteral("Pause"), this)), m_dropped(new QLabel(this)),
      m_refreshTimer(new QTimer(this))
{
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(kRefreshIntervalMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &TransferLogWindow::refresh);
    setObjectName(QStringLiteral("frmTransferLog"));
    setWindowTitle(QStringLiteral("Transfer Log"));
    m_filtered->setSourceModel(m_model);
    m_filtered->setFilterKeyColumn(-1);
    m_filtered->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_view->setObjectName(QStringLiteral("grdLog"));
    m_view->setModel(m_filtered);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(false);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->horizontalHeader()->setSectionResizeMode(TransferLogModel::Data, QHeaderView::Stretch);
    // Widths from the font rather than from the rows: measuring 100,000 rows would take long.
    const auto width = [this](const char* sample) {
        return m_view->fontMetrics().horizontalAdvance(QLatin1String(sample)) + 16;
    };
    m_view->setColumnWidth(TransferLogModel::Time, width("00:00:00.000"));
    m_view->setColumnWidth(TransferLogModel::SinceStart, width("ms since start"));
    m_view->setColumnWidth(TransferLogModel::Direction, width("Direction"));
    m_view->setColumnWidth(TransferLogModel::Pipe, width("Pipe"));
    m_view->setColumnWidth(TransferLogModel::Operation, width("serial set-up, second part"));
    m_view->setColumnWidth(TransferLogModel::Status, width("&H6 (Operation timed out)"));
    m_view->setColumnWidth(TransferLogModel::Transaction, width("frmI2C_General"));
    m_filter->setObjectName(QStringLiteral("txtFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter"));
    m_filter->setClearButtonEnabled(true);
    m_pause->setObjectName(QStringLiteral("cmdPause"));
    m_pause->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(QStringLiteral("cmdClear"));
    auto* saveAs = new QPushButton(QStringLiteral("Save As..."), this);
    saveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    auto* saveScript = new QPushButton(QStringLiteral("Save As Script..."), this);
    saveScript->setObjectName(QStringLiteral("cmdSaveScript"));
    saveScript->setToolTip(
        QStringLiteral("Saves the I2C operations of the selected rows (or of all rows shown) "
                       "as a script for \"vtxctl session\""));
    m_dropped->setObjectName(QStringLiteral("lblDropped"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    top->addWidget(m_filter, 1);
    top->addWidget(m_pause);
    top->addWidget(clear);
    top->addWidget(saveAs);
    top->addWidget(saveScript);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_dropped);

    connect(m_filter, &QLineEdit::textChanged, m_filtered, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_pause, &QPushButton::toggled, this, &TransferLogWindow::cmdPause_Click);
    connect(clear, &QPushButton::clicked, this, &TransferLogWindow::cmdClear_Click);
    connect(saveAs, &QPushButton::clicked, this, &TransferLogWindow::cmdSaveAs_Click);
    connect(saveScript, &QPushButton::clicked, this, &TransferLogWindow::cmdSaveScript_Click);
    resize(1200, 480);
    showDropped();
}

TransferLogWindow::~TransferLogWindow()
{
    if (m_subscription)
        m_link.feed().unsubscribe(m_subscription);
}

void TransferLogWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_subscription)
        m_subscription = m_link.feed().subscribe([this](const FeedEntry&) { scheduleRefresh(); });
    refresh();
    m_view->scrollToBottom();
}

void TransferLogWindow::hideEvent(QHideEvent* event)
{
    // Closed, the window costs the link nothing per transfer; it catches up with the ring when shown again.
    if (m_subscription)
        m_link.feed().unsubscribe(m_subscription);
    m_subscription = 0;
    m_refreshTimer->stop();
    QWidget::hideEvent(event);
}

void TransferLogWindow::scheduleRefresh()
{
    // Told inside the link's transfer: the rows follow once the timer fires, once for everything since.
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

bool TransferLogWindow::refreshPending() const
{
    return m_refreshTimer->isActive();
}

void TransferLogWindow::refresh()
{
    m_refreshTimer->stop();
    const QScrollBar* const scroll = m_view->verticalScrollBar();
    const bool atBottom = scroll->value() >= scroll->maximum();
    const bool follow = !m_pause->isChecked();
    m_model->sync();
    if (follow && atBottom)
        m_view->scrollToBottom();
    showDropped();
}

void TransferLogWindow::showDropped()
{
    const TransferFeed& feed = m_link.feed();
    m_dropped->setText(
        QStringLiteral("%1 entries shown; %2 older entries dropped (the log keeps the newest %3)")
            .arg(m_filtered->rowCount())
            .arg(feed.droppedCount())
            .arg(feed.capacity()));
}

void TransferLogWindow::cmdPause_Click(bool paused)
{
    if (m_pause->isChecked() != paused) {
        m_pause->setChecked(paused); // comes back here through toggled
        return;
    }
    m_model->setFrozen(paused);
    refresh();
}

void TransferLogWindow::cmdClear_Click()
{
    m_link.feed().clear();
    m_model->clearRows();
    refresh();
}

QList<QStringList> TransferLogWindow::shownRows() const
{
    QList<QStringList> rows{TransferLogModel::columnTitles()};
    for (int row = 0; row < m_filtered->rowCount(); ++row)
        rows << m_model->rowTexts(m_filtered->mapToSource(m_filtered->index(row, 0)).row());
    return rows;
}

void TransferLogWindow::cmdSaveAs_Click()
{
    const QString fileName = m_fileDialogs.saveFileName(
        this, csvSaveRequest(QStringLiteral("Save Transfer Log"), QStringLiteral("transfer-log.csv")));
    if (fileName.isEmpty())
        return;
    QString text;
    for (const QStringList& row : shownRows())
        text += csvLine(row);
    if (const QString error = saveWholeFile(fileName, text.toUtf8()); !error.isEmpty())
        m_messages.showMessage(this, error, kApplicationTitle);
}

QList<int> TransferLogWindow::scriptRows() const
{
    QList<int> rows;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        for (int row = 0; row < m_filtered->rowCount(); ++row)
            rows << m_filtered->mapToSource(m_filtered->index(row, 0)).row();
    } else {
        for (const QModelIndex& index : selected)
            rows << m_filtered->mapToSource(index).row();
    }
    std::ranges::sort(rows);
    return rows;
}

void TransferLogWindow::cmdSaveScript_Click()
{
    const QString fileName = m_fileDialogs.saveFileName(
        this, FileDialogRequest{
                  .title = QStringLiteral("Save As Script"),
                  .fileName = QStringLiteral("transfer-log.txt"),
                  .nameFilters = {QStringLiteral("Session Scripts (*.txt)"), QStringLiteral("All Files (*)")},
                  .selectedFilter = 0,
                  .defaultSuffix = QStringLiteral("txt"),
                  .directory = QString(),
              });
    if (fileName.isEmpty())
        return;
    const std::vector<I2cOperation> operations = m_model->operations(scriptRows());
    const QString script =
        sessionScript(operations, QDateTime::currentDateTimeUtc(),
                      [this](DriverStatus status) { return m_link.UsbStatusText(status); });
    if (const QString error = saveWholeFile(fileName, script.toUtf8()); !error.isEmpty())
        m_messages.showMessage(this, error, kApplicationTitle);
}

} // namespace vtx
