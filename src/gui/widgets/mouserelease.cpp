// SPDX-License-Identifier: GPL-3.0-or-later
#include "mouserelease.h"

#include <QEvent>
#include <QWidget>

namespace vtx {

MouseRelease::MouseRelease(QWidget& watched) : QObject(&watched)
{
    watched.installEventFilter(this);
}

bool MouseRelease::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        emit released();
    return QObject::eventFilter(watched, event);
}

} // namespace vtx
