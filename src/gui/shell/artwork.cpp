// SPDX-License-Identifier: GPL-3.0-or-later
#include "artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vtx::shell {

namespace {

const QColor kInk(0x1F, 0x4E, 0x79);
const QColor kAccent(0xE0, 0x7A, 0x1F);

// The resistor zigzag with a wiper arrow pointing at its middle, inside `area`.
void paintPotSymbol(QPainter& painter, const QRectF& area, const QColor& ink)
{
    const qreal w = area.width();
    const qreal h = area.height();
    const qreal midY = area.top() + h * 0.62;
    QPainterPath zigzag;
    zigzag.moveTo(area.left(), midY);
    zigzag.lineTo(area.left() + w * 0.18, midY);
    const int peaks = 6;
    const qreal step = w * 0.64 / peaks;
    for (int i = 0; i < peaks; ++i) {
        const qreal x = area.left() + w * 0.18 + step * (i + 0.5);
        zigzag.lineTo(x, midY + ((i % 2) ? h * 0.16 : -h * 0.16));
    }
    zigzag.lineTo(area.left() + w * 0.82, midY);
    zigzag.lineTo(area.right(), midY);
    painter.setPen(QPen(ink, qMax<qreal>(1.5, h * 0.07), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(zigzag);

    // The wiper: a line from above ending in an arrow head on the resistor.
    const QPointF tip(area.left() + w * 0.5, midY - h * 0.2);
    const QPointF top(area.left() + w * 0.5, area.top() + h * 0.04);
    painter.setPen(QPen(kAccent, qMax<qreal>(1.5, h * 0.07), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(top, tip);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - w * 0.07, tip.y() - h * 0.14);
    head.lineTo(tip.x() + w * 0.07, tip.y() - h * 0.14);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawPath(head);
}

} // namespace

void paintLogo(QPainter& painter, const QRectF& area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF symbol(area.left(), area.top(), area.height() * 1.3, area.height());
    paintPotSymbol(painter, symbol, kInk);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(8, int(area.height() * 0.62)));
    painter.setFont(font);
    painter.setPen(kInk);
    const QRectF textArea(symbol.right() + area.height() * 0.15, area.top(), area.right() - symbol.right(),
                          area.height());
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VTX"));
    painter.restore();
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kInk);
        painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
        paintPotSymbol(painter, QRectF(size * 0.12, size * 0.18, size * 0.76, size * 0.64), Qt::white);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

LogoWidget::LogoWidget(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LogoWidget::sizeHint() const
{
    const int h = fontMetrics().height() * 3;
    return {h * 3, h};
}

void LogoWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paintLogo(painter, QRectF(rect()).adjusted(2, 2, -2, -2));
}

} // namespace vtx::shell
