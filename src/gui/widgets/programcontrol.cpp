// SPDX-License-Identifier: GPL-3.0-or-later
#include "programcontrol.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace vtx {

bool closeAllWindowsAndExit()
{
    // Each shown window is asked in turn. A window whose own close called us answers yes without being asked
    // again; one that says no stops the round, and the windows not asked yet stay open with it.
    QList<QPointer<QWidget>> windows;
    for (QWidget* const window : QApplication::topLevelWidgets())
        windows << window;
    for (const QPointer<QWidget>& window : windows) {
        if (window && window->isVisible() && window->windowType() != Qt::Desktop && !window->close())
            return false;
    }
    QApplication::exit(0);
    return true;
}

void QtProgramControl::endProgram()
{
    closeAllWindowsAndExit();
}

} // namespace vtx
