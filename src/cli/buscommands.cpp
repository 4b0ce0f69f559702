// SPDX-License-Identifier: GPL-3.0-or-later
// get and set: one byte from or to any device on the bus, as i2cget and i2cset do.

#include "commands.h"
#include "common/i2caddress.h"
#include "exitcodes.h"
#include "format.h"
#include "session.h"

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

} // namespace

int runGet(CommandContext& context, CommandWords& words)
{
    const auto access = readByteAccess(words, false);
    if (!access)
        return kUsageError;
    Session session(context.simulate, context.err);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const std::uint8_t readAddress = readAddressByte(access->address7);
    const Result<std::uint8_t> result =
        access->registerAddress
            ? session.bus().readRegister(readAddress, static_cast<std::uint8_t>(*access->registerAddress))
            : session.bus().read(readAddress);
    QJsonObject object = access->json("get");
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), access->target());
    }
    object.insert(QStringLiteral("ok"), true);
    object.insert(QStringLiteral("value"), result.value());
    context.out.result(access->target() + QStringLiteral(": ") + byteText(result.value()), object);
    return kSuccess;
}

int runSet(CommandContext& context, CommandWords& words)
{
    const auto access = readByteAccess(words, true);
    if (!access)
        return kUsageError;
    Session session(context.simulate, context.err);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const std::uint8_t writeAddress = writeAddressByte(access->address7);
    const auto value = static_cast<std::uint8_t>(access->value);
    const Result<Done> result =
        access->registerAddress
            ? session.bus().writeRegister(writeAddress, static_cast<std::uint8_t>(*access->registerAddress),
                                          value)
            : session.bus().write(writeAddress, value);
    QJsonObject object = access->json("set");
    object.insert(QStringLiteral("value"), access->value);
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), access->target());
    }
    object.insert(QStringLiteral("ok"), true);
    context.out.result(access->target() + QStringLiteral(" <- ") + byteText(access->value) +
                           QStringLiteral(": acknowledged"),
                       object);
    return kSuccess;
}

} // namespace vtx::cli
