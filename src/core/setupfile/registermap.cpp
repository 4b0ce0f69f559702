// SPDX-License-Identifier: GPL-3.0-or-later
#include "registermap.h"

#include <array>

namespace vtx {

QString defaultRegisterDescription(int row)
{
    static constexpr std::array<const char*, kRegisterRowCount> kDescriptions{
        "Veltrane Product ID",
        "Veltrane Product ID / revision number",
        "Error_Flag",
        "Control",
        "RX Control",
        "TX Control",
        "Test Registers",
        "Error Counter",
        "TA time",
        "Outgoing packet data fetch location",
        "Remote Device ID",
        "Remote memory address",
        "Outgoing packet data field size",
        "Side traffic control",
        "Local I2C Data location",
        "Local I2C Device lD",
        "Local I2C Memory addr",
        "Local I2C data size",
        "I2C master control",
        "Error_flag received",
        "",
        "",
        "",
        "",
        "misc_contrl",
        "Analog Settings",
        "Misc_Powerdown",
        "Clock randomizer control",
        "Status1",
        "Status2",
        "",
        "",
    };
    if (row < 0 || row >= kRegisterRowCount)
        return {};
    return QString::fromLatin1(kDescriptions[static_cast<std::size_t>(row)]);
}

} // namespace vtx
