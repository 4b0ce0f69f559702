// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweepwindow.h"

#include "common/appinfo.h"
#include "engine/eepromwear.h"
#include "engine/failurereport.h"
#include "sweeplayout.h"
#include "widgets/eepromwearguard.h"
#include "widgets/objectname.h"
#include "widgets/savedfile.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIODevice>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <utility>

namespace vtx::sweep {

namespace {

const QString kNextStepKey = QStringLiteral("sweep-step");
constexpr int kListedMismatches = 10;

} // namespace

SweepWindow::SweepWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_reporter(context.messages, this),
      m_session(context.link, kDcpPanelLink, m_reporter)
{
    setObjectName(QStringLiteral("frmSweep"));
    setWindowTitle(QStringLiteral("Sweep and Verify"));

    const SweepLayout ui = buildSweepLayout(*this);
    m_from = ui.from;
    m_to = ui.to;
    m_step = ui.step;
    m_register = ui.registerMode;
    m_eeprom = ui.eepromMode;
    m_restore = ui.restore;
    m_start = ui.start;
    m_stop = ui.stop;
    m_saveAs = ui.saveAs;
    m_progress = ui.progress;
    m_mismatches = ui.mismatches;
    m_status = ui.status;
    m_table = ui.table;
    m_chart = ui.chart;
    m_matched = ui.matched;
    m_mismatched = ui.mismatched;

    LinkClient& client = m_session.client();
    m_session.setBracketPolicy(BracketPolicy{
        // An open link stays: somebody else's as it is, the run's until its last transaction. Asked again at
        // each opening, so a link another window closed meanwhile is opened again.
        .userHoldsLink = [this] { return m_context.link.UsbOpen; },
        .leavesOpenLink = false,
        .open =
            [this, &client] {
                client.Connect_Usb();
                m_runHoldsLink = isRunning() && m_context.link.UsbOpen;
            },
        .close = [&client] { client.Disconnect_USB(); },
    });

    connect(m_start, &QPushButton::clicked, this, &SweepWindow::cmdStart_Click);
    connect(m_stop, &QPushButton::clicked, this, &SweepWindow::cmdStop_Click);
    connect(m_saveAs, &QPushButton::clicked, this, &SweepWindow::cmdSaveAs_Click);
    setRunning(false);
    resize(980, 520);
}

SweepWindow::~SweepWindow()
{
    // A run cut short by the window going: the link it opened is not left open behind it.
    if (m_runHoldsLink && m_context.link.UsbOpen)
        m_session.client().Disconnect_USB();
}

void SweepWindow::releaseRunLink()
{
    if (!std::exchange(m_runHoldsLink, false) || !m_context.link.UsbOpen)
        return;
    m_session.client().Disconnect_USB();
    m_session.client().releaseFailedOpen();
}

SweepSettings SweepWindow::settingsFromControls() const
{
    SweepSettings settings;
    settings.from = m_from->value();
    settings.to = m_to->value();
    settings.step = m_step->value();
    settings.mode = m_eeprom->isChecked() ? ProgrammingMode::Eeprom : ProgrammingMode::Register;
    settings.restoreWiper = m_restore->isChecked();
    return settings;
}

void SweepWindow::setRunning(bool running)
{
    for (QWidget* control :
         {static_cast<QWidget*>(m_from), static_cast<QWidget*>(m_to), static_cast<QWidget*>(m_step),
          static_cast<QWidget*>(m_register), static_cast<QWidget*>(m_eeprom), static_cast<QWidget*>(m_start),
          static_cast<QWidget*>(m_saveAs)})
        control->setEnabled(!running);
    m_restore->setEnabled(!running && m_register->isChecked());
    m_stop->setEnabled(running);
}

void SweepWindow::cmdStart_Click()
{
    if (isRunning())
        return;
    const SweepSettings settings = settingsFromControls();
    const int writes = static_cast<int>(DcpSweep::positions(settings).size());
    if (settings.mode == ProgrammingMode::Eeprom &&
        !confirmEepromWear(m_context.questions, m_context.link.dcpSession(), this,
                           eepromSweepQuestion(writes)))
        return;
    m_sweep = std::make_unique<DcpSweep>(m_session.dcp(), settings);
    m_phase = Phase::Begin;
    m_stopRequested = false;
    m_rows.clear();
    m_table->setRowCount(0);
    m_matched->clear();
    m_mismatched->clear();
    m_progress->setRange(0, writes);
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("Sweeping..."));
    showMismatches();
    setRunning(true);
    runNext();
}

void SweepWindow::cmdStop_Click()
{
    if (isRunning())
        m_stopRequested = true;
}

void SweepWindow::scheduleNext()
{
    // Through the event loop, so that clicks, ticks and repaints get their turn between two positions.
    QTimer::singleShot(0, this, &SweepWindow::runNext);
}

void SweepWindow::runNext()
{
    if (!isRunning())
        return;
    // The first piece opens the link unless someone keeps it open; the last closes it.
    bool goOn = false;
    const bool ran = m_session.transaction(QString(), [this, &goOn](BracketedTransfers& transfers) {
        m_openMessages = transfers.openMessages();
        goOn = runPhase();
        if (!goOn)
            releaseRunLink();
    });
    if (!ran) {
        m_session.guard().whenIdle(kNextStepKey, [self = QPointer(this)] {
            if (self)
                self->runNext();
        });
        return;
    }
    if (goOn)
        scheduleNext();
    else
        finish();
}

bool SweepWindow::runPhase()
{
    switch (m_phase) {
    case Phase::Begin:
        if (const Result<Done> begun = m_sweep->begin(); !begun) {
            stopForFailure(
                QStringLiteral("The wiper position could not be read before the sweep, so the sweep "
                               "did not start."),
                begun.failure());
            return false;
        }
        m_phase = m_sweep->atEnd() ? Phase::Restore : Phase::Steps;
        return true;
    case Phase::Steps: {
        if (m_stopRequested) {
            m_phase = Phase::Restore;
            return runPhase();
        }
        const Result<SweepRow> step = m_sweep->step();
        addRow(m_sweep->rows().back());
        if (!step && step.failure().kind == Failure::Kind::Link) {
            stopForFailure(
                QStringLiteral("The sweep stopped at position %1: the link to the USB control module "
                               "failed.")
                    .arg(m_sweep->rows().back().position),
                step.failure());
            return false;
        }
        if (m_sweep->atEnd())
            m_phase = Phase::Restore;
        return true;
    }
    case Phase::Restore:
        if (const Result<Done> restored = m_sweep->restore(); !restored)
            stopForFailure(QStringLiteral("The wiper could not be put back to position %1.")
                               .arg(m_sweep->startPosition().value_or(0)),
                           restored.failure());
        return false;
    }
    return false;
}

void SweepWindow::stopForFailure(const QString& what, const Failure& failure)
{
    // The status line names the position; the box adds the link's words, not the module's cause.
    m_reporter.report(describeFailure(what, failure, m_openMessages, ModuleCause::Left).boxText(),
                      kApplicationTitle);
    m_status->setText(what);
}

void SweepWindow::finish()
{
    if (m_status->text() == QLatin1String("Sweeping...")) {
        const QString ended = m_stopRequested ? QStringLiteral("Stopped after %1 of %2 positions")
                                              : QStringLiteral("Done: %1 of %2 positions");
        QString text = ended.arg(m_sweep->done()).arg(m_sweep->total());
        if (m_sweep->startPosition())
            text += QStringLiteral(", wiper put back to position %1").arg(*m_sweep->startPosition());
        m_status->setText(text);
    }
    m_sweep.reset();
    setRunning(false);
}

void SweepWindow::addRow(const SweepRow& row)
{
    m_rows.push_back(row);
    const int r = m_table->rowCount();
    m_table->insertRow(r);
    const QStringList fields = sweepCsvLine(row).split(u',');
    for (int c = 0; c < fields.size() && c < m_table->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(fields[c]);
        item->setTextAlignment(Qt::AlignCenter);
        if (c == kSweepResultColumn)
            item->setToolTip(fields[c]);
        if (!row.matches())
            item->setForeground(QColor(255, 0, 0));
        m_table->setItem(r, c, item);
    }
    if (const auto read = row.readPosition())
        (row.matches() ? m_matched : m_mismatched)->append(row.position, *read);
    m_progress->setValue(static_cast<int>(m_rows.size()));
    if (!row.matches())
        showMismatches();
}

void SweepWindow::showMismatches()
{
    QStringList positions;
    int mismatches = 0;
    int failures = 0;
    for (const SweepRow& row : m_rows) {
        if (row.outcome == SweepRow::Outcome::Mismatch) {
            // The first few by name; a fault that hits half the range would fill the window otherwise.
            if (++mismatches <= kListedMismatches)
                positions << QStringLiteral("%1 (read %2)").arg(row.position).arg(*row.readPosition());
        } else if (!row.matches()) {
            ++failures;
        }
    }
    QString text = QStringLiteral("Mismatches: %1").arg(mismatches);
    if (!positions.isEmpty())
        text += QStringLiteral(" at positions ") + positions.join(QStringLiteral(", "));
    if (mismatches > kListedMismatches)
        text += QStringLiteral(" and %1 more").arg(mismatches - kListedMismatches);
    if (failures > 0)
        text += QStringLiteral("; failed transfers: %1").arg(failures);
    m_mismatches->setText(text);
}

void SweepWindow::cmdSaveAs_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save Sweep");
    request.fileName = QStringLiteral("sweep.csv");
    request.nameFilters = {QStringLiteral("Comma-separated values (*.csv)")};
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = m_context.fileDialogs.saveFileName(this, request);
    if (path.isEmpty())
        return;
    QString csv = sweepCsvHeader() + u'\n';
    for (const SweepRow& row : m_rows)
        csv += sweepCsvLine(row) + u'\n';
    const QByteArray bytes = csv.toUtf8();
    const QString error = saveWholeFile(path, bytes);
    if (!error.isEmpty())
        m_reporter.report(error, kApplicationTitle);
}

void SweepWindow::closeEvent(QCloseEvent* event)
{
    // The sweep ends (the wiper put back) rather than going on behind a closed window.
    cmdStop_Click();
    QWidget::closeEvent(event);
}

} // namespace vtx::sweep
