// SPDX-License-Identifier: GPL-3.0-or-later
#include "libusbdriver.h"

#include "common/logging.h"
#include "libusbeventpump.h"
#include "libusbhandles.h"
#include "libusbstatus.h"
#include "platform/notificationqueue.h"

#include <QFile>
#include <QObject>
#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace vtx {

namespace {

// The interface descriptor `interfaceNumber`/`alternateSetting` of the active configuration, with its
// endpoints as our pipes, and how many alternate settings that interface has. Descriptors are cached by
// libusb (sysfs on Linux): no I/O to the module.
DriverStatus describe(libusb_device* device, std::uint32_t interfaceNumber, std::uint32_t alternateSetting,
                      DeviceInfo& info, int* alternateSettingCount = nullptr)
{
    libusb_device_descriptor descriptor{};
    if (const int result = libusb_get_device_descriptor(device, &descriptor); result < 0)
        return statusFromLibusb(result);

    libusb_config_descriptor* rawConfig = nullptr;
    if (const int result = libusb_get_active_config_descriptor(device, &rawConfig); result < 0)
        return statusFromLibusb(result);
    const libusb::ConfigDescriptor config(rawConfig);

    const libusb_interface_descriptor* found = nullptr;
    int settings = 0;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        const libusb_interface& candidates = config->interface[i];
        for (int a = 0; a < candidates.num_altsetting; ++a) {
            const libusb_interface_descriptor& alt = candidates.altsetting[a];
            if (alt.bInterfaceNumber == interfaceNumber && alt.bAlternateSetting == alternateSetting) {
                found = &alt;
                settings = candidates.num_altsetting;
                break;
            }
        }
    }
    if (!found)
        return statusFromLibusb(LIBUSB_ERROR_NOT_FOUND);
    if (alternateSettingCount)
        *alternateSettingCount = settings;

    DeviceInfo result;
    result.descriptor.bLength = descriptor.bLength;
    result.descriptor.bDescriptorType = descriptor.bDescriptorType;
    result.descriptor.bcdUSB = descriptor.bcdUSB;
    result.descriptor.bDeviceClass = descriptor.bDeviceClass;
    result.descriptor.bDeviceSubClass = descriptor.bDeviceSubClass;
    result.descriptor.bDeviceProtocol = descriptor.bDeviceProtocol;
    result.descriptor.bMaxPacketSize0 = descriptor.bMaxPacketSize0;
    result.descriptor.idVendor = descriptor.idVendor;
    result.descriptor.idProduct = descriptor.idProduct;
    result.descriptor.bcdDevice = descriptor.bcdDevice;
    result.descriptor.iManufacturer = descriptor.iManufacturer;
    result.descriptor.iProduct = descriptor.iProduct;
    result.descriptor.iSerialNumber = descriptor.iSerialNumber;
    result.descriptor.bNumConfigurations = descriptor.bNumConfigurations;

    AlternateSetting& active = result.activeAlternateSetting;
    active.interfaceNumber = found->bInterfaceNumber;
    active.alternateSetting = found->bAlternateSetting;
    active.numPipes = found->bNumEndpoints;
    for (int e = 0; e < found->bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& endpoint = found->endpoint[e];
        active.pipes.push_back(PipeInfo{endpoint.bEndpointAddress,
                                        static_cast<PipeType>(endpoint.bmAttributes & 0x03),
                                        endpoint.wMaxPacketSize, endpoint.bInterval});
    }
    info = std::move(result);
    return DriverStatus::Success;
}

// The module's bus and port path as Linux names it in sysfs ("1-4.2": bus 1, port 4 of the root hub, port 2
// of the hub there); empty for a root hub.
std::string portPath(libusb_device* device)
{
    std::array<std::uint8_t, 7> ports{}; // USB allows at most seven tiers
    const int count = libusb_get_port_numbers(device, ports.data(), static_cast<int>(ports.size()));
    if (count <= 0)
        return {};
    std::string path = std::to_string(libusb_get_bus_number(device)) + '-';
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            path += '.';
        path += std::to_string(ports[static_cast<std::size_t>(i)]);
    }
    return path;
}

// What Linux keeps about a device in sysfs, read without a word to the device. Elsewhere, or for a device
// sysfs does not know, nothing.
std::optional<std::string> sysfsAttribute(const std::string& entry, const char* name)
{
#ifdef Q_OS_LINUX
    QFile file(QStringLiteral("/sys/bus/usb/devices/%1/%2")
                   .arg(QString::fromStdString(entry), QString::fromLatin1(name)));
    if (!entry.empty() && file.open(QIODevice::ReadOnly))
        return file.readAll().trimmed().toStdString();
#else
    Q_UNUSED(entry);
    Q_UNUSED(name);
#endif
    return std::nullopt;
}

// Whether another program holds the module's interface 0, as sysfs tells: Linux binds an interface a program
// has claimed to the "usbfs" driver. Nothing where sysfs does not know the module.
std::optional<bool> heldThroughUsbfs(const std::string& path)
{
#ifdef Q_OS_LINUX
    const std::optional<std::string> configuration = sysfsAttribute(path, "bConfigurationValue");
    if (!configuration)
        return std::nullopt;
    const std::string link = "/sys/bus/usb/devices/" + path + ':' +
                             (configuration->empty() ? std::string("1") : *configuration) + ".0/driver";
    std::array<char, 512> target{};
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size() - 1);
    if (length <= 0)
        return false; // no driver at all
    const std::string driver(target.data(), static_cast<std::size_t>(length));
    return driver.size() >= 6 && driver.compare(driver.size() - 6, 6, "/usbfs") == 0;
#else
    Q_UNUSED(path);
    return std::nullopt;
#endif
}

// The serial number from the module's string descriptor: a control transfer to the module, for systems that
// keep no copy of it.
std::string descriptorSerial(libusb_device* device, libusb_device_handle* handle)
{
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) < 0 || descriptor.iSerialNumber == 0)
        return {};
    std::array<unsigned char, 256> text{};
    const int length = libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber, text.data(),
                                                          static_cast<int>(text.size()));
    return length > 0
               ? std::string(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(length))
               : std::string();
}

// A module as a listing shows it. Where sysfs keeps the serial number and the interface's driver, nothing is
// opened; elsewhere the module is opened for a moment to read its serial number and to try the claim
// another program's hold refuses.
FoundModule identify(libusb_device* device)
{
    FoundModule found;
    found.path = portPath(device);
    found.serial = sysfsAttribute(found.path, "serial").value_or(std::string());
    const std::optional<bool> held = heldThroughUsbfs(found.path);
    found.inUse = held.value_or(false);
    libusb_device_descriptor descriptor{};
    const bool serialKnown = !found.serial.empty() || libusb_get_device_descriptor(device, &descriptor) < 0 ||
                             descriptor.iSerialNumber == 0;
    if (held && serialKnown)
        return found;
    libusb_device_handle* rawHandle = nullptr;
    if (const int result = libusb_open(device, &rawHandle); result < 0) {
        found.inUse = found.inUse || result == LIBUSB_ERROR_BUSY;
        return found;
    }
    const libusb::DeviceHandle handle(rawHandle);
    if (found.serial.empty())
        found.serial = descriptorSerial(device, handle.get());
    if (!held) {
        const int claimed = libusb_claim_interface(handle.get(), 0);
        found.inUse = claimed == LIBUSB_ERROR_BUSY;
        if (claimed == 0)
            libusb_release_interface(handle.get(), 0);
    }
    return found;
}

} // namespace

// Everything one init() acquires, released in reverse order of declaration when it goes:
// pending queued work, notifications, opened modules (interfaces released, handles closed), the hot-plug
// registration, the event notifiers, and last the libusb context itself.
class LibusbSession {
public:
    LibusbSession(const UsbMatch& match, DeviceHandle& lastDeviceHandle)
        : m_match(match), m_lastDeviceHandle(lastDeviceHandle)
    {
    }
    ~LibusbSession()
    {
        // Nothing queued before release may reach the link afterwards.
        m_notifications.close();
    }

    LibusbSession(const LibusbSession&) = delete;
    LibusbSession& operator=(const LibusbSession&) = delete;

    DriverStatus start(UsbDriver::Notifications notifications);

    DriverStatus getDeviceInfo(DeviceHandle device, DeviceInfo& info) const;
    DriverStatus setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                              std::uint32_t alternateSetting);
    DriverStatus transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                          std::span<std::uint8_t> buffer, std::uint32_t& bytesTransferred,
                          std::uint32_t timeoutMs);
    // True when the port was reset.
    bool resetDevice(DeviceHandle device, std::uint32_t options);
    std::size_t openDeviceCount() const { return m_modules.size(); }

private:
    struct OpenModule {
        libusb::DeviceRef device;
        libusb::DeviceHandle handle;
        std::unique_ptr<libusb::ClaimedInterface> claimed; // after handle: released before the handle closes
        DeviceInfo info;
        bool gone = false; // a transfer found it unplugged; its detach is already queued
        // The last transfer left it unusable (leavesDeviceUnusable): a soft reset resets its port.
        bool unusable = false;
    };
    struct HotplugEvent {
        libusb_hotplug_event event;
        libusb::DeviceRef device;
    };

    static int LIBUSB_CALL onHotplug(libusb_context* context, libusb_device* device,
                                     libusb_hotplug_event event, void* userData);
    void enumerateWithoutHotplug();
    void processHotplugEvents();
    void arrived(libusb_device* device);
    void left(libusb_device* device);
    void markGone(DeviceHandle device, OpenModule& module);
    // The module behind a handle of ours, or the status that says why there is none.
    const OpenModule* find(DeviceHandle device, DriverStatus& status) const;
    OpenModule* find(DeviceHandle device, DriverStatus& status);

    const UsbMatch m_match;
    DeviceHandle& m_lastDeviceHandle;
    libusb::Context m_context;
    std::unique_ptr<LibusbEventPump> m_pump;
    std::optional<libusb::HotplugRegistration> m_hotplug;
    std::map<DeviceHandle, OpenModule> m_modules;
    std::vector<HotplugEvent> m_hotplugEvents;
    // Why the last matching module could not be opened or its interface not claimed (cleared by the next
    // successful open or claim). Reported for handle 0, which is what the link asks about when no attach came
    // or it refused one: the user then reads "Access denied" and how to fix it, or that another program has
    // the module, rather than "No such device".
    std::optional<DriverStatus> m_openFailure;
    NotificationQueue m_notifications;
    QObject m_queuedWork; // hot-plug processing queued on the event loop dies with the session
    bool m_processingQueued = false;
};

DriverStatus LibusbSession::start(UsbDriver::Notifications notifications)
{
    libusb_context* rawContext = nullptr;
    if (const int result = libusb_init(&rawContext); result < 0) {
        qCWarning(lcUsb) << "libusb_init failed:" << libusb_error_name(result);
        return statusFromLibusb(result);
    }
    m_context.reset(rawContext);
    if (lcUsb().isDebugEnabled()) {
        // libusb's own messages join ours in vtx.usb instead of going to stderr; the global hook catches
        // what its hot-plug thread logs without a context. libusb may call this from its threads; Qt's
        // logging is thread-safe.
        libusb_set_log_cb(
            m_context.get(),
            [](libusb_context*, enum libusb_log_level, const char* text) {
                qCDebug(lcUsb).noquote() << QString::fromUtf8(text).trimmed();
            },
            LIBUSB_LOG_CB_CONTEXT | LIBUSB_LOG_CB_GLOBAL);
        libusb_set_option(m_context.get(), LIBUSB_OPTION_LOG_LEVEL, LIBUSB_LOG_LEVEL_INFO);
    }

    m_notifications.open(std::move(notifications));
    m_pump = std::make_unique<LibusbEventPump>(m_context.get());

    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0) {
        qCDebug(lcUsb) << "no hot-plug on this platform: enumerating once";
        enumerateWithoutHotplug();
        return DriverStatus::Success;
    }
    libusb_hotplug_callback_handle handle = 0;
    // ENUMERATE: modules already plugged in are reported at once, from inside the registration.
    const int result = libusb_hotplug_register_callback(
        m_context.get(), LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
        LIBUSB_HOTPLUG_ENUMERATE, m_match.vendorId, m_match.productId, LIBUSB_HOTPLUG_MATCH_ANY,
        &LibusbSession::onHotplug, this, &handle);
    if (result < 0) {
        qCWarning(lcUsb) << "registering for hot-plug failed:" << libusb_error_name(result);
        return statusFromLibusb(result);
    }
    m_hotplug.emplace(m_context.get(), handle);
    // Open the modules found so far now, so their attach notifications are queued by the time init returns.
    processHotplugEvents();
    return DriverStatus::Success;
}

void LibusbSession::enumerateWithoutHotplug()
{
    libusb_device** rawList = nullptr;
    const ssize_t count = libusb_get_device_list(m_context.get(), &rawList);
    if (count < 0) {
        qCWarning(lcUsb) << "listing USB devices failed:" << libusb_error_name(static_cast<int>(count));
        return;
    }
    const libusb::DeviceList list(rawList);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(rawList[i], &descriptor) < 0)
            continue;
        if (descriptor.idVendor == m_match.vendorId && descriptor.idProduct == m_match.productId)
            arrived(rawList[i]);
    }
}

int LIBUSB_CALL LibusbSession::onHotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event,
                                         void* userData)
{
    // libusb calls this from inside its event handling (on our thread, from the event pump or a transfer)
    // or from the registration. Opening a device in here is discouraged by libusb, so the event is only
    // noted and worked off from the Qt event loop.
    auto* const session = static_cast<LibusbSession*>(userData);
    session->m_hotplugEvents.push_back(HotplugEvent{event, libusb::addRef(device)});
    if (!session->m_processingQueued) {
        session->m_processingQueued = true;
        QMetaObject::invokeMethod(
            &session->m_queuedWork, [session] { session->processHotplugEvents(); }, Qt::QueuedConnection);
    }
    return 0; // stay registered
}

void LibusbSession::processHotplugEvents()
{
    m_processingQueued = false;
    // Swap out first: opening a module runs no libusb events, but be safe against additions meanwhile.
    std::vector<HotplugEvent> events;
    events.swap(m_hotplugEvents);
    for (const HotplugEvent& event : events) {
        if (event.event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED)
            arrived(event.device.get());
        else
            left(event.device.get());
    }
}

void LibusbSession::arrived(libusb_device* device)
{
    const bool known = std::any_of(m_modules.begin(), m_modules.end(), [device](const auto& entry) {
        return entry.second.device.get() == device;
    });
    if (known)
        return;
    // With a module chosen, the others are left alone: not opened where sysfs names them, and never
    // reported, so neither a refusal nor an unplug of theirs reaches the link.
    const std::string& choice = m_match.device;
    const std::string path = portPath(device);
    const std::string serial = sysfsAttribute(path, "serial").value_or(std::string());
    const bool named = FoundModule{path, serial}.isNamedBy(choice);
    if (!named && !serial.empty()) {
        qCDebug(lcUsb) << "the module at" << path.c_str() << "is not the one chosen";
        return;
    }

    libusb_device_handle* rawHandle = nullptr;
    if (const int result = libusb_open(device, &rawHandle); result < 0) {
        if (!named)
            return; // not ours to report, whoever it is

        m_openFailure = statusFromLibusb(result);
        qCWarning(lcUsb).noquote() << "cannot open the module on bus" << libusb_get_bus_number(device)
                                   << "device" << libusb_get_device_address(device) << ":"
                                   << libusbStatusText(*m_openFailure);
        return;
    }
    OpenModule module;
    module.device = libusb::addRef(device);
    module.handle.reset(rawHandle);
    if (!named && descriptorSerial(device, rawHandle) != choice) {
        qCDebug(lcUsb) << "the module at" << path.c_str() << "is not the one chosen: closed it";
        return;
    }
    // A freshly opened module is in alternate setting 0 of interface 0 as far as we can know: asking it
    // (GET_INTERFACE) would cost a control transfer for nothing, since the link selects it right away.
    if (const DriverStatus status = describe(device, 0, 0, module.info); !succeeded(status)) {
        m_openFailure = status;
        qCWarning(lcUsb).noquote() << "the module's descriptors are unusable:" << libusbStatusText(status);
        return;
    }
    m_openFailure.reset();

    ++m_lastDeviceHandle;
    if (m_lastDeviceHandle == 0) // 0 means "no device" to the link
        ++m_lastDeviceHandle;
    const DeviceHandle handle = m_lastDeviceHandle;
    const DeviceInfo info = module.info;
    m_modules.emplace(handle, std::move(module));
    qCDebug(lcUsb) << "opened the module as handle" << Qt::hex << handle;

    m_notifications.postAttach(handle, info, [this, handle](bool accepted) {
        // A refused module is of no use to us; let go of it so another program may have it.
        if (!accepted && m_modules.erase(handle) > 0)
            qCDebug(lcUsb) << "attach of handle" << Qt::hex << handle << "refused: closed it";
    });
}

void LibusbSession::left(libusb_device* device)
{
    const auto found = std::find_if(m_modules.begin(), m_modules.end(), [device](const auto& entry) {
        return entry.second.device.get() == device;
    });
    if (found == m_modules.end())
        return;
    const DeviceHandle handle = found->first;
    if (!found->second.gone)
        m_notifications.postDetach(handle);
    m_modules.erase(found);
    qCDebug(lcUsb) << "the module with handle" << Qt::hex << handle << "left: closed it";
}

void LibusbSession::markGone(DeviceHandle device, OpenModule& module)
{
    // Where hot-plug is missing, this is the only way we learn of an unplugged module. The handle stays
    // until hot-plug or release takes it, failing at once meanwhile.
    if (module.gone)
        return;
    module.gone = true;
    m_notifications.postDetach(device);
}

const LibusbSession::OpenModule* LibusbSession::find(DeviceHandle device, DriverStatus& status) const
{
    if (device == 0) {
        // Handle 0 is the link holding no module: none plugged in, or it left.
        status = m_openFailure.value_or(DriverStatus::DeviceGone);
        return nullptr;
    }
    const auto found = m_modules.find(device);
    if (found == m_modules.end()) {
        // A handle we gave out once belongs to a module that has gone since.
        status = device <= m_lastDeviceHandle ? DriverStatus::DeviceGone : DriverStatus::InvalidHandle;
        return nullptr;
    }
    if (found->second.gone) {
        status = DriverStatus::DeviceGone;
        return nullptr;
    }
    status = DriverStatus::Success;
    return &found->second;
}

LibusbSession::OpenModule* LibusbSession::find(DeviceHandle device, DriverStatus& status)
{
    return const_cast<OpenModule*>(std::as_const(*this).find(device, status));
}

DriverStatus LibusbSession::getDeviceInfo(DeviceHandle device, DeviceInfo& info) const
{
    DriverStatus status = DriverStatus::Success;
    const OpenModule* const module = find(device, status);
    if (module)
        info = module->info;
    return status;
}

DriverStatus LibusbSession::setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                                         std::uint32_t alternateSetting)
{
    DriverStatus status = DriverStatus::Success;
    OpenModule* const module = find(device, status);
    if (!module)
        return status;
    if (interfaceNumber > UINT8_MAX || alternateSetting > UINT8_MAX)
        return DriverStatus::InvalidParameter;

    DeviceInfo info;
    int alternateSettingCount = 0;
    status = describe(module->device.get(), interfaceNumber, alternateSetting, info, &alternateSettingCount);
    if (!succeeded(status))
        return status;

    libusb_device_handle* const handle = module->handle.get();
    const int number = static_cast<int>(interfaceNumber);
    if (!module->claimed || module->claimed->number() != number) {
        module->claimed.reset();
        // Where a kernel driver holds the interface (Linux), it is detached while we hold it and given back
        // on release. Only when one is bound: asking to detach where there is nothing to detach fails on
        // some systems, and where the question is not supported (macOS, Windows) there is no such driver.
        if (const int active = libusb_kernel_driver_active(handle, number); active == 1)
            libusb_set_auto_detach_kernel_driver(handle, 1);
        else if (active < 0)
            qCDebug(lcUsb) << "cannot tell whether a kernel driver holds interface" << number << ":"
                           << libusb_error_name(active);
        if (const int result = libusb_claim_interface(handle, number); result < 0) {
            qCWarning(lcUsb) << "claiming interface" << number << "failed:" << libusb_error_name(result);
            // Busy when another program holds the interface. The link then refuses the attach and we let go
            // of the module, so this is why the link finds none.
            m_openFailure = statusFromLibusb(result);
            return *m_openFailure;
        }
        m_openFailure.reset();
        module->claimed = std::make_unique<libusb::ClaimedInterface>(handle, number);
        qCDebug(lcUsb) << "claimed interface" << number << "of handle" << Qt::hex << device;
    }
    // An interface with a single setting is in it once claimed. Devices may stall a SET_INTERFACE there (USB
    // allows them to), so the request goes out only where there is a choice to make.
    if (alternateSettingCount <= 1) {
        module->info = std::move(info);
        return DriverStatus::Success;
    }
    if (const int result =
            libusb_set_interface_alt_setting(handle, number, static_cast<int>(alternateSetting));
        result < 0) {
        qCWarning(lcUsb) << "selecting alternate setting" << alternateSetting
                         << "failed:" << libusb_error_name(result);
        if (result == LIBUSB_ERROR_NO_DEVICE)
            markGone(device, *module);
        return statusFromLibusb(result);
    }
    module->info = std::move(info);
    return DriverStatus::Success;
}

DriverStatus LibusbSession::transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                     std::span<std::uint8_t> buffer, std::uint32_t& bytesTransferred,
                                     std::uint32_t timeoutMs)
{
    bytesTransferred = 0;
    DriverStatus status = DriverStatus::Success;
    OpenModule* const module = find(device, status);
    if (!module)
        return status;

    // Pipe 0 is the control pipe: the module takes no commands there, and a bulk transfer on it would be
    // meaningless. Any other pipe must be an endpoint of the selected alternate setting.
    const auto& pipes = module->info.activeAlternateSetting.pipes;
    const auto endpoint = std::find_if(pipes.begin(), pipes.end(),
                                       [pipe](const PipeInfo& info) { return info.address == pipe; });
    if (pipe == 0 || endpoint == pipes.end())
        return DriverStatus::NoSuchPipe;
    if (endpoint->isIn() != (direction == TransferDirection::Read))
        return DriverStatus::InvalidParameter;
    if (buffer.size() > static_cast<std::size_t>(INT_MAX))
        return DriverStatus::InvalidParameter;

    const auto address = static_cast<unsigned char>(pipe);
    unsigned char* const data = buffer.empty() ? nullptr : buffer.data();
    const int length = static_cast<int>(buffer.size());
    int transferred = 0;
    int result = LIBUSB_ERROR_NOT_SUPPORTED;
    switch (endpoint->type) {
    case PipeType::Bulk:
        result = libusb_bulk_transfer(module->handle.get(), address, data, length, &transferred, timeoutMs);
        break;
    case PipeType::Interrupt:
        result =
            libusb_interrupt_transfer(module->handle.get(), address, data, length, &transferred, timeoutMs);
        break;
    case PipeType::Control:
    case PipeType::Isochronous:
        break; // the module has neither; not worth supporting
    }
    bytesTransferred = static_cast<std::uint32_t>(std::max(transferred, 0));
    qCDebug(lcUsb) << "pipe" << Qt::hex << pipe << (direction == TransferDirection::Read ? "read" : "write")
                   << Qt::dec << bytesTransferred << "of" << length << "bytes:" << libusb_error_name(result);
    if (result == LIBUSB_ERROR_NO_DEVICE)
        markGone(device, *module);
    if (result == LIBUSB_ERROR_PIPE) {
        // A stalled endpoint stays halted until the host clears it; without this every later transfer on the
        // pipe would stall too, although the module answers again.
        const int cleared = libusb_clear_halt(module->handle.get(), address);
        qCDebug(lcUsb) << "clear halt on pipe" << Qt::hex << pipe << ":" << libusb_error_name(cleared);
    }
    // Decided after the halt was cleared: whether the module recovered shows in the next transfer, which
    // clears the mark again.
    status = statusFromLibusb(result);
    module->unusable = leavesDeviceUnusable(status);
    return status;
}

bool LibusbSession::resetDevice(DeviceHandle device, std::uint32_t options)
{
    DriverStatus status = DriverStatus::Success;
    OpenModule* const module = find(device, status);
    if (!module)
        return false;
    // A port reset costs the module a re-enumeration; a soft reset spends it only on a module that needs it.
    if (options == UsbDriver::kSoftReset && !module->unusable) {
        qCDebug(lcUsb) << "soft reset of handle" << Qt::hex << device << ": the module works, nothing sent";
        return false;
    }
    module->unusable = false;
    // libusb claims our interface again after the reset. A module whose descriptors changed shows up as a
    // removal and an arrival through hot-plug.
    const int result = libusb_reset_device(module->handle.get());
    qCDebug(lcUsb) << "port reset of handle" << Qt::hex << device << ":" << libusb_error_name(result);
    if (result == LIBUSB_ERROR_NO_DEVICE)
        markGone(device, *module);
    return true;
}

LibusbDriver::LibusbDriver() = default;

LibusbDriver::~LibusbDriver() = default;

DriverStatus LibusbDriver::init(const UsbMatch& match, Notifications notifications,
                                DriverHandle& driverHandle)
{
    // A second init without uninit starts afresh, as if released in between.
    m_session.reset();
    auto session = std::make_unique<LibusbSession>(match, m_lastDeviceHandle);
    if (const DriverStatus status = session->start(std::move(notifications)); !succeeded(status))
        return status;
    m_session = std::move(session);
    ++m_lastDriverHandle;
    if (m_lastDriverHandle <= 0)
        m_lastDriverHandle = 1;
    driverHandle = m_lastDriverHandle;
    return DriverStatus::Success;
}

void LibusbDriver::uninit(DriverHandle driverHandle)
{
    // A stale handle from an earlier session must not end the current one.
    if (driverHandle != m_lastDriverHandle) {
        qCDebug(lcUsb) << "uninit with stale driver handle" << driverHandle;
        return;
    }
    m_session.reset();
}

void LibusbDriver::closeDriverHandle(DriverHandle)
{
    // Nothing to close: our driver handle is only a number naming the session, not an operating-system
    // handle. The session's resources (context, device handles) are given back by uninit.
}

DriverStatus LibusbDriver::getDeviceInfo(DeviceHandle device, DeviceInfo& info)
{
    return m_session ? m_session->getDeviceInfo(device, info) : DriverStatus::NotInitialised;
}

DriverStatus LibusbDriver::setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                                        std::uint32_t alternateSetting)
{
    return m_session ? m_session->setInterface(device, interfaceNumber, alternateSetting)
                     : DriverStatus::NotInitialised;
}

DriverStatus LibusbDriver::transfer(DeviceHandle device, std::uint32_t pipe, TransferDirection direction,
                                    std::uint32_t /*options*/, std::span<std::uint8_t> buffer,
                                    std::uint32_t& bytesTransferred, std::uint32_t timeoutMs)
{
    // The options word has no meaning for a plain bulk transfer; the link always passes 0.
    bytesTransferred = 0;
    if (!m_session)
        return DriverStatus::NotInitialised;
    return m_session->transfer(device, pipe, direction, buffer, bytesTransferred, timeoutMs);
}

void LibusbDriver::resetDevice(DeviceHandle device, std::uint32_t options)
{
    if (m_session && m_session->resetDevice(device, options))
        ++m_portResets;
}

std::vector<FoundModule> LibusbDriver::listModules(const UsbMatch& match)
{
    // A context of its own: the listing works before init, and leaves an initialised session alone.
    libusb_context* rawContext = nullptr;
    if (const int result = libusb_init(&rawContext); result < 0) {
        qCWarning(lcUsb) << "libusb_init failed:" << libusb_error_name(result);
        return {};
    }
    const libusb::Context context(rawContext);
    libusb_device** rawList = nullptr;
    const ssize_t count = libusb_get_device_list(context.get(), &rawList);
    if (count < 0)
        return {};
    const libusb::DeviceList list(rawList);
    std::vector<FoundModule> modules;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(rawList[i], &descriptor) < 0 ||
            descriptor.idVendor != match.vendorId || descriptor.idProduct != match.productId)
            continue;
        FoundModule module = identify(rawList[i]);
        if (module.isNamedBy(match.device))
            modules.push_back(std::move(module));
    }
    // In the order of the ports, so a listing reads the same from one run to the next.
    std::sort(modules.begin(), modules.end(),
              [](const FoundModule& a, const FoundModule& b) { return a.path < b.path; });
    return modules;
}

QString LibusbDriver::statusText(DriverStatus status) const
{
    return libusbStatusText(status);
}

std::size_t LibusbDriver::openDeviceCount() const
{
    return m_session ? m_session->openDeviceCount() : 0;
}

} // namespace vtx
