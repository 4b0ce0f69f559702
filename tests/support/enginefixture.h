// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simfixture.h"

namespace vtx::test {

// The engine without any window: the session of the simulated board (the DCP panel's flavour), opened
// unless a test wants it closed, with the record of the opening cleared.
struct EngineFixture {
    SimFixture sim;
    LinkClient& client = sim.session.client();
    I2cBus& bus = sim.session.bus();
    DcpDevice& dcp = sim.session.dcp();

    explicit EngineFixture(bool open = true)
    {
        if (open)
            sim.session.open();
        sim.recorder.clearTransferLog();
    }
    // The commands sent on the module's I2C pipe.
    QStringList i2c() const { return sim.hexWritesOn(3); }
};

} // namespace vtx::test
