// SPDX-License-Identifier: GPL-3.0-or-later
// get and set: one byte from or to any device on the bus, as i2cget and i2cset do.

#include "commands.h"
#include "common/i2caddress.h"
#include "exitcodes.h"
#include "format.h"

namespace vtx::cli {

namespace {

// ADDR [REG] and, for set, VALUE.
struct ByteAccess {
    int address7 = 0;
    std::optional<int> registerAddress;
    int value = 0;

    QString target() const
    {
        QString text = addressText(address7);
        if (registerAddress)
            text += QStringLiteral(" register ") + byteText(*registerAddress);
        return text;
    }
    QJsonObject json(const char* command) const
    {
        QJsonObject object{{QStringLiteral("command"), QLatin1String(command)},
                           {QStringLiteral("address"), address7},
                           {QStringLiteral("writeAddress"), writeAddressByte(address7)}};
        if (registerAddress)
            object.insert(QStringLiteral("register"), *registerAddress);
        return object;
    }
};

std::optional<ByteAccess> readByteAccess(CommandWords& words, bool withValue)
{
    const int valueCount = withValue ? 1 : 0;
    const auto arguments = words.positional(1 + valueCount, 2 + valueCount);
    if (!arguments)
        return std::nullopt;
    ByteAccess access;
    access.address7 = words.number(QStringLiteral("ADDR"), arguments->at(0), kAddress7).value_or(0);
    if (arguments->size() == 2 + valueCount)
        access.registerAddress = words.number(QStringLiteral("REG"), arguments->at(1), kRegister);
    if (withValue)
        access.value = words.number(QStringLiteral("VALUE"), arguments->constLast(), kByte).value_or(0);
    if (words.failed())
        return std::nullopt;
    return access;
}

// Runs one access once its words are read: opens the session, makes the transfer and reports it. `succeeded`
// adds what the access learnt to the JSON object and returns the line a person reads.
template <typename T, typename Transfer, typename Succeeded>
int runAccess(CommandContext& context, const ByteAccess& access, QJsonObject object, Transfer transfer,
              Succeeded succeeded)
{
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;
    const Result<T> result = transfer(session->bus());
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), access.target());
    }
    object.insert(QStringLiteral("ok"), true);
    context.out.result(succeeded(result, object), object);
    return kSuccess;
}

} // namespace

int runGet(CommandContext& context, CommandWords& words)
{
    const auto access = readByteAccess(words, false);
    if (!access)
        return kUsageError;
    const std::uint8_t readAddress = readAddressByte(access->address7);
    return runAccess<std::uint8_t>(
        context, *access, access->json("get"),
        [&](I2cBus& bus) {
            return access->registerAddress
                       ? bus.readRegister(readAddress, static_cast<std::uint8_t>(*access->registerAddress))
                       : bus.read(readAddress);
        },
        [&](const Result<std::uint8_t>& result, QJsonObject& object) {
            object.insert(QStringLiteral("value"), result.value());
            return access->target() + QStringLiteral(": ") + byteText(result.value());
        });
}

int runSet(CommandContext& context, CommandWords& words)
{
    const auto access = readByteAccess(words, true);
    if (!access)
        return kUsageError;
    const std::uint8_t writeAddress = writeAddressByte(access->address7);
    const auto value = static_cast<std::uint8_t>(access->value);
    QJsonObject object = access->json("set");
    object.insert(QStringLiteral("value"), access->value);
    return runAccess<Done>(
        context, *access, object,
        [&](I2cBus& bus) {
            return access->registerAddress
                       ? bus.writeRegister(writeAddress, static_cast<std::uint8_t>(*access->registerAddress),
                                           value)
                       : bus.write(writeAddress, value);
        },
        [&](const Result<Done>&, QJsonObject&) {
            return access->target() + QStringLiteral(" <- ") + byteText(access->value) +
                   QStringLiteral(": acknowledged");
        });
}

} // namespace vtx::cli
