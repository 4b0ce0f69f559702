// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweeplayout.h"

#include "engine/wiperposition.h"
#include "widgets/darkpalette.h"
#include "widgets/objectname.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace vtx::sweep {

namespace {

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

} // namespace

SweepLayout buildSweepLayout(QWidget& window)
{
    SweepLayout ui;
    auto* range = named(new QGroupBox(QStringLiteral("Positions")), "grpRange");
    ui.from = positionBox("spnFrom", kFirstPosition);
    ui.to = positionBox("spnTo", kLastPosition);
    ui.step = named(new QSpinBox, "spnStep");
    ui.step->setRange(1, kPositionCount - 1);
    ui.step->setValue(1);
    auto* rangeLayout = new QFormLayout(range);
    rangeLayout->addRow(QStringLiteral("From"), ui.from);
    rangeLayout->addRow(QStringLiteral("To"), ui.to);
    rangeLayout->addRow(QStringLiteral("Step"), ui.step);

    auto* mode = named(new QGroupBox(QStringLiteral("Programming Mode")), "grpMode");
    ui.registerMode = named(new QRadioButton(QStringLiteral("Register")), "optRegister");
    ui.eepromMode = named(new QRadioButton(QStringLiteral("EEPROM")), "optEeprom",
                          QStringLiteral("Writes every position to the EEPROM: each one wears its cells"));
    ui.registerMode->setChecked(true);
    ui.restore = named(new QCheckBox(QStringLiteral("Put the wiper back afterwards")), "chkRestore",
                       QStringLiteral("In Register mode, writes the position the wiper had before the sweep "
                                      "once it is over"));
    ui.restore->setChecked(true);
    auto* modeLayout = new QVBoxLayout(mode);
    modeLayout->addWidget(ui.registerMode);
    modeLayout->addWidget(ui.eepromMode);
    modeLayout->addWidget(ui.restore);
    QObject::connect(ui.registerMode, &QRadioButton::toggled, ui.restore, &QCheckBox::setEnabled);

    ui.start = named(new QPushButton(QStringLiteral("Start")), "cmdStart");
    ui.stop = named(new QPushButton(QStringLiteral("Stop")), "cmdStop");
    ui.saveAs = named(new QPushButton(QStringLiteral("Save As...")), "cmdSaveAs",
                      QStringLiteral("Saves the table as comma-separated values"));
    ui.progress = named(new QProgressBar, "prgSweep");
    ui.progress->setRange(0, 1);
    ui.progress->setValue(0);

    auto* settings = new QVBoxLayout;
    settings->addWidget(range);
    settings->addWidget(mode);
    settings->addWidget(ui.start);
    settings->addWidget(ui.stop);
    settings->addWidget(ui.saveAs);
    settings->addStretch(1);

    ui.mismatches = named(new QLabel(QStringLiteral("Mismatches: 0")), "lblMismatches");
    ui.mismatches->setWordWrap(true);
    QFont bold = ui.mismatches->font();
    bold.setBold(true);
    ui.mismatches->setFont(bold);
    ui.status = named(new QLabel, "lblSweepStatus");

    ui.table = named(new QTableWidget(0, 6), "tblSweep");
    ui.table->setHorizontalHeaderLabels({QStringLiteral("Position"), QStringLiteral("Written"),
                                         QStringLiteral("Read"), QStringLiteral("Read position"),
                                         QStringLiteral("Result"), QStringLiteral("Write cycle (ms)")});
    ui.table->verticalHeader()->setVisible(false);
    ui.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.table->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A long result text must not push "Write cycle (ms)" out of view: it takes the room left and ends in
    // "...", its whole text in the tool tip.
    ui.table->horizontalHeader()->setSectionResizeMode(kSweepResultColumn, QHeaderView::Stretch);
    ui.table->setTextElideMode(Qt::ElideRight);
    // Every column in view, with room for the scroll bar.
    ui.table->setMinimumWidth(ui.table->horizontalHeader()->length() + 2 * ui.table->frameWidth() +
                              ui.table->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);

    ui.chart = new QChart;
    // Before the series: Qt Charts' dark theme on a dark desktop, the series keeping their own pens.
    ui.chart->setTheme(isDark(window.palette()) ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    ui.chart->setTitle(QStringLiteral("Read position against written position"));
    auto* ideal = new QLineSeries;
    ideal->setName(QStringLiteral("Ideal"));
    ideal->append(kFirstPosition, kFirstPosition);
    ideal->append(kLastPosition, kLastPosition);
    QPen idealPen(Qt::gray);
    idealPen.setStyle(Qt::DashLine);
    ideal->setPen(idealPen);
    ui.matched = new QScatterSeries;
    ui.matched->setName(QStringLiteral("OK"));
    ui.matched->setMarkerSize(6);
    ui.matched->setColor(QColor(0, 128, 0));
    ui.mismatched = new QScatterSeries;
    ui.mismatched->setName(QStringLiteral("Mismatch"));
    ui.mismatched->setMarkerSize(9);
    ui.mismatched->setColor(QColor(255, 0, 0));
    ui.chart->addSeries(ideal);
    ui.chart->addSeries(ui.matched);
    ui.chart->addSeries(ui.mismatched);
    QValueAxis* written = positionAxis(QStringLiteral("Written position"));
    QValueAxis* read = positionAxis(QStringLiteral("Read position"));
    ui.chart->addAxis(written, Qt::AlignBottom);
    ui.chart->addAxis(read, Qt::AlignLeft);
    for (QAbstractSeries* series : ui.chart->series()) {
        series->attachAxis(written);
        series->attachAxis(read);
    }
    auto* chartView = named(new QChartView(ui.chart), "chvSweep");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(380, 300);

    auto* results = new QSplitter(Qt::Horizontal);
    results->addWidget(ui.table);
    results->addWidget(chartView);
    results->setStretchFactor(1, 1);
    results->setChildrenCollapsible(false);

    auto* right = new QVBoxLayout;
    right->addWidget(ui.mismatches);
    right->addWidget(ui.progress);
    right->addWidget(results, 1);
    right->addWidget(ui.status);

    auto* layout = new QHBoxLayout(&window);
    layout->addLayout(settings);
    layout->addLayout(right, 1);

    return ui;
}

} // namespace vtx::sweep
