// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb driver's status conversion and texts, what it answers before init, and the udev rule. None of
// this needs a USB device, which covers the failures the emulated module cannot produce (timeouts,
// stalls...).

#include "platform/usb/libusbdriver.h"
#include "platform/usb/libusbstatus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <array>

using namespace vtx;
using S = DriverStatus;

Q_DECLARE_METATYPE(vtx::DriverStatus)

namespace {
constexpr int kNoLibusbResult = 1; // a status only our driver produces
}

class TestLibusbStatus : public QObject {
    Q_OBJECT

private slots:
    // libusb's result (its codes are part of its ABI; the rows are named after the LIBUSB_* constants), our
    // status for it, and that status's text: libusb's own English description.
    void statuses_data()
    {
        QTest::addColumn<int>("libusbResult");
        QTest::addColumn<DriverStatus>("status");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, int result, S status, const char* text) {
            QTest::newRow(name) << result << status << QString::fromLatin1(text);
        };
        row("LIBUSB_SUCCESS", 0, S::Success, "Success");
        row("byte count", 25, S::Success, "Success");
        row("LIBUSB_ERROR_IO", -1, S::IoError, "Input/Output Error");
        row("LIBUSB_ERROR_INVALID_PARAM", -2, S::InvalidParameter, "Invalid parameter");
        row("LIBUSB_ERROR_NO_DEVICE", -4, S::DeviceGone, "No such device (it may have been disconnected)");
        row("LIBUSB_ERROR_NOT_FOUND", -5, S::Refused, "Entity not found");
        // Claiming the interface is where the driver meets busy: another program holds the module.
        row("LIBUSB_ERROR_BUSY", -6, S::Busy, "Resource busy: the module is in use by another program");
        row("LIBUSB_ERROR_TIMEOUT", -7, S::Timeout, "Operation timed out");
        row("LIBUSB_ERROR_OVERFLOW", -8, S::Overflow, "Overflow");
        row("LIBUSB_ERROR_PIPE", -9, S::PipeStalled, "Pipe error");
        row("LIBUSB_ERROR_INTERRUPTED", -10, S::Interrupted,
            "System call interrupted (perhaps due to signal)");
        row("LIBUSB_ERROR_NO_MEM", -11, S::NoMemory, "Insufficient memory");
        row("LIBUSB_ERROR_NOT_SUPPORTED", -12, S::NotSupported,
            "Operation not supported or unimplemented on this platform");
        row("LIBUSB_ERROR_OTHER", -99, S::Other, "Other error");
        row("unknown negative code", -13, S::Other, "Other error");
        row("far out of range", -1000, S::Other, "Other error");
        row("not initialised", kNoLibusbResult, S::NotInitialised, "Driver not initialised");
        row("invalid handle", kNoLibusbResult, S::InvalidHandle, "Invalid device handle");
        row("no such pipe", kNoLibusbResult, S::NoSuchPipe, "Pipe does not exist");
        row("code outside the list", kNoLibusbResult, S(0x1A), "Unrecognized status code");
    }
    void statuses()
    {
        QFETCH(int, libusbResult);
        QFETCH(DriverStatus, status);
        QFETCH(QString, text);
        if (libusbResult != kNoLibusbResult)
            QCOMPARE(statusFromLibusb(libusbResult), status);
        QCOMPARE(libusbStatusText(status), text);
        QCOMPARE(LibusbDriver().statusText(status), text);
    }

    void accessDeniedSaysHowToInstallTheRule()
    {
        QCOMPARE(statusFromLibusb(-3), S::AccessDenied); // LIBUSB_ERROR_ACCESS
        const QString advice = udevRuleAdvice();
        QCOMPARE(libusbStatusText(S::AccessDenied), "Access denied (insufficient permissions)" + advice);
#ifdef Q_OS_LINUX
        QVERIFY2(advice.contains("70-vtx-eval.rules") && advice.contains("/etc/udev/rules.d") &&
                     advice.contains("udevadm control --reload-rules"),
                 qPrintable(advice));
#else
        QVERIFY(advice.isEmpty());
#endif
    }

    // The command the start-up dialog gives for a module found but not accessible, by where the program found
    // the rule it came with.
    void udevRuleCommands_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("command");
        const QString reload = QStringLiteral("sudo udevadm control --reload-rules && sudo udevadm trigger");
        QTest::newRow("package") << "/usr/lib/udev/rules.d/70-vtx-eval.rules" << reload;
        QTest::newRow("administrator's copy") << "/etc/udev/rules.d/70-vtx-eval.rules" << reload;
        QTest::newRow("/usr/local install")
            << "/usr/local/lib/udev/rules.d/70-vtx-eval.rules"
            << "sudo cp /usr/local/lib/udev/rules.d/70-vtx-eval.rules /etc/udev/rules.d/ && " + reload;
        QTest::newRow("build tree") << ""
                                    << "sudo cp packaging/70-vtx-eval.rules /etc/udev/rules.d/ && " + reload;
    }
    void udevRuleCommands()
    {
        QFETCH(QString, rule);
        QTEST(udevRuleCommand(rule), "command");
    }

    void installedUdevRuleLiesBesideTheProgram()
    {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("lib/udev/rules.d"));
        QCOMPARE(installedUdevRule(prefix.filePath("bin")), QString()); // a build tree: nothing there
        QFile rule(prefix.filePath("lib/udev/rules.d/70-vtx-eval.rules"));
        QVERIFY(rule.open(QIODevice::WriteOnly));
        QCOMPARE(installedUdevRule(prefix.filePath("bin")), QDir::cleanPath(rule.fileName()));
    }

    void callsBeforeInitAreRefused()
    {
        LibusbDriver driver;
        driver.resetDevice(1, 1);
        driver.closeDriverHandle(1);
        driver.uninit(1);
        QVERIFY(!driver.isInitialised());
        DeviceInfo info;
        info.activeAlternateSetting.numPipes = 9; // must stay untouched
        QCOMPARE(driver.getDeviceInfo(1, info), S::NotInitialised);
        QCOMPARE(info.activeAlternateSetting.numPipes, std::uint8_t{9});
        QCOMPARE(driver.setInterface(1, 0, 0), S::NotInitialised);
        std::array<std::uint8_t, 3> bytes{0x01, 0x9E, 0x81};
        std::uint32_t transferred = 77;
        QCOMPARE(driver.transfer(1, 3, TransferDirection::Write, 0, bytes, transferred, 2000),
                 S::NotInitialised);
        QCOMPARE(transferred, 0u);
    }

    // The IDs are written twice (moduleids.h for the program, the rule for udev): one rule for exactly
    // them, in sysfs's four-digit lower-case hex, with access for the seat's user only.
    void udevRuleGrantsTheModuleToTheSeatUser()
    {
        QFile file(QStringLiteral(VTX_UDEV_RULE_FILE));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.errorString()));
        QStringList rules;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(u'#'))
                rules << line.trimmed();
        }
        const QString expected =
            QStringLiteral("SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", "
                           "ATTR{idVendor}==\"%1\", ATTR{idProduct}==\"%2\", TAG+=\"uaccess\"")
                .arg(kModuleVendorId, 4, 16, QLatin1Char('0'))
                .arg(kModuleProductId, 4, 16, QLatin1Char('0'));
        QCOMPARE(rules, QStringList{expected});
    }
};

QTEST_GUILESS_MAIN(TestLibusbStatus)
#include "tst_libusbstatus.moc"
