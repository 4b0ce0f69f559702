// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/driverstatus.h"

#include <QString>

namespace vtx {

// When a failure lies with the USB control module itself rather than with the board behind it, what to
// tell the user first, in plain words (a hint about the board's power and wiring would mislead then).
// Empty for every other status.
QString moduleCause(DriverStatus status);

} // namespace vtx
