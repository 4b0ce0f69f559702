// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dcppanelui.h"
#include "dcpstate.h"
#include "readtimer.h"
#include "tickrate.h"

#include <QObject>
#include <cstdint>
#include <functional>

namespace vtx {
class TransactionGuard;
}

namespace vtx::dcp {

// Repeats the panel's write and read on one timer at the interval typed in "mSec Interval", blinks the
// "Timer Status" lamp and runs the "Stop Timer" button. A tick that finds another transaction running is
// dropped: ticks never overlap, and nothing else runs on the link while a tick's transfers do.
class TimedTransfers final : public QObject {
    Q_OBJECT
public:
    // `clock` is the link's: the ticks' rate is measured on it.
    TimedTransfers(DcpPanelUi& ui, DcpState& state, TransactionGuard& guard, const Clock& clock,
                   std::function<void()> timedWrite, std::function<void()> timedRead,
                   QObject* parent = nullptr);

    void chkWriteTimer_Click();
    void chkReadTimer_Click();
    // One tick's work; the caller holds the transaction guard.
    void ReadTimer_Timer();
    void cmdStopTimer_Click();
    void txtDelay_LostFocus();

    // Asked before timed writes start, with the interval they will run at; false leaves them off (the
    // EEPROM wear question).
    void setWriteStartCheck(std::function<bool(int intervalMs)> check)
    {
        m_writeStartCheck = std::move(check);
    }

    // A tick from the timer: runs ReadTimer_Timer unless a transaction is running.
    void tick();

    ReadTimer& readTimer() { return m_timer; }
    const ReadTimer& readTimer() const { return m_timer; }
    int droppedTicks() const { return m_droppedTicks; }
    std::uint64_t ticksRun() const { return m_ticksRun; }

signals:
    // Why the interval typed is not the one the timer runs at (refused, or 0: no ticks); for the status bar.
    void intervalNotice(const QString& text);
    // Once per run of the timer: the ticks run at `perSecond`, short of what `intervalMs` asks for.
    void ticksFallShort(double perSecond, int intervalMs);

private:
    // Takes the interval from the box; a number the timer cannot take leaves the interval as it was and puts
    // the interval in use back into the box.
    void setIntervalFromText();
    // The interval setIntervalFromText() would set.
    int intervalFromText() const;
    void stopIfIdle();

    DcpPanelUi& m_ui;
    DcpState& m_state;
    TransactionGuard& m_guard;
    std::function<void()> m_timedWrite;
    std::function<void()> m_timedRead;
    std::function<bool(int intervalMs)> m_writeStartCheck;
    ReadTimer m_timer;
    TickRate m_rate;
    int m_droppedTicks = 0;
    std::uint64_t m_ticksRun = 0;
};

} // namespace vtx::dcp
