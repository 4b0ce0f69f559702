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
// `write` puts the contents into the device and says whether it could. Every write is checked, and the
// contents are flushed and synced to the disk before the temporary file replaces the old one: a full disk
// must fail here, not leave an empty file behind. Only a regular file (or a link to one) is ever replaced.
// Returns nothing when the file was written, otherwise the reason in the system's words.
std::optional<QString> writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write);

// The same for contents already in memory.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents);

// A whole file read into memory, or why it was not.
struct WholeFileRead {
    enum class Problem { None, Missing, NotRegular, TooLarge, Unreadable };
    QByteArray bytes;
    Problem problem = Problem::None; // Missing: no file of that name at all (a dangling link is Unreadable)
    QString error;                   // in the system's words; empty when `bytes` holds the whole file
};

// Our own files are small: one larger than this is not one of ours.
inline constexpr qint64 kSmallFileLimit = 1024 * 1024;

// Reads a regular file (or a link to one) of at most `limit` bytes. Anything else is refused without
// reading a byte: a FIFO would block, a device could be endless.
WholeFileRead readWholeFile(const QString& path, qint64 limit = kSmallFileLimit);

} // namespace vtx
