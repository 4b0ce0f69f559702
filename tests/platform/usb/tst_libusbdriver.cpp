// The libusb driver against an emulated control module (umockdev): hot-plug notifications, device
// information, interface selection, the exact bytes of every transfer, refusals, and unplugging.

#include "common/yield.h"
#include "platform/libusbdriver.h"
#include "usbtestbed.h"

#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

using namespace vtx;

Q_DECLARE_METATYPE(vtx::DriverStatus)
Q_DECLARE_METATYPE(vtx::TransferDirection)

namespace {

// Sleeps in the event loop until `done` holds; libusb's descriptors wake it. The watchdog only keeps a
// broken build from hanging the test run; it measures nothing.
template <typename Predicate> bool waitInEventLoop(Predicate done)
{
    bool expired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&expired] { expired = true; });
    watchdog.start(30000);
    while (!done() && !expired)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

std::vector<std::uint8_t> bytesOf(const QByteArray& hex)
{
    const QByteArray raw = QByteArray::fromHex(hex);
    return {raw.begin(), raw.end()};
}

} // namespace

class TestLibusbDriver : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noModuleNoAttach();
    void attachCarriesTheModulesDescriptors();
    void exchanges_data();
    void exchanges();
    void refusedPipes_data();
    void refusedPipes();
    void unknownHandles_data();
    void unknownHandles();
    void missingInterfaceIsRefused_data();
    void missingInterfaceIsRefused();
    void unplugAndReplugWhileRunning();
    void refusedAttachLetsGoOfTheModule();
    void uninitDropsPendingNotifications();
    void reinitGivesNewHandles();
    void staleUninitIsIgnored();
    void resetKeepsTheModuleUsable();

private:
    // Notifications as the link would get them. `m_inDriverCall` is set around every driver call the test
    // makes: a notification that sees it set was delivered from inside the driver, which must not happen.
    UsbDriver::Notifications recordingNotifications();
    DriverStatus initDriver();
    // Init with the module plugged in, yield for the attach and select interface 0.
    DeviceHandle attachModule();
    DriverStatus write(DeviceHandle device, std::uint32_t pipe, const std::vector<std::uint8_t>& bytes,
                       std::uint32_t& transferred);
    DriverStatus read(DeviceHandle device, std::uint32_t pipe, std::vector<std::uint8_t>& buffer,
                      std::uint32_t& transferred);

    std::unique_ptr<UsbTestbed> m_testbed; // before the driver: libusb must start inside the testbed
    std::unique_ptr<LibusbDriver> m_driver;
    DriverHandle m_driverHandle = 0;
    std::vector<DeviceHandle> m_attached;
    std::vector<DeviceInfo> m_attachInfos;
    std::vector<DeviceHandle> m_detached;
    bool m_accept = true;
    bool m_inDriverCall = false;
    int m_deliveredInsideDriverCall = 0;
};

void TestLibusbDriver::init()
{
    if (!UsbTestbed::available())
        QSKIP("umockdev is not installed: the emulated module is not available");
    m_testbed = std::make_unique<UsbTestbed>();
    QVERIFY2(m_testbed->inMockEnvironment(), "run this test under umockdev-wrapper");
    m_driver = std::make_unique<LibusbDriver>();
    m_attached.clear();
    m_attachInfos.clear();
    m_detached.clear();
    m_accept = true;
    m_deliveredInsideDriverCall = 0;
}

void TestLibusbDriver::cleanup()
{
    if (m_driver)
        QCOMPARE(m_deliveredInsideDriverCall, 0);
    m_driver.reset(); // the libusb context goes before the emulated bus
    m_testbed.reset();
}

UsbDriver::Notifications TestLibusbDriver::recordingNotifications()
{
    return {
        [this](DeviceHandle device, const DeviceInfo& info) {
            m_deliveredInsideDriverCall += m_inDriverCall ? 1 : 0;
            m_attached.push_back(device);
            m_attachInfos.push_back(info);
            return m_accept;
        },
        [this](DeviceHandle device) {
            m_deliveredInsideDriverCall += m_inDriverCall ? 1 : 0;
            m_detached.push_back(device);
        },
    };
}

DriverStatus TestLibusbDriver::initDriver()
{
    m_inDriverCall = true;
    const DriverStatus status =
        m_driver->init(LibusbDriver::moduleMatch(), recordingNotifications(), m_driverHandle);
    m_inDriverCall = false;
    return status;
}

DeviceHandle TestLibusbDriver::attachModule()
{
    QString error;
    if (!m_testbed->isPlugged() && !m_testbed->plugModule(error)) {
        qWarning("cannot plug the emulated module: %s", qPrintable(error));
        return 0;
    }
    if (!succeeded(initDriver()))
        return 0;
    yieldEvents(10);
    if (m_attached.size() != 1)
        return 0;
    const DeviceHandle device = m_attached.front();
    m_inDriverCall = true;
    const DriverStatus status = m_driver->setInterface(device, 0, 0);
    m_inDriverCall = false;
    return succeeded(status) ? device : 0;
}

DriverStatus TestLibusbDriver::write(DeviceHandle device, std::uint32_t pipe,
                                     const std::vector<std::uint8_t>& bytes, std::uint32_t& transferred)
{
    std::vector<std::uint8_t> buffer = bytes;
    m_inDriverCall = true;
    const DriverStatus status = m_driver->transfer(device, pipe, TransferDirection::Write, 0, buffer,
                                                   transferred, UsbDriver::kTransferTimeoutMs);
    m_inDriverCall = false;
    return status;
}

DriverStatus TestLibusbDriver::read(DeviceHandle device, std::uint32_t pipe,
                                    std::vector<std::uint8_t>& buffer, std::uint32_t& transferred)
{
    m_inDriverCall = true;
    const DriverStatus status = m_driver->transfer(device, pipe, TransferDirection::Read, 0, buffer,
                                                   transferred, UsbDriver::kTransferTimeoutMs);
    m_inDriverCall = false;
    return status;
}

void TestLibusbDriver::noModuleNoAttach()
{
    QCOMPARE(initDriver(), DriverStatus::Success);
    QVERIFY(m_driverHandle > 0);
    QVERIFY(m_driver->isInitialised());
    yieldEvents(50);
    QVERIFY(m_attached.empty());
    QCOMPARE(m_driver->openDeviceCount(), std::size_t{0});
    // What the link asks when no attach came.
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(0, info), DriverStatus::DeviceGone);
    m_driver->uninit(m_driverHandle);
    QVERIFY(!m_driver->isInitialised());
}

void TestLibusbDriver::attachCarriesTheModulesDescriptors()
{
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    QCOMPARE(initDriver(), DriverStatus::Success);
    // Queued by init, delivered only when the program yields.
    QVERIFY(m_attached.empty());
    yieldEvents(10);
    QCOMPARE(m_attached.size(), std::size_t{1});
    const DeviceHandle device = m_attached.front();
    QVERIFY(device != 0);
    QCOMPARE(m_driver->openDeviceCount(), std::size_t{1});

    const DeviceInfo& info = m_attachInfos.front();
    QCOMPARE(info.descriptor.idVendor, std::uint16_t{0x2A5E});
    QCOMPARE(info.descriptor.idProduct, std::uint16_t{0x8303});
    QCOMPARE(info.descriptor.bcdUSB, std::uint16_t{0x0200});
    QCOMPARE(info.descriptor.bcdDevice, std::uint16_t{0x0100});
    QCOMPARE(info.descriptor.bMaxPacketSize0, std::uint8_t{64});
    QCOMPARE(info.descriptor.bNumConfigurations, std::uint8_t{1});
    const AlternateSetting& alt = info.activeAlternateSetting;
    QCOMPARE(alt.interfaceNumber, std::uint8_t{0});
    QCOMPARE(alt.alternateSetting, std::uint8_t{0});
    QCOMPARE(alt.numPipes, std::uint8_t{7});
    std::vector<std::uint8_t> addresses;
    for (const PipeInfo& pipe : alt.pipes) {
        addresses.push_back(pipe.address);
        QCOMPARE(pipe.type, PipeType::Bulk);
        QCOMPARE(pipe.maxPacketSize, std::uint16_t{64});
    }
    QCOMPARE(addresses, (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0x04, 0x81, 0x82, 0x83}));

    // The same information on request, and interface 0 can be selected.
    DeviceInfo again;
    QCOMPARE(m_driver->getDeviceInfo(device, again), DriverStatus::Success);
    QCOMPARE(again.descriptor.idProduct, std::uint16_t{0x8303});
    QCOMPARE(again.activeAlternateSetting.pipes.size(), std::size_t{7});
    QCOMPARE(m_driver->setInterface(device, 0, 0), DriverStatus::Success);
    QVERIFY(m_detached.empty());
}

void TestLibusbDriver::exchanges_data()
{
    QTest::addColumn<std::uint32_t>("outPipe");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<DriverStatus>("writeStatus");
    QTest::addColumn<std::uint32_t>("inPipe"); // 0: the command has no reply
    QTest::addColumn<int>("replyLength");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("bridge query") << 1u << QByteArray("FF02FFFF02") << DriverStatus::Success << 0x81u << 25
                                  << QByteArray("19FF0201020056545838333033000000000000000000000000");
    QTest::newRow("serial set-up, first part")
        << 1u << QByteArray("001040") << DriverStatus::Success << 0u << 0 << QByteArray();
    QTest::newRow("serial set-up, second part")
        << 2u << QByteArray("0010") << DriverStatus::Success << 0u << 0 << QByteArray();
    QTest::newRow("DCP write 0x81") << 3u << QByteArray("019E81") << DriverStatus::Success << 0x83u << 2
                                    << QByteArray("0200");
    QTest::newRow("DCP read") << 3u << QByteArray("019F") << DriverStatus::Success << 0x83u << 2
                              << QByteArray("0181");
    // Anything the module does not expect (here a different wiper code) is an I/O error on the emulation.
    QTest::newRow("unexpected bytes")
        << 3u << QByteArray("019E82") << DriverStatus::IoError << 0u << 0 << QByteArray();
}

void TestLibusbDriver::exchanges()
{
    QFETCH(std::uint32_t, outPipe);
    QFETCH(QByteArray, request);
    QFETCH(DriverStatus, writeStatus);
    QFETCH(std::uint32_t, inPipe);
    QFETCH(int, replyLength);
    QFETCH(QByteArray, reply);

    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);

    const std::vector<std::uint8_t> bytes = bytesOf(request);
    std::uint32_t transferred = 99;
    QCOMPARE(write(device, outPipe, bytes, transferred), writeStatus);
    if (succeeded(writeStatus))
        QCOMPARE(transferred, static_cast<std::uint32_t>(bytes.size()));
    if (inPipe == 0)
        return;

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(replyLength), 0);
    QCOMPARE(read(device, inPipe, buffer, transferred), DriverStatus::Success);
    QCOMPARE(transferred, static_cast<std::uint32_t>(replyLength));
    QCOMPARE(buffer, bytesOf(reply));
    QVERIFY(m_detached.empty());
}

void TestLibusbDriver::refusedPipes_data()
{
    QTest::addColumn<std::uint32_t>("pipe");
    QTest::addColumn<TransferDirection>("direction");
    QTest::addColumn<DriverStatus>("expected");

    QTest::newRow("write on control pipe 0") << 0u << TransferDirection::Write << DriverStatus::NoSuchPipe;
    QTest::newRow("read on control pipe 0x80")
        << 0x80u << TransferDirection::Read << DriverStatus::NoSuchPipe;
    QTest::newRow("read on control pipe 0") << 0u << TransferDirection::Read << DriverStatus::NoSuchPipe;
    QTest::newRow("out pipe 5") << 5u << TransferDirection::Write << DriverStatus::NoSuchPipe;
    QTest::newRow("in pipe 0x84") << 0x84u << TransferDirection::Read << DriverStatus::NoSuchPipe;
    QTest::newRow("pipe 0x103 (not 3)") << 0x103u << TransferDirection::Write << DriverStatus::NoSuchPipe;
    QTest::newRow("read on out pipe 3") << 3u << TransferDirection::Read << DriverStatus::InvalidParameter;
    QTest::newRow("write on in pipe 0x83")
        << 0x83u << TransferDirection::Write << DriverStatus::InvalidParameter;
}

void TestLibusbDriver::refusedPipes()
{
    QFETCH(std::uint32_t, pipe);
    QFETCH(TransferDirection, direction);
    QFETCH(DriverStatus, expected);

    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);

    // The scripted DCP write: had it reached libusb, the emulation would have answered it.
    std::vector<std::uint8_t> buffer = bytesOf("019E81");
    std::uint32_t transferred = 99;
    m_inDriverCall = true;
    const DriverStatus status =
        m_driver->transfer(device, pipe, direction, 0, buffer, transferred, UsbDriver::kTransferTimeoutMs);
    m_inDriverCall = false;
    QCOMPARE(status, expected);
    QCOMPARE(transferred, 0u);
    QCOMPARE(buffer, bytesOf("019E81"));

    // Refusal leaves the module usable.
    QCOMPARE(write(device, 3, bytesOf("019F"), transferred), DriverStatus::Success);
    std::vector<std::uint8_t> reply(2, 0);
    QCOMPARE(read(device, 0x83, reply, transferred), DriverStatus::Success);
    QCOMPARE(reply, bytesOf("0181"));
    QVERIFY(m_detached.empty());
}

void TestLibusbDriver::unknownHandles_data()
{
    QTest::addColumn<int>("offset"); // from the attached handle; the row with 0 uses handle 0
    QTest::addColumn<DriverStatus>("expected");

    QTest::newRow("handle 0 (no module held)") << 0 << DriverStatus::DeviceGone;
    QTest::newRow("never given out") << 1000 << DriverStatus::InvalidHandle;
}

void TestLibusbDriver::unknownHandles()
{
    QFETCH(int, offset);
    QFETCH(DriverStatus, expected);

    const DeviceHandle attached = attachModule();
    QVERIFY(attached != 0);
    const DeviceHandle device = offset == 0 ? 0 : attached + static_cast<DeviceHandle>(offset);

    DeviceInfo info;
    info.activeAlternateSetting.numPipes = 42;
    QCOMPARE(m_driver->getDeviceInfo(device, info), expected);
    QCOMPARE(info.activeAlternateSetting.numPipes, std::uint8_t{42});
    QCOMPARE(m_driver->setInterface(device, 0, 0), expected);
    std::uint32_t transferred = 99;
    QCOMPARE(write(device, 3, bytesOf("019F"), transferred), expected);
    QCOMPARE(transferred, 0u);
    m_driver->resetDevice(device, 1); // ignored, and must not disturb the attached module

    DeviceInfo attachedInfo;
    QCOMPARE(m_driver->getDeviceInfo(attached, attachedInfo), DriverStatus::Success);
    QCOMPARE(attachedInfo.activeAlternateSetting.numPipes, std::uint8_t{7});
}

void TestLibusbDriver::missingInterfaceIsRefused_data()
{
    QTest::addColumn<std::uint32_t>("interfaceNumber");
    QTest::addColumn<std::uint32_t>("alternateSetting");
    QTest::addColumn<DriverStatus>("expected");

    QTest::newRow("interface 1") << 1u << 0u << DriverStatus::Refused;
    QTest::newRow("alternate setting 1") << 0u << 1u << DriverStatus::Refused;
    QTest::newRow("interface 256") << 256u << 0u << DriverStatus::InvalidParameter;
}

void TestLibusbDriver::missingInterfaceIsRefused()
{
    QFETCH(std::uint32_t, interfaceNumber);
    QFETCH(std::uint32_t, alternateSetting);
    QFETCH(DriverStatus, expected);

    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);
    QCOMPARE(m_driver->setInterface(device, interfaceNumber, alternateSetting), expected);

    // The selection in force is unchanged.
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(device, info), DriverStatus::Success);
    QCOMPARE(info.activeAlternateSetting.interfaceNumber, std::uint8_t{0});
    QCOMPARE(info.activeAlternateSetting.alternateSetting, std::uint8_t{0});
    QCOMPARE(info.activeAlternateSetting.numPipes, std::uint8_t{7});
    std::uint32_t transferred = 0;
    QCOMPARE(write(device, 3, bytesOf("019E81"), transferred), DriverStatus::Success);
    std::vector<std::uint8_t> reply(2, 0);
    QCOMPARE(read(device, 0x83, reply, transferred), DriverStatus::Success);
    QCOMPARE(reply, bytesOf("0200"));
}

void TestLibusbDriver::unplugAndReplugWhileRunning()
{
    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);

    m_testbed->unplugModule();
    // The removal travels udev -> libusb's thread -> its event descriptor -> our notifier -> a queued
    // detach, all while the program sits in its event loop.
    QVERIFY2(waitInEventLoop([this] { return !m_detached.empty(); }), "no detach notification");
    yieldEvents(10);
    QCOMPARE(m_detached, std::vector<DeviceHandle>{device});
    QCOMPARE(m_driver->openDeviceCount(), std::size_t{0});

    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(device, info), DriverStatus::DeviceGone);
    QCOMPARE(m_driver->setInterface(device, 0, 0), DriverStatus::DeviceGone);
    std::uint32_t transferred = 99;
    QCOMPARE(write(device, 3, bytesOf("019F"), transferred), DriverStatus::DeviceGone);
    QCOMPARE(transferred, 0u);
    QCOMPARE(m_driver->statusText(DriverStatus::DeviceGone),
             QStringLiteral("No such device (it may have been disconnected)"));

    // Plugged in again: a new attach with a new handle, and the module answers on it.
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    QVERIFY2(waitInEventLoop([this] { return m_attached.size() == 2; }), "no attach after replugging");
    const DeviceHandle again = m_attached.back();
    QVERIFY(again != 0);
    QVERIFY(again != device);
    QCOMPARE(m_driver->setInterface(again, 0, 0), DriverStatus::Success);
    QCOMPARE(write(again, 3, bytesOf("019F"), transferred), DriverStatus::Success);
    std::vector<std::uint8_t> reply(2, 0);
    QCOMPARE(read(again, 0x83, reply, transferred), DriverStatus::Success);
    QCOMPARE(reply, bytesOf("0181"));
    QCOMPARE(m_detached.size(), std::size_t{1});
}

void TestLibusbDriver::refusedAttachLetsGoOfTheModule()
{
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    m_accept = false;
    QCOMPARE(initDriver(), DriverStatus::Success);
    QCOMPARE(m_driver->openDeviceCount(), std::size_t{1});
    yieldEvents(10);
    QCOMPARE(m_attached.size(), std::size_t{1});
    QCOMPARE(m_driver->openDeviceCount(), std::size_t{0});
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(m_attached.front(), info), DriverStatus::DeviceGone);
    QVERIFY(m_detached.empty()); // refused, not removed
}

void TestLibusbDriver::uninitDropsPendingNotifications()
{
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    QCOMPARE(initDriver(), DriverStatus::Success);
    m_driver->closeDriverHandle(m_driverHandle);
    QVERIFY(m_driver->isInitialised()); // closing the handle is not a release
    m_driver->uninit(m_driverHandle);
    yieldEvents(10);
    QVERIFY(m_attached.empty());
    QVERIFY(m_detached.empty());
    QVERIFY(!m_driver->isInitialised());
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(1, info), DriverStatus::NotInitialised);
}

void TestLibusbDriver::reinitGivesNewHandles()
{
    const DeviceHandle first = attachModule();
    QVERIFY(first != 0);
    const DriverHandle firstDriver = m_driverHandle;
    m_driver->resetDevice(first, 1);
    m_driver->closeDriverHandle(m_driverHandle);
    m_driver->uninit(m_driverHandle);

    QCOMPARE(initDriver(), DriverStatus::Success);
    QVERIFY(m_driverHandle > 0);
    QVERIFY(m_driverHandle != firstDriver);
    yieldEvents(10);
    QCOMPARE(m_attached.size(), std::size_t{2});
    const DeviceHandle second = m_attached.back();
    QVERIFY(second != 0);
    QVERIFY(second != first);
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(first, info), DriverStatus::DeviceGone);
    QCOMPARE(m_driver->getDeviceInfo(second, info), DriverStatus::Success);
    QVERIFY(m_detached.empty()); // a release is not an unplug
}

void TestLibusbDriver::staleUninitIsIgnored()
{
    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);
    m_driver->uninit(m_driverHandle + 1);
    QVERIFY(m_driver->isInitialised());
    DeviceInfo info;
    QCOMPARE(m_driver->getDeviceInfo(device, info), DriverStatus::Success);
}

void TestLibusbDriver::resetKeepsTheModuleUsable()
{
    const DeviceHandle device = attachModule();
    QVERIFY(device != 0);
    m_inDriverCall = true;
    m_driver->resetDevice(device, 1);
    m_inDriverCall = false;
    yieldEvents(10);
    QVERIFY(m_detached.empty());
    std::uint32_t transferred = 0;
    QCOMPARE(write(device, 3, bytesOf("019E81"), transferred), DriverStatus::Success);
    std::vector<std::uint8_t> reply(2, 0);
    QCOMPARE(read(device, 0x83, reply, transferred), DriverStatus::Success);
    QCOMPARE(reply, bytesOf("0200"));
}

QTEST_GUILESS_MAIN(TestLibusbDriver)
#include "tst_libusbdriver.moc"
