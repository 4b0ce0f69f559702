// SPDX-License-Identifier: GPL-3.0-or-later
#include "busscanwindow.h"

#include "common/appinfo.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "engine/busscan.h"
#include "registerdump/registerdumpwindow.h"
#include "widgets/busaccess.h"
#include "widgets/messageboxes.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vtx {

namespace {

constexpr int kRows = 8;
constexpr int kColumns = 16;
const QColor kAnsweringGround(0, 255, 0); // the lamps' light green
const QColor kReservedGround(192, 192, 192);
// The value kept in each probed cell: whether its address answered.
constexpr int kAnsweredRole = Qt::UserRole;

bool isProbed(int sevenBit)
{
    return sevenBit >= kFirstProbedAddress && sevenBit <= kLastProbedAddress;
}

} // namespace

const QString BusScanWindow::kTransactionOwner = QStringLiteral("frmBusScan");
const QString BusScanWindow::kLinkFailedText = QStringLiteral("The bus scan stopped: the USB link failed.");

BusScanWindow::BusScanWindow(BusAccess& access, MessageBoxes& messages, FileDialogs& fileDialogs,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_access(access), m_messages(messages), m_fileDialogs(fileDialogs),
      m_grid(new QTableWidget(kRows, kColumns, this)), m_progress(new QProgressBar(this)),
      m_status(new QLabel(this)), m_scan(new QPushButton(QStringLiteral("Scan"), this)),
      m_stop(new QPushButton(QStringLiteral("Stop"), this)),
      m_dump(new QPushButton(QStringLiteral("Dump"), this))
{
    setObjectName(QStringLiteral("frmBusScan"));
    setWindowTitle(QStringLiteral("I2C Bus Scan"));
    m_grid->setObjectName(QStringLiteral("grdAddresses"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (int c = 0; c < kColumns; ++c)
        m_grid->setHorizontalHeaderItem(c, new QTableWidgetItem(hexText(static_cast<std::uint32_t>(c))));
    for (int r = 0; r < kRows; ++r)
        m_grid->setVerticalHeaderItem(r, new QTableWidgetItem(hex2Text(static_cast<std::uint32_t>(r * 16))));
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_progress->setObjectName(QStringLiteral("prgScan"));
    m_progress->setRange(0, kProbedAddressCount);
    m_progress->setValue(0);
    m_status->setObjectName(QStringLiteral("lblScanStatus"));
    m_scan->setObjectName(QStringLiteral("cmdScan"));
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_dump->setObjectName(QStringLiteral("cmdDump"));
    m_dump->setToolTip(QStringLiteral("Reads registers 00 to FF of the selected address"));
    auto* legend = new QLabel(QStringLiteral("Green: the address answered (double-click to use it).  "
                                             "--: no answer.  Grey: reserved, not probed."),
                              this);
    legend->setObjectName(QStringLiteral("lblLegend"));
    legend->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_scan);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_dump);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(legend);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_scan, &QPushButton::clicked, this, [this] { cmdScan_Click(); });
    connect(m_stop, &QPushButton::clicked, this, &BusScanWindow::cmdStop_Click);
    connect(m_dump, &QPushButton::clicked, this, &BusScanWindow::cmdDump_Click);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &BusScanWindow::grdAddresses_DoubleClick);
    connect(m_grid, &QTableWidget::currentCellChanged, this, &BusScanWindow::updateButtons);
    resetGrid();
    updateButtons();
    resize(620, 360);
}

BusScanWindow::~BusScanWindow() = default;

void BusScanWindow::resetGrid()
{
    for (int sevenBit = 0; sevenBit < kRows * kColumns; ++sevenBit) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        const auto address = static_cast<std::uint8_t>(sevenBit);
        if (isProbed(sevenBit)) {
            item->setToolTip(sevenBitText(address) + QStringLiteral(": ") + addressBytesText(address));
        } else {
            item->setBackground(kReservedGround);
            item->setToolTip(sevenBitText(address) + QStringLiteral(": reserved"));
        }
        m_grid->setItem(sevenBit / kColumns, sevenBit % kColumns, item);
    }
}

void BusScanWindow::showProbe(std::uint8_t sevenBit, bool answered)
{
    QTableWidgetItem* const item = m_grid->item(sevenBit / kColumns, sevenBit % kColumns);
    item->setData(kAnsweredRole, answered);
    if (answered) {
        item->setText(hex2Text(sevenBit));
        item->setBackground(kAnsweringGround);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        item->setToolTip(addressBytesText(sevenBit));
    } else {
        item->setText(kNoValue);
    }
}

bool BusScanWindow::cmdScan_Click()
{
    const auto run = m_access.session().tryRun(kTransactionOwner);
    if (!run)
        return false;
    m_scanning = true;
    m_stopRequested = false;
    resetGrid();
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("Scanning..."));
    updateButtons();
    const Result<BusScan> result = scanBus(m_access.bus(), [this](const BusScanStep& step) {
        showProbe(step.address, step.answered);
        m_progress->setValue(step.done);
        return !m_stopRequested;
    });
    QStringList said = run->finish();
    m_scanning = false;
    if (result) {
        const BusScan& scan = result.value();
        QStringList found;
        for (const std::uint8_t address : scan.answering)
            found << sevenBitText(address);
        QString text = scan.answering.empty()
                           ? QStringLiteral("No device answered")
                           : QStringLiteral("Answering: ") + found.join(QStringLiteral(", "));
        if (scan.stopped)
            text += QStringLiteral(" (stopped after %1 of %2 addresses)")
                        .arg(scan.probed)
                        .arg(kProbedAddressCount);
        m_status->setText(text);
        if (!said.isEmpty())
            m_messages.showMessage(this, said.join(QLatin1Char('\n')), kApplicationTitle);
    } else {
        m_status->setText(kLinkFailedText);
        said << result.failure().linkMessages;
        said.removeDuplicates();
        m_messages.showMessage(this, kLinkFailedText + QStringLiteral("\n\n") + said.join(QLatin1Char('\n')),
                               kApplicationTitle);
    }
    updateButtons();
    return true;
}

void BusScanWindow::cmdStop_Click()
{
    m_stopRequested = true;
}

std::optional<std::uint8_t> BusScanWindow::selectedAnsweringAddress() const
{
    const QTableWidgetItem* const item = m_grid->currentItem();
    if (!item || !item->data(kAnsweredRole).toBool())
        return std::nullopt;
    return static_cast<std::uint8_t>(item->row() * kColumns + item->column());
}

void BusScanWindow::updateButtons()
{
    m_scan->setEnabled(!m_scanning);
    m_stop->setEnabled(m_scanning);
    m_dump->setEnabled(!m_scanning && selectedAnsweringAddress().has_value());
}

void BusScanWindow::grdAddresses_DoubleClick(int row, int column)
{
    const QTableWidgetItem* const item = m_grid->item(row, column);
    if (m_scanning || !item || !item->data(kAnsweredRole).toBool())
        return;
    emit addressChosen(static_cast<std::uint8_t>(row * kColumns + column));
}

void BusScanWindow::cmdDump_Click()
{
    const auto address = selectedAnsweringAddress();
    if (!address || m_scanning)
        return;
    if (!m_dumpWindow)
        m_dumpWindow = new RegisterDumpWindow(m_access, m_messages, m_fileDialogs, this);
    m_dumpWindow->show();
    m_dumpWindow->raise();
    m_dumpWindow->dump(*address);
}

void BusScanWindow::closeEvent(QCloseEvent* event)
{
    // A running scan ends after the address being probed; the window hides meanwhile.
    m_stopRequested = true;
    event->accept();
}

} // namespace vtx
