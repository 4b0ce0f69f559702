// SPDX-License-Identifier: GPL-3.0-or-later
#include "libusbstatus.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <array>
#include <libusb.h>
#include <optional>
#include <utility>

namespace vtx {

namespace {

// Each libusb error and the status it becomes. The table is read both ways: forwards to convert a result,
// backwards to find the libusb code whose description is the text of a status.
constexpr std::array kLibusbToStatus = {
    std::pair{LIBUSB_SUCCESS, DriverStatus::Success},
    std::pair{LIBUSB_ERROR_IO, DriverStatus::IoError},
    std::pair{LIBUSB_ERROR_INVALID_PARAM, DriverStatus::InvalidParameter},
    std::pair{LIBUSB_ERROR_ACCESS, DriverStatus::AccessDenied},
    std::pair{LIBUSB_ERROR_NO_DEVICE, DriverStatus::DeviceGone},
    // "Entity not found": an interface or alternate setting the device lacks, or a device that vanished
    // while being reset. The module has refused what we asked for.
    std::pair{LIBUSB_ERROR_NOT_FOUND, DriverStatus::Refused},
    std::pair{LIBUSB_ERROR_BUSY, DriverStatus::Busy},
    std::pair{LIBUSB_ERROR_TIMEOUT, DriverStatus::Timeout},
    std::pair{LIBUSB_ERROR_OVERFLOW, DriverStatus::Overflow},
    std::pair{LIBUSB_ERROR_PIPE, DriverStatus::PipeStalled},
    std::pair{LIBUSB_ERROR_INTERRUPTED, DriverStatus::Interrupted},
    std::pair{LIBUSB_ERROR_NO_MEM, DriverStatus::NoMemory},
    std::pair{LIBUSB_ERROR_NOT_SUPPORTED, DriverStatus::NotSupported},
    std::pair{LIBUSB_ERROR_OTHER, DriverStatus::Other},
};

const QString kUdevRuleName = QStringLiteral("70-vtx-eval.rules");
// Where udev reads rules from: the packages' folders and the administrator's.
const QStringList kUdevRuleFolders{QStringLiteral("/usr/lib/udev/rules.d"),
                                   QStringLiteral("/lib/udev/rules.d"), QStringLiteral("/etc/udev/rules.d")};

std::optional<int> libusbCodeOf(DriverStatus status)
{
    for (const auto& [code, mapped] : kLibusbToStatus) {
        if (mapped == status)
            return code;
    }
    return std::nullopt;
}

} // namespace

DriverStatus statusFromLibusb(int libusbResult)
{
    if (libusbResult >= 0)
        return DriverStatus::Success;
    for (const auto& [code, mapped] : kLibusbToStatus) {
        if (code == libusbResult)
            return mapped;
    }
    return DriverStatus::Other;
}

QString udevRuleAdvice()
{
#ifdef Q_OS_LINUX
    return QStringLiteral(
               "; to use the module without root, install the udev rule %1: %2, then plug the module "
               "in again (the vtx-eval package installs it in /usr/lib/udev/rules.d)")
        .arg(kUdevRuleName, udevRuleCommand(kUdevRuleName));
#else
    return {};
#endif
}

QString installedUdevRule(const QString& programDirectory)
{
    const QFileInfo rule(programDirectory + QStringLiteral("/../lib/udev/rules.d/") + kUdevRuleName);
    return rule.exists() ? QDir::cleanPath(rule.absoluteFilePath()) : QString();
}

QString udevRuleCommand(const QString& rule)
{
    const QString reload = QStringLiteral("sudo udevadm control --reload-rules && sudo udevadm trigger");
    const QString folder = QFileInfo(rule).path();
    if (!rule.isEmpty() && kUdevRuleFolders.contains(folder))
        return reload;
    const QString source = rule.isEmpty() ? QStringLiteral("packaging/") + kUdevRuleName : rule;
    return QStringLiteral("sudo cp %1 /etc/udev/rules.d/ && %2").arg(source, reload);
}

QString libusbStatusText(DriverStatus status)
{
    const auto code = libusbCodeOf(status);
    if (!code)
        return genericStatusText(status); // ours alone: NotInitialised, InvalidHandle, NoSuchPipe, unknown
    // libusb_strerror returns a static UTF-8 string that lives as long as the program.
    QString text = QString::fromUtf8(libusb_strerror(*code));
    if (status == DriverStatus::AccessDenied)
        text += udevRuleAdvice();
    else if (status == DriverStatus::Busy)
        text += QStringLiteral(": the module is in use by another program");
    return text;
}

} // namespace vtx
