#pragma once

#include "common/palette.h"

#include <QColor>

namespace vtx {

// The screen colour of a lamp colour number.
QColor toQColor(LampColor color);

} // namespace vtx
