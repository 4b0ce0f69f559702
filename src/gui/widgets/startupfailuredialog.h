// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace vtx {

// What the program tells the user when the control module did not answer at start.
struct StartupFailure {
    QString text;        // the headline
    QString explanation; // what was looked for and what was found, in plain words
    QString details;     // the link's own messages, for the "Details" section
};

// What the user chose to do about it.
enum class StartupChoice {
    Retry,             // look for the module again
    UseSimulatedBoard, // start the program again on the simulated board
    Quit,
};

// The dialog behind a seam, so that tests script the choice.
class StartupFailureDialogs {
public:
    virtual ~StartupFailureDialogs() = default;
    virtual StartupChoice ask(QWidget* parent, const StartupFailure& failure) = 0;
};

// The real thing: a QMessageBox with "Retry", "Use simulated board" and "Quit", the details behind its
// "Show Details..." button. Closing it without a choice (Escape, the window's close button) means Quit.
class QtStartupFailureDialogs final : public StartupFailureDialogs {
public:
    StartupChoice ask(QWidget* parent, const StartupFailure& failure) override;
};

// The box ask() shows, built but not shown, so its texts and buttons can be checked.
std::unique_ptr<QMessageBox> startupFailureBox(QWidget* parent, const StartupFailure& failure);

// One QtStartupFailureDialogs for the whole program: what a context that names none of its own uses.
StartupFailureDialogs& qtStartupFailureDialogs();

} // namespace vtx
