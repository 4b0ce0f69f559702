// SPDX-License-Identifier: GPL-3.0-or-later
// dcp get, dcp set: the VTX8303's wiper at its address on the evaluation board.

#include "commands.h"
#include "common/i2caddress.h"
#include "dcp/positionmodel.h"
#include "exitcodes.h"
#include "format.h"
#include "session.h"

namespace vtx::cli {

namespace {

// Where the evaluation board carries the VTX8303 (the DCP panel's address "9E").
constexpr int kDcpAddress7 = 0x4F;

QJsonObject dcpJson(const char* command)
{
    return {{QStringLiteral("command"), QLatin1String(command)}, {QStringLiteral("address"), kDcpAddress7}};
}

QString targetName(dcp::ProgrammingMode mode)
{
    return mode == dcp::ProgrammingMode::Eeprom ? QStringLiteral("EEPROM") : QStringLiteral("wiper register");
}

int dcpGet(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    Session session(context.simulate, context.err);
    if (const int status = session.open(); status != kSuccess)
        return status;
    const Result<std::uint8_t> result = session.dcp().read(readAddressByte(kDcpAddress7));
    QJsonObject object = dcpJson("dcp get");
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), addressText(kDcpAddress7));
    }
    const int position = dcp::positionFromRead(result.value());
    object.insert(QStringLiteral("ok"), true);
    object.insert(QStringLiteral("position"), position);
    object.insert(QStringLiteral("byte"), result.value());
    context.out.result(QStringLiteral("position %1 (read %2)").arg(position).arg(byteText(result.value())),
                       object);
    return kSuccess;
}

int dcpSet(CommandContext& context, CommandWords& words)
{
    const bool eeprom = words.takeFlag(QStringLiteral("--eeprom"));
    const bool verify = words.takeFlag(QStringLiteral("--verify"));
    const auto arguments = words.positional(1, 1);
    if (!arguments)
        return kUsageError;
    const auto position = words.number(QStringLiteral("POS"), arguments->constFirst(), kPosition);
    if (!position)
        return kUsageError;
    Session session(context.simulate, context.err);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const auto mode = eeprom ? dcp::ProgrammingMode::Eeprom : dcp::ProgrammingMode::Register;
    const std::uint8_t data = dcp::dataByteFor(*position, mode);
    QJsonObject object = dcpJson("dcp set");
    object.insert(QStringLiteral("position"), *position);
    object.insert(QStringLiteral("target"), eeprom ? QStringLiteral("eeprom") : QStringLiteral("register"));
    object.insert(QStringLiteral("byte"), data);
    const Result<Done> written = session.dcp().write(writeAddressByte(kDcpAddress7), data);
    if (!written) {
        addFailure(object, written.failure(), written.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, written.failure(), written.reply(), addressText(kDcpAddress7));
    }
    QString text = QStringLiteral("position %1 written to the %2 (byte %3)")
                       .arg(*position)
                       .arg(targetName(mode), byteText(data));
    if (!verify) {
        object.insert(QStringLiteral("ok"), true);
        context.out.result(text, object);
        return kSuccess;
    }
    // After an EEPROM write the read waits for the part's write cycle, as every transaction does.
    const Result<std::uint8_t> readBack = session.dcp().read(readAddressByte(kDcpAddress7));
    if (!readBack) {
        addFailure(object, readBack.failure(), readBack.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, readBack.failure(), readBack.reply(), addressText(kDcpAddress7));
    }
    const int readPosition = dcp::positionFromRead(readBack.value());
    const bool verified = readPosition == *position;
    object.insert(QStringLiteral("ok"), verified);
    object.insert(QStringLiteral("readPosition"), readPosition);
    object.insert(QStringLiteral("readByte"), readBack.value());
    object.insert(QStringLiteral("verified"), verified);
    text += QStringLiteral(", read back position %1 (%2): %3")
                .arg(readPosition)
                .arg(byteText(readBack.value()),
                     verified ? QStringLiteral("verified") : QStringLiteral("MISMATCH"));
    context.out.result(text, object);
    if (verified)
        return kSuccess;
    context.err.line(QStringLiteral("verify failed: wrote position %1, read back position %2")
                         .arg(*position)
                         .arg(readPosition));
    return kDeviceFailure;
}

} // namespace

int runDcp(CommandContext& context, CommandWords& words)
{
    const auto action = words.takeSubcommand();
    if (action == QLatin1String("get"))
        return dcpGet(context, words);
    if (action == QLatin1String("set"))
        return dcpSet(context, words);
    words.fail(action.isEmpty() ? QStringLiteral("dcp needs get or set")
                                : QStringLiteral("unknown dcp command '%1'").arg(action));
    return kUsageError;
}

} // namespace vtx::cli
