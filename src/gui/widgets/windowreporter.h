// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/reporter.h"
#include "messageboxes.h"

class QWidget;

namespace vtx {

// Shows the engine's messages as modal boxes that belong to one window.
class WindowReporter final : public Reporter {
public:
    WindowReporter(MessageBoxes& boxes, QWidget* window) : m_boxes(boxes), m_window(window) {}
    void report(const QString& text, const QString& caption) override
    {
        m_boxes.showMessage(m_window, text, caption);
    }

private:
    MessageBoxes& m_boxes;
    QWidget* m_window;
};

} // namespace vtx
