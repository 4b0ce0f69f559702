// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace vtx {

// Writes a file whole or not at all (QSaveFile: an existing file stays as it was when anything fails).
// `write` puts the contents into the device and says whether it could. Returns the text to show the user
// when the file could not be saved, empty when it was.
QString saveWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write);
QString saveWholeFile(const QString& path, const QByteArray& contents);

} // namespace vtx
