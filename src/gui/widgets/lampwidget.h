// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/palette.h"

#include <QWidget>

class QPainter;

namespace vtx {

// A status lamp: a small filled shape painted in a palette colour. Tests read color().
class LampWidget : public QWidget {
    Q_OBJECT
public:
    enum class Shape { RoundedSquare, Square, Circle, Bar };

    explicit LampWidget(Shape shape = Shape::RoundedSquare, QWidget* parent = nullptr);

    LampColor color() const { return m_color; }
    void setColor(LampColor color);
    Shape shape() const { return m_shape; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawShape(QPainter& painter, const QColor& edge, const QColor& fill) const;

    Shape m_shape;
    LampColor m_color = LampColor::Black;
};

} // namespace vtx
