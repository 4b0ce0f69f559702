// SPDX-License-Identifier: GPL-3.0-or-later
// apply: a setup file's rows written to its device, as the register tool's "Write All" does.

#include "commands.h"
#include "exitcodes.h"
#include "format.h"
#include "setupfile/bankwrite.h"
#include "setupfile/setupfilestore.h"

#include <algorithm>

namespace vtx::cli {

int runApply(CommandContext& context, CommandWords& words)
{
    const auto arguments = words.positional(1, 1);
    if (!arguments)
        return kUsageError;
    const QString path = arguments->constFirst();
    const setupfile::LoadResult loaded = setupfile::loadFile(path);
    if (loaded.read && !loaded.setupShaped) {
        // A CSV or an image can still yield the fields a setup needs; its "rows" must not reach a device.
        context.err.line(
            QStringLiteral(
                "The file \"%1\" is not a setup file: it is not laid out as one. Nothing was written.")
                .arg(path));
        return kUsageError;
    }
    if (!loaded.setup) {
        context.err.line(loaded.error);
        return kUsageError;
    }
    const auto writeAddress = setupfile::writeAddressOf(loaded.setup->i2cAddress);
    if (!writeAddress) {
        context.err.line(
            QStringLiteral(
                "The setup file \"%1\" names the I2C address \"%2\", which is not a device address "
                "(a hex byte from 00 to FE). Nothing was written.")
                .arg(path, loaded.setup->i2cAddress));
        return kUsageError;
    }
    const auto& rows = loaded.setup->rows;
    if (std::none_of(rows.begin(), rows.end(), [](const setupfile::Row& row) {
            return setupfile::rowWrite(row).kind != setupfile::RowWrite::Kind::Skipped;
        })) {
        context.err.line(
            QStringLiteral("The setup file \"%1\" has no row with write data. Nothing was written.")
                .arg(path));
        return kUsageError;
    }
    ModuleUse session(context.module);
    if (const int status = session.open(); status != kSuccess)
        return status;

    const QString device = writeByteAddressText(*writeAddress);
    int exitCode = kSuccess;
    for (int r = 0; r < kRegisterRowCount; ++r) {
        const setupfile::Row& row = loaded.setup->rows[static_cast<std::size_t>(r)];
        const setupfile::RowWrite write = setupfile::rowWrite(row);
        QJsonObject object{{QStringLiteral("command"), QStringLiteral("apply")},
                           {QStringLiteral("row"), r},
                           {QStringLiteral("address"), *writeAddress >> 1},
                           {QStringLiteral("writeAddress"), *writeAddress}};
        switch (write.kind) {
        case setupfile::RowWrite::Kind::Skipped:
            continue;
        case setupfile::RowWrite::Kind::Refused:
            // The window paints the row's lamp red and sends nothing; so do we, and say why.
            object.insert(QStringLiteral("ok"), false);
            object.insert(QStringLiteral("error"), QStringLiteral("refused"));
            context.out.result(
                QStringLiteral("row %1: refused: register \"%2\" data \"%3\" (two hex digits each)")
                    .arg(r)
                    .arg(row.address, row.writeData),
                object);
            exitCode = kDeviceFailure;
            continue;
        case setupfile::RowWrite::Kind::Write:
            break;
        }
        object.insert(QStringLiteral("register"), write.registerAddress);
        object.insert(QStringLiteral("value"), write.data);
        const QString target = device + QStringLiteral(" register ") + byteText(write.registerAddress);
        const Result<Done> result =
            session->bus().writeRegister(*writeAddress, write.registerAddress, write.data);
        if (!result) {
            addFailure(object, result.failure(), result.reply());
            if (context.out.json())
                context.out.result({}, object);
            exitCode = reportFailure(context.err, result.failure(), result.reply(), target);
            // A failure of the link itself ends the bank; the rows after it could do no better.
            if (result.failure().kind == Failure::Kind::Link)
                return exitCode;
            continue;
        }
        object.insert(QStringLiteral("ok"), true);
        context.out.result(
            QStringLiteral("row %1: %2 <- %3: acknowledged").arg(r).arg(target, byteText(write.data)),
            object);
    }
    return exitCode;
}

} // namespace vtx::cli
