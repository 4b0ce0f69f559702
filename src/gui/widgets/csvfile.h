// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filedialogs.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vtx {

// Comma-separated files that the windows save (the transfer log, the register dump): fields quoted where
// they need it, lines ended by CR LF, written whole or not at all.

// A field as it goes into a line: quoted when it holds a comma, a double quote or a line break, with its
// double quotes doubled.
QString csvField(const QString& text);
// The fields of one line, with the line end.
QString csvLine(const QStringList& fields);

// The Save dialog for a CSV file, suggesting `fileName`.
FileDialogRequest csvSaveRequest(const QString& title, const QString& fileName);

} // namespace vtx
