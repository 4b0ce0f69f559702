// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vtx {

// The register bank: 32 rows in two frames of 16.
inline constexpr int kRegisterRowCount = 32;
inline constexpr int kRowsPerFrame = 16;

// The description a row carries when the window opens (the register map of our own evaluation device).
QString defaultRegisterDescription(int row);

} // namespace vtx
