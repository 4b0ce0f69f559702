// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include "common/wholefile.h"

#include <QDir>

namespace vtx {

QString saveWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (const auto reason = writeWholeFile(path, write))
        return QStringLiteral("The file \"%1\" could not be saved: %2.")
            .arg(QDir::toNativeSeparators(path), *reason);
    return {};
}

QString saveWholeFile(const QString& path, const QByteArray& contents)
{
    return saveWholeFile(
        path, [&contents](QIODevice& device) { return device.write(contents) == contents.size(); });
}

} // namespace vtx
