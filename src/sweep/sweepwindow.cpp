// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweepwindow.h"

#include "common/appinfo.h"
#include "engine/eepromwear.h"
#include "ui/darkpalette.h"
#include "ui/eepromwearguard.h"
#include "ui/objectname.h"
#include "ui/savedfile.h"

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

namespace vtx::sweep {

namespace {

const QString kNextStepKey = QStringLiteral("sweep-step");
constexpr int kListedMismatches = 10;

QSpinBox* positionBox(const char* objectName, int value)
{
    auto* box = named(new QSpinBox, objectName);
    box->setRange(kFirstPosition, kLastPosition);
    box->setValue(value);
    return box;
}

// Positions 1 to 128, with a tick at every 16th position (16, 32, ... 128): the marks a user counts
// positions by.
QValueAxis* positionAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(kFirstPosition, kLastPosition);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(16);
    axis->setLabelFormat(QStringLiteral("%d"));
    return axis;
}

constexpr int kResultColumn = 4;

} // namespace

SweepWindow::SweepWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_reporter(context.messages, this),
      m_client(context.link, kDcpPanelLink, m_linkView, m_reporter), m_bus(m_client),
      m_device(m_bus, context.link.clock())
{
    setObjectName(QStringLiteral("frmSweep"));
    setWindowTitle(QStringLiteral("Sweep and Verify"));

    auto* range = named(new QGroupBox(QStringLiteral("Positions")), "grpRange");
    m_from = positionBox("spnFrom", kFirstPosition);
    m_to = positionBox("spnTo", kLastPosition);
    m_step = named(new QSpinBox, "spnStep");
    m_step->setRange(1, kPositionCount - 1);
    m_step->setValue(1);
    auto* rangeLayout = new QFormLayout(range);
    rangeLayout->addRow(QStringLiteral("From"), m_from);
    rangeLayout->addRow(QStringLiteral("To"), m_to);
    rangeLayout->addRow(QStringLiteral("Step"), m_step);

    auto* mode = named(new QGroupBox(QStringLiteral("Programming Mode")), "grpMode");
    m_register = named(new QRadioButton(QStringLiteral("Register")), "optRegister");
    m_eeprom = named(new QRadioButton(QStringLiteral("EEPROM")), "optEeprom",
                     QStringLiteral("Writes every position to the EEPROM: each one wears its cells"));
    m_register->setChecked(true);
    m_restore = named(new QCheckBox(QStringLiteral("Put the wiper back afterwards")), "chkRestore",
                      QStringLiteral("In Register mode, writes the position the wiper had before the sweep "
                                     "once it is over"));
    m_restore->setChecked(true);
    auto* modeLayout = new QVBoxLayout(mode);
    modeLayout->addWidget(m_register);
    modeLayout->addWidget(m_eeprom);
    modeLayout->addWidget(m_restore);
    connect(m_register, &QRadioButton::toggled, m_restore, &QCheckBox::setEnabled);

    m_start = named(new QPushButton(QStringLiteral("Start")), "cmdStart");
    m_stop = named(new QPushButton(QStringLiteral("Stop")), "cmdStop");
    m_saveAs = named(new QPushButton(QStringLiteral("Save As...")), "cmdSaveAs",
                     QStringLiteral("Saves the table as comma-separated values"));
    m_progress = named(new QProgressBar, "prgSweep");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    auto* settings = new QVBoxLayout;
    settings->addWidget(range);
    settings->addWidget(mode);
    settings->addWidget(m_start);
    settings->addWidget(m_stop);
    settings->addWidget(m_saveAs);
    settings->addStretch(1);

    m_mismatches = named(new QLabel(QStringLiteral("Mismatches: 0")), "lblMismatches");
    m_mismatches->setWordWrap(true);
    QFont bold = m_mismatches->font();
    bold.setBold(true);
    m_mismatches->setFont(bold);
    m_status = named(new QLabel, "lblSweepStatus");

    m_table = named(new QTableWidget(0, 6), "tblSweep");
    m_table->setHorizontalHeaderLabels({QStringLiteral("Position"), QStringLiteral("Written"),
                                        QStringLiteral("Read"), QStringLiteral("Read position"),
                                        QStringLiteral("Result"), QStringLiteral("Write cycle (ms)")});
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A long result text must not push "Write cycle (ms)" out of view: it takes the room left and ends in
    // "...", its whole text in the tool tip.
    m_table->horizontalHeader()->setSectionResizeMode(kResultColumn, QHeaderView::Stretch);
    m_table->setTextElideMode(Qt::ElideRight);
    // Every column in view, with room for the scroll bar.
    m_table->setMinimumWidth(m_table->horizontalHeader()->length() + 2 * m_table->frameWidth() +
                             m_table->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);

    m_chart = new QChart;
    // Before the series: Qt Charts' dark theme on a dark desktop, the series keeping their own pens.
    m_chart->setTheme(isDark(palette()) ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    m_chart->setTitle(QStringLiteral("Read position against written position"));
    auto* ideal = new QLineSeries;
    ideal->setName(QStringLiteral("Ideal"));
    ideal->append(kFirstPosition, kFirstPosition);
    ideal->append(kLastPosition, kLastPosition);
    QPen idealPen(Qt::gray);
    idealPen.setStyle(Qt::DashLine);
    ideal->setPen(idealPen);
    m_matched = new QScatterSeries;
    m_matched->setName(QStringLiteral("OK"));
    m_matched->setMarkerSize(6);
    m_matched->setColor(QColor(0, 128, 0));
    m_mismatched = new QScatterSeries;
    m_mismatched->setName(QStringLiteral("Mismatch"));
    m_mismatched->setMarkerSize(9);
    m_mismatched->setColor(QColor(255, 0, 0));
    m_chart->addSeries(ideal);
    m_chart->addSeries(m_matched);
    m_chart->addSeries(m_mismatched);
    QValueAxis* written = positionAxis(QStringLiteral("Written position"));
    QValueAxis* read = positionAxis(QStringLiteral("Read position"));
    m_chart->addAxis(written, Qt::AlignBottom);
    m_chart->addAxis(read, Qt::AlignLeft);
    for (QAbstractSeries* series : m_chart->series()) {
        series->attachAxis(written);
        series->attachAxis(read);
    }
    auto* chartView = named(new QChartView(m_chart), "chvSweep");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(380, 300);

    auto* results = new QSplitter(Qt::Horizontal);
    results->addWidget(m_table);
    results->addWidget(chartView);
    results->setStretchFactor(1, 1);
    results->setChildrenCollapsible(false);

    auto* right = new QVBoxLayout;
    right->addWidget(m_mismatches);
    right->addWidget(m_progress);
    right->addWidget(results, 1);
    right->addWidget(m_status);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(right, 1);

    connect(m_start, &QPushButton::clicked, this, &SweepWindow::cmdStart_Click);
    connect(m_stop, &QPushButton::clicked, this, &SweepWindow::cmdStop_Click);
    connect(m_saveAs, &QPushButton::clicked, this, &SweepWindow::cmdSaveAs_Click);
    setRunning(false);
    resize(980, 520);
}

SweepWindow::~SweepWindow() = default;

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
    m_sweep = std::make_unique<DcpSweep>(m_device, settings);
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
    TransactionGuard& guard = m_context.link.guard();
    auto scope = guard.tryBegin();
    if (!scope) {
        guard.whenIdle(kNextStepKey, [self = QPointer(this)] {
            if (self)
                self->runNext();
        });
        return;
    }
    Link& link = m_context.link;
    // The link is opened around this piece unless someone keeps it open.
    const bool bracket = !link.UsbOpen;
    bool goOn = false;
    {
        Link::MessageCapture opening(link);
        if (bracket)
            m_client.Connect_Usb();
        m_openMessages = opening.messages();
    }
    goOn = runPhase();
    if (bracket) {
        m_client.Disconnect_USB();
        m_client.releaseFailedOpen();
    }
    scope.reset();
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
    QStringList lines = m_openMessages + failure.linkMessages;
    for (QString& line : lines)
        line = line.trimmed();
    m_reporter.report(lines.isEmpty() ? what : what + QStringLiteral("\n\n") + lines.join(u'\n'),
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
        if (c == kResultColumn)
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
