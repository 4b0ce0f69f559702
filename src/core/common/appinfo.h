// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/version.h"

#include <QString>

namespace vtx {

// The application's identity: the caption of its message boxes and what the about box shows.
inline const QString kApplicationTitle = QStringLiteral("VTX830X I2C DCP EVALUATION SOFTWARE");
inline const QString kApplicationComments;

} // namespace vtx
