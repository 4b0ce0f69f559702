#include "platform/simulatedboard.h"

#include <QCoreApplication>
#include <QTest>
#include <vector>

using namespace vtx;

namespace {

// A board on a manual clock with its driver initialised and notifications recorded as they are delivered.
class Bench {
public:
    explicit Bench(std::uint8_t kindByte = SimulatedBoard::kKind1Byte, bool initialise = true)
    {
        board.setKindByte(kindByte);
        if (initialise)
            initStatus = init();
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    DriverStatus init()
    {
        UsbDriver::Notifications notifications;
        notifications.attach = [this](DeviceHandle device, const DeviceInfo& info) {
            attached.push_back(device);
            attachedVendor = info.descriptor.idVendor;
            return true;
        };
        notifications.detach = [this](DeviceHandle device) { detached.push_back(device); };
        return board.init(UsbMatch{SimulatedBoard::kVendorId, SimulatedBoard::kProductId},
                          std::move(notifications), driver);
    }

    DriverStatus write(std::uint32_t pipe, const QByteArray& bytes, std::uint32_t* transferred = nullptr)
    {
        return writeOn(board.currentHandle(), pipe, bytes, transferred);
    }

    DriverStatus writeOn(DeviceHandle device, std::uint32_t pipe, const QByteArray& bytes,
                         std::uint32_t* transferred = nullptr)
    {
        std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
        std::uint32_t count = 0xDEAD;
        const auto status = board.transfer(device, pipe, TransferDirection::Write, 0, buffer, count,
                                           UsbDriver::kTransferTimeoutMs);
        if (transferred)
            *transferred = count;
        return status;
    }

    struct Read {
        DriverStatus status;
        QByteArray buffer; // the whole caller buffer, so untouched bytes show
        std::uint32_t transferred;
    };

    Read read(std::uint32_t pipe, int size) { return readOn(board.currentHandle(), pipe, size); }

    Read readOn(DeviceHandle device, std::uint32_t pipe, int size)
    {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size), 0);
        std::uint32_t count = 0xDEAD;
        const auto status = board.transfer(device, pipe, TransferDirection::Read, 0, buffer, count,
                                           UsbDriver::kTransferTimeoutMs);
        return {status, QByteArray(reinterpret_cast<const char*>(buffer.data()), size), count};
    }

    // Every in pipe is empty: each read times out at once.
    bool allInPipesEmpty()
    {
        for (const std::uint32_t pipe : {0x81u, 0x82u, 0x83u}) {
            if (read(pipe, 32).status != DriverStatus::Timeout)
                return false;
        }
        return true;
    }

    ManualClock clock;
    SimulatedBoard board{clock};
    DriverHandle driver = 0;
    DriverStatus initStatus = DriverStatus::Other;
    std::vector<DeviceHandle> attached;
    std::vector<DeviceHandle> detached;
    std::uint16_t attachedVendor = 0;
};

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

DriverStatus status(quint32 code)
{
    return static_cast<DriverStatus>(code);
}

} // namespace

class TestSimulatedBoard : public QObject {
    Q_OBJECT

private slots:
    void i2cCommands_data();
    void i2cCommands();
    void dcpWriteTarget_data();
    void dcpWriteTarget();
    void i2cCommandOnOtherPipeIgnored_data();
    void i2cCommandOnOtherPipeIgnored();
    void bridgeQueryReportsKind_data();
    void bridgeQueryReportsKind();
    void moduleCommandsAccepted_data();
    void moduleCommandsAccepted();
    void directRegisterWrite_data();
    void directRegisterWrite();
    void refusedPipes_data();
    void refusedPipes();
    void emptyInPipeTimesOut_data();
    void emptyInPipeTimesOut();
    void replyLongerThanBufferOverflows();
    void replyShorterThanBufferLeavesRest();
    void shortenedReply_data();
    void shortenedReply();
    void silentDevice_data();
    void silentDevice();
    void eepromBusyWindow_data();
    void eepromBusyWindow();
    void writeDuringBusyIsRefused();
    void registerDeviceDefaults_data();
    void registerDeviceDefaults();
    void registerDeviceWrites_data();
    void registerDeviceWrites();
    void failPipeCounted_data();
    void failPipeCounted();
    void failPipeUntilCleared();
    void notificationsOnlyAfterYield();
    void uninitDropsPendingNotifications_data();
    void uninitDropsPendingNotifications();
    void initFailureLeavesHandle();
    void initWhileUnplugged();
    void deviceInfo_data();
    void deviceInfo();
    void deviceInfoFailures_data();
    void deviceInfoFailures();
    void setInterfaceStatus();
    void callLogAndReset();
    void transferLogRecordsEveryTransfer();
    void powerCycleRecallsEeprom();
    void statusTextIsGeneric();
};

// ---- I2C commands
// --------------------------------------------------------------------------------------------

void TestSimulatedBoard::i2cCommands_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<quint32>("outPipe");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    // The DCP starts with EEPROM code 63, so its wiper reads 63 << 1 = 7E.
    struct Row {
        const char* name;
        const char* request;
        const char* reply;
    };
    const Row rows[] = {
        {"dcp read current", "019F", "017E"},
        {"dcp read register", "019F05", "017E"},
        {"dcp register write", "019E81", "0200"},
        {"dcp eeprom write", "019E40", "0200"},
        {"dcp four-byte write, second byte refused", "019E0580", "0200"},
        {"regdev read product id", "01C100", "0183"},
        {"regdev read revision", "01C101", "0121"},
        {"regdev read current (pointer 0)", "01C1", "0183"},
        {"regdev register write", "01C00580", "0300"},
        {"regdev pointer only", "01C005", "0200"},
        {"regdev address only", "01C0", "0100"},
        {"nobody read", "01A1", "0000"},
        {"nobody read register", "01A105", "0000"},
        {"nobody write", "01A055", "0000"},
        {"nobody register write", "01A00555", "0000"},
    };
    for (const auto& [kindByte, pipe, kindName] :
         {std::tuple{0, 3u, "kind 1"}, std::tuple{2, 2u, "kind 2"}}) {
        for (const auto& row : rows) {
            QTest::addRow("%s: %s", kindName, row.name)
                << kindByte << quint32(pipe) << hex(row.request) << hex(row.reply);
        }
    }
}

void TestSimulatedBoard::i2cCommands()
{
    QFETCH(int, kindByte);
    QFETCH(quint32, outPipe);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    Bench bench(static_cast<std::uint8_t>(kindByte));
    QCOMPARE(bench.board.i2cOutPipe(), outPipe);
    std::uint32_t sent = 0;
    QCOMPARE(bench.write(outPipe, request, &sent), DriverStatus::Success);
    QCOMPARE(sent, std::uint32_t(request.size()));

    const auto answer = bench.read(outPipe + 0x80, 2);
    QCOMPARE(answer.status, DriverStatus::Success);
    QCOMPARE(answer.transferred, 2u);
    QCOMPARE(answer.buffer, reply);
    // One command, one reply, and nothing on any other pipe.
    QVERIFY(bench.allInPipesEmpty());
}

void TestSimulatedBoard::dcpWriteTarget_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("wiper");
    QTest::addColumn<int>("eeprom");
    QTest::addColumn<bool>("busy");

    QTest::newRow("register, position 65") << hex("019E81") << 64 << 63 << false;
    QTest::newRow("register, code 0") << hex("019E01") << 0 << 63 << false;
    QTest::newRow("register, code 127") << hex("019EFF") << 127 << 63 << false;
    QTest::newRow("eeprom, code 32") << hex("019E40") << 32 << 32 << true;
    QTest::newRow("eeprom, code 127") << hex("019EFE") << 127 << 127 << true;
}

void TestSimulatedBoard::dcpWriteTarget()
{
    QFETCH(QByteArray, request);
    QFETCH(int, wiper);
    QFETCH(int, eeprom);
    QFETCH(bool, busy);

    Bench bench;
    QCOMPARE(bench.board.dcp().wiperCode(), 63);
    QCOMPARE(bench.write(3, request), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0200"));
    QCOMPARE(int(bench.board.dcp().wiperCode()), wiper);
    QCOMPARE(int(bench.board.dcp().eepromCode()), eeprom);
    QCOMPARE(bench.board.dcp().busy(), busy);
}

void TestSimulatedBoard::i2cCommandOnOtherPipeIgnored_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<quint32>("pipe");

    QTest::newRow("kind 1 on pipe 2") << 0 << 2u;
    QTest::newRow("kind 2 on pipe 3") << 2 << 3u;
    QTest::newRow("unknown kind on pipe 2") << 5 << 2u;
    QTest::newRow("unknown kind on pipe 3") << 5 << 3u;
}

void TestSimulatedBoard::i2cCommandOnOtherPipeIgnored()
{
    QFETCH(int, kindByte);
    QFETCH(quint32, pipe);

    Bench bench(static_cast<std::uint8_t>(kindByte));
    std::uint32_t sent = 0;
    QCOMPARE(bench.write(pipe, hex("019E81"), &sent), DriverStatus::Success);
    QCOMPARE(sent, 3u);
    QVERIFY(bench.allInPipesEmpty());
    QCOMPARE(bench.board.dcp().wiperCode(), 63); // the write never reached the bus
}

// ---- module commands
// -----------------------------------------------------------------------------------------

void TestSimulatedBoard::bridgeQueryReportsKind_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<quint32>("i2cPipe");

    QTest::newRow("kind 1") << 0 << 3u;
    QTest::newRow("kind 2") << 2 << 2u;
    QTest::newRow("unrecognised 1") << 1 << 0u;
    QTest::newRow("unrecognised FF") << 0xFF << 0u;
}

void TestSimulatedBoard::bridgeQueryReportsKind()
{
    QFETCH(int, kindByte);
    QFETCH(quint32, i2cPipe);

    Bench bench(static_cast<std::uint8_t>(kindByte));
    QCOMPARE(bench.board.i2cOutPipe(), i2cPipe);
    QCOMPARE(bench.write(1, hex("FF02FFFF02")), DriverStatus::Success);
    const auto reply = bench.read(0x81, 25);
    QCOMPARE(reply.status, DriverStatus::Success);
    QCOMPARE(reply.transferred, 25u);
    QCOMPARE(int(std::uint8_t(reply.buffer[5])), kindByte);
    QCOMPARE(int(std::uint8_t(reply.buffer[0])), 25);
    std::uint8_t check = 0;
    for (int i = 0; i < 24; ++i)
        check ^= std::uint8_t(reply.buffer[i]);
    QCOMPARE(std::uint8_t(reply.buffer[24]), check);
    QVERIFY(bench.allInPipesEmpty());
}

void TestSimulatedBoard::moduleCommandsAccepted_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<quint32>("pipe");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("serial set-up 1") << 0 << 1u << hex("001040");
    QTest::newRow("serial set-up 2, kind 1") << 0 << 2u << hex("0010");
    QTest::newRow("serial set-up 2, kind 2 (not a command)") << 2 << 2u << hex("0010");
    QTest::newRow("test good") << 0 << 1u << hex("FF02");
    QTest::newRow("test failed") << 0 << 1u << hex("FF01");
    QTest::newRow("unknown on pipe 1") << 0 << 1u << hex("123456");
    QTest::newRow("empty on pipe 1") << 0 << 1u << QByteArray();
    QTest::newRow("direct register write") << 0 << 4u << hex("0512");
    QTest::newRow("malformed I2C count") << 0 << 3u << hex("029E81");
    QTest::newRow("malformed I2C too long") << 0 << 3u << hex("019E818181");
    QTest::newRow("malformed I2C read with data") << 0 << 3u << hex("019F0505");
}

void TestSimulatedBoard::moduleCommandsAccepted()
{
    QFETCH(int, kindByte);
    QFETCH(quint32, pipe);
    QFETCH(QByteArray, bytes);

    Bench bench(static_cast<std::uint8_t>(kindByte));
    std::uint32_t sent = 0xFFFF;
    QCOMPARE(bench.write(pipe, bytes, &sent), DriverStatus::Success);
    QCOMPARE(sent, std::uint32_t(bytes.size()));
    QVERIFY(bench.allInPipesEmpty());
    QCOMPARE(bench.board.dcp().wiperCode(), 63);
}

void TestSimulatedBoard::directRegisterWrite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");

    QTest::newRow("reg 05") << hex("0512") << 0x05 << 0x12;
    QTest::newRow("reg 7F") << hex("7FA5") << 0x7F << 0xA5;
    QTest::newRow("read flag set: nothing stored") << hex("8512") << 0x05 << 0x00;
    QTest::newRow("too short: nothing stored") << hex("05") << 0x05 << 0x00;
}

void TestSimulatedBoard::directRegisterWrite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reg);
    QFETCH(int, value);

    Bench bench;
    QCOMPARE(bench.write(4, bytes), DriverStatus::Success);
    QCOMPARE(int(bench.board.moduleRegister(std::uint8_t(reg))), value);
    QVERIFY(bench.allInPipesEmpty());
}

// ---- pipe errors
// ---------------------------------------------------------------------------------------------

void TestSimulatedBoard::refusedPipes_data()
{
    QTest::addColumn<quint32>("pipe");
    QTest::addColumn<bool>("isRead");

    QTest::newRow("write pipe 0") << 0u << false;
    QTest::newRow("read pipe 0") << 0u << true;
    QTest::newRow("read pipe 80") << 0x80u << true;
    QTest::newRow("write pipe 5") << 5u << false;
    QTest::newRow("read pipe 84") << 0x84u << true;
    QTest::newRow("write on in pipe 81") << 0x81u << false;
    QTest::newRow("write on in pipe 83") << 0x83u << false;
    QTest::newRow("read on out pipe 1") << 1u << true;
    QTest::newRow("read on out pipe 3") << 3u << true;
}

void TestSimulatedBoard::refusedPipes()
{
    QFETCH(quint32, pipe);
    QFETCH(bool, isRead);

    Bench bench;
    bench.board.clearTransferLog();
    const QByteArray command = hex("FF02FFFF02"); // would queue a reply if it got anywhere
    std::uint32_t transferred = 0;
    const auto result = isRead ? bench.read(pipe, 5).status : bench.write(pipe, command, &transferred);
    QCOMPARE(result, DriverStatus::NoSuchPipe);
    QCOMPARE(transferred, 0u);
    QCOMPARE(bench.board.transferLog().size(), 1u);
    QCOMPARE(bench.board.transferLog().back().status, DriverStatus::NoSuchPipe);
    QCOMPARE(bench.board.transferLog().back().pipe, pipe);
    QVERIFY(bench.allInPipesEmpty());
}

void TestSimulatedBoard::emptyInPipeTimesOut_data()
{
    QTest::addColumn<quint32>("pipe");
    QTest::newRow("81") << 0x81u;
    QTest::newRow("82") << 0x82u;
    QTest::newRow("83") << 0x83u;
}

void TestSimulatedBoard::emptyInPipeTimesOut()
{
    QFETCH(quint32, pipe);

    Bench bench;
    const auto answer = bench.read(pipe, 2);
    QCOMPARE(answer.status, DriverStatus::Timeout);
    QCOMPARE(answer.transferred, 0u);
    QCOMPARE(answer.buffer, hex("0000"));
}

void TestSimulatedBoard::replyLongerThanBufferOverflows()
{
    Bench bench;
    QCOMPARE(bench.write(1, hex("FF02FFFF02")), DriverStatus::Success);
    const auto answer = bench.read(0x81, 8);
    QCOMPARE(answer.status, DriverStatus::Overflow);
    QCOMPARE(answer.transferred, 8u);
    QCOMPARE(answer.buffer, hex("1902010700008303"));
    // The oversized reply is consumed, not left for the next read.
    QCOMPARE(bench.read(0x81, 25).status, DriverStatus::Timeout);
}

void TestSimulatedBoard::replyShorterThanBufferLeavesRest()
{
    Bench bench;
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    const auto answer = bench.read(0x83, 3); // the communication test reads one byte more
    QCOMPARE(answer.status, DriverStatus::Success);
    QCOMPARE(answer.transferred, 2u);
    QCOMPARE(answer.buffer, hex("017E00"));
}

void TestSimulatedBoard::shortenedReply_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("buffer");

    QTest::newRow("cut to 1") << 1 << hex("0100");
    QTest::newRow("cut to 0") << 0 << hex("0000");
    QTest::newRow("cut beyond its size") << 5 << hex("017E");
}

void TestSimulatedBoard::shortenedReply()
{
    QFETCH(int, length);
    QFETCH(QByteArray, buffer);

    Bench bench;
    bench.board.shortenNextReply(0x83, std::size_t(length));
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    const auto cut = bench.read(0x83, 2);
    QCOMPARE(cut.status, DriverStatus::Success);
    QCOMPARE(cut.transferred, std::uint32_t(std::min(length, 2)));
    QCOMPARE(cut.buffer, buffer);

    // Only the next reply is cut.
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    const auto whole = bench.read(0x83, 2);
    QCOMPARE(whole.transferred, 2u);
    QCOMPARE(whole.buffer, hex("017E"));
}

void TestSimulatedBoard::silentDevice_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("dcp read") << 0x9E << hex("019F") << hex("017E");
    QTest::newRow("dcp write") << 0x9E << hex("019E81") << hex("0200");
    QTest::newRow("dcp silenced by read address") << 0x9F << hex("019F") << hex("017E");
    QTest::newRow("regdev register read") << 0xC0 << hex("01C101") << hex("0121");
    QTest::newRow("regdev register write") << 0xC0 << hex("01C00580") << hex("0300");
}

void TestSimulatedBoard::silentDevice()
{
    QFETCH(int, address);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    Bench bench;
    const auto wiper = bench.board.dcp().wiperCode();
    const auto reg5 = bench.board.registerDevice().reg(5);
    bench.board.setDeviceAnswers(std::uint8_t(address), false);
    QCOMPARE(bench.write(3, request), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0000"));
    // Nothing reached the device.
    QCOMPARE(bench.board.dcp().wiperCode(), wiper);
    QCOMPARE(bench.board.registerDevice().reg(5), reg5);

    bench.board.setDeviceAnswers(std::uint8_t(address), true);
    QCOMPARE(bench.write(3, request), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, reply);
}

// ---- VTX8303 write cycle
// -------------------------------------------------------------------------------------

void TestSimulatedBoard::eepromBusyWindow_data()
{
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<QByteArray>("reply");

    // EEPROM code 0x20 reads back as 0x40 once the write cycle is over.
    QTest::newRow("at once") << 0 << hex("0000");
    QTest::newRow("1 ms") << 1 << hex("0000");
    QTest::newRow("just before the end") << int(SimVtx8303::kWriteCycleMs - 1) << hex("0000");
    QTest::newRow("at the end") << int(SimVtx8303::kWriteCycleMs) << hex("0140");
    QTest::newRow("long after") << int(SimVtx8303::kWriteCycleMs * 100) << hex("0140");
}

void TestSimulatedBoard::eepromBusyWindow()
{
    QFETCH(int, elapsedMs);
    QFETCH(QByteArray, reply);

    Bench bench;
    bench.clock.advance(1000); // the window is measured from the write, not from zero
    QCOMPARE(bench.write(3, hex("019E40")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0200"));
    bench.clock.advance(elapsedMs);
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, reply);
    QCOMPARE(bench.board.dcp().eepromCode(), 0x20);
}

void TestSimulatedBoard::writeDuringBusyIsRefused()
{
    Bench bench;
    QCOMPARE(bench.write(3, hex("019E40")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0200"));
    bench.clock.advance(SimVtx8303::kWriteCycleMs - 1);
    QCOMPARE(bench.write(3, hex("019E81")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0000"));
    QCOMPARE(bench.board.dcp().wiperCode(), 0x20);
    // The refused write did not restart the cycle.
    bench.clock.advance(1);
    QCOMPARE(bench.write(3, hex("019E81")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0200"));
    QCOMPARE(bench.board.dcp().wiperCode(), 64);
}

// ---- register device
// -----------------------------------------------------------------------------------------

void TestSimulatedBoard::registerDeviceDefaults_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");

    QTest::newRow("product id") << 0x00 << int(SimRegisterDevice::kProductId);
    QTest::newRow("revision") << 0x01 << int(SimRegisterDevice::kRevision);
    QTest::newRow("Error_Flag") << 0x02 << 0x00;
    QTest::newRow("Control") << 0x03 << 0x01;
    QTest::newRow("TA time") << 0x08 << 0x20;
    QTest::newRow("Local I2C Device ID") << 0x0F << 0x9E;
    QTest::newRow("unused 14") << 0x14 << 0x00;
    QTest::newRow("unused 17") << 0x17 << 0x00;
    QTest::newRow("Analog Settings") << 0x19 << 0x44;
    QTest::newRow("Status1") << 0x1C << 0x80;
    QTest::newRow("beyond the map") << 0x1E << 0x00;
    QTest::newRow("last") << 0xFF << 0x00;
}

void TestSimulatedBoard::registerDeviceDefaults()
{
    QFETCH(int, reg);
    QFETCH(int, value);

    Bench bench;
    QCOMPARE(int(bench.board.registerDevice().reg(std::uint8_t(reg))), value);
    QByteArray request = hex("01C1");
    request.append(char(reg));
    QCOMPARE(bench.write(3, request), DriverStatus::Success);
    QByteArray reply = hex("01");
    reply.append(char(value));
    QCOMPARE(bench.read(0x83, 2).buffer, reply);
}

void TestSimulatedBoard::registerDeviceWrites_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("data");
    QTest::addColumn<int>("after");

    QTest::newRow("product id is read-only") << 0x00 << 0x55 << int(SimRegisterDevice::kProductId);
    QTest::newRow("revision is read-only") << 0x01 << 0x55 << int(SimRegisterDevice::kRevision);
    QTest::newRow("Control is writable") << 0x03 << 0x55 << 0x55;
    QTest::newRow("unused 14 is writable") << 0x14 << 0xAA << 0xAA;
    QTest::newRow("FF is writable") << 0xFF << 0x01 << 0x01;
}

void TestSimulatedBoard::registerDeviceWrites()
{
    QFETCH(int, reg);
    QFETCH(int, data);
    QFETCH(int, after);

    Bench bench;
    QByteArray request = hex("01C0");
    request.append(char(reg));
    request.append(char(data));
    QCOMPARE(bench.write(3, request), DriverStatus::Success);
    // Acknowledged in full even where the value is not taken.
    QCOMPARE(bench.read(0x83, 2).buffer, hex("0300"));
    QCOMPARE(int(bench.board.registerDevice().reg(std::uint8_t(reg))), after);

    // The write left the pointer on that register: a current-register read returns it.
    QCOMPARE(bench.write(3, hex("01C1")), DriverStatus::Success);
    QByteArray reply = hex("01");
    reply.append(char(after));
    QCOMPARE(bench.read(0x83, 2).buffer, reply);
}

// ---- fault injection
// -----------------------------------------------------------------------------------------

void TestSimulatedBoard::failPipeCounted_data()
{
    QTest::addColumn<quint32>("pipe");
    QTest::addColumn<quint32>("code");
    QTest::addColumn<int>("times");

    QTest::newRow("out 3, I/O error once") << 3u << statusCode(DriverStatus::IoError) << 1;
    QTest::newRow("out 3, raw 26 three times") << 3u << 26u << 3;
    QTest::newRow("in 83, timeout once") << 0x83u << statusCode(DriverStatus::Timeout) << 1;
    QTest::newRow("in 83, stall twice") << 0x83u << statusCode(DriverStatus::PipeStalled) << 2;
    QTest::newRow("in 83, raw 26 once") << 0x83u << 26u << 1;
    QTest::newRow("unused pipe 1: no effect here") << 1u << 26u << 2;
}

void TestSimulatedBoard::failPipeCounted()
{
    QFETCH(quint32, pipe);
    QFETCH(quint32, code);
    QFETCH(int, times);

    Bench bench;
    bench.board.failPipe(pipe, status(code), times);
    // Each attempt is a DCP write and its read; the first `times` ones hit the fault, the next one does not.
    for (int attempt = 0; attempt <= times; ++attempt) {
        const bool faulty = attempt < times;
        const auto wrote = bench.write(3, hex("019E81"));
        QCOMPARE(wrote, faulty && pipe == 3 ? status(code) : DriverStatus::Success);
        const auto answer = bench.read(0x83, 2);
        if (faulty && pipe == 0x83)
            QCOMPARE(answer.status, status(code));
        else if (faulty && pipe == 3)
            QCOMPARE(answer.status, DriverStatus::Timeout); // the command never reached the module
        else
            QCOMPARE(answer.status, DriverStatus::Success);
        QCOMPARE(answer.buffer, answer.status == DriverStatus::Success ? hex("0200") : hex("0000"));
    }
    // No stale reply is left behind by a failed read.
    QVERIFY(bench.allInPipesEmpty());
}

void TestSimulatedBoard::failPipeUntilCleared()
{
    Bench bench;
    bench.board.failPipe(0x81, DriverStatus::IoError);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(bench.write(1, hex("FF02FFFF02")), DriverStatus::Success);
        QCOMPARE(bench.read(0x81, 25).status, DriverStatus::IoError);
    }
    bench.board.clearFaults();
    QCOMPARE(bench.write(1, hex("FF02FFFF02")), DriverStatus::Success);
    QCOMPARE(bench.read(0x81, 25).status, DriverStatus::Success);
}

// ---- attach, detach and handles
// ------------------------------------------------------------------------------

void TestSimulatedBoard::notificationsOnlyAfterYield()
{
    Bench bench;
    QCOMPARE(bench.initStatus, DriverStatus::Success);
    QVERIFY(bench.driver > 0);
    const auto first = bench.board.currentHandle();
    QVERIFY(first != 0);
    QVERIFY(bench.attached.empty()); // init queued it, did not call it
    QCoreApplication::processEvents();
    QCOMPARE(bench.attached, std::vector<DeviceHandle>{first});
    QCOMPARE(bench.attachedVendor, SimulatedBoard::kVendorId);

    bench.board.unplug();
    QVERIFY(bench.detached.empty());
    QCOMPARE(bench.board.currentHandle(), 0u);
    QCOMPARE(bench.writeOn(first, 3, hex("019F")), DriverStatus::DeviceGone);
    DeviceInfo info;
    QCOMPARE(bench.board.getDeviceInfo(first, info), DriverStatus::DeviceGone);
    QVERIFY(bench.detached.empty()); // the failing calls did not deliver it either
    QCoreApplication::processEvents();
    QCOMPARE(bench.detached, std::vector<DeviceHandle>{first});

    bench.board.plug();
    const auto second = bench.board.currentHandle();
    QVERIFY(second != 0);
    QVERIFY(second != first);
    QCOMPARE(bench.attached.size(), 1u);
    QCoreApplication::processEvents();
    QCOMPARE(bench.attached, (std::vector<DeviceHandle>{first, second}));
    QCOMPARE(bench.detached.size(), 1u);

    QCOMPARE(bench.writeOn(first, 3, hex("019F")), DriverStatus::DeviceGone);
    QCOMPARE(bench.writeOn(second, 3, hex("019F")), DriverStatus::Success);
    QCOMPARE(bench.readOn(second, 0x83, 2).buffer, hex("017E"));
}

void TestSimulatedBoard::uninitDropsPendingNotifications_data()
{
    QTest::addColumn<bool>("yieldBeforeUnplug");
    QTest::addColumn<int>("attaches");

    QTest::newRow("attach pending") << false << 0;
    QTest::newRow("detach pending") << true << 1;
}

void TestSimulatedBoard::uninitDropsPendingNotifications()
{
    QFETCH(bool, yieldBeforeUnplug);
    QFETCH(int, attaches);

    Bench bench;
    const auto handle = bench.board.currentHandle();
    if (yieldBeforeUnplug) {
        QCoreApplication::processEvents();
        bench.board.unplug();
    }
    bench.board.uninit(bench.driver);
    QVERIFY(!bench.board.isInitialised());
    QCoreApplication::processEvents();
    QCOMPARE(int(bench.attached.size()), attaches);
    QVERIFY(bench.detached.empty());

    // Every handle is dead after uninit, gone or not.
    QCOMPARE(bench.board.currentHandle(), 0u);
    QCOMPARE(bench.writeOn(handle, 3, hex("019F")), DriverStatus::InvalidHandle);
    DeviceInfo info;
    QCOMPARE(bench.board.getDeviceInfo(handle, info), DriverStatus::InvalidHandle);
}

void TestSimulatedBoard::initFailureLeavesHandle()
{
    Bench bench(SimulatedBoard::kKind1Byte, false);
    bench.board.failInit(DriverStatus::AccessDenied);
    bench.driver = 77;
    QCOMPARE(bench.init(), DriverStatus::AccessDenied);
    QCOMPARE(bench.driver, 77);
    QVERIFY(!bench.board.isInitialised());
    QCOMPARE(bench.board.currentHandle(), 0u);
    QCoreApplication::processEvents();
    QVERIFY(bench.attached.empty());
    QCOMPARE(bench.board.callLog(), std::vector<QString>{QStringLiteral("init")});

    bench.board.clearFaults();
    QCOMPARE(bench.init(), DriverStatus::Success);
    QVERIFY(bench.driver > 0);
    QVERIFY(bench.driver != 77);
}

void TestSimulatedBoard::initWhileUnplugged()
{
    Bench bench(SimulatedBoard::kKind1Byte, false);
    bench.board.unplug();
    QCOMPARE(bench.init(), DriverStatus::Success);
    QCOMPARE(bench.board.currentHandle(), 0u);
    QCoreApplication::processEvents();
    QVERIFY(bench.attached.empty());
    QVERIFY(bench.detached.empty());

    bench.board.plug();
    QVERIFY(bench.board.currentHandle() != 0);
    QCoreApplication::processEvents();
    QCOMPARE(bench.attached, std::vector<DeviceHandle>{bench.board.currentHandle()});
}

void TestSimulatedBoard::deviceInfo_data()
{
    QTest::addColumn<bool>("noPipes");
    QTest::addColumn<QByteArray>("pipes");

    QTest::newRow("all pipes") << false << hex("01020304818283");
    QTest::newRow("no pipes") << true << QByteArray();
}

void TestSimulatedBoard::deviceInfo()
{
    QFETCH(bool, noPipes);
    QFETCH(QByteArray, pipes);

    Bench bench;
    bench.board.setNoPipes(noPipes);
    DeviceInfo info;
    QCOMPARE(bench.board.getDeviceInfo(bench.board.currentHandle(), info), DriverStatus::Success);
    QCOMPARE(info.descriptor.idVendor, SimulatedBoard::kVendorId);
    QCOMPARE(info.descriptor.idProduct, SimulatedBoard::kProductId);
    const auto& alt = info.activeAlternateSetting;
    QCOMPARE(alt.interfaceNumber, 0);
    QCOMPARE(alt.alternateSetting, 0);
    QCOMPARE(int(alt.numPipes), pipes.size());
    QByteArray addresses;
    for (const auto& pipe : alt.pipes) {
        addresses.append(char(pipe.address));
        QCOMPARE(pipe.type, PipeType::Bulk);
    }
    QCOMPARE(addresses, pipes);
}

void TestSimulatedBoard::deviceInfoFailures_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("injected") << "injected" << statusCode(DriverStatus::IoError);
    QTest::newRow("injected raw") << "injected raw" << 26u;
    QTest::newRow("handle 0") << "handle 0" << statusCode(DriverStatus::InvalidHandle);
    QTest::newRow("unknown handle") << "unknown" << statusCode(DriverStatus::InvalidHandle);
    QTest::newRow("after unplug") << "unplug" << statusCode(DriverStatus::DeviceGone);
    QTest::newRow("after uninit") << "uninit" << statusCode(DriverStatus::InvalidHandle);
}

void TestSimulatedBoard::deviceInfoFailures()
{
    QFETCH(QString, situation);
    QFETCH(quint32, expected);

    Bench bench;
    DeviceHandle handle = bench.board.currentHandle();
    if (situation == u"injected")
        bench.board.failDeviceInfo(DriverStatus::IoError);
    else if (situation == u"injected raw")
        bench.board.failDeviceInfo(status(26));
    else if (situation == u"handle 0")
        handle = 0;
    else if (situation == u"unknown")
        handle = handle + 1000;
    else if (situation == u"unplug")
        bench.board.unplug();
    else if (situation == u"uninit")
        bench.board.uninit(bench.driver);

    DeviceInfo info;
    info.descriptor.idVendor = 0x1234;
    QCOMPARE(bench.board.getDeviceInfo(handle, info), status(expected));
    QCOMPARE(info.descriptor.idVendor, 0x1234); // left alone on failure
}

void TestSimulatedBoard::setInterfaceStatus()
{
    Bench bench;
    const auto handle = bench.board.currentHandle();
    QCOMPARE(bench.board.setInterface(handle, 0, 0), DriverStatus::Success);
    QCOMPARE(bench.board.setInterface(0, 0, 0), DriverStatus::InvalidHandle);
    bench.board.failSetInterface(DriverStatus::Busy);
    QCOMPARE(bench.board.setInterface(handle, 0, 0), DriverStatus::Busy);
    QCOMPARE(bench.board.callLog(),
             (std::vector<QString>{"init", "setInterface 0 0", "setInterface 0 0", "setInterface 0 0"}));
}

void TestSimulatedBoard::callLogAndReset()
{
    Bench bench;
    const auto handle = bench.board.currentHandle();
    DeviceInfo info;
    QCOMPARE(bench.board.getDeviceInfo(handle, info), DriverStatus::Success);
    QCOMPARE(bench.board.setInterface(handle, 0, 0), DriverStatus::Success);
    QCOMPARE(bench.write(1, hex("FF02FFFF02")), DriverStatus::Success);
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    bench.board.resetDevice(handle, 1);
    // The reset flushed both queued replies.
    QVERIFY(bench.allInPipesEmpty());
    bench.board.closeDriverHandle(bench.driver);
    bench.board.uninit(bench.driver);
    QCOMPARE(bench.board.callLog(), (std::vector<QString>{"init", "getDeviceInfo", "setInterface 0 0",
                                                          "resetDevice 1", "closeDriverHandle", "uninit"}));
}

void TestSimulatedBoard::transferLogRecordsEveryTransfer()
{
    Bench bench;
    bench.board.clearTransferLog();
    QCOMPARE(bench.write(3, hex("019F")), DriverStatus::Success);
    QCOMPARE(bench.read(0x83, 1).status, DriverStatus::Overflow);
    QCOMPARE(bench.read(0x83, 2).status, DriverStatus::Timeout);
    QCOMPARE(bench.write(0, hex("01")), DriverStatus::NoSuchPipe);

    const std::vector<TransferRecord> expected = {
        {3, TransferDirection::Write, {0x01, 0x9F}, DriverStatus::Success},
        {0x83, TransferDirection::Read, {0x01}, DriverStatus::Overflow},
        {0x83, TransferDirection::Read, {}, DriverStatus::Timeout},
        {0, TransferDirection::Write, {0x01}, DriverStatus::NoSuchPipe},
    };
    QCOMPARE(bench.board.transferLog().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        QVERIFY2(bench.board.transferLog()[i] == expected[i], qPrintable(QString::number(i)));
}

void TestSimulatedBoard::powerCycleRecallsEeprom()
{
    Bench bench;
    QCOMPARE(bench.write(3, hex("019E15")), DriverStatus::Success); // register code 10
    QCOMPARE(bench.write(4, hex("0512")), DriverStatus::Success);
    QCOMPARE(bench.board.dcp().wiperCode(), 10);
    bench.board.unplug();
    bench.board.plug();
    QCOMPARE(bench.board.dcp().wiperCode(), 63);
    QCOMPARE(bench.board.moduleRegister(5), 0);
    QVERIFY(bench.allInPipesEmpty()); // the unanswered reply died with the power
}

void TestSimulatedBoard::statusTextIsGeneric()
{
    Bench bench;
    for (const auto code : {0u, 6u, 10u, 26u})
        QCOMPARE(bench.board.statusText(status(code)), genericStatusText(status(code)));
    QCOMPARE(bench.board.statusText(DriverStatus::Timeout), QStringLiteral("Operation timed out"));
}

QTEST_GUILESS_MAIN(TestSimulatedBoard)
#include "tst_simulatedboard.moc"
