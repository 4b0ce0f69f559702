#include "lampwidget.h"

#include "lampcolor.h"

#include <QPainter>

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
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(toQColor(m_color));
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
