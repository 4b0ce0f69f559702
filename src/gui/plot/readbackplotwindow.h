// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/appcontext.h"
#include "widgets/windowreporter.h"

#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <vector>

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QSpinBox;
class QValueAxis;

namespace vtx::plot {

// `frmReadbackPlot`: the wiper position over time, as read back (every read of any window or timer) and as
// written, from the link's wiper history. Failed reads are marked on the time axis. The chart follows the
// last `spnWindow` seconds until paused or zoomed (drag a rectangle; "Reset Zoom" follows again).
//
// While the window is hidden it costs nothing: it listens to the history only while shown, and then only
// notes that there is something new; the chart is redrawn from the history a few times a second.
class ReadbackPlotWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultWindowSeconds = 60;
    static constexpr int kRefreshMs = 200;

    explicit ReadbackPlotWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReadbackPlotWindow() override;

    // Redraws the chart from the history now.
    void refresh();
    // "Save As...": CSV of the whole history, or a PNG of the chart, by the name's ending.
    void cmdSaveAs_Click();
    void cmdResetZoom_Click();

    QLineSeries* writtenSeries() const { return m_written; }
    QLineSeries* readSeries() const { return m_read; }
    // The reads in view as the lines drawn: one run of points per line, a gap in the data between two runs.
    QList<QList<QPointF>> readRuns() const;
    QScatterSeries* failedSeries() const { return m_failed; }
    QValueAxis* timeAxis() const { return m_timeAxis; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void subscribe();
    void unsubscribe();
    void setTimeRange(double from, double to);
    bool following() const;
    // Draws each run of reads as a line of its own, so that no line bridges a gap in the data.
    void showReadRuns(const QList<QList<QPointF>>& runs);

    AppContext& m_context;
    WindowReporter m_reporter;
    QCheckBox* m_pause = nullptr;
    QSpinBox* m_window = nullptr;
    QPushButton* m_resetZoom = nullptr;
    QPushButton* m_saveAs = nullptr;
    QLabel* m_points = nullptr;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QLineSeries* m_written = nullptr;
    QLineSeries* m_read = nullptr;          // the first run of reads, and the legend's "Read back"
    std::vector<QLineSeries*> m_moreReadRuns; // made when first needed and kept
    QScatterSeries* m_failed = nullptr;
    QValueAxis* m_timeAxis = nullptr;
    QValueAxis* m_positionAxis = nullptr;
    QTimer m_refreshTimer;
    int m_subscription = 0;
    bool m_dirty = true;
    bool m_zoomed = false;       // the user chose the time range
    bool m_settingRange = false; // the range is being set by refresh(), not by the user
};

} // namespace vtx::plot
