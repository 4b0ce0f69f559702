// SPDX-License-Identifier: GPL-3.0-or-later
#include "paintbatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace vtx {

PaintBatcher::PaintBatcher(QWidget& window) : QObject(&window), m_window(window)
{
    m_window.installEventFilter(this);
}

void PaintBatcher::hold()
{
    m_holding = true;
}

void PaintBatcher::release()
{
    m_holding = false;
    flush();
}

void PaintBatcher::flush()
{
    if (!m_putAside)
        return;
    m_putAside = false;
    // The event loop owns posted events.
    QCoreApplication::postEvent(&m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

bool PaintBatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::UpdateRequest:
        if (m_holding && !m_blocked) {
            m_putAside = true;
            return true;
        }
        return false;
    case QEvent::WindowBlocked:
        m_blocked = true;
        flush();
        return false;
    case QEvent::WindowUnblocked:
        m_blocked = false;
        return false;
    default:
        return false;
    }
}

} // namespace vtx
