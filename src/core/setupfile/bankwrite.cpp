// SPDX-License-Identifier: GPL-3.0-or-later
#include "bankwrite.h"

#include "common/hex.h"
#include "common/i2caddress.h"

namespace vtx::setupfile {

namespace {

constexpr int kBankTextLength = 2;

} // namespace

RowWrite rowWrite(const Row& row)
{
    if (row.address.size() != kBankTextLength || row.writeData.size() != kBankTextLength)
        return {};
    // "--" after a failed read, or any text that is not a byte, is never sent; nor is a register address
    // such as "ZZ" that would read as register 00.
    const auto registerAddress = twoDigitHexByte(row.address);
    const auto data = twoDigitHexByte(row.writeData);
    if (!registerAddress || !data)
        return {RowWrite::Kind::Refused, 0, 0};
    return {RowWrite::Kind::Write, *registerAddress, *data};
}

std::optional<std::uint8_t> writeAddressOf(const QString& i2cAddressText)
{
    return deviceAddressFromText(i2cAddressText);
}

} // namespace vtx::setupfile
