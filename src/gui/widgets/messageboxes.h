// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace vtx {

// Modal message boxes with an OK button. Windows and the link go through this seam so that tests record the
// messages instead of blocking on them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showMessage(QWidget* parent, const QString& text, const QString& caption) = 0;
};

// The real thing: a QMessageBox with an OK button.
class QtMessageBoxes final : public MessageBoxes {
public:
    void showMessage(QWidget* parent, const QString& text, const QString& caption) override;
};

} // namespace vtx
