// SPDX-License-Identifier: GPL-3.0-or-later
#include "registerdump.h"

#include "common/textformat.h"

#include <QStringList>
#include <algorithm>

namespace vtx {

Result<RegisterDump> dumpRegisters(I2cBus& bus, std::uint8_t readAddress,
                                   const RegisterDumpStepCallback& onStep)
{
    return dumpRegisters(bus, readAddress, RegisterRange{}, onStep);
}

Result<RegisterDump> dumpRegisters(I2cBus& bus, std::uint8_t readAddress, RegisterRange range,
                                   const RegisterDumpStepCallback& onStep)
{
    RegisterDump dump;
    dump.readAddress = readAddress;
    protocol::I2cReply lastReply;
    const int first = std::clamp(range.first, 0, kDumpedRegisterCount);
    const int end = std::clamp(first + range.count, first, kDumpedRegisterCount);
    for (int reg = first; reg < end; ++reg) {
        const auto registerAddress = static_cast<std::uint8_t>(reg);
        const Result<std::uint8_t> read = bus.readRegister(readAddress, registerAddress);
        lastReply = read.reply();
        if (!read && read.failure().kind == Failure::Kind::Link)
            return Result<RegisterDump>::failure(lastReply, read.failure());
        ++dump.tried;
        if (read)
            dump.values[registerAddress] = read.value();
        const RegisterDumpStep step{.registerAddress = registerAddress,
                                    .value = dump.values[registerAddress],
                                    .done = dump.tried,
                                    .total = end - first};
        if (onStep && !onStep(step) && reg + 1 < end) {
            dump.stopped = true;
            break;
        }
    }
    return Result<RegisterDump>::success(lastReply, std::move(dump));
}

QString registerDumpCsv(const RegisterDump& dump)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QStringList header{QStringLiteral("Register")};
    for (int column = 0; column < 16; ++column)
        header << hexText(static_cast<std::uint32_t>(column));
    QString text = header.join(QLatin1Char(',')) + lineEnd;
    for (int row = 0; row < 16; ++row) {
        QStringList fields{hex2Text(static_cast<std::uint32_t>(row * 16))};
        for (int column = 0; column < 16; ++column) {
            const auto& value = dump.values[static_cast<std::size_t>(row * 16 + column)];
            fields << (value ? hex2Text(*value) : kNoValue);
        }
        text += fields.join(QLatin1Char(',')) + lineEnd;
    }
    return text;
}

} // namespace vtx
