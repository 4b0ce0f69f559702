// SPDX-License-Identifier: GPL-3.0-or-later
#include "readbackplotwindow.h"

#include "common/appinfo.h"
#include "readbackcsv.h"
#include "widgets/darkpalette.h"
#include "widgets/objectname.h"
#include "widgets/savedfile.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QIODevice>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace vtx::plot {

namespace {

constexpr double kFailedMarkY = 0; // below position 1: failed reads sit on the time axis
constexpr qsizetype kMostDottedReads = 150;
// Reads further apart than this, or with a failed read between them, are not joined by a line: nothing is
// known of the wiper in between. Timed reads come at most a second or two apart in normal use.
constexpr double kLongestJoinSeconds = 5.0;
// More runs than this in view are drawn joined from the last one on, so a flaky bus cannot make the chart
// hold thousands of series.
constexpr qsizetype kMostReadRuns = 64;

double seconds(std::int64_t ms)
{
    return static_cast<double>(ms) / 1000.0;
}

// A tick step of 1, 2 or 5 times a power of ten that gives about six ticks over `span` seconds, so the ticks
// stay on round times while the chart moves.
double tickStep(double span)
{
    const double rough = span / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (rough <= factor * power)
            return factor * power;
    }
    return 10.0 * power;
}

} // namespace

ReadbackPlotWindow::ReadbackPlotWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(context), m_reporter(context.messages, this)
{
    setObjectName(QStringLiteral("frmReadbackPlot"));
    setWindowTitle(QStringLiteral("Read-back Plot"));

    m_pause = named(new QCheckBox(QStringLiteral("Pause")), "chkPause",
                    QStringLiteral("Holds the chart still; the history goes on filling."));
    m_window = named(new QSpinBox, "spnWindow", QStringLiteral("How many seconds the chart shows"));
    m_window->setRange(1, 24 * 3600);
    m_window->setValue(kDefaultWindowSeconds);
    m_window->setSuffix(QStringLiteral(" s"));
    m_resetZoom = named(new QPushButton(QStringLiteral("Reset Zoom")), "cmdResetZoom",
                        QStringLiteral("Back to the last seconds, following the reads as they come"));
    m_saveAs = named(new QPushButton(QStringLiteral("Save As...")), "cmdSaveAs",
                     QStringLiteral("Saves the whole history as CSV, or the chart as PNG"));
    m_points = named(new QLabel, "lblPoints");

    m_chart = new QChart;
    // Before the series: Qt Charts' dark theme on a dark desktop, the series keeping their own pens.
    m_chart->setTheme(isDark(palette()) ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    m_chart->setObjectName(QStringLiteral("chartReadback"));
    m_written = new QLineSeries;
    m_written->setName(QStringLiteral("Written"));
    // A broad pale band for what was written, the reads as a thin line with dots inside it: where they part,
    // the part did not do what it was told.
    QPen writtenPen(QColor(80, 140, 255, 150));
    writtenPen.setWidth(7);
    m_written->setPen(writtenPen);
    m_read = new QLineSeries;
    m_read->setName(QStringLiteral("Read back"));
    m_read->setPointsVisible(true);
    QPen readPen(QColor(0, 130, 0));
    readPen.setWidth(1);
    m_read->setPen(readPen);
    m_read->setMarkerSize(4);
    m_failed = new QScatterSeries;
    m_failed->setName(QStringLiteral("Failed read"));
    m_failed->setColor(QColor(255, 0, 0));
    m_failed->setMarkerSize(8);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(m_written), static_cast<QAbstractSeries*>(m_read),
          static_cast<QAbstractSeries*>(m_failed)})
        m_chart->addSeries(series);
    m_timeAxis = new QValueAxis;
    m_timeAxis->setTitleText(QStringLiteral("Time (s)"));
    m_timeAxis->setLabelFormat(QStringLiteral("%g"));
    m_timeAxis->setTickType(QValueAxis::TicksDynamic);
    m_timeAxis->setTickAnchor(0);
    m_positionAxis = new QValueAxis;
    m_positionAxis->setTitleText(QStringLiteral("Wiper position"));
    m_positionAxis->setRange(0, 130);
    m_positionAxis->setTickCount(6);
    m_positionAxis->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_positionAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : m_chart->series()) {
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_positionAxis);
    }
    m_view = named(new QChartView(m_chart), "chvReadback");
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setRubberBand(QChartView::HorizontalRubberBand);
    m_view->setMinimumSize(560, 320);

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_pause);
    controls->addWidget(new QLabel(QStringLiteral("Window")));
    controls->addWidget(m_window);
    controls->addWidget(m_resetZoom);
    controls->addStretch(1);
    controls->addWidget(m_points);
    controls->addWidget(m_saveAs);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_view, 1);

    connect(m_timeAxis, &QValueAxis::rangeChanged, this, [this] {
        if (!m_settingRange)
            m_zoomed = true;
    });
    connect(m_pause, &QCheckBox::toggled, this, [this] {
        m_dirty = true;
        refresh();
    });
    connect(m_window, &QSpinBox::valueChanged, this, [this] {
        m_dirty = true;
        refresh();
    });
    connect(m_resetZoom, &QPushButton::clicked, this, &ReadbackPlotWindow::cmdResetZoom_Click);
    connect(m_saveAs, &QPushButton::clicked, this, &ReadbackPlotWindow::cmdSaveAs_Click);
    m_refreshTimer.setInterval(kRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] {
        if (m_dirty && following())
            refresh();
    });
    resize(760, 440);
}

ReadbackPlotWindow::~ReadbackPlotWindow()
{
    unsubscribe();
}

void ReadbackPlotWindow::showEvent(QShowEvent* event)
{
    subscribe();
    m_dirty = true;
    refresh();
    m_refreshTimer.start();
    QWidget::showEvent(event);
}

void ReadbackPlotWindow::hideEvent(QHideEvent* event)
{
    m_refreshTimer.stop();
    unsubscribe();
    QWidget::hideEvent(event);
}

void ReadbackPlotWindow::subscribe()
{
    if (m_subscription == 0)
        m_subscription =
            m_context.link.dcpSession().samples().subscribe([this](const WiperSample&) { m_dirty = true; });
}

void ReadbackPlotWindow::unsubscribe()
{
    if (m_subscription != 0)
        m_context.link.dcpSession().samples().unsubscribe(std::exchange(m_subscription, 0));
}

bool ReadbackPlotWindow::following() const
{
    return !m_pause->isChecked() && !m_zoomed;
}

void ReadbackPlotWindow::setTimeRange(double from, double to)
{
    m_settingRange = true;
    m_timeAxis->setTickInterval(tickStep(to - from));
    m_timeAxis->setRange(from, to);
    m_settingRange = false;
}

void ReadbackPlotWindow::cmdResetZoom_Click()
{
    m_zoomed = false;
    m_dirty = true;
    refresh();
}

void ReadbackPlotWindow::refresh()
{
    m_dirty = false;
    const auto& samples = m_context.link.dcpSession().samples().entries();
    double to = 0;
    double from = 0;
    if (m_zoomed || m_pause->isChecked()) {
        from = m_timeAxis->min();
        to = m_timeAxis->max();
    } else {
        // The chart moves on with the clock, so a pause in the reads shows as a gap.
        to = std::max(seconds(m_context.link.clock().nowMs()),
                      samples.empty() ? 0.0 : seconds(samples.back().timeMs));
        from = to - m_window->value();
        setTimeRange(from, to);
    }
    const auto fromMs = static_cast<std::int64_t>(from * 1000.0);
    auto it = std::lower_bound(samples.begin(), samples.end(), fromMs,
                               [](const WiperSample& s, std::int64_t t) { return s.timeMs < t; });
    // The position written when the visible range begins.
    std::optional<int> written;
    if (it != samples.begin()) {
        const WiperSample& before = *std::prev(it);
        written =
            before.kind == WiperSample::Kind::Write && !before.ok ? std::nullopt : before.writtenPosition;
    }
    QList<QPointF> writtenPoints;
    QList<QList<QPointF>> readRuns{{}};
    std::optional<double> lastRead;
    qsizetype reads = 0;
    QList<QPointF> failedPoints;
    if (written)
        writtenPoints << QPointF(from, *written);
    for (; it != samples.end(); ++it) {
        const double t = seconds(it->timeMs);
        if (t > to)
            break;
        if (it->kind == WiperSample::Kind::Write) {
            if (!it->ok)
                continue;
            if (written)
                writtenPoints << QPointF(t, *written);
            written = it->writtenPosition;
            writtenPoints << QPointF(t, *written);
        } else if (it->ok) {
            if (lastRead && t - *lastRead > kLongestJoinSeconds && readRuns.size() < kMostReadRuns)
                readRuns.emplace_back();
            readRuns.back() << QPointF(t, *it->readPosition);
            lastRead = t;
            ++reads;
        } else {
            failedPoints << QPointF(t, kFailedMarkY);
            if (!readRuns.back().isEmpty() && readRuns.size() < kMostReadRuns)
                readRuns.emplace_back();
        }
    }
    if (written)
        writtenPoints << QPointF(to, *written);
    m_written->replace(writtenPoints);
    // Dots for reads far enough apart to tell; a dense run of them would hide the written band.
    const bool dotted = reads <= kMostDottedReads;
    m_read->setPointsVisible(dotted);
    for (QLineSeries* const run : m_moreReadRuns)
        run->setPointsVisible(dotted);
    showReadRuns(readRuns);
    m_failed->replace(failedPoints);
    m_points->setText(
        QStringLiteral("%1 points in the history").arg(QLocale().toString(qulonglong(samples.size()))));
}

void ReadbackPlotWindow::showReadRuns(const QList<QList<QPointF>>& runs)
{
    m_read->replace(runs.value(0));
    for (qsizetype i = 1; i < runs.size(); ++i) {
        const auto more = static_cast<std::size_t>(i - 1);
        if (more == m_moreReadRuns.size()) {
            auto* run = new QLineSeries;
            run->setPen(m_read->pen());
            run->setMarkerSize(m_read->markerSize());
            run->setPointsVisible(m_read->pointsVisible());
            m_chart->addSeries(run);
            run->attachAxis(m_timeAxis);
            run->attachAxis(m_positionAxis);
            // One "Read back" in the legend is enough.
            for (QLegendMarker* marker : m_chart->legend()->markers(run))
                marker->setVisible(false);
            m_moreReadRuns.push_back(run);
        }
        m_moreReadRuns[more]->replace(runs[i]);
    }
    for (std::size_t unused = static_cast<std::size_t>(std::max<qsizetype>(runs.size() - 1, 0));
         unused < m_moreReadRuns.size(); ++unused)
        m_moreReadRuns[unused]->clear();
}

QList<QList<QPointF>> ReadbackPlotWindow::readRuns() const
{
    QList<QList<QPointF>> runs;
    if (m_read->count() > 0)
        runs << m_read->points();
    for (const QLineSeries* run : m_moreReadRuns)
        if (run->count() > 0)
            runs << run->points();
    return runs;
}

void ReadbackPlotWindow::cmdSaveAs_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save Read-back History");
    request.fileName = QStringLiteral("readback.csv");
    request.nameFilters = {QStringLiteral("Comma-separated values (*.csv)"),
                           QStringLiteral("PNG image (*.png)")};
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = m_context.fileDialogs.saveFileName(this, request);
    if (path.isEmpty())
        return;
    QString error;
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        const QPixmap picture = m_view->grab();
        error = saveWholeFile(path, [&picture](QIODevice& device) { return picture.save(&device, "PNG"); });
    } else {
        const QByteArray csv = readbackCsv(m_context.link.dcpSession().samples().entries()).toUtf8();
        error = saveWholeFile(path, csv);
    }
    if (!error.isEmpty())
        m_reporter.report(error, kApplicationTitle);
}

} // namespace vtx::plot
