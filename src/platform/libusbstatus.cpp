#include "libusbstatus.h"

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
        "; to use the module without root, install the udev rule 70-vtx-eval.rules: "
        "sudo cp 70-vtx-eval.rules /etc/udev/rules.d/ && sudo udevadm control --reload-rules "
        "&& sudo udevadm trigger, then plug the module in again "
        "(the vtx-eval package installs it in /usr/lib/udev/rules.d)");
#else
    return {};
#endif
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
    return text;
}

} // namespace vtx
