// SPDX-License-Identifier: GPL-3.0-or-later
#include "matchedbackground.h"

#include <QEvent>
#include <QImage>
#include <QWidget>

namespace vtx {

MatchedBackground::MatchedBackground(QWidget& container) : QObject(&container), m_container(container)
{
    m_container.installEventFilter(this);
}

// The role the widgets fill their background with: one that line edits and lamps do not draw with. The
// window colour itself stays as it is, since styles derive the colours of frames from it.
constexpr QPalette::ColorRole kFillRole = QPalette::AlternateBase;

void MatchedBackground::add(QWidget& widget)
{
    widget.setBackgroundRole(kFillRole);
    widget.setAutoFillBackground(true);
    m_widgets.emplace_back(&widget);
    if (m_container.isVisible())
        match();
}

bool MatchedBackground::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_container) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Resize:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
            match();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MatchedBackground::match()
{
    if (m_container.size().isEmpty())
        return;
    // The container painted on its own, without its children: what it shows behind each of them.
    QImage painted(m_container.size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(m_container.palette().color(QPalette::Window));
    m_container.render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    for (const QPointer<QWidget>& widget : m_widgets) {
        if (!widget)
            continue;
        const QPoint centre = widget->mapTo(&m_container, widget->rect().center());
        if (!painted.rect().contains(centre))
            continue;
        QPalette palette = widget->palette();
        palette.setColor(kFillRole, painted.pixelColor(centre));
        widget->setPalette(palette);
    }
}

} // namespace vtx
