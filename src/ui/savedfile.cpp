// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include <QDir>
#include <QSaveFile>

namespace vtx {

QString saveWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && write(file) && file.commit())
        return {};
    return QStringLiteral("The file \"%1\" could not be saved: %2.")
        .arg(QDir::toNativeSeparators(path), file.errorString());
}

} // namespace vtx
