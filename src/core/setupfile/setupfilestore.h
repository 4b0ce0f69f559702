// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "setupfile.h"

#include <QString>
#include <optional>

// Reading and writing setup files on disk. No widgets: the window shows what these return.
namespace vtx::setupfile {

struct LoadResult {
    std::optional<Setup> setup; // set only when the whole file was read and held every field
    QString error;              // what to tell the user otherwise
    bool read = false;          // the file's bytes were read whole
    bool setupShaped = false;   // and they look like a setup file (looksLikeSetupFile)
};

// Reads the whole file and checks it before anything is handed out; the file is closed on return.
LoadResult loadFile(const QString& path);

// Writes the setup through a temporary file that replaces `path` only once everything is on disk, so a save
// that fails leaves an earlier file untouched. Refuses a setup that a file cannot carry before touching the
// disk. Returns what to tell the user when the save did not happen.
std::optional<QString> saveFile(const QString& path, const Setup& setup);

} // namespace vtx::setupfile
