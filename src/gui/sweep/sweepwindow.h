// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/dcpsweep.h"
#include "engine/session.h"
#include "widgets/appcontext.h"
#include "widgets/windowreporter.h"

#include <QWidget>
#include <memory>

class QChart;
class QCheckBox;
class QLabel;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScatterSeries;
class QSpinBox;
class QTableWidget;

namespace vtx::sweep {

// `frmSweep`: writes every position from A to B (every `step`) in Register or EEPROM mode, reads each back
// and fills a table and a chart of written against read position, with the mismatches counted and listed at
// the top. Each position is one transaction of the program's guard, so the other windows stay usable while
// a sweep runs; the link is opened once at the first and closed once after the last (a link found open is
// somebody else's and stays as it is). In Register mode the wiper is put
// back where it was unless "Put the wiper back afterwards" is unticked. A sweep in EEPROM mode asks first
// (once per session) and shows each position's measured write cycle.
class SweepWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SweepWindow(AppContext& context, QWidget* parent = nullptr);
    ~SweepWindow() override;

    void cmdStart_Click();
    void cmdStop_Click();
    // "Save As...": the table as CSV.
    void cmdSaveAs_Click();

    bool isRunning() const { return m_sweep != nullptr; }
    const std::vector<SweepRow>& rows() const { return m_rows; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Phase { Begin, Steps, Restore };

    SweepSettings settingsFromControls() const;
    // Runs the next piece of the sweep as one transaction, or as soon as the running one has ended.
    void runNext();
    void scheduleNext();
    // One phase inside the transaction and the link's bracket; false when the sweep ends here.
    bool runPhase();
    void addRow(const SweepRow& row);
    void showMismatches();
    void stopForFailure(const QString& what, const Failure& failure);
    void finish();
    void setRunning(bool running);
    // Closes the link the run opened; inside the run's last transaction.
    void releaseRunLink();

    AppContext& m_context;
    WindowReporter m_reporter;
    Session m_session; // this window's side of the shared link

    std::unique_ptr<DcpSweep> m_sweep;
    Phase m_phase = Phase::Begin;
    bool m_stopRequested = false;
    std::vector<SweepRow> m_rows;
    QStringList m_openMessages;
    // The run opened the link and keeps it open between its transactions, rather than opening and resetting
    // the module for each position.
    bool m_runHoldsLink = false;

    QSpinBox* m_from = nullptr;
    QSpinBox* m_to = nullptr;
    QSpinBox* m_step = nullptr;
    QRadioButton* m_register = nullptr;
    QRadioButton* m_eeprom = nullptr;
    QCheckBox* m_restore = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_saveAs = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_mismatches = nullptr;
    QLabel* m_status = nullptr;
    QTableWidget* m_table = nullptr;
    QChart* m_chart = nullptr;
    QScatterSeries* m_matched = nullptr;
    QScatterSeries* m_mismatched = nullptr;
};

} // namespace vtx::sweep
