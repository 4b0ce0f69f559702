// SPDX-License-Identifier: GPL-3.0-or-later
#include "busscan.h"

#include "common/i2caddress.h"

namespace vtx {

Result<BusScan> scanBus(I2cBus& bus, const BusScanStepCallback& onStep)
{
    BusScan scan;
    protocol::I2cReply lastReply;
    for (int address = kFirstProbedAddress; address <= kLastProbedAddress; ++address) {
        const auto sevenBit = static_cast<std::uint8_t>(address);
        const Result<std::uint8_t> probe = bus.read(readAddressByte(sevenBit));
        lastReply = probe.reply();
        if (!probe && probe.failure().kind == Failure::Kind::Link)
            return Result<BusScan>::failure(lastReply, probe.failure());
        ++scan.probed;
        if (probe)
            scan.answering.push_back(sevenBit);
        const BusScanStep step{.address = sevenBit, .answered = probe.ok(), .done = scan.probed};
        if (onStep && !onStep(step) && address < kLastProbedAddress) {
            scan.stopped = true;
            break;
        }
    }
    return Result<BusScan>::success(lastReply, std::move(scan));
}

} // namespace vtx
