// SPDX-License-Identifier: GPL-3.0-or-later
#include "simfixture.h"

#include <QStringList>

namespace vtx::test {

std::vector<TransferRecord> SimFixture::writesOn(std::uint32_t pipe) const
{
    std::vector<TransferRecord> result;
    for (const auto& record : recorder.transferLog())
        if (record.direction == TransferDirection::Write && record.pipe == pipe)
            result.push_back(record);
    return result;
}

QStringList SimFixture::hexWritesOn(std::uint32_t pipe) const
{
    QStringList result;
    for (const auto& record : writesOn(pipe))
        result << hexBytes(record.bytes);
    return result;
}

} // namespace vtx::test
