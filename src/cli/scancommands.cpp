// SPDX-License-Identifier: GPL-3.0-or-later
// scan and dump: which devices answer, and a device's registers, as i2cdetect and i2cdump show them.

#include "commands.h"
#include "common/i2caddress.h"
#include "common/textformat.h"
#include "engine/busscan.h"
#include "engine/registerdump.h"
#include "exitcodes.h"
#include "format.h"
#include "setupfile/setupfilestore.h"

#include <QJsonArray>

namespace vtx::cli {

namespace {

// A 16-column grid with rows led by "00:", "10:", ...; `cell` gives each cell's two characters. Lines carry
// no trailing blanks.
template <typename Cell> QString grid(int firstRow, int lastRow, Cell cell)
{
    QString text = QStringLiteral("   ");
    for (int column = 0; column < 16; ++column)
        text += QStringLiteral("  ") + hexText(static_cast<std::uint32_t>(column));
    for (int row = firstRow; row <= lastRow; ++row) {
        QString line = hex2Text(static_cast<std::uint32_t>(row * 16)) + QLatin1Char(':');
        for (int column = 0; column < 16; ++column)
            line += QLatin1Char(' ') + cell(row * 16 + column);
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += QLatin1Char('\n') + line;
    }
    return text;
}

constexpr int kSetupRows = kRegisterRowCount;

// The dump as a setup file: the device's write address, and one row per register read with its byte as both
// write and read data, so that `apply` (or the register tool's "Write All") writes the same values back.
setupfile::Setup setupOf(const RegisterDump& dump, int first, int count)
{
    setupfile::Setup setup;
    setup.i2cAddress = hex2Text(writeAddressByte(sevenBitAddress(dump.readAddress)));
    for (int r = 0; r < count && r < kSetupRows; ++r) {
        auto& row = setup.rows[static_cast<std::size_t>(r)];
        const auto& value = dump.values[static_cast<std::size_t>(first + r)];
        row.address = hex2Text(static_cast<std::uint32_t>(first + r));
        row.writeData = value ? hex2Text(*value) : kNoValue;
        row.readData = row.writeData;
    }
    return setup;
}

} // namespace

int runScan(CommandContext& context, CommandWords& words)
{
    if (!words.positional(0, 0))
        return kUsageError;
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;
    const Result<BusScan> scan = scanBus(session->bus());
    if (!scan) {
        if (context.out.json()) {
            QJsonObject object{{QStringLiteral("command"), QStringLiteral("scan")}};
            addFailure(object, scan.failure(), scan.reply());
            context.out.result({}, object);
        }
        return reportFailure(context.err, scan.failure(), scan.reply(), QStringLiteral("the bus"));
    }
    const auto& answering = scan.value().answering;
    QJsonArray addresses;
    QStringList found;
    for (const std::uint8_t address : answering) {
        addresses << address;
        found << addressText(address);
    }
    const auto cell = [&answering](int address) {
        if (address < kFirstProbedAddress || address > kLastProbedAddress)
            return QStringLiteral("  ");
        const bool answered = std::find(answering.begin(), answering.end(), address) != answering.end();
        return answered ? hex2Text(static_cast<std::uint32_t>(address)) : kNoValue;
    };
    const QString summary = found.isEmpty()
                                ? QStringLiteral("no device answered")
                                : QStringLiteral("%1 answered: %2")
                                      .arg(found.size() == 1 ? QStringLiteral("1 device")
                                                             : QStringLiteral("%1 devices").arg(found.size()),
                                           found.join(QStringLiteral(", ")));
    context.out.result(grid(0, 7, cell) + QLatin1Char('\n') + summary,
                       QJsonObject{{QStringLiteral("command"), QStringLiteral("scan")},
                                   {QStringLiteral("ok"), true},
                                   {QStringLiteral("addresses"), addresses}});
    return kSuccess;
}

int runDump(CommandContext& context, CommandWords& words)
{
    const auto setupPath = words.takeOption(QStringLiteral("--vtx"));
    const auto arguments = words.positional(1, 3);
    if (!arguments)
        return kUsageError;
    const auto address7 = words.number(QStringLiteral("ADDR"), arguments->at(0), kAddress7);
    const int first = arguments->size() > 1
                          ? words.number(QStringLiteral("FIRST"), arguments->at(1), kRegister).value_or(0)
                          : 0;
    const int count = arguments->size() > 2
                          ? words.number(QStringLiteral("COUNT"), arguments->at(2), kCount).value_or(1)
                          : kSetupRows;
    if (words.failed())
        return kUsageError;
    if (first + count > kDumpedRegisterCount) {
        words.fail(QStringLiteral("COUNT: %1 registers from %2 run past register 0xFF")
                       .arg(count)
                       .arg(byteText(first)));
        return kUsageError;
    }
    if (setupPath && count > kSetupRows) {
        words.fail(
            QStringLiteral("--vtx: a setup file holds %1 registers, COUNT is %2").arg(kSetupRows).arg(count));
        return kUsageError;
    }
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const QString device = addressText(*address7);
    QJsonObject base{
        {QStringLiteral("command"), QStringLiteral("dump")},
        {QStringLiteral("address"), *address7},
        {QStringLiteral("writeAddress"), writeAddressByte(static_cast<std::uint8_t>(*address7))}};
    const auto printStep = [&context, &base](const RegisterDumpStep& step) {
        if (context.out.json()) {
            QJsonObject object = base;
            object.insert(QStringLiteral("register"), step.registerAddress);
            object.insert(QStringLiteral("ok"), step.value.has_value());
            if (step.value)
                object.insert(QStringLiteral("value"), *step.value);
            else
                object.insert(QStringLiteral("error"), QStringLiteral("nak"));
            context.out.result({}, object);
        }
        return true;
    };
    const Result<RegisterDump> dump =
        dumpRegisters(session->bus(), readAddressByte(static_cast<std::uint8_t>(*address7)),
                      RegisterRange{first, count}, printStep);
    if (!dump) {
        // The registers read so far have their objects; the transfer that failed gets one too, as every
        // other command's failure does, so that a script sees why the dump ended short.
        if (context.out.json()) {
            QJsonObject object = base;
            addFailure(object, dump.failure(), dump.reply());
            context.out.result({}, object);
        }
        return reportFailure(context.err, dump.failure(), dump.reply(), device);
    }

    const auto& values = dump.value().values;
    const int last = first + count - 1;
    int unread = 0;
    for (int reg = first; reg <= last; ++reg)
        unread += values[static_cast<std::size_t>(reg)] ? 0 : 1;
    if (!context.out.json()) {
        const auto cell = [&values, first, last](int reg) {
            if (reg < first || reg > last)
                return QStringLiteral("  ");
            const auto& value = values[static_cast<std::size_t>(reg)];
            return value ? hex2Text(*value) : kNoValue;
        };
        context.out.result(
            QStringLiteral("%1 registers %2 to %3\n").arg(device, byteText(first), byteText(last)) +
                grid(first / 16, last / 16, cell),
            {});
    }
    if (setupPath) {
        if (const auto error = setupfile::saveFile(*setupPath, setupOf(dump.value(), first, count))) {
            context.err.line(*error);
            return kUsageError;
        }
    }
    if (unread == 0)
        return kSuccess;
    context.err.line(
        QStringLiteral("NAK: %1 did not acknowledge %2 of %3 registers").arg(device).arg(unread).arg(count));
    return kDeviceFailure;
}

} // namespace vtx::cli
