// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "setupfile/setupfile.h"
#include "widgets/recentfiles.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace vtx {

struct AppContext;

// The register tool's setup as a document: the file it was last loaded from or saved to, whether the
// window's texts differ from that file, and the File menu's open, save, save-as and recent files. The window
// lends its texts through `Texts` and shows the file name and the modified state it is told about; the
// document asks the dialogs and the save question, and tells the user what failed.
class SetupDocument final : public QObject {
    Q_OBJECT
public:
    static const QString kSaveQuestion;

    struct Texts {
        std::function<setupfile::Setup()> read;            // the window's texts as they are now
        std::function<void(const setupfile::Setup&)> show; // a loaded setup into the window
    };

    SetupDocument(AppContext& context, QWidget& window, Texts texts);

    // The file the texts came from or went to; empty for a setup never loaded or saved.
    QString fileName() const { return m_fileName; }
    // Whether the address text or a row's address, description or write text differs from the state last
    // loaded, saved or marked. Read results do not count.
    bool isModified() const { return m_modified; }
    // The window's texts now are the unmodified state (after the window has loaded its defaults).
    void markUnmodified();
    // A text of the window may have changed: the modified state is worked out again.
    void textsChanged();

    // Before the texts are replaced or thrown away: asks about unsaved edits. False when the user cancelled
    // or the save they asked for did not happen.
    bool settleUnsavedEdits();
    // File > Open: the question, the dialog, the load.
    void open();
    // File > Recent Files: the question, then the entry's file (index 0 is the newest).
    void openRecent(int index);
    // Loads a file into the window; a file that cannot be read whole changes nothing. True when loaded.
    bool load(const QString& fileName);
    // File > Save: to the document's file; the dialog only for a setup that has none yet.
    bool save();
    // File > Save As: always the dialog.
    bool saveAs();
    // Writes the texts to `fileName`; failures are told, never silent. True when the file was written.
    bool write(const QString& fileName);

    const RecentFiles& recentFiles() const { return m_recent; }

signals:
    void fileNameChanged(const QString& fileName);
    void modifiedChanged(bool modified);
    void recentFilesChanged();

private:
    setupfile::Setup editableTexts() const;
    void becomeFile(const QString& fileName);
    void setModified(bool modified);
    void showMessage(const QString& text);

    AppContext& m_context;
    QWidget& m_window;
    Texts m_texts;
    RecentFiles m_recent;
    QString m_fileName;
    setupfile::Setup m_savedTexts;
    bool m_modified = false;
};

} // namespace vtx
