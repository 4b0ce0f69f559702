// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace vtx {

// Lets widgets inside a container (a group box) fill their own background with the colour the container
// paints behind them. A widget that paints its own background is repainted alone when it changes; one that
// does not makes the container repaint under it first, which for a group box costs more than the widget
// (a whole-bank read changes 32 boxes at once). The colour is taken from the container's own painting, so it
// matches whatever the style tints the inside of a group box with; it is taken again when the container is
// shown, resized or restyled.
class MatchedBackground final : public QObject {
    Q_OBJECT
public:
    explicit MatchedBackground(QWidget& container);

    // `widget` must be a descendant of the container.
    void add(QWidget& widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void match();

    QWidget& m_container;
    std::vector<QPointer<QWidget>> m_widgets;
};

} // namespace vtx
