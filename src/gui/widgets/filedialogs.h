// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vtx {

struct FileDialogRequest {
    QString title;           // empty: the platform's own title
    QString fileName;        // suggested name
    QStringList nameFilters; // Qt style: "All Files (*)", "Setup Files (*.vtx)"
    int selectedFilter = 0;  // index into nameFilters
    QString defaultSuffix;   // without the dot
    QString directory;       // where the dialog opens; empty: the platform's choice
};

// Open and Save dialogs behind a seam so that tests choose the path. An empty result means cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

class QtFileDialogs final : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
};

} // namespace vtx
