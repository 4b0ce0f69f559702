// SPDX-License-Identifier: GPL-3.0-or-later
#include "filedialogs.h"

#include <QFileDialog>

namespace vtx {

namespace {

QString runDialog(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(request.nameFilters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.nameFilters.size())
        dialog.selectNameFilter(request.nameFilters.at(request.selectedFilter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtFileDialogs::openFileName(QWidget* parent, const FileDialogRequest& request)
{
    return runDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request)
{
    return runDialog(parent, request, QFileDialog::AcceptSave);
}

} // namespace vtx
