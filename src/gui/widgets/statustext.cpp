// SPDX-License-Identifier: GPL-3.0-or-later
#include "statustext.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace vtx {

StatusText::StatusText(QWidget* parent) : QLabel(parent)
{
    m_lifetime.setSingleShot(true);
    connect(&m_lifetime, &QTimer::timeout, this, [this] { setText({}); });
}

void StatusText::setLifetime(int ms)
{
    m_lifetime.setInterval(ms);
}

void StatusText::setText(const QString& text)
{
    QLabel::setText(text);
    if (m_lifetime.interval() > 0 && !text.isEmpty())
        m_lifetime.start();
    updateToolTip();
}

void StatusText::setPlainToolTip(const QString& toolTip)
{
    m_plainToolTip = toolTip;
    updateToolTip();
}

QSize StatusText::sizeHint() const
{
    const QSize own = QLabel::sizeHint();
    const QMargins margins = contentsMargins();
    const int room =
        fontMetrics().horizontalAdvance(m_roomFor) + margins.left() + margins.right() + 2 * margin();
    return {std::max(own.width(), room), own.height()};
}

QSize StatusText::minimumSizeHint() const
{
    // Room for the "..." at least; the whole text is the size hint.
    return {fontMetrics().horizontalAdvance(QStringLiteral("W...")), QLabel::minimumSizeHint().height()};
}

void StatusText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

void StatusText::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void StatusText::updateToolTip()
{
    const bool cut = fontMetrics().horizontalAdvance(text()) > contentsRect().width();
    setToolTip(cut ? text() : m_plainToolTip);
}

} // namespace vtx
