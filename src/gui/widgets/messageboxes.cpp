// SPDX-License-Identifier: GPL-3.0-or-later
#include "messageboxes.h"

#include <QMessageBox>

namespace vtx {

void QtMessageBoxes::showMessage(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace vtx
