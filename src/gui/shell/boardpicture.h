// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

namespace vtx::shell {

// A three-pin jumper header on the evaluation board, in the picture's own 390 x 416 coordinates.
struct JumperHeader {
    QString name;  // "J3"
    QPointF pin1;  // centre of pin 1
    bool vertical; // pins run downwards instead of to the right
};

// The jumpers whose pin 1 the picture marks in red.
const std::vector<JumperHeader>& boardJumpers();

// Our drawing of the evaluation board: the board, the DCP, the I2C connector from the control module and
// the jumper headers, each with pin 1 marked in red. It scales with the widget.
class BoardPicture final : public QWidget {
public:
    static constexpr QSizeF kDesignSize{390, 416};

    explicit BoardPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // Where pin 1 of a jumper lands in widget coordinates at the current size.
    QPointF pin1InWidget(const JumperHeader& jumper) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vtx::shell
