// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vtx {

class LinkClient;

// What the front ends ask of the USB control module itself rather than of a device on its bus: the outcome
// of a communication test, and a direct write of one of its own registers. Neither has a reply.
class ModuleControl {
public:
    explicit ModuleControl(LinkClient& client) : m_client(client) {}

    // Tells the module whether the communication test found the device (FF 02) or not (FF 01), on pipe 1.
    void signalTestResult(bool good);
    // Prepares the module (bridge query, and the serial set-up for a kind-1 module), then writes `data`
    // into its register `address` on pipe 4.
    void writeRegister(std::uint8_t address, std::uint8_t data);

private:
    LinkClient& m_client;
};

} // namespace vtx
