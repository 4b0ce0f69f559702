// SPDX-License-Identifier: GPL-3.0-or-later
// dcp get, set, store and sweep: the VTX8303's wiper at its address on the evaluation board.

#include "commands.h"
#include "common/i2caddress.h"
#include "common/stopsignals.h"
#include "engine/dcpsweep.h"
#include "engine/verifiedstore.h"
#include "engine/wiperposition.h"
#include "exitcodes.h"
#include "format.h"

#include <algorithm>

namespace vtx::cli {

namespace {

// Where the evaluation board carries the VTX8303 (the DCP panel's address "9E").
constexpr int kDcpAddress7 = 0x4F;

QJsonObject dcpJson(const char* command)
{
    return {{QStringLiteral("command"), QLatin1String(command)}, {QStringLiteral("address"), kDcpAddress7}};
}

QString targetName(ProgrammingMode mode)
{
    return mode == ProgrammingMode::Eeprom ? QStringLiteral("EEPROM") : QStringLiteral("wiper register");
}

int dcpGet(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;
    const Result<std::uint8_t> result = session->dcp().read(readAddressByte(kDcpAddress7));
    QJsonObject object = dcpJson("dcp get");
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), addressText(kDcpAddress7));
    }
    const int position = positionFromRead(result.value());
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
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const auto mode = eeprom ? ProgrammingMode::Eeprom : ProgrammingMode::Register;
    const std::uint8_t data = dataByteFor(*position, mode);
    QJsonObject object = dcpJson("dcp set");
    object.insert(QStringLiteral("position"), *position);
    object.insert(QStringLiteral("target"), eeprom ? QStringLiteral("eeprom") : QStringLiteral("register"));
    object.insert(QStringLiteral("byte"), data);
    const Result<Done> written = session->dcp().write(writeAddressByte(kDcpAddress7), data);
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
    const Result<std::uint8_t> readBack = session->dcp().read(readAddressByte(kDcpAddress7));
    if (!readBack) {
        addFailure(object, readBack.failure(), readBack.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, readBack.failure(), readBack.reply(), addressText(kDcpAddress7));
    }
    const int readPosition = positionFromRead(readBack.value());
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

QString verdictName(StoreVerification::Verdict verdict)
{
    switch (verdict) {
    case StoreVerification::Verdict::Verified:
        return QStringLiteral("verified");
    case StoreVerification::Verdict::Mismatch:
        return QStringLiteral("mismatch");
    case StoreVerification::Verdict::WriteCycleTimedOut:
        return QStringLiteral("write cycle timed out");
    case StoreVerification::Verdict::ReadBackFailed:
        return QStringLiteral("read-back failed");
    }
    return {};
}

int dcpStore(CommandContext& context, CommandWords& words)
{
    const auto arguments = words.positional(0, 1);
    if (!arguments)
        return kUsageError;
    std::optional<int> position;
    if (!arguments->isEmpty() &&
        !(position = words.number(QStringLiteral("POS"), arguments->constFirst(), kPosition)))
        return kUsageError;
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    QJsonObject object = dcpJson("dcp store");
    if (!position) {
        // Without a position the wiper's present one is kept for the next power-up.
        const Result<std::uint8_t> current = session->dcp().read(readAddressByte(kDcpAddress7));
        if (!current) {
            addFailure(object, current.failure(), current.reply());
            if (context.out.json())
                context.out.result({}, object);
            return reportFailure(context.err, current.failure(), current.reply(), addressText(kDcpAddress7));
        }
        position = positionFromRead(current.value());
    }
    object.insert(QStringLiteral("position"), *position);
    const Result<StoreVerification> result =
        storeVerified(session->dcp(), writeAddressByte(kDcpAddress7), *position);
    if (!result) {
        addFailure(object, result.failure(), result.reply());
        if (context.out.json())
            context.out.result({}, object);
        return reportFailure(context.err, result.failure(), result.reply(), addressText(kDcpAddress7));
    }
    const StoreVerification& store = result.value();
    const bool verified = store.verdict == StoreVerification::Verdict::Verified;
    object.insert(QStringLiteral("ok"), verified);
    object.insert(QStringLiteral("byte"), store.written);
    object.insert(QStringLiteral("verdict"), verdictName(store.verdict));
    if (store.readByte) {
        object.insert(QStringLiteral("readByte"), *store.readByte);
        object.insert(QStringLiteral("readPosition"), *store.readPosition());
    }
    if (store.cycle.state == WriteCycle::State::Finished)
        object.insert(QStringLiteral("writeCycleUs"), static_cast<qint64>(store.cycle.elapsedUs));
    context.out.result(storeVerificationText(store), object);
    if (verified)
        return kSuccess;
    if (store.readFailure)
        reportFailure(context.err, *store.readFailure, result.reply(), addressText(kDcpAddress7));
    return kDeviceFailure;
}

QJsonObject sweepRowJson(const SweepRow& row)
{
    QJsonObject object = dcpJson("dcp sweep");
    object.insert(QStringLiteral("ok"), row.matches());
    object.insert(QStringLiteral("position"), row.position);
    object.insert(QStringLiteral("byte"), row.written);
    object.insert(QStringLiteral("outcome"), sweepOutcomeText(row.outcome));
    if (row.readByte) {
        object.insert(QStringLiteral("readByte"), *row.readByte);
        object.insert(QStringLiteral("readPosition"), *row.readPosition());
    }
    if (row.writeCycleUs)
        object.insert(QStringLiteral("writeCycleUs"), static_cast<qint64>(*row.writeCycleUs));
    return object;
}

QString sweepRowText(const SweepRow& row)
{
    QString text = QStringLiteral("position %1: wrote %2").arg(row.position).arg(byteText(row.written));
    if (row.readByte)
        text +=
            QStringLiteral(", read %1 (position %2)").arg(byteText(*row.readByte)).arg(*row.readPosition());
    text += QStringLiteral(", ") + sweepOutcomeText(row.outcome);
    if (row.writeCycleUs)
        text += QStringLiteral(", write cycle ") + writeCycleText(*row.writeCycleUs);
    return text;
}

int dcpSweep(CommandContext& context, CommandWords& words)
{
    SweepSettings settings;
    settings.writeAddress = writeAddressByte(kDcpAddress7);
    if (words.takeFlag(QStringLiteral("--eeprom")))
        settings.mode = ProgrammingMode::Eeprom;
    if (const auto from = words.takeOption(QStringLiteral("--from")))
        settings.from = words.number(QStringLiteral("--from"), *from, kPosition).value_or(settings.from);
    if (const auto to = words.takeOption(QStringLiteral("--to")))
        settings.to = words.number(QStringLiteral("--to"), *to, kPosition).value_or(settings.to);
    if (const auto step = words.takeOption(QStringLiteral("--step")))
        settings.step = words.number(QStringLiteral("--step"), *step, kStep).value_or(settings.step);
    if (!words.positional(0, 0) || words.failed())
        return kUsageError;
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    // Each position is printed as soon as it is done, so a long sweep shows its progress (in a session too).
    // A signal (Ctrl+C, a reader that went away) stops it between positions as "Stop" does, and the wiper is
    // put back.
    const auto print = [&context](const SweepRow& row, int, int) {
        context.out.result(sweepRowText(row), sweepRowJson(row));
        context.out.flush();
        return StopSignals::received() == 0;
    };
    const Result<SweepReport> result = runSweep(session->dcp(), settings, print);
    if (!result) {
        if (context.out.json()) {
            QJsonObject object = dcpJson("dcp sweep");
            addFailure(object, result.failure(), result.reply());
            context.out.result({}, object);
        }
        return reportFailure(context.err, result.failure(), result.reply(), addressText(kDcpAddress7));
    }
    const SweepReport& report = result.value();
    const bool ok = report.end == SweepReport::End::Completed && report.mismatches == 0 &&
                    std::all_of(report.rows.begin(), report.rows.end(),
                                [](const SweepRow& row) { return row.matches(); });
    QString summary =
        QStringLiteral("%1 positions, %2 mismatches").arg(report.rows.size()).arg(report.mismatches);
    if (report.restored)
        summary += QStringLiteral(", wiper put back");
    QJsonObject object = dcpJson("dcp sweep");
    object.insert(QStringLiteral("ok"), ok);
    object.insert(QStringLiteral("positions"), static_cast<int>(report.rows.size()));
    object.insert(QStringLiteral("mismatches"), report.mismatches);
    object.insert(QStringLiteral("restored"), report.restored);
    context.out.result(summary, object);
    if (report.linkFailure)
        reportFailure(context.err, *report.linkFailure, result.reply(), addressText(kDcpAddress7));
    return ok ? kSuccess : kDeviceFailure;
}

} // namespace

int runDcp(CommandContext& context, CommandWords& words)
{
    const auto action = words.takeSubcommand();
    if (action == QLatin1String("get"))
        return dcpGet(context, words);
    if (action == QLatin1String("set"))
        return dcpSet(context, words);
    if (action == QLatin1String("store"))
        return dcpStore(context, words);
    if (action == QLatin1String("sweep"))
        return dcpSweep(context, words);
    words.fail(action.isEmpty() ? QStringLiteral("dcp needs get, set, store or sweep")
                                : QStringLiteral("unknown dcp command '%1'").arg(action));
    return kUsageError;
}

} // namespace vtx::cli
