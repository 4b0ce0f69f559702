// SPDX-License-Identifier: GPL-3.0-or-later
#include "registerdumpwindow.h"

#include "common/appinfo.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "widgets/busaccess.h"
#include "widgets/csvfile.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/savedfile.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vtx {

const QString RegisterDumpWindow::kTransactionOwner = QStringLiteral("frmRegisterDump");

RegisterDumpWindow::RegisterDumpWindow(BusAccess& access, MessageBoxes& messages, FileDialogs& fileDialogs,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_access(access), m_messages(messages), m_fileDialogs(fileDialogs),
      m_grid(new QTableWidget(16, 16, this)), m_progress(new QProgressBar(this)), m_status(new QLabel(this)),
      m_saveAs(new QPushButton(QStringLiteral("Save As..."), this))
{
    setObjectName(QStringLiteral("frmRegisterDump"));
    setWindowTitle(QStringLiteral("Register Dump"));
    m_grid->setObjectName(QStringLiteral("grdRegisters"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_grid->setFont(fixed);
    for (int i = 0; i < 16; ++i) {
        m_grid->setHorizontalHeaderItem(i, new QTableWidgetItem(hexText(static_cast<std::uint32_t>(i))));
        m_grid->setVerticalHeaderItem(i, new QTableWidgetItem(hex2Text(static_cast<std::uint32_t>(i * 16))));
    }
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_progress->setObjectName(QStringLiteral("prgDump"));
    m_progress->setRange(0, kDumpedRegisterCount);
    m_status->setObjectName(QStringLiteral("lblDumpStatus"));
    m_saveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    m_saveAs->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_saveAs);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    connect(m_saveAs, &QPushButton::clicked, this, &RegisterDumpWindow::cmdSaveAs_Click);
    resize(640, 520);
}

void RegisterDumpWindow::showValue(std::uint8_t registerAddress, const std::optional<std::uint8_t>& value)
{
    auto* item = new QTableWidgetItem(value ? hex2Text(*value) : kNoValue);
    item->setTextAlignment(Qt::AlignCenter);
    item->setToolTip(QStringLiteral("register ") + hex2Text(registerAddress));
    m_grid->setItem(registerAddress / 16, registerAddress % 16, item);
}

bool RegisterDumpWindow::dump(std::uint8_t sevenBit)
{
    const auto run = m_access.session().tryRun(kTransactionOwner);
    if (!run)
        return false;
    setWindowTitle(QStringLiteral("Register Dump ") + sevenBitText(sevenBit) + QStringLiteral(" (") +
                   addressBytesText(sevenBit) + QStringLiteral(")"));
    m_grid->clearContents();
    m_saveAs->setEnabled(false);
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("Reading..."));
    const Result<RegisterDump> result =
        dumpRegisters(m_access.bus(), readAddressByte(sevenBit), [this](const RegisterDumpStep& step) {
            showValue(step.registerAddress, step.value);
            m_progress->setValue(step.done);
            return true;
        });
    QStringList said = run->finish();
    if (result) {
        m_dump = result.value();
        int answered = 0;
        for (const auto& value : m_dump.values)
            answered += value ? 1 : 0;
        m_status->setText(QString::number(answered) + QStringLiteral(" of 256 registers read"));
        m_saveAs->setEnabled(true);
    } else {
        said << result.failure().linkMessages;
        m_status->setText(QStringLiteral("The dump stopped: the USB link failed"));
    }
    if (!said.isEmpty())
        m_messages.showMessage(this, said.join(QLatin1Char('\n')), kApplicationTitle);
    return true;
}

void RegisterDumpWindow::cmdSaveAs_Click()
{
    const QString fileName = m_fileDialogs.saveFileName(
        this, csvSaveRequest(QStringLiteral("Save Register Dump"), QStringLiteral("register-dump.csv")));
    if (fileName.isEmpty())
        return;
    if (const QString error = saveWholeFile(fileName, registerDumpCsv(m_dump).toUtf8()); !error.isEmpty())
        m_messages.showMessage(this, error, kApplicationTitle);
}

} // namespace vtx
