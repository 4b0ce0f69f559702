// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace vtx::cli {

// A 7-bit address in both forms people meet it in: "0x4F (write 9E)".
QString addressText(int address7);
// The same for a write address byte as the register tool and its setup files hold it: "0x60 (write C0)".
QString writeByteAddressText(std::uint8_t writeAddress);
// A byte as "0x0F".
QString byteText(int value);

} // namespace vtx::cli
