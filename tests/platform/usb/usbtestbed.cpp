// GLib's headers use "signals" as a name, which Qt's keywords turn into "public": umockdev comes first.
#ifdef VTX_HAVE_UMOCKDEV
#include <umockdev.h>
#endif

#include "usbtestbed.h"

#include <QFile>

#ifdef VTX_HAVE_UMOCKDEV

namespace {

constexpr auto kDeviceNode = "/dev/bus/usb/001/002";

QString testDataPath(const char* name)
{
    return QStringLiteral(VTX_USB_TESTDATA_DIR "/") + QString::fromLatin1(name);
}

} // namespace

struct UsbTestbed::Impl {
    struct Unref {
        void operator()(UMockdevTestbed* testbed) const { g_object_unref(testbed); }
    };
    std::unique_ptr<UMockdevTestbed, Unref> testbed{umockdev_testbed_new()};
};

bool UsbTestbed::available()
{
    return true;
}

UsbTestbed::UsbTestbed() : m_impl(std::make_unique<Impl>()) {}

UsbTestbed::~UsbTestbed() = default;

bool UsbTestbed::inMockEnvironment() const
{
    return umockdev_in_mock_environment() != 0;
}

bool UsbTestbed::plugModule(QString& error)
{
    QFile description(testDataPath("vtxmodule.umockdev"));
    if (!description.open(QIODevice::ReadOnly)) {
        error = description.errorString();
        return false;
    }
    const QByteArray text = description.readAll();
    GError* gerror = nullptr;
    if (!umockdev_testbed_add_from_string(m_impl->testbed.get(), text.constData(), &gerror)) {
        error = QString::fromUtf8(gerror->message);
        g_error_free(gerror);
        return false;
    }
    const QByteArray script = testDataPath("vtxmodule.ioctl").toLocal8Bit();
    if (!umockdev_testbed_load_ioctl(m_impl->testbed.get(), kDeviceNode, script.constData(), &gerror)) {
        error = QString::fromUtf8(gerror->message);
        g_error_free(gerror);
        return false;
    }
    // The description's first line is the device's path below /sys.
    m_sysPath = QStringLiteral("/sys") + QString::fromLatin1(text.left(text.indexOf('\n')).mid(3)).trimmed();
    return true;
}

void UsbTestbed::unplugModule()
{
    if (m_sysPath.isEmpty())
        return;
    const QByteArray path = m_sysPath.toLocal8Bit();
    umockdev_testbed_uevent(m_impl->testbed.get(), path.constData(), "remove");
    umockdev_testbed_remove_device(m_impl->testbed.get(), path.constData());
    m_sysPath.clear();
}

#else // no umockdev: every test that needs it skips

struct UsbTestbed::Impl {};

bool UsbTestbed::available()
{
    return false;
}

UsbTestbed::UsbTestbed() = default;
UsbTestbed::~UsbTestbed() = default;

bool UsbTestbed::inMockEnvironment() const
{
    return false;
}

bool UsbTestbed::plugModule(QString& error)
{
    error = QStringLiteral("built without umockdev");
    return false;
}

void UsbTestbed::unplugModule() {}

#endif
