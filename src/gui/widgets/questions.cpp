// SPDX-License-Identifier: GPL-3.0-or-later
#include "questions.h"

#include <QMessageBox>

namespace vtx {

std::unique_ptr<QMessageBox> saveQuestionBox(QWidget* parent, const QString& text, const QString& caption)
{
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Question, caption, text,
                                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Save);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

Questions::SaveAnswer QtQuestions::askToSave(QWidget* parent, const QString& text, const QString& caption)
{
    const auto box = saveQuestionBox(parent, text, caption);
    switch (box->exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}

bool QtQuestions::askYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Questions& qtQuestions()
{
    static QtQuestions questions;
    return questions;
}

} // namespace vtx
