// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

namespace vtx::test {

// The control of `window` with this object name; a missing one ends the run, naming it, so every look-up
// also checks the name.
template <typename T = QWidget> T* namedChild(const QObject* window, const QString& name)
{
    T* const found = window->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

} // namespace vtx::test
