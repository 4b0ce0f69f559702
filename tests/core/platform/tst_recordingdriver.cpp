// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder in front of a driver: every call reaches the driver unchanged and its answer the caller, and
// the log keeps what crossed, only while on and only the newest records.

#include "platform/recordingdriver.h"

#include <QTest>

using namespace vtx;
using S = DriverStatus;
using Dir = TransferDirection;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A driver that notes each call with its arguments and answers from a script: a read gets `reply`, of which
// `received` bytes count, and every transfer ends with `status`.
class FakeDriver final : public UsbDriver {
public:
    QStringList calls;
    Bytes reply;
    std::uint32_t received = 0;
    DriverStatus status = S::Success;

    DriverStatus init(const UsbMatch& match, Notifications notifications, DriverHandle& driverHandle) override
    {
        calls << QStringLiteral("init %1 %2").arg(match.vendorId).arg(notifications.attach(5, {}));
        driverHandle = 7;
        return S::Busy;
    }
    void uninit(DriverHandle driverHandle) override { calls << QStringLiteral("uninit %1").arg(driverHandle); }
    void closeDriverHandle(DriverHandle driverHandle) override
    {
        calls << QStringLiteral("close %1").arg(driverHandle);
    }
    DriverStatus getDeviceInfo(DeviceHandle device, DeviceInfo& info) override
    {
        calls << QStringLiteral("info %1").arg(device);
        info.descriptor.idVendor = 0x1234;
        return S::Success;
    }
    DriverStatus setInterface(DeviceHandle device, std::uint32_t interfaceNumber,
                              std::uint32_t alternateSetting) override
    {
        calls << QStringLiteral("setInterface %1 %2 %3").arg(device).arg(interfaceNumber).arg(alternateSetting);
        return S::InvalidParameter;
    }
    DriverStatus transfer(DeviceHandle device, std::uint32_t pipe, Dir direction, std::uint32_t options,
                          std::span<std::uint8_t> buffer, std::uint32_t& bytesTransferred,
                          std::uint32_t timeoutMs) override
    {
        calls << QStringLiteral("transfer %1 %2 %3 %4").arg(device).arg(pipe).arg(options).arg(timeoutMs);
        if (direction == Dir::Read)
            std::copy_n(reply.begin(), std::min(reply.size(), buffer.size()), buffer.begin());
        bytesTransferred = direction == Dir::Read ? received : std::uint32_t(buffer.size());
        return status;
    }
    void resetDevice(DeviceHandle device, std::uint32_t options) override
    {
        calls << QStringLiteral("reset %1 %2").arg(device).arg(options);
    }
    QString statusText(DriverStatus s) const override { return QString::number(statusCode(s)); }
    QString bannerText() const override { return QStringLiteral("fake"); }
};

} // namespace

class TestRecordingDriver : public QObject {
    Q_OBJECT

    FakeDriver fake;

    // One transfer of `buffer` on pipe 3 (a write) or 0x83 (a read) through `driver`.
    static S transfer(UsbDriver& driver, Dir direction, Bytes& buffer, std::uint32_t& count)
    {
        return driver.transfer(9, direction == Dir::Write ? 3 : 0x83, direction, 1, buffer, count, 250);
    }

private slots:
    void init() { fake = FakeDriver{}; }

    void forwardsEveryCall()
    {
        RecordingDriver recorder(fake);
        UsbDriver& driver = recorder;
        DriverHandle handle = 0;
        UsbDriver::Notifications notifications;
        notifications.attach = [](DeviceHandle device, const DeviceInfo&) { return device == 5; };
        QCOMPARE(driver.init(UsbMatch{0x10, 0x20, {}}, notifications, handle), S::Busy);
        QCOMPARE(handle, 7);
        DeviceInfo info;
        QCOMPARE(driver.getDeviceInfo(9, info), S::Success);
        QCOMPARE(info.descriptor.idVendor, std::uint16_t{0x1234});
        QCOMPARE(driver.setInterface(9, 0, 1), S::InvalidParameter);
        Bytes buffer{0xAA};
        std::uint32_t count = 0;
        QCOMPARE(transfer(driver, Dir::Write, buffer, count), S::Success);
        driver.resetDevice(9, UsbDriver::kHardReset);
        driver.closeDriverHandle(7);
        driver.uninit(7);
        QCOMPARE(driver.statusText(S::Timeout), QString::number(statusCode(S::Timeout)));
        QCOMPARE(driver.bannerText(), QStringLiteral("fake"));

        QCOMPARE(fake.calls, QStringList({"init 16 1", "info 9", "setInterface 9 0 1", "transfer 9 3 1 250",
                                          "reset 9 1", "close 7", "uninit 7"}));
        QCOMPARE(recorder.callLog(), std::vector<QString>({"init", "getDeviceInfo", "setInterface 0 1",
                                                           "resetDevice 1", "closeDriverHandle", "uninit"}));
    }

    // A write is kept as offered, whatever became of it; a read keeps what reached the caller's buffer.
    void recordsTransfers_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<Bytes>("buffer");
        QTest::addColumn<int>("received");
        QTest::addColumn<S>("status");
        QTest::addColumn<Bytes>("recorded");
        QTest::newRow("write") << true << Bytes{0x01, 0x9F} << 0 << S::Success << Bytes{0x01, 0x9F};
        QTest::newRow("failed write") << true << Bytes{0x01} << 0 << S::NoSuchPipe << Bytes{0x01};
        QTest::newRow("read") << false << Bytes(3) << 2 << S::Success << Bytes{0x11, 0x22};
        QTest::newRow("overflow") << false << Bytes(1) << 1 << S::Overflow << Bytes{0x11};
        QTest::newRow("timeout") << false << Bytes(2) << 0 << S::Timeout << Bytes{};
        QTest::newRow("count past the buffer") << false << Bytes(1) << 4 << S::Success << Bytes{0x11};
    }
    void recordsTransfers()
    {
        QFETCH(bool, write);
        QFETCH(Bytes, buffer);
        QFETCH(int, received);
        QFETCH(S, status);
        QFETCH(Bytes, recorded);
        fake.reply = {0x11, 0x22, 0x33};
        fake.received = std::uint32_t(received);
        fake.status = status;
        RecordingDriver recorder(fake);
        std::uint32_t count = 0xDEAD;
        const Dir direction = write ? Dir::Write : Dir::Read;
        QCOMPARE(transfer(recorder, direction, buffer, count), status);
        QCOMPARE(count, write ? std::uint32_t(buffer.size()) : fake.received);
        const std::vector<TransferRecord> expected{{write ? 3u : 0x83u, direction, recorded, status}};
        QVERIFY(recorder.transferLog() == expected);
    }

    // Off, nothing is kept though every call still goes through; a capacity keeps the newest records only.
    void recordsOnlyWhileOnAndTheNewest()
    {
        RecordingDriver recorder(fake);
        Bytes buffer{0x00};
        std::uint32_t count = 0;
        recorder.setRecording(false);
        transfer(recorder, Dir::Write, buffer, count);
        recorder.resetDevice(9, UsbDriver::kSoftReset);
        QVERIFY(recorder.transferLog().empty() && recorder.callLog().empty());
        QCOMPARE(fake.calls.size(), 2);

        recorder.setRecording(true);
        for (std::uint8_t i = 1; i <= 4; ++i) {
            buffer = {i};
            transfer(recorder, Dir::Write, buffer, count);
        }
        recorder.setRecording(true, 3); // drops the oldest at once
        buffer = {5};
        transfer(recorder, Dir::Write, buffer, count);
        const auto log = recorder.transferLog();
        QCOMPARE(log.size(), 3u);
        QCOMPARE(log.front().bytes, Bytes{3});
        QCOMPARE(log.back().bytes, Bytes{5});
    }
};

QTEST_GUILESS_MAIN(TestRecordingDriver)
#include "tst_recordingdriver.moc"
