// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

namespace vtx {

// Tells when a mouse button is let go over a widget that the press went to. A choice made with the mouse
// (a click on a list row, a click on a slider's groove) is complete only then, whether or not the widget
// itself reports a click: a press on one row and a release on another is no click for a list view.
class MouseRelease final : public QObject {
    Q_OBJECT
public:
    explicit MouseRelease(QWidget& watched);

signals:
    // Sent before the widget handles the release itself.
    void released();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vtx
