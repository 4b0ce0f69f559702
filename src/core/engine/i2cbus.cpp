// SPDX-License-Identifier: GPL-3.0-or-later
#include "i2cbus.h"

#include "linkclient.h"

namespace vtx {

template <typename T> Result<T> I2cBus::run(const protocol::I2cCommand& command, T value)
{
    Link& link = m_client.link();
    // The open just failed because the module did not answer: that was said, and cost its one timeout.
    if (m_client.openTimedOut())
        return Result<T>::failure({}, Failure{Failure::Kind::Link, DriverStatus::Timeout, {}});
    const Link::MessageCapture capture(link);
    const protocol::I2cReply reply = m_client.exchange(command);
    if (protocol::acknowledged(command, reply) && capture.messages().isEmpty())
        return Result<T>::success(reply, std::move(value));
    Failure failure;
    failure.status = link.UsbStatus;
    failure.kind =
        link.UsbOpen && succeeded(link.UsbStatus) ? Failure::Kind::NotAcknowledged : Failure::Kind::Link;
    failure.linkMessages = capture.messages();
    return Result<T>::failure(reply, std::move(failure));
}

Result<std::uint8_t> I2cBus::runRead(const protocol::I2cCommand& command)
{
    Result<std::uint8_t> result = run<std::uint8_t>(command, 0);
    if (!result)
        return result;
    return Result<std::uint8_t>::success(result.reply(), result.reply().data);
}

Result<std::uint8_t> I2cBus::read(std::uint8_t readAddress)
{
    return runRead(protocol::readCurrent(readAddress));
}

Result<std::uint8_t> I2cBus::readRegister(std::uint8_t readAddress, std::uint8_t registerAddress)
{
    return runRead(protocol::readRegister(readAddress, registerAddress));
}

Result<Done> I2cBus::write(std::uint8_t writeAddress, std::uint8_t data)
{
    return run<Done>(protocol::writeByte(writeAddress, data), {});
}

Result<Done> I2cBus::writeRegister(std::uint8_t writeAddress, std::uint8_t registerAddress, std::uint8_t data)
{
    return run<Done>(protocol::writeRegister(writeAddress, registerAddress, data), {});
}

Result<std::uint8_t> I2cBus::communicationTest(std::uint8_t readAddress)
{
    return runRead(protocol::communicationTest(readAddress));
}

} // namespace vtx
