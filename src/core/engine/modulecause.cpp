// SPDX-License-Identifier: GPL-3.0-or-later
#include "modulecause.h"

namespace vtx {

QString moduleCause(DriverStatus status)
{
    switch (status) {
    case DriverStatus::DeviceGone:
    case DriverStatus::InvalidHandle:
        return QStringLiteral("The USB control module is not connected (unplugged or without power).");
    case DriverStatus::Timeout:
        return QStringLiteral("The USB control module did not answer in time.");
    case DriverStatus::AccessDenied:
        return QStringLiteral("The USB control module cannot be opened: access denied.");
    case DriverStatus::Busy:
        return QStringLiteral("The USB control module is in use by another program.");
    default:
        return {};
    }
}

} // namespace vtx
