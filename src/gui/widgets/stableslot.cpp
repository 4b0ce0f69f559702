// SPDX-License-Identifier: GPL-3.0-or-later
#include "stableslot.h"

namespace vtx {

StableSlot::StableSlot(QWidget* content, QSizePolicy::Policy horizontal) : m_content(content)
{
    m_content->setParent(this);
    setSizePolicy(horizontal, content->sizePolicy().verticalPolicy());
}

QSize StableSlot::sizeHint() const
{
    return m_content->sizeHint();
}

QSize StableSlot::minimumSizeHint() const
{
    return m_content->minimumSizeHint();
}

void StableSlot::resizeEvent(QResizeEvent* /*event*/)
{
    m_content->setGeometry(rect());
}

} // namespace vtx
