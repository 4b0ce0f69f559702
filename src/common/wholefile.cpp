// SPDX-License-Identifier: GPL-3.0-or-later
#include "wholefile.h"

#include <QSaveFile>

namespace vtx {

std::optional<QString> writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    // Writing in place would leave a half-written file behind on failure; we would rather fail.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents)
{
    return writeWholeFile(
        path, [&contents](QIODevice& device) { return device.write(contents) == contents.size(); });
}

} // namespace vtx
