// SPDX-License-Identifier: GPL-3.0-or-later
#include "readtimer.h"

namespace vtx::dcp {

ReadTimer::ReadTimer(QObject* parent) : QObject(parent), m_timer(this)
{
    m_timer.setObjectName(QStringLiteral("ReadTimer"));
    connect(&m_timer, &QTimer::timeout, this, &ReadTimer::tick);
}

void ReadTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void ReadTimer::setInterval(int intervalMs)
{
    if (intervalMs == m_interval)
        return;
    m_interval = intervalMs;
    apply();
}

void ReadTimer::apply()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval); // restarts a running timer at the new period
    else
        m_timer.stop();
}

} // namespace vtx::dcp
