// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vtx {

// The USB IDs of our control module, the one place they are written down. Every driver matches on them,
// the udev rule in packaging/ grants access by them, and `lsusb -d 2a5e:8303` finds the module.
inline constexpr std::uint16_t kModuleVendorId = 0x2A5E;
inline constexpr std::uint16_t kModuleProductId = 0x8303;

} // namespace vtx
