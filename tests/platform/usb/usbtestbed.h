#pragma once

#include <QString>
#include <memory>

// An emulated USB bus with our control module on it, for testing the libusb driver without hardware.
// It wraps an in-process umockdev testbed; the test executable must run under umockdev-wrapper so that
// libusb (and udev) see the emulated /sys and /dev. Create it before the driver's libusb context.
//
// The module's descriptors come from vtxmodule.umockdev (bulk out 0x01-0x04, bulk in 0x81-0x83) and its
// answers from vtxmodule.ioctl, a replay: an OUT that is not scripted byte for byte fails with an I/O
// error, and every scripted OUT gets the same IN each time.
class UsbTestbed {
public:
    // True when this build has umockdev; the tests skip otherwise.
    static bool available();

    UsbTestbed();
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // True when the emulation is active in this process (umockdev-wrapper preloaded).
    bool inMockEnvironment() const;

    // Plugs the module in (and announces it as a hot-plug arrival); false with `error` set on failure.
    bool plugModule(QString& error);
    // Unplugs the module: a removal announced as a hot-plug event, then its device node gone.
    void unplugModule();
    bool isPlugged() const { return !m_sysPath.isEmpty(); }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    QString m_sysPath;
};
