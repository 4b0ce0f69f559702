// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace vtx {

// A place in a layout for one widget that is shown and hidden often (a button that goes away while the link
// is open, a status caption). The slot keeps the size the widget asks for whether it is shown or not and
// has no layout of its own, so showing or hiding the widget changes nothing around it: the window is not
// laid out again, and the timer can flip it thousands of times an hour without any cost piling up.
class StableSlot final : public QWidget {
    Q_OBJECT
public:
    // Takes `content` as its child.
    StableSlot(QWidget* content, QSizePolicy::Policy horizontal);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_content;
};

} // namespace vtx
