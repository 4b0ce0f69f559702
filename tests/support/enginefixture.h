// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/dcpdevice.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "simfixture.h"

namespace vtx::test {

// The engine without any window: a link for the DCP panel's flavour on the simulated board, opened unless
// a test wants it closed, with the board's record of the opening cleared.
struct EngineFixture {
    SimFixture sim;
    NullLinkView view;
    LinkClient client{sim.link, kDcpPanelLink, view, sim.messages};
    I2cBus bus{client};
    DcpDevice dcp{bus, sim.clock};

    explicit EngineFixture(bool open = true)
    {
        if (open)
            client.Connect_Usb();
        sim.board.clearTransferLog();
    }
    // The commands sent on the module's I2C pipe.
    QStringList i2c() const { return sim.hexWritesOn(3); }
};

} // namespace vtx::test
