// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/palette.h"

#include <QColor>

namespace vtx {

// The screen colour of a lamp colour number.
QColor toQColor(LampColor color);

} // namespace vtx
