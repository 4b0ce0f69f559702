// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <initializer_list>
#include <memory>

class QSocketNotifier;

namespace vtx {

// Signals that ask a program to end (SIGINT, SIGTERM; for vtxctl also SIGPIPE, a reader that went away),
// caught so that the program ends the way its own "Stop" or "Exit" would instead of dying mid-transfer.
// The handler does only what is safe in a handler: it notes the signal and writes its number to a pipe.
// Code that runs without the event loop asks received() between its steps; code in the event loop gets
// stopRequested(). One instance at a time; the previous handlers come back when it goes.
class StopSignals final : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first signal caught, 0 while none came.
    static int received();
    // A descriptor that turns readable when a signal comes, whichever thread the signal lands on: for a
    // blocking wait outside the event loop (vtxctl session reading its input) to poll beside what it waits
    // for. -1 while no instance lives.
    static int wakeDescriptor();

signals:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    struct Saved;
    std::unique_ptr<Saved> m_saved;
    QSocketNotifier* m_notifier = nullptr; // child
};

} // namespace vtx
