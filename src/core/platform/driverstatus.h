// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace vtx {

// Status of a driver call. 0 is success; every driver maps its own error codes onto these, in one place.
// Values outside the list can still travel through (a driver may pass on a code it does not know), which
// is why messages show the number as well as the text.
enum class DriverStatus : std::uint32_t {
    Success = 0,
    InvalidParameter = 1,
    NotInitialised = 2,
    InvalidHandle = 3,
    DeviceGone = 4,
    NoSuchPipe = 5,
    Timeout = 6,
    AccessDenied = 7,
    Busy = 8,
    IoError = 9,
    Overflow = 10,
    PipeStalled = 11,
    NotSupported = 12,
    NoMemory = 13,
    Interrupted = 14,
    Refused = 15,
    Other = 16,
};

constexpr std::uint32_t statusCode(DriverStatus status)
{
    return static_cast<std::uint32_t>(status);
}

constexpr bool succeeded(DriverStatus status)
{
    return status == DriverStatus::Success;
}

// A transfer that ended with one of these leaves the module in a state only a port reset clears: a stall
// that clearing the halt did not cure, a broken transfer, a module that dropped off the bus.
constexpr bool leavesDeviceUnusable(DriverStatus status)
{
    return status == DriverStatus::PipeStalled || status == DriverStatus::IoError ||
           status == DriverStatus::DeviceGone;
}

// The generic English text of a status, for drivers that have no texts of their own.
QString genericStatusText(DriverStatus status);

} // namespace vtx
