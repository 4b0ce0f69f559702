// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/i2cbus.h"
#include "engine/session.h"

namespace vtx {

// The way onto the I2C bus that a working window lends to the windows it opens (the bus scan, the register
// dump): the window's session, whose transactions open the link as that window does, and its bus.
class BusAccess {
public:
    virtual ~BusAccess() = default;
    virtual Session& session() = 0;
    virtual I2cBus& bus() = 0;
};

} // namespace vtx
