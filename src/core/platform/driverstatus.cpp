// SPDX-License-Identifier: GPL-3.0-or-later
#include "driverstatus.h"

namespace vtx {

QString genericStatusText(DriverStatus status)
{
    switch (status) {
    case DriverStatus::Success:
        return QStringLiteral("Success");
    case DriverStatus::InvalidParameter:
        return QStringLiteral("Invalid parameter");
    case DriverStatus::NotInitialised:
        return QStringLiteral("Driver not initialised");
    case DriverStatus::InvalidHandle:
        return QStringLiteral("Invalid device handle");
    case DriverStatus::DeviceGone:
        return QStringLiteral("No such device (it may have been disconnected)");
    case DriverStatus::NoSuchPipe:
        return QStringLiteral("Pipe does not exist");
    case DriverStatus::Timeout:
        return QStringLiteral("Operation timed out");
    case DriverStatus::AccessDenied:
        return QStringLiteral("Access denied (insufficient permissions)");
    case DriverStatus::Busy:
        return QStringLiteral("Resource busy");
    case DriverStatus::IoError:
        return QStringLiteral("Input/Output Error");
    case DriverStatus::Overflow:
        return QStringLiteral("Overflow");
    case DriverStatus::PipeStalled:
        return QStringLiteral("Pipe error");
    case DriverStatus::NotSupported:
        return QStringLiteral("Operation not supported or unimplemented on this platform");
    case DriverStatus::NoMemory:
        return QStringLiteral("Insufficient memory");
    case DriverStatus::Interrupted:
        return QStringLiteral("System call interrupted (perhaps due to signal)");
    case DriverStatus::Refused:
        return QStringLiteral("Operation refused");
    case DriverStatus::Other:
        return QStringLiteral("Other error");
    }
    return QStringLiteral("Unrecognized status code");
}

} // namespace vtx
