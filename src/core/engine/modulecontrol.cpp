// SPDX-License-Identifier: GPL-3.0-or-later
#include "modulecontrol.h"

#include "linkclient.h"
#include "protocol/bridgecommands.h"

namespace vtx {

void ModuleControl::signalTestResult(bool good)
{
    m_client.send(protocol::kCommandPipe, protocol::testResultSignal(good));
}

void ModuleControl::writeRegister(std::uint8_t address, std::uint8_t data)
{
    m_client.Init_Serial();
    m_client.send(protocol::kDirectRegisterPipe, protocol::directRegisterWrite(address, data));
}

} // namespace vtx
