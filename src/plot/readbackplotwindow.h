// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/appcontext.h"
#include "ui/windowreporter.h"

#include <QTimer>
#include <QWidget>

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
    QLineSeries* m_read = nullptr;
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
