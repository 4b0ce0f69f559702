// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

namespace vtx {

// Paints a window once per transaction instead of at every yield inside one. While held, the window's
// update requests are put aside (what changed stays marked as dirty); on release one request repaints it
// all at once. A modal box that comes up meanwhile (an error during the transaction) gets the window
// painted first, so the lamps the user reads beside the box are current.
class PaintBatcher final : public QObject {
    Q_OBJECT
public:
    explicit PaintBatcher(QWidget& window);

    void hold();
    void release();
    bool holding() const { return m_holding; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void flush();

    QWidget& m_window;
    bool m_holding = false;
    bool m_blocked = false; // a modal box is up
    bool m_putAside = false;
};

} // namespace vtx
