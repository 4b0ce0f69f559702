// SPDX-License-Identifier: GPL-3.0-or-later
#include "boardpicture.h"

#include <QPainter>
#include <QPainterPath>

namespace vtx::shell {

namespace {

constexpr qreal kPitch = 14; // pin spacing in design units
const QColor kBoard(0x1E, 0x6B, 0x3A);
const QColor kBoardEdge(0x12, 0x45, 0x25);
const QColor kCopper(0xC8, 0xA0, 0x4A);
const QColor kSilk(0xF2, 0xF2, 0xEA);
const QColor kChip(0x22, 0x22, 0x26);
const QColor kPinOne(255, 0, 0);

void drawHeader(QPainter& painter, const JumperHeader& jumper)
{
    const QPointF step = jumper.vertical ? QPointF(0, kPitch) : QPointF(kPitch, 0);
    // The plastic body under the pins.
    const QRectF body =
        QRectF(jumper.pin1 - QPointF(8, 8), jumper.pin1 + step * 2 + QPointF(8, 8)).normalized();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x15, 0x15, 0x15));
    painter.drawRect(body);
    for (int i = 0; i < 3; ++i) {
        const QPointF centre = jumper.pin1 + step * i;
        painter.setBrush(kCopper);
        painter.drawRect(QRectF(centre - QPointF(3, 3), QSizeF(6, 6)));
    }
    // Pin 1: a red ring around the pin and a red "1" beside it.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kPinOne, 2.5));
    painter.drawEllipse(jumper.pin1, 7.5, 7.5);
    painter.setBrush(kPinOne);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(jumper.pin1, 2.5, 2.5);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kPinOne);
    const QPointF one = jumper.vertical ? jumper.pin1 + QPointF(-22, 4) : jumper.pin1 + QPointF(-4, -12);
    painter.drawText(one, QStringLiteral("1"));
    // The name in the silk screen.
    painter.setPen(kSilk);
    const QPointF label =
        jumper.vertical ? jumper.pin1 + QPointF(12, kPitch + 4) : jumper.pin1 + QPointF(0, 24);
    painter.drawText(label, jumper.name);
}

void drawChip(QPainter& painter, const QRectF& body, const QString& name, int pinsPerSide)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCopper.darker(110));
    const qreal gap = body.height() / (pinsPerSide + 1);
    for (int i = 1; i <= pinsPerSide; ++i) {
        painter.drawRect(QRectF(body.left() - 6, body.top() + gap * i - 2, 6, 4));
        painter.drawRect(QRectF(body.right(), body.top() + gap * i - 2, 6, 4));
    }
    painter.setBrush(kChip);
    painter.drawRoundedRect(body, 2, 2);
    painter.setBrush(QColor(0x55, 0x55, 0x5A));
    painter.drawEllipse(body.topLeft() + QPointF(6, 6), 2.5, 2.5);
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kSilk);
    painter.drawText(body, Qt::AlignCenter, name);
}

} // namespace

const std::vector<JumperHeader>& boardJumpers()
{
    static const std::vector<JumperHeader> jumpers{
        {QStringLiteral("J3"), {70, 92}, false},   {QStringLiteral("J4"), {250, 92}, false},
        {QStringLiteral("J6"), {60, 250}, true},   {QStringLiteral("J7"), {150, 300}, false},
        {QStringLiteral("J10"), {290, 250}, true}, {QStringLiteral("J16"), {240, 360}, false},
    };
    return jumpers;
}

BoardPicture::BoardPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picBoard"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(kDesignSize.toSize() / 2);
}

QSize BoardPicture::sizeHint() const
{
    return kDesignSize.toSize();
}

QPointF BoardPicture::pin1InWidget(const JumperHeader& jumper) const
{
    const qreal scale = std::min(width() / kDesignSize.width(), height() / kDesignSize.height());
    const QPointF origin((width() - kDesignSize.width() * scale) / 2,
                         (height() - kDesignSize.height() * scale) / 2);
    return origin + jumper.pin1 * scale;
}

void BoardPicture::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const qreal scale = std::min(width() / kDesignSize.width(), height() / kDesignSize.height());
    painter.translate((width() - kDesignSize.width() * scale) / 2,
                      (height() - kDesignSize.height() * scale) / 2);
    painter.scale(scale, scale);

    // The board with its mounting holes.
    const QRectF board(4, 4, kDesignSize.width() - 8, kDesignSize.height() - 8);
    painter.setPen(QPen(kBoardEdge, 3));
    painter.setBrush(kBoard);
    painter.drawRoundedRect(board, 10, 10);
    painter.setPen(QPen(kCopper, 3));
    painter.setBrush(Qt::white);
    for (const QPointF hole :
         {board.topLeft() + QPointF(16, 16), board.topRight() + QPointF(-16, 16),
          board.bottomLeft() + QPointF(16, -16), board.bottomRight() + QPointF(-16, -16)})
        painter.drawEllipse(hole, 6, 6);

    // A few traces so the picture reads as a circuit board.
    painter.setPen(QPen(kBoard.lighter(135), 2));
    painter.drawPolyline(QPolygonF{{84, 92}, {84, 150}, {170, 150}, {170, 175}});
    painter.drawPolyline(QPolygonF{{264, 92}, {264, 150}, {215, 150}, {215, 175}});
    painter.drawPolyline(QPolygonF{{60, 264}, {60, 230}, {165, 230}});
    painter.drawPolyline(QPolygonF{{290, 264}, {290, 230}, {225, 230}});
    painter.drawPolyline(QPolygonF{{164, 300}, {164, 240}});
    painter.drawPolyline(QPolygonF{{254, 360}, {254, 330}, {205, 330}, {205, 240}});

    // The DCP in the middle and the I2C connector from the control module at the top.
    drawChip(painter, QRectF(160, 175, 70, 60), QStringLiteral("VTX8303"), 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xEE, 0xEE, 0xEE));
    painter.drawRect(QRectF(150, 18, 90, 30));
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    for (int i = 0; i < 4; ++i)
        painter.drawRect(QRectF(160 + i * 20, 26, 10, 14));
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kSilk);
    painter.drawText(QRectF(130, 50, 130, 14), Qt::AlignCenter, QStringLiteral("I2C FROM CONTROLLER"));
    painter.drawText(QRectF(20, 380, 200, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("VTX830X DCP EVAL BOARD"));

    for (const JumperHeader& jumper : boardJumpers())
        drawHeader(painter, jumper);
}

} // namespace vtx::shell
