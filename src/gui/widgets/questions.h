// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace vtx {

// Questions with more than one answer, behind a seam so that tests choose the answer instead of blocking on
// a modal box.
class Questions {
public:
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~Questions() = default;
    // Whether to save changes before going on: Save, Discard or Cancel (Escape means Cancel).
    virtual SaveAnswer askToSave(QWidget* parent, const QString& text, const QString& caption) = 0;
    // Yes or No (Escape means No).
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
};

// The real thing: a QMessageBox with Save, Discard and Cancel.
class QtQuestions final : public Questions {
public:
    SaveAnswer askToSave(QWidget* parent, const QString& text, const QString& caption) override;
    bool askYesNo(QWidget* parent, const QString& text, const QString& caption) override;
};

// The box askToSave shows, built but not shown, so its texts and buttons can be checked.
std::unique_ptr<QMessageBox> saveQuestionBox(QWidget* parent, const QString& text, const QString& caption);

// One QtQuestions for the whole program: what a context that names no questions of its own uses.
Questions& qtQuestions();

} // namespace vtx
