#include "simfixture.h"

#include <QStringList>

namespace vtx::test {

std::vector<TransferRecord> SimFixture::writes() const
{
    std::vector<TransferRecord> result;
    for (const auto& record : board.transferLog())
        if (record.direction == TransferDirection::Write)
            result.push_back(record);
    return result;
}

std::vector<TransferRecord> SimFixture::writesOn(std::uint32_t pipe) const
{
    std::vector<TransferRecord> result;
    for (const auto& record : writes())
        if (record.pipe == pipe)
            result.push_back(record);
    return result;
}

QString hexBytes(const std::vector<std::uint8_t>& bytes)
{
    QStringList parts;
    for (const auto b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

} // namespace vtx::test
