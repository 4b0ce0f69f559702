// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace vtx {

// Writes a file whole or not at all: through QSaveFile and never in place, so an earlier file of that name
// stays as it was when anything fails (a half-written setup, log or state file would be worse than none).
// `write` puts the contents into the device and says whether it could. Returns nothing when the file was
// written, otherwise the reason in the system's words.
std::optional<QString> writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// The same for contents already in memory.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents);

} // namespace vtx
