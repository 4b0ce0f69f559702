// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QChart;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScatterSeries;
class QSpinBox;
class QTableWidget;
class QWidget;

namespace vtx::sweep {

// The table's "Result" column: the one that gives way to a long text.
inline constexpr int kSweepResultColumn = 4;

// The sweep window's controls, each with its object name, laid out on the window.
struct SweepLayout {
    QSpinBox* from = nullptr;
    QSpinBox* to = nullptr;
    QSpinBox* step = nullptr;
    QRadioButton* registerMode = nullptr;
    QRadioButton* eepromMode = nullptr;
    QCheckBox* restore = nullptr;
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* saveAs = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* mismatches = nullptr;
    QLabel* status = nullptr;
    QTableWidget* table = nullptr;
    QChart* chart = nullptr;
    QScatterSeries* matched = nullptr;
    QScatterSeries* mismatched = nullptr;
};

// Builds the controls on `window` and lays them out. Only "Put the wiper back afterwards" is wired here (it
// follows the mode); the window connects the rest to its run.
SweepLayout buildSweepLayout(QWidget& window);

} // namespace vtx::sweep
