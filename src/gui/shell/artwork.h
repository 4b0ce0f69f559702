// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>

namespace vtx::shell {

// Our own mark: a potentiometer symbol (a resistor with its wiper arrow) beside "VTX". Drawn, not loaded,
// so it is sharp at every scale.
void paintLogo(QPainter& painter, const QRectF& area);

// The window icon of every window: the potentiometer symbol on a rounded tile.
QIcon applicationIcon();

// A widget that shows the logo.
class LogoWidget final : public QWidget {
public:
    explicit LogoWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vtx::shell
