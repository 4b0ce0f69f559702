// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/yield.h"
#include "engine/linkclient.h"
#include "simfixture.h"
#include "tracerecorder.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;
using ByteList = QList<int>;

namespace {

// Records what the link paints and writes on a window.
class RecordingView final : public LinkView {
public:
    void showDriverHandle(const QString& text) override { driverHandleText = text; }
    void setNocCaption(const QString& caption) override { nocCaption = caption; }
    void hideNoc() override { nocHidden = true; }
    void paintLinkOpening() override { events << QStringLiteral("opening"); }
    void paintLinkOpened() override { events << QStringLiteral("opened"); }
    void paintLinkClosed() override { events << QStringLiteral("closed"); }
    void paintAttachLamp(LampColor color) override { attachLamp = color; }

    QString driverHandleText = QStringLiteral("Not Initialized");
    QString nocCaption;
    bool nocHidden = false;
    QStringList events;
    LampColor attachLamp = LampColor::Black;
};

ByteList toList(const std::vector<std::uint8_t>& bytes)
{
    return ByteList(bytes.begin(), bytes.end());
}

struct Pipeline {
    SimFixture sim;
    RecordingView view;
    LinkClient client;

    explicit Pipeline(const LinkFlavour& flavour) : client(sim.link, flavour, view, sim.messages)
    {
        client.becomeAttachLampForm();
    }
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void openingPreparesTheModule_data();
    void openingPreparesTheModule();
    void unknownKindKeepsThePipe();
    void initialisationRefused_data();
    void initialisationRefused();
    void noModuleAttached_data();
    void noModuleAttached();
    void attachWaitEndsWithTheNotification_data();
    void attachWaitEndsWithTheNotification();
    void secondOpen_data();
    void secondOpen();
    void closingReleasesInOrder_data();
    void closingReleasesInOrder();
    void failedOpenIsReleasedBeforeTheNextOne();
    void interfaceSelectionRefused();
    void reconnectWithoutDetachTakesTheNewHandle();
    void unplugWhileOpen();
    void transfersWithLinkClosed();
    void readFailuresReportedWriteFailuresTraced_data();
    void readFailuresReportedWriteFailuresTraced();
    void noPipesBesidesPipeZero();
    void shortReplyLeavesZeros();
    void emptyTransferPassesNoBytes();
    void exchangeOnKind2();
    void transfersAreTraced();
};

// The wait for the attach notification ends when it arrives; only a module that never comes is waited for
// the whole count. Yields are counted by a zero timer, which fires once per yield.
void TestLink::attachWaitEndsWithTheNotification_data()
{
    QTest::addColumn<bool>("registerTool");
    QTest::addColumn<bool>("plugged");
    QTest::addColumn<int>("minYields");
    QTest::addColumn<int>("maxYields");
    QTest::newRow("DCP panel, module there") << false << true << 1 << 60;
    QTest::newRow("DCP panel, no module") << false << false << 1000 << 1010;
    QTest::newRow("register tool, module there") << true << true << 1 << 60;
    // It goes on opening without the module (the cleared bridge reply reads as a kind-1 module, so the serial
    // set-up follows); the counted batches after it ask for input only now and then.
    QTest::newRow("register tool, no module") << true << false << 10 << 60;
}

void TestLink::attachWaitEndsWithTheNotification()
{
    QFETCH(bool, registerTool);
    QFETCH(bool, plugged);
    QFETCH(int, minYields);
    QFETCH(int, maxYields);
    Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
    p.sim.board.setKindByte(SimulatedBoard::kKind2Byte); // no serial set-up and its 400 yields
    if (!plugged)
        p.sim.board.unplug();
    int yields = 0;
    QTimer counter;
    QObject::connect(&counter, &QTimer::timeout, [&yields] { ++yields; });
    counter.start(0);
    p.client.Connect_Usb();
    counter.stop();
    QCOMPARE(p.sim.link.UsbOpen, plugged || registerTool);
    QVERIFY2(yields >= minYields && yields <= maxYields, qPrintable(QString::number(yields)));
}

void TestLink::openingPreparesTheModule_data()
{
    QTest::addColumn<int>("kindByte");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("i2cPipe");
    QTest::addColumn<bool>("serialSetUp");

    QTest::newRow("kind 1") << 0 << 1 << 3 << true;
    QTest::newRow("kind 2") << 2 << 2 << 2 << false;
}

void TestLink::openingPreparesTheModule()
{
    QFETCH(int, kindByte);
    QFETCH(int, kind);
    QFETCH(int, i2cPipe);
    QFETCH(bool, serialSetUp);

    Pipeline p(kDcpPanelLink);
    p.sim.board.setKindByte(static_cast<std::uint8_t>(kindByte));
    p.client.Connect_Usb();

    QVERIFY(p.sim.link.UsbOpen);
    QVERIFY(p.sim.link.UsbOK);
    QCOMPARE(p.sim.link.BridgeKind, kind);
    QCOMPARE(int(p.sim.link.I2COutPipe), i2cPipe);
    QCOMPARE(p.view.attachLamp, LampColor::LightGreen);
    QCOMPARE(p.view.events, QStringList({"opening", "opened"}));
    QVERIFY(p.view.nocHidden);
    QVERIFY(p.sim.messages.messages.empty());

    const auto& log = p.sim.board.transferLog();
    QVERIFY(log.size() >= 2);
    QCOMPARE(int(log[0].pipe), 1);
    QCOMPARE(toList(log[0].bytes), ByteList({0xFF, 0x02, 0xFF, 0xFF, 0x02}));
    QCOMPARE(int(log[1].pipe), 0x81);
    QCOMPARE(log[1].direction, TransferDirection::Read);
    QCOMPARE(int(log[1].bytes.size()), 25);
    if (serialSetUp) {
        QCOMPARE(int(log.size()), 4);
        QCOMPARE(int(log[2].pipe), 1);
        QCOMPARE(toList(log[2].bytes), ByteList({0x00, 0x10, 0x40}));
        QCOMPARE(int(log[3].pipe), 2);
        QCOMPARE(toList(log[3].bytes), ByteList({0x00, 0x10}));
    } else {
        QCOMPARE(int(log.size()), 2);
    }
}

void TestLink::unknownKindKeepsThePipe()
{
    Pipeline p(kDcpPanelLink);
    p.sim.board.setKindByte(7);
    p.client.Connect_Usb();
    QVERIFY(p.sim.link.UsbOpen);
    QCOMPARE(p.sim.link.BridgeKind, 0);
    QCOMPARE(int(p.sim.link.I2COutPipe), 0);            // nothing recognised since start
    QCOMPARE(int(p.sim.board.transferLog().size()), 2); // query and its reply, no serial set-up

    // A recognised module first, then an unknown one: the pipe of the first stays.
    p.client.Disconnect_USB();
    p.sim.board.setKindByte(2);
    p.client.Connect_Usb();
    QCOMPARE(int(p.sim.link.I2COutPipe), 2);
    p.client.Disconnect_USB();
    p.sim.board.setKindByte(7);
    p.client.Connect_Usb();
    QCOMPARE(p.sim.link.BridgeKind, 0);
    QCOMPARE(int(p.sim.link.I2COutPipe), 2);
}

void TestLink::initialisationRefused_data()
{
    QTest::addColumn<bool>("registerTool");
    QTest::newRow("register tool") << true;
    QTest::newRow("DCP panel") << false;
}

void TestLink::initialisationRefused()
{
    QFETCH(bool, registerTool);
    TraceRecorder trace;
    Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
    {
        // The DCP panel opened the link well earlier, so there is a UsbOK for the failed open to keep or clear.
        RecordingView panelView;
        LinkClient panel(p.sim.link, kDcpPanelLink, panelView, p.sim.messages);
        panel.Connect_Usb();
        panel.Disconnect_USB();
        QVERIFY(p.sim.link.UsbOK);
    }
    p.sim.board.failInit(static_cast<DriverStatus>(26));
    p.client.Connect_Usb();

    QVERIFY(!p.sim.link.UsbOpen);
    QCOMPARE(p.sim.link.UsbOK, registerTool); // only the DCP panel keeps UsbOK
    QCOMPARE(p.view.nocCaption, QStringLiteral("USB Board won't intialize"));
    QVERIFY(!p.view.nocHidden);
    QVERIFY(p.view.events.isEmpty());
    QVERIFY(p.sim.messages.messages.empty());
    // The register tool shows the driver handle as it stands: a refused initialisation leaves the handle of
    // the earlier one.
    QCOMPARE(p.view.driverHandleText,
             registerTool ? QStringLiteral(" 1") : QStringLiteral("Not Initialized"));
    QVERIFY(
        trace.lines("vtx.link")
            .contains(
                "Form_Activate(): Failed to initialize USB driver: error &H1A\n(Unrecognized status code)"));
    QVERIFY(!p.sim.link.driverInitialised());
}

void TestLink::noModuleAttached_data()
{
    QTest::addColumn<bool>("registerTool");
    QTest::newRow("register tool opens anyway") << true;
    QTest::newRow("DCP panel stays closed") << false;
}

void TestLink::noModuleAttached()
{
    QFETCH(bool, registerTool);
    Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
    p.sim.board.unplug();
    yieldEvents();
    p.sim.messages.onMessage = [](const RecordedMessage&) {};
    p.client.Connect_Usb();

    QVERIFY(!p.sim.messages.messages.empty());
    const RecordedMessage first = p.sim.messages.messages.front();
    QCOMPARE(first.text, QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
                             p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) + QStringLiteral(")\n"));
    QCOMPARE(first.caption, QStringLiteral("VTX830X I2C DCP EVALUATION SOFTWARE"));
    QCOMPARE(p.sim.link.UsbOpen, registerTool);
    QVERIFY(!p.sim.link.UsbOK);
    if (registerTool) {
        // Open with no device: the bridge query's read fails in its own words and the reply reads as kind 1.
        QCOMPARE(int(p.sim.link.UsbDevCtx.deviceHandle), 0);
        QVERIFY(p.sim.messages.texts().contains(
            QStringLiteral("ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
            p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) + QStringLiteral(")\n")));
        QCOMPARE(p.sim.link.BridgeKind, 1);
        QCOMPARE(p.view.events, QStringList({"opening", "opened"}));
        QVERIFY(p.sim.board.transferLog().empty());
    } else {
        QCOMPARE(int(p.sim.messages.messages.size()), 1);
        QVERIFY(p.view.events.isEmpty());
        QVERIFY(!p.view.nocHidden);
    }
}

void TestLink::secondOpen_data()
{
    QTest::addColumn<bool>("registerTool");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("register tool says so") << true << QStringList{"Already Opened"};
    QTest::newRow("DCP panel is silent") << false << QStringList{};
}

void TestLink::secondOpen()
{
    QFETCH(bool, registerTool);
    QFETCH(QStringList, messages);
    Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
    p.client.Connect_Usb();
    p.sim.board.clearCallLog();
    p.sim.board.clearTransferLog();
    p.view.events.clear();

    p.client.Connect_Usb();
    QCOMPARE(p.sim.messages.texts(), messages);
    QVERIFY(p.sim.board.callLog().empty());
    QVERIFY(p.sim.board.transferLog().empty());
    QVERIFY(p.view.events.isEmpty());
    QVERIFY(p.sim.link.UsbOpen);
}

void TestLink::closingReleasesInOrder_data()
{
    QTest::addColumn<bool>("registerTool");
    QTest::addColumn<QString>("reset");
    QTest::newRow("register tool resets with 0") << true << "resetDevice 0";
    QTest::newRow("DCP panel resets with 1") << false << "resetDevice 1";
}

void TestLink::closingReleasesInOrder()
{
    QFETCH(bool, registerTool);
    QFETCH(QString, reset);
    Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
    p.client.Connect_Usb();
    const DriverHandle driverHandle = p.sim.link.hDriver;
    const DeviceHandle device = p.sim.link.hActiveDevice;
    p.sim.board.clearCallLog();
    p.view.events.clear();

    p.client.Disconnect_USB();
    QCOMPARE(p.sim.board.callLog(), std::vector<QString>({reset, "closeDriverHandle", "uninit"}));
    QVERIFY(!p.sim.link.UsbOpen);
    QCOMPARE(p.view.events, QStringList({"closed"}));
    // The handles keep their values; only a detach clears the device handle.
    QCOMPARE(p.sim.link.hDriver, driverHandle);
    QCOMPARE(p.sim.link.hActiveDevice, device);
    QCOMPARE(p.sim.link.UsbDevCtx.deviceHandle, device);
}

void TestLink::failedOpenIsReleasedBeforeTheNextOne()
{
    Pipeline p(kDcpPanelLink);
    p.sim.board.failDeviceInfo(DriverStatus::DeviceGone);
    p.client.Connect_Usb();
    QVERIFY(!p.sim.link.UsbOpen);
    QVERIFY(p.sim.link.driverInitialised()); // the open stopped after the driver started

    // Closing a closed link does nothing...
    p.sim.board.clearCallLog();
    p.client.Disconnect_USB();
    QVERIFY(p.sim.board.callLog().empty());

    // ...but the next open does not leave the first driver instance behind.
    p.sim.board.clearFaults();
    p.client.Connect_Usb();
    QVERIFY(p.sim.link.UsbOpen);
    const auto& calls = p.sim.board.callLog();
    QVERIFY(calls.size() >= 2);
    QCOMPARE(calls[0], QStringLiteral("uninit"));
    QCOMPARE(calls[1], QStringLiteral("init"));
}

void TestLink::interfaceSelectionRefused()
{
    TraceRecorder trace;
    Pipeline p(kDcpPanelLink);
    p.sim.board.failSetInterface(static_cast<DriverStatus>(26));
    p.client.Connect_Usb();

    QCOMPARE(int(p.sim.link.UsbDevCtx.deviceHandle), 0);
    QCOMPARE(p.sim.link.UsbDevCtx.interfaceStatus, static_cast<DriverStatus>(26));
    QCOMPARE(p.view.attachLamp, LampColor::Black);
    const DeviceHandle refused = p.sim.board.currentHandle();
    const QString expected =
        QStringLiteral("DeviceAttach: WDU_SetInterface failed\n(num.  0 alternate  0)\ndevice &H") +
        QString::number(refused, 16).toUpper() + QStringLiteral(": error &H1A\n(Unrecognized status code)");
    QVERIFY2(trace.lines("vtx.link").contains(expected), qPrintable(trace.lines("vtx.link").join("|")));
    // Without a device the DCP open stops at the device information.
    QVERIFY(!p.sim.link.UsbOpen);
    QCOMPARE(p.sim.messages.texts().size(), 1);
}

void TestLink::reconnectWithoutDetachTakesTheNewHandle()
{
    TraceRecorder trace;
    Pipeline p(kRegisterToolLink);
    p.client.Connect_Usb();
    const DeviceHandle first = p.sim.link.UsbDevCtx.deviceHandle;
    QVERIFY(first != 0);
    p.client.Disconnect_USB();
    trace.clear();

    p.client.Connect_Usb();
    const DeviceHandle second = p.sim.link.UsbDevCtx.deviceHandle;
    QVERIFY(second != 0);
    QVERIFY(second != first);
    QCOMPARE(p.sim.link.hActiveDevice, second);
    const QStringList lines = trace.lines("vtx.link");
    QVERIFY(lines.contains(QStringLiteral("DeviceAttach: Received another attach - control is rejected\n"
                                          "because only one device control is supported")));
    QVERIFY(lines.contains(QStringLiteral("DeviceAttach: Received and accepted attach for \nvendor ID &H") +
                           QString::number(SimulatedBoard::kVendorId, 16).toUpper() +
                           QStringLiteral(" product ID &H") +
                           QString::number(SimulatedBoard::kProductId, 16).toUpper() +
                           QStringLiteral("\ndevice handle &H") + QString::number(second, 16).toUpper()));
    QVERIFY(p.sim.messages.messages.empty());
}

void TestLink::unplugWhileOpen()
{
    TraceRecorder trace;
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    const DeviceHandle device = p.sim.link.UsbDevCtx.deviceHandle;
    p.sim.board.unplug();
    yieldEvents();

    QCOMPARE(p.view.attachLamp, LampColor::LightRed);
    QVERIFY(p.sim.link.UsbOpen); // still open until closed
    QCOMPARE(int(p.sim.link.UsbDevCtx.deviceHandle), 0);
    QVERIFY(trace.lines("vtx.link")
                .contains(QStringLiteral("DeviceDetach: Received detach for device handle &H") +
                          QString::number(device, 16).toUpper()));

    // The write is silent for the user, the read says what happened, and the reply reads as zeros.
    const auto reply = p.client.exchange(protocol::writeByte(0x9E, 0x81));
    QCOMPARE(int(reply.count), 0);
    QCOMPARE(int(reply.data), 0);
    QCOMPARE(p.sim.messages.texts(),
             QStringList({QStringLiteral("ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
                          p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) + QStringLiteral(")\n")}));
    QVERIFY(trace.lines("vtx.link")
                .contains(QStringLiteral("WritePipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
                          p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) + QStringLiteral(")\n")));
    QVERIFY(p.sim.link.PipeBuf == std::vector<std::uint8_t>(2, 0));
}

void TestLink::transfersWithLinkClosed()
{
    Pipeline p(kRegisterToolLink);
    p.client.Connect_Usb(); // the bridge query finds the module's I2C pipe
    p.client.Disconnect_USB();
    QCOMPARE(p.sim.link.I2COutPipe, 3u);
    p.sim.board.clearTransferLog();
    const auto reply = p.client.exchange(protocol::readCurrent(0x9F));
    QCOMPARE(int(reply.count), 0);
    QCOMPARE(p.sim.messages.texts(),
             QStringList({"Write GPIOPipe .. USB Not opened", "ReadPipe .. USB Not opened"}));
    QVERIFY(p.sim.board.transferLog().empty());
}

void TestLink::readFailuresReportedWriteFailuresTraced_data()
{
    QTest::addColumn<int>("failingPipe");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("traced");

    const QString timeoutText = genericStatusText(DriverStatus::Timeout);
    QTest::newRow("read times out") << 0x83 << int(DriverStatus::Timeout)
                                    << QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (" +
                                                   timeoutText + ")"}
                                    << "Read Pipe failed";
    QTest::newRow("read status 26")
        << 0x83 << 26 << QStringList{"ReadPipe: WDU_Transfer() failed: error &H1A (Unrecognized status code)"}
        << "Read Pipe failed";
    // The write failure is only traced; the read that follows finds no reply and says so.
    QTest::newRow("write fails") << 3 << int(DriverStatus::IoError)
                                 << QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (" + timeoutText +
                                                ")"}
                                 << "WritePipe: WDU_Transfer() failed: error &H9 (" +
                                        genericStatusText(DriverStatus::IoError) + ")";
}

void TestLink::readFailuresReportedWriteFailuresTraced()
{
    QFETCH(int, failingPipe);
    QFETCH(int, status);
    QFETCH(QStringList, messages);
    QFETCH(QString, traced);

    TraceRecorder trace;
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    p.sim.board.failPipe(static_cast<std::uint32_t>(failingPipe), static_cast<DriverStatus>(status), 1);
    const auto reply = p.client.exchange(protocol::writeByte(0x9E, 0x81));

    QCOMPARE(int(reply.count), 0);
    QVERIFY(p.sim.link.PipeBuf == std::vector<std::uint8_t>(2, 0));
    QCOMPARE(p.sim.messages.texts(), messages);
    QVERIFY2(trace.lines("vtx.link").contains(traced), qPrintable(trace.lines("vtx.link").join("|")));
    QCOMPARE(p.sim.link.UsbStatus,
             failingPipe == 3 ? DriverStatus::Timeout : static_cast<DriverStatus>(status));
}

void TestLink::noPipesBesidesPipeZero()
{
    TraceRecorder trace;
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    p.sim.board.clearTransferLog();
    p.sim.board.setNoPipes(true);
    const auto reply = p.client.exchange(protocol::readCurrent(0x9F));

    QCOMPARE(int(reply.count), 0);
    QVERIFY(p.sim.board.transferLog().empty());
    QVERIFY(p.sim.messages.messages.empty());
    const QStringList lines = trace.lines("vtx.link");
    QCOMPARE(lines.count(QStringLiteral(
                 "  No pipes are defined for this device \nother than the default pipe (number 0)\n")),
             2);
    QVERIFY(lines.contains("Write Pipe failed"));
    QVERIFY(lines.contains("Read Pipe failed"));
}

void TestLink::shortReplyLeavesZeros()
{
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    p.sim.board.shortenNextReply(0x83, 1);
    const auto reply = p.client.exchange(protocol::readCurrent(0x9F));
    QCOMPARE(int(reply.count), 1);
    QCOMPARE(int(reply.data), 0);
    QVERIFY(p.sim.link.PipeBuf == std::vector<std::uint8_t>({1, 0}));
}

void TestLink::emptyTransferPassesNoBytes()
{
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    p.sim.board.clearTransferLog();
    p.client.send(4, {});
    QCOMPARE(int(p.sim.board.transferLog().size()), 1);
    QVERIFY(p.sim.board.transferLog()[0].bytes.empty());
    QCOMPARE(int(p.sim.link.PipeLen), 0);
}

void TestLink::exchangeOnKind2()
{
    Pipeline p(kDcpPanelLink);
    p.sim.board.setKindByte(2);
    p.client.Connect_Usb();
    p.sim.board.clearTransferLog();

    const auto write = p.client.exchange(protocol::writeByte(0x9E, 0x81));
    QCOMPARE(int(write.count), 2);
    const auto read = p.client.exchange(protocol::readCurrent(0x9F));
    QCOMPARE(int(read.count), 1);
    QCOMPARE(int(read.data), 0x80); // wiper code 64 in bits 7 to 1

    const auto& log = p.sim.board.transferLog();
    QCOMPARE(int(log.size()), 4);
    QCOMPARE(int(log[0].pipe), 2);
    QCOMPARE(toList(log[0].bytes), ByteList({0x01, 0x9E, 0x81}));
    QCOMPARE(int(log[1].pipe), 0x82);
    QCOMPARE(int(log[2].pipe), 2);
    QCOMPARE(toList(log[2].bytes), ByteList({0x01, 0x9F}));
    QCOMPARE(int(log[3].pipe), 0x82);
    QCOMPARE(toList(log[3].bytes), ByteList({0x01, 0x80}));
}

void TestLink::transfersAreTraced()
{
    Pipeline p(kDcpPanelLink);
    p.client.Connect_Usb();
    TraceRecorder trace;
    p.client.exchange(protocol::writeByte(0x9E, 0x81));
    QCOMPARE(trace.lines("vtx.transfer"), QStringList({"OUT pipe 03: 01 9E 81 [status &H0 (Success)]",
                                                       "IN  pipe 83: 02 00 [status &H0 (Success)]"}));
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
