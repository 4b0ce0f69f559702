// SPDX-License-Identifier: GPL-3.0-or-later
#include "setupdocument.h"

#include "common/appinfo.h"
#include "setupfile/setupfilestore.h"
#include "widgets/appcontext.h"

#include <QWidget>

namespace vtx {

namespace {

const QString kSuggestedSetupName = QStringLiteral("I2C_General.vtx");

FileDialogRequest setupDialog(const QString& title, const QString& fileName, const QString& folder)
{
    return FileDialogRequest{
        .title = title,
        .fileName = fileName,
        // "*" rather than "*.*", which on Linux hides every file without a dot in its name.
        .nameFilters = {QStringLiteral("All Files (*)"), QStringLiteral("I2C_General Setup Files (*.vtx)")},
        .selectedFilter = 1,
        .defaultSuffix = QStringLiteral("vtx"),
        .directory = folder,
    };
}

} // namespace

const QString SetupDocument::kSaveQuestion = QStringLiteral("Save changes to the register setup?");

SetupDocument::SetupDocument(AppContext& context, QWidget& window, Texts texts)
    : QObject(&window), m_context(context), m_window(window), m_texts(std::move(texts)),
      m_recent(context.settings, QStringLiteral("registerTool"))
{
}

void SetupDocument::markUnmodified()
{
    m_savedTexts = editableTexts();
    setModified(false);
}

void SetupDocument::textsChanged()
{
    setModified(editableTexts() != m_savedTexts);
}

void SetupDocument::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

bool SetupDocument::settleUnsavedEdits()
{
    if (!m_modified)
        return true;
    switch (m_context.questions.askToSave(&m_window, kSaveQuestion, kApplicationTitle)) {
    case Questions::SaveAnswer::Save:
        return save(); // a cancelled or failed save keeps the edits where they are
    case Questions::SaveAnswer::Discard:
        return true;
    case Questions::SaveAnswer::Cancel:
        break;
    }
    return false;
}

void SetupDocument::open()
{
    if (!settleUnsavedEdits())
        return;
    const QString fileName =
        m_context.fileDialogs.openFileName(&m_window, setupDialog(QStringLiteral("Select Setup File to Open"),
                                                                  QString(), m_recent.lastFolder()));
    if (!fileName.isEmpty())
        load(fileName);
}

void SetupDocument::openRecent(int index)
{
    const QStringList files = m_recent.files();
    if (index < 0 || index >= files.size() || !settleUnsavedEdits())
        return;
    load(files[index]);
}

bool SetupDocument::load(const QString& fileName)
{
    const setupfile::LoadResult loaded = setupfile::loadFile(fileName);
    if (!loaded.setup) {
        showMessage(loaded.error);
        return false;
    }
    m_texts.show(*loaded.setup);
    markUnmodified();
    becomeFile(fileName);
    return true;
}

bool SetupDocument::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    // The file named in the caption is written again without asking; what a file cannot carry is still
    // refused before the old file is touched.
    if (const auto problem = setupfile::findUnsavableText(m_texts.read())) {
        showMessage(setupfile::refusalMessage(*problem));
        return false;
    }
    return write(m_fileName);
}

bool SetupDocument::saveAs()
{
    // Refuse before the dialog: the user fixes the text first.
    if (const auto problem = setupfile::findUnsavableText(m_texts.read())) {
        showMessage(setupfile::refusalMessage(*problem));
        return false;
    }
    const QString fileName = m_context.fileDialogs.saveFileName(
        &m_window, setupDialog(QString(), kSuggestedSetupName, m_recent.lastFolder()));
    if (fileName.isEmpty())
        return false;
    return write(fileName);
}

bool SetupDocument::write(const QString& fileName)
{
    if (const auto error = setupfile::saveFile(fileName, m_texts.read())) {
        showMessage(*error);
        return false;
    }
    markUnmodified();
    becomeFile(fileName);
    return true;
}

void SetupDocument::becomeFile(const QString& fileName)
{
    m_fileName = fileName;
    m_recent.add(fileName);
    emit fileNameChanged(fileName);
    emit recentFilesChanged();
}

setupfile::Setup SetupDocument::editableTexts() const
{
    setupfile::Setup setup = m_texts.read();
    for (setupfile::Row& row : setup.rows)
        row.readData.clear();
    return setup;
}

void SetupDocument::showMessage(const QString& text)
{
    m_context.messages.showMessage(&m_window, text, kApplicationTitle);
}

} // namespace vtx
