// SPDX-License-Identifier: GPL-3.0-or-later
#include "verifiedstore.h"

#include "common/textformat.h"
#include "wiperposition.h"

namespace vtx {

std::optional<int> StoreVerification::readPosition() const
{
    return readByte ? std::optional<int>(positionFromRead(*readByte)) : std::nullopt;
}

Result<StoreVerification> storeVerified(DcpDevice& dcp, std::uint8_t writeAddress, int position)
{
    StoreVerification store;
    store.position = position;
    store.written = dataByteFor(position, ProgrammingMode::Eeprom);
    store.deadlineMs = dcp.writeCycleDeadlineMs();
    const Result<Done> write = dcp.write(writeAddress, store.written);
    if (!write)
        return Result<StoreVerification>::failure(write.reply(), write.failure());
    store.cycle = dcp.finishWriteCycle();
    if (store.cycle.state == WriteCycle::State::TimedOut) {
        store.verdict = StoreVerification::Verdict::WriteCycleTimedOut;
        return Result<StoreVerification>::success(write.reply(), store);
    }
    // The poll the part answered read the wiper already; only a cycle that went unmeasured needs a read.
    const Result<std::uint8_t> read = dcp.readBack(static_cast<std::uint8_t>(writeAddress + 1));
    if (!read) {
        store.verdict = StoreVerification::Verdict::ReadBackFailed;
        store.readFailure = read.failure();
        return Result<StoreVerification>::success(read.reply(), store);
    }
    store.readByte = read.value();
    store.verdict = positionFromRead(read.value()) == position ? StoreVerification::Verdict::Verified
                                                               : StoreVerification::Verdict::Mismatch;
    return Result<StoreVerification>::success(read.reply(), store);
}

QString writeCycleText(std::int64_t us)
{
    return QStringLiteral("%1 ms").arg(static_cast<double>(us) / 1000.0, 0, 'f', 1);
}

QString writeCycleText(const WriteCycle& cycle)
{
    if (!cycle.uncertain())
        return writeCycleText(cycle.elapsedUs);
    return QStringLiteral("at most %1 (between %2 and %1)")
        .arg(writeCycleText(cycle.elapsedUs))
        .arg(static_cast<double>(cycle.earliestUs) / 1000.0, 0, 'f', 1);
}

QString storeVerificationText(const StoreVerification& store)
{
    const QString stored = QStringLiteral("Stored position %1 in EEPROM").arg(store.position);
    const QString cycle = store.cycle.state == WriteCycle::State::Finished
                              ? QStringLiteral("write cycle %1").arg(writeCycleText(store.cycle))
                              : QStringLiteral("write cycle not measured");
    switch (store.verdict) {
    case StoreVerification::Verdict::Verified:
        return QStringLiteral("%1, verified, %2").arg(stored, cycle);
    case StoreVerification::Verdict::Mismatch:
        return QStringLiteral("%1, but it reads back position %2 (byte %3): mismatch, %4")
            .arg(stored)
            .arg(*store.readPosition())
            .arg(hex2Text(*store.readByte), cycle);
    case StoreVerification::Verdict::WriteCycleTimedOut:
        return QStringLiteral(
                   "%1, not verified: the part did not answer within %2 ms of the write (write-cycle "
                   "timeout)")
            .arg(stored)
            .arg(store.deadlineMs);
    case StoreVerification::Verdict::ReadBackFailed:
        return QStringLiteral("%1, not verified: the read-back failed").arg(stored);
    }
    return stored;
}

} // namespace vtx
