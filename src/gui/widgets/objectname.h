// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vtx {

// Gives a control the name tests and the window's own code find it by, and a tooltip if there is one.
template <typename W> W* named(W* widget, const char* objectName, const QString& toolTip = {})
{
    widget->setObjectName(QLatin1String(objectName));
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

// The name of element `index` of a row of like controls: "txtRdByte_31".
inline QString indexedName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace vtx
