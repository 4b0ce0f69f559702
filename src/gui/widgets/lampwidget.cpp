// SPDX-License-Identifier: GPL-3.0-or-later
#include "lampwidget.h"

#include "darkpalette.h"
#include "lampcolor.h"

#include <QPainter>
#include <QPixmapCache>

namespace vtx {

LampWidget::LampWidget(Shape shape, QWidget* parent) : QWidget(parent), m_shape(shape)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A lamp fills its own background, so a change of colour repaints the lamp alone and not the frame
    // around it (a group box's repaint costs far more than the lamp's).
    setAutoFillBackground(true);
}

void LampWidget::setColor(LampColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize LampWidget::sizeHint() const
{
    const int unit = fontMetrics().height();
    switch (m_shape) {
    case Shape::Bar:
        return {unit / 3 + 2, unit + 6};
    case Shape::Circle:
    case Shape::Square:
        return {unit - 2, unit - 2};
    case Shape::RoundedSquare:
        break;
    }
    return {unit + 8, unit + 8};
}

QSize LampWidget::minimumSizeHint() const
{
    return sizeHint();
}

void LampWidget::paintEvent(QPaintEvent* /*event*/)
{
    // A bank of 64 lamps changes colour at every whole-bank read: an antialiased shape drawn from scratch
    // each time costs more than the rest of the read, so each look is drawn once and kept.
    const qreal ratio = devicePixelRatioF();
    const QColor edge = lampRim(palette());
    const QColor fill = toQColor(m_color);
    const QString key = QStringLiteral("vtx-lamp-%1-%2x%3@%4-%5-%6-%7")
                            .arg(int(m_shape))
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(edge.rgba())
                            .arg(fill.rgba())
                            .arg(palette().color(backgroundRole()).rgba());
    QPixmap look;
    if (!QPixmapCache::find(key, &look)) {
        look = QPixmap(size() * ratio);
        look.setDevicePixelRatio(ratio);
        look.fill(palette().color(backgroundRole()));
        QPainter shape(&look);
        drawShape(shape, edge, fill);
        shape.end();
        QPixmapCache::insert(key, look);
    }
    QPainter(this).drawPixmap(0, 0, look);
}

void LampWidget::drawShape(QPainter& painter, const QColor& edge, const QColor& fill) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    switch (m_shape) {
    case Shape::Circle:
        painter.drawEllipse(area);
        break;
    case Shape::RoundedSquare: {
        const qreal radius = area.width() / 5;
        painter.drawRoundedRect(area, radius, radius);
        break;
    }
    case Shape::Square:
    case Shape::Bar:
        painter.drawRect(area);
        break;
    }
}

} // namespace vtx
