// The libusb driver's status conversion and texts, and what it answers before init. None of this needs a
// USB device, which covers the failures the emulated module cannot produce (timeouts, stalls, busy...).

#include "platform/libusbdriver.h"
#include "platform/libusbstatus.h"

#include <QTest>
#include <array>

using namespace vtx;

Q_DECLARE_METATYPE(vtx::DriverStatus)

class TestLibusbStatus : public QObject {
    Q_OBJECT

private slots:
    void mapsLibusbResults_data();
    void mapsLibusbResults();
    void textsComeFromLibusb_data();
    void textsComeFromLibusb();
    void accessDeniedSaysHowToInstallTheRule();
    void driverUsesTheSameTexts();
    void moduleMatchIsOurIds();
    void callsBeforeInitAreRefused();
    void uninitWithoutInitIsHarmless();
};

// libusb's codes are part of its ABI; the names in the rows are the LIBUSB_* constants.
void TestLibusbStatus::mapsLibusbResults_data()
{
    QTest::addColumn<int>("libusbResult");
    QTest::addColumn<DriverStatus>("expected");

    QTest::newRow("LIBUSB_SUCCESS") << 0 << DriverStatus::Success;
    QTest::newRow("byte count") << 25 << DriverStatus::Success;
    QTest::newRow("LIBUSB_ERROR_IO") << -1 << DriverStatus::IoError;
    QTest::newRow("LIBUSB_ERROR_INVALID_PARAM") << -2 << DriverStatus::InvalidParameter;
    QTest::newRow("LIBUSB_ERROR_ACCESS") << -3 << DriverStatus::AccessDenied;
    QTest::newRow("LIBUSB_ERROR_NO_DEVICE") << -4 << DriverStatus::DeviceGone;
    QTest::newRow("LIBUSB_ERROR_NOT_FOUND") << -5 << DriverStatus::Refused;
    QTest::newRow("LIBUSB_ERROR_BUSY") << -6 << DriverStatus::Busy;
    QTest::newRow("LIBUSB_ERROR_TIMEOUT") << -7 << DriverStatus::Timeout;
    QTest::newRow("LIBUSB_ERROR_OVERFLOW") << -8 << DriverStatus::Overflow;
    QTest::newRow("LIBUSB_ERROR_PIPE") << -9 << DriverStatus::PipeStalled;
    QTest::newRow("LIBUSB_ERROR_INTERRUPTED") << -10 << DriverStatus::Interrupted;
    QTest::newRow("LIBUSB_ERROR_NO_MEM") << -11 << DriverStatus::NoMemory;
    QTest::newRow("LIBUSB_ERROR_NOT_SUPPORTED") << -12 << DriverStatus::NotSupported;
    QTest::newRow("LIBUSB_ERROR_OTHER") << -99 << DriverStatus::Other;
    QTest::newRow("unknown negative code") << -13 << DriverStatus::Other;
    QTest::newRow("far out of range") << -1000 << DriverStatus::Other;
}

void TestLibusbStatus::mapsLibusbResults()
{
    QFETCH(int, libusbResult);
    QFETCH(DriverStatus, expected);
    QCOMPARE(statusFromLibusb(libusbResult), expected);
}

void TestLibusbStatus::textsComeFromLibusb_data()
{
    QTest::addColumn<DriverStatus>("status");
    QTest::addColumn<QString>("expected");

    // libusb's own English descriptions.
    QTest::newRow("success") << DriverStatus::Success << "Success";
    QTest::newRow("io") << DriverStatus::IoError << "Input/Output Error";
    QTest::newRow("invalid parameter") << DriverStatus::InvalidParameter << "Invalid parameter";
    QTest::newRow("device gone") << DriverStatus::DeviceGone
                                 << "No such device (it may have been disconnected)";
    QTest::newRow("refused (not found)") << DriverStatus::Refused << "Entity not found";
    QTest::newRow("busy") << DriverStatus::Busy << "Resource busy";
    QTest::newRow("timeout") << DriverStatus::Timeout << "Operation timed out";
    QTest::newRow("overflow") << DriverStatus::Overflow << "Overflow";
    QTest::newRow("stall") << DriverStatus::PipeStalled << "Pipe error";
    QTest::newRow("interrupted") << DriverStatus::Interrupted
                                 << "System call interrupted (perhaps due to signal)";
    QTest::newRow("no memory") << DriverStatus::NoMemory << "Insufficient memory";
    QTest::newRow("not supported") << DriverStatus::NotSupported
                                   << "Operation not supported or unimplemented on this platform";
    QTest::newRow("other") << DriverStatus::Other << "Other error";
    // Statuses only our driver produces.
    QTest::newRow("not initialised") << DriverStatus::NotInitialised << "Driver not initialised";
    QTest::newRow("invalid handle") << DriverStatus::InvalidHandle << "Invalid device handle";
    QTest::newRow("no such pipe") << DriverStatus::NoSuchPipe << "Pipe does not exist";
    QTest::newRow("code outside the list") << static_cast<DriverStatus>(0x1A) << "Unrecognized status code";
}

void TestLibusbStatus::textsComeFromLibusb()
{
    QFETCH(DriverStatus, status);
    QFETCH(QString, expected);
    QCOMPARE(libusbStatusText(status), expected);
}

void TestLibusbStatus::accessDeniedSaysHowToInstallTheRule()
{
    const QString text = libusbStatusText(DriverStatus::AccessDenied);
    QVERIFY2(text.startsWith(QStringLiteral("Access denied (insufficient permissions)")), qPrintable(text));
#ifdef Q_OS_LINUX
    QCOMPARE(text, QStringLiteral("Access denied (insufficient permissions)") + udevRuleAdvice());
    QVERIFY2(udevRuleAdvice().contains(QStringLiteral("70-vtx-eval.rules")), qPrintable(text));
    QVERIFY2(udevRuleAdvice().contains(QStringLiteral("/etc/udev/rules.d")), qPrintable(text));
    QVERIFY2(udevRuleAdvice().contains(QStringLiteral("udevadm control --reload-rules")), qPrintable(text));
#else
    QCOMPARE(text, QStringLiteral("Access denied (insufficient permissions)"));
#endif
}

void TestLibusbStatus::driverUsesTheSameTexts()
{
    const LibusbDriver driver;
    for (std::uint32_t code = 0; code <= 17; ++code) {
        const auto status = static_cast<DriverStatus>(code);
        QCOMPARE(driver.statusText(status), libusbStatusText(status));
    }
}

void TestLibusbStatus::moduleMatchIsOurIds()
{
    constexpr UsbMatch match = LibusbDriver::moduleMatch();
    QCOMPARE(match.vendorId, std::uint16_t{0x2A5E});
    QCOMPARE(match.productId, std::uint16_t{0x8303});
}

void TestLibusbStatus::callsBeforeInitAreRefused()
{
    LibusbDriver driver;
    QVERIFY(!driver.isInitialised());

    DeviceInfo info;
    info.activeAlternateSetting.numPipes = 9; // must stay untouched
    QCOMPARE(driver.getDeviceInfo(1, info), DriverStatus::NotInitialised);
    QCOMPARE(info.activeAlternateSetting.numPipes, std::uint8_t{9});
    QCOMPARE(driver.setInterface(1, 0, 0), DriverStatus::NotInitialised);

    std::array<std::uint8_t, 3> bytes{0x01, 0x9E, 0x81};
    std::uint32_t transferred = 77;
    QCOMPARE(
        driver.transfer(1, 3, TransferDirection::Write, 0, bytes, transferred, UsbDriver::kTransferTimeoutMs),
        DriverStatus::NotInitialised);
    QCOMPARE(transferred, 0u);
    QCOMPARE(bytes, (std::array<std::uint8_t, 3>{0x01, 0x9E, 0x81}));
    QCOMPARE(driver.openDeviceCount(), std::size_t{0});
}

void TestLibusbStatus::uninitWithoutInitIsHarmless()
{
    LibusbDriver driver;
    driver.resetDevice(1, 1);
    driver.closeDriverHandle(1);
    driver.uninit(1);
    QVERIFY(!driver.isInitialised());
    DeviceInfo info;
    QCOMPARE(driver.getDeviceInfo(1, info), DriverStatus::NotInitialised);
}

QTEST_GUILESS_MAIN(TestLibusbStatus)
#include "tst_libusbstatus.moc"
