#pragma once

#include <QString>

namespace vtx {

// The application's identity: the caption of its message boxes and what the about box shows.
inline const QString kApplicationTitle = QStringLiteral("VTX830X I2C DCP EVALUATION SOFTWARE");
constexpr int kVersionMajor = 2;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 2;
inline const QString kApplicationComments;

} // namespace vtx
