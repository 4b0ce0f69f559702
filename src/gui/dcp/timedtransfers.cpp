// SPDX-License-Identifier: GPL-3.0-or-later
#include "timedtransfers.h"

#include "common/yield.h"
#include "dcpmessages.h"
#include "engine/transactionguard.h"
#include "timerinterval.h"
#include "widgets/lampwidget.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

namespace vtx::dcp {

TimedTransfers::TimedTransfers(DcpPanelUi& ui, DcpState& state, TransactionGuard& guard, const Clock& clock,
                               std::function<void()> timedWrite, std::function<void()> timedRead,
                               QObject* parent)
    : QObject(parent), m_ui(ui), m_state(state), m_guard(guard), m_timedWrite(std::move(timedWrite)),
      m_timedRead(std::move(timedRead)), m_timer(this), m_rate(clock)
{
    connect(&m_timer, &ReadTimer::tick, this, &TimedTransfers::tick);
}

void TimedTransfers::setIntervalFromText()
{
    const QString text = m_ui.txtDelay->text();
    const IntervalReading reading = readIntervalText(text);
    // The box behaves as it always has; the user is told why a timer then does not tick as typed.
    if (reading.kind == IntervalTextKind::Accepted) {
        m_timer.setInterval(reading.intervalMs);
        if (reading.intervalMs == 0)
            emit intervalNotice(kIntervalNoTicksText.arg(text.trimmed()));
    } else {
        m_ui.txtDelay->setText(QString::number(m_timer.interval()));
        emit intervalNotice(kIntervalRefusedText.arg(text.trimmed()).arg(m_timer.interval()));
    }
}

int TimedTransfers::intervalFromText() const
{
    const IntervalReading reading = readIntervalText(m_ui.txtDelay->text());
    return reading.kind == IntervalTextKind::Accepted ? reading.intervalMs : m_timer.interval();
}

void TimedTransfers::stopIfIdle()
{
    if (m_ui.chkWriteTimer->isChecked() || m_ui.chkReadTimer->isChecked())
        return;
    m_timer.setEnabled(false);
    m_ui.cmdStopTimer->hide();
    m_ui.lampTimer->setColor(LampColor::Black);
}

void TimedTransfers::chkWriteTimer_Click()
{
    yieldEvents();
    if (m_ui.chkWriteTimer->isChecked() && m_writeStartCheck && !m_writeStartCheck(intervalFromText())) {
        m_ui.chkWriteTimer->setChecked(false);
        return;
    }
    if (m_ui.chkWriteTimer->isChecked()) {
        m_state.WriteTimerOn = true;
        yieldEvents();
        m_ui.cmdStopTimer->show();
        setIntervalFromText();
        m_rate.restart();
        m_timer.setEnabled(true);
    } else {
        m_state.WriteTimerOn = false;
        m_ui.CMDxMIT->show();
        yieldEvents();
        stopIfIdle();
        yieldEvents();
    }
    yieldEvents();
}

void TimedTransfers::chkReadTimer_Click()
{
    if (m_ui.chkReadTimer->isChecked()) {
        m_state.ReadTimerOn = true;
        m_ui.cmdStopTimer->show();
        yieldEvents();
        setIntervalFromText();
        m_rate.restart();
        m_timer.setEnabled(true);
    } else {
        m_state.ReadTimerOn = false;
        m_ui.cmdI2Read->show();
        stopIfIdle();
    }
    yieldEvents();
}

void TimedTransfers::tick()
{
    auto scope = m_guard.tryBegin(kTransactionOwner);
    if (!scope) {
        ++m_droppedTicks;
        return;
    }
    ++m_ticksRun;
    if (const auto perSecond = m_rate.tickStarted(m_timer.interval()))
        emit ticksFallShort(*perSecond, m_timer.interval());
    ReadTimer_Timer();
    scope.reset();
    // Objects that this tick's widgets handed to deleteLater go now: at short intervals the next tick can
    // come before the event loop would get round to them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TimedTransfers::ReadTimer_Timer()
{
    // 200 passes before the tick's transfers: clicks and repaints waiting since the last tick go first, so
    // timed transfers at a short interval cannot starve the window.
    yieldEvents(200);
    if (m_state.WriteTimerOn) {
        m_timedWrite();
        yieldEvents();
    }
    if (m_state.ReadTimerOn) {
        m_timedRead();
        yieldEvents();
    }
    yieldEvents();
    // A failure during this tick may have stopped the timer; its lamp then stays black.
    if (m_timer.isEnabled()) {
        const bool lit = m_ui.lampTimer->color() == LampColor::LightRed;
        m_ui.lampTimer->setColor(lit ? LampColor::Black : LampColor::LightRed);
    }
    // Three passes: the lamp's blink, the status line and the read displays paint before the next tick.
    yieldEvents(3);
}

void TimedTransfers::cmdStopTimer_Click()
{
    m_ui.chkWriteTimer->setChecked(false);
    m_ui.chkReadTimer->setChecked(false);
}

void TimedTransfers::txtDelay_LostFocus()
{
    if (!isWholeNumber(m_ui.txtDelay->text()))
        return;
    setIntervalFromText();
    yieldEvents();
}

} // namespace vtx::dcp
