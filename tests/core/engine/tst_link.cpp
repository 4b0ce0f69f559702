// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/palette.h"
#include "common/textformat.h"
#include "common/yield.h"
#include "engine/i2cbus.h"
#include "engine/linkclient.h"
#include "simfixture.h"
#include "tracerecorder.h"

#include <QtTest>

using namespace vtx;
using namespace vtx::test;

namespace {

// Records what the link tells a window, as the windows turn it into lamps and captions.
class RecordingView final : public LinkObserver {
public:
    void linkChanged(const LinkState& state) override
    {
        switch (state.phase) {
        case LinkState::Phase::DriverStarted:
            driverHandleText = decimalText(state.driverHandle); // as the register tool shows it
            break;
        case LinkState::Phase::Failed:
            nocCaption = state.caption;
            break;
        case LinkState::Phase::Opening:
            events << QStringLiteral("opening");
            break;
        case LinkState::Phase::Open:
            nocHidden = true;
            events << QStringLiteral("opened");
            break;
        case LinkState::Phase::Closed:
            events << QStringLiteral("closed");
            break;
        case LinkState::Phase::ModuleAttached:
            attachLamp = LampColor::LightGreen;
            break;
        case LinkState::Phase::ModuleGone:
            attachLamp = LampColor::LightRed;
            break;
        }
    }

    QString driverHandleText = QStringLiteral("Not Initialized");
    QString nocCaption;
    bool nocHidden = false;
    QStringList events;
    LampColor attachLamp = LampColor::Black;
};

struct Pipeline {
    SimFixture sim;
    RecordingView view;
    LinkClient client;

    explicit Pipeline(const LinkFlavour& flavour) : client(sim.link, flavour, view, sim.messages)
    {
        client.becomeAttachLampForm();
    }
};

// One row for each window's flavour of the link.
void flavourRows(const char* registerTool, const char* dcpPanel)
{
    QTest::addColumn<bool>("registerTool");
    QTest::newRow(registerTool) << true;
    QTest::newRow(dcpPanel) << false;
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    // The wait for the attach notification ends when it arrives; only a module that never comes is waited for
    // the whole count. Yields are counted by a zero timer, which fires once per yield.
    void attachWaitEndsWithTheNotification_data()
    {
        QTest::addColumn<bool>("registerTool");
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<int>("minYields");
        QTest::addColumn<int>("maxYields");
        QTest::newRow("DCP panel, module there") << false << true << 1 << 60;
        QTest::newRow("DCP panel, no module") << false << false << 1000 << 1010;
        // It goes on opening without the module (the cleared bridge reply reads as a kind-1 module, so the
        // serial set-up follows); the counted batches after it ask for input only now and then.
        QTest::newRow("register tool, no module") << true << false << 10 << 60;
    }

    void attachWaitEndsWithTheNotification()
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

    void openingPreparesTheModule_data()
    {
        QTest::addColumn<int>("earlierKindByte"); // of a module opened and closed before; -1: none
        QTest::addColumn<int>("kindByte");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("i2cPipe");
        QTest::addColumn<QStringList>("transfers");
        const QStringList query{"OUT 01: FF 02 FF FF 02", "IN  81: 25 bytes"};
        QTest::newRow("kind 1: serial set-up")
            << -1 << 0 << 1 << 3 << query + QStringList{"OUT 01: 00 10 40", "OUT 02: 00 10"};
        QTest::newRow("kind 2") << -1 << 2 << 2 << 2 << query;
        QTest::newRow("unknown kind: no pipe recognised since start") << -1 << 7 << 0 << 0 << query;
        QTest::newRow("unknown kind keeps the pipe of the last known one") << 2 << 7 << 0 << 2 << query;
    }

    void openingPreparesTheModule()
    {
        QFETCH(int, earlierKindByte);
        QFETCH(int, kindByte);
        QFETCH(int, kind);
        QFETCH(int, i2cPipe);
        QFETCH(QStringList, transfers);

        Pipeline p(kDcpPanelLink);
        if (earlierKindByte >= 0) {
            p.sim.board.setKindByte(static_cast<std::uint8_t>(earlierKindByte));
            p.client.Connect_Usb();
            p.client.Disconnect_USB();
            p.sim.recorder.clearTransferLog();
            p.view.events.clear();
        }
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
        QStringList logged;
        for (const TransferRecord& r : p.sim.recorder.transferLog())
            logged << (r.direction == TransferDirection::Write
                           ? "OUT " + hex2Text(r.pipe) + ": " + hexBytes(r.bytes)
                           : "IN  " + hex2Text(r.pipe) + QStringLiteral(": %1 bytes").arg(r.bytes.size()));
        QCOMPARE(logged, transfers);
    }

    void initialisationRefused_data() { flavourRows("register tool", "DCP panel"); }

    void initialisationRefused()
    {
        QFETCH(bool, registerTool);
        TraceRecorder trace;
        Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
        {
            // The DCP panel opened the link well earlier, so there is a UsbOK for the failed open to keep or
            // clear.
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
        // The register tool shows the driver handle as it stands: a refused initialisation leaves the handle
        // of the earlier one.
        QCOMPARE(p.view.driverHandleText,
                 registerTool ? QStringLiteral(" 1") : QStringLiteral("Not Initialized"));
        QVERIFY(trace.lines("vtx.link")
                    .contains("Form_Activate(): Failed to initialize USB driver: error &H1A\n(Unrecognized "
                              "status code)"));
        QVERIFY(!p.sim.link.driverInitialised());
    }

    void noModuleAttached_data() { flavourRows("register tool opens anyway", "DCP panel stays closed"); }

    void noModuleAttached()
    {
        QFETCH(bool, registerTool);
        Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
        p.sim.board.unplug();
        yieldEvents();
        p.client.Connect_Usb();

        QVERIFY(!p.sim.messages.messages.empty());
        const RecordedMessage first = p.sim.messages.messages.front();
        QCOMPARE(first.text, QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
                                 p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) +
                                 QStringLiteral(")\n"));
        QCOMPARE(first.caption, QStringLiteral("VTX830X I2C DCP EVALUATION SOFTWARE"));
        QCOMPARE(p.sim.link.UsbOpen, registerTool);
        QVERIFY(!p.sim.link.UsbOK);
        if (registerTool) {
            // Open with no device: the bridge query's read fails in its own words and the reply reads as
            // kind 1.
            QCOMPARE(int(p.sim.link.UsbDevCtx.deviceHandle), 0);
            QVERIFY(p.sim.messages.texts().contains(
                QStringLiteral("ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H3 (") +
                p.sim.link.UsbStatusText(DriverStatus::InvalidHandle) + QStringLiteral(")\n")));
            QCOMPARE(p.sim.link.BridgeKind, 1);
            QCOMPARE(p.view.events, QStringList({"opening", "opened"}));
            QVERIFY(p.sim.recorder.transferLog().empty());
        } else {
            QCOMPARE(int(p.sim.messages.messages.size()), 1);
            QVERIFY(p.view.events.isEmpty());
            QVERIFY(!p.view.nocHidden);
        }
    }

    // Each ring of the link takes the room it was made with: the windows' defaults, or a front end's own.
    void recordSizes()
    {
        SimFixture sim;
        QCOMPARE(sim.link.feed().capacity(), TransferFeed::kDefaultCapacity);
        QCOMPARE(sim.link.dcpSession().samples().capacity(), DcpSession::kHistoryCapacity);
        Link small(sim.board, sim.link.match(), sim.clock, LinkRecordSizes{16, 8});
        QCOMPARE(small.feed().capacity(), std::size_t{16});
        QCOMPARE(small.dcpSession().samples().capacity(), std::size_t{8});
    }

    void secondOpenCloseAndReopen_data()
    {
        QTest::addColumn<bool>("registerTool");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<int>("portResets"); // the soft reset leaves a working module alone
        QTest::newRow("register tool says so, resets with 0")
            << true << QStringList{"Already Opened"} << "resetDevice 0" << 0;
        QTest::newRow("DCP panel is silent, resets with 1") << false << QStringList{} << "resetDevice 1" << 1;
    }

    void secondOpenCloseAndReopen()
    {
        QFETCH(bool, registerTool);
        QFETCH(QStringList, messages);
        QFETCH(QString, reset);
        TraceRecorder trace;
        Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
        p.client.Connect_Usb();
        const DriverHandle driverHandle = p.sim.link.hDriver;
        const DeviceHandle device = p.sim.link.hActiveDevice;
        p.sim.recorder.clearCallLog();
        p.sim.recorder.clearTransferLog();
        p.view.events.clear();

        p.client.Connect_Usb(); // does nothing to the module
        QCOMPARE(p.sim.messages.texts(), messages);
        QVERIFY(p.sim.recorder.transferLog().empty());
        QVERIFY(p.view.events.isEmpty());
        QVERIFY(p.sim.link.UsbOpen);

        p.client.Disconnect_USB();
        QCOMPARE(p.sim.recorder.callLog(), std::vector<QString>({reset, "closeDriverHandle", "uninit"}));
        QTEST(int(p.sim.board.portResetCount()), "portResets");
        QVERIFY(!p.sim.link.UsbOpen);
        QCOMPARE(p.view.events, QStringList({"closed"}));
        // The handles keep their values; only a detach clears the device handle.
        QCOMPARE(p.sim.link.hDriver, driverHandle);
        QCOMPARE(p.sim.link.hActiveDevice, device);
        QCOMPARE(p.sim.link.UsbDevCtx.deviceHandle, device);

        // Reopened without a detach in between: the new attach replaces the old handle.
        trace.clear();
        p.client.Connect_Usb();
        const DeviceHandle second = p.sim.link.UsbDevCtx.deviceHandle;
        QVERIFY(second != 0 && second != device);
        QCOMPARE(p.sim.link.hActiveDevice, second);
        const QStringList lines = trace.lines("vtx.link");
        QVERIFY(lines.contains(QStringLiteral("DeviceAttach: Received another attach - control is rejected\n"
                                              "because only one device control is supported")));
        QVERIFY(lines.contains(
            QStringLiteral("DeviceAttach: Received and accepted attach for \nvendor ID &H") +
            QString::number(SimulatedBoard::kVendorId, 16).toUpper() + QStringLiteral(" product ID &H") +
            QString::number(SimulatedBoard::kProductId, 16).toUpper() + QStringLiteral("\ndevice handle &H") +
            QString::number(second, 16).toUpper()));
        QCOMPARE(p.sim.messages.texts(), messages);
    }

    void refusedInterfaceStopsTheOpenAndIsReleasedBeforeTheNextOne()
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
            QString::number(refused, 16).toUpper() +
            QStringLiteral(": error &H1A\n(Unrecognized status code)");
        QVERIFY2(trace.lines("vtx.link").contains(expected), qPrintable(trace.lines("vtx.link").join("|")));
        // Without a device the DCP open stops at the device information, after the driver started.
        QVERIFY(!p.sim.link.UsbOpen);
        QCOMPARE(p.sim.messages.texts().size(), 1);
        QVERIFY(p.sim.link.driverInitialised());

        // Closing a closed link does nothing...
        p.sim.recorder.clearCallLog();
        p.client.Disconnect_USB();
        QVERIFY(p.sim.recorder.callLog().empty());

        // ...but the next open does not leave the first driver instance behind.
        p.sim.board.clearFaults();
        p.client.Connect_Usb();
        QVERIFY(p.sim.link.UsbOpen);
        const auto& calls = p.sim.recorder.callLog();
        QVERIFY(calls.size() >= 2);
        QCOMPARE(calls[0], QStringLiteral("uninit"));
        QCOMPARE(calls[1], QStringLiteral("init"));
    }

    // A module that does not answer the bridge query fails the open there, with one message and one timeout:
    // the transfers of the same click are not tried. The next open that is answered works again.
    void bridgeQueryTimeoutFailsTheOpen_data() { flavourRows("register tool", "DCP panel"); }
    void bridgeQueryTimeoutFailsTheOpen()
    {
        QFETCH(bool, registerTool);
        Pipeline p(registerTool ? kRegisterToolLink : kDcpPanelLink);
        p.sim.board.failPipe(protocol::kBridgeReplyPipe, DriverStatus::Timeout, 1);
        p.client.Connect_Usb();
        QCOMPARE(p.sim.link.UsbOpen, false);
        I2cBus bus(p.client);
        const Result<std::uint8_t> read = bus.read(0x9F);
        QCOMPARE(read.failure().status, DriverStatus::Timeout);
        QCOMPARE(p.sim.messages.texts(), QStringList{"ReadPipe: WDU_Transfer() failed: error &H6 (" +
                                                     genericStatusText(DriverStatus::Timeout) + ")"});
        QCOMPARE(int(p.sim.recorder.transferLog().size()), 2); // the query and its reply that never came
        p.client.Connect_Usb();
        QVERIFY(p.sim.link.UsbOpen);
        QVERIFY(bus.read(0x9F).ok());
    }

    // A faulty transfer, named by the row: a reply that did not come leaves the cleared buffer, a failed read
    // tells the user, the rest goes only to the trace, and the link stays open until it is closed.
    void transferFaults_data()
    {
        QTest::addColumn<QList<int>>("pipeBuf");
        QTest::addColumn<int>("status");    // the link's UsbStatus afterwards
        QTest::addColumn<int>("transfers"); // that reached the board
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("traced"); // among the link's trace lines, each as often as listed
        const QString timedOut =
            "ReadPipe: WDU_Transfer() failed: error &H6 (" + genericStatusText(DriverStatus::Timeout) + ")";
        const QString noPipes =
            "  No pipes are defined for this device \nother than the default pipe (number 0)\n";
        const int timeout = int(DriverStatus::Timeout);
        QTest::newRow("read times out")
            << QList<int>{0, 0} << timeout << 2 << QStringList{timedOut} << QStringList{"Read Pipe failed"};
        // The write failure is only traced; the read that follows finds no reply and says so.
        QTest::newRow("write fails") << QList<int>{0, 0} << timeout << 2 << QStringList{timedOut}
                                     << QStringList{"WritePipe: WDU_Transfer() failed: error &H9 (" +
                                                        genericStatusText(DriverStatus::IoError) + ")",
                                                    "Write Pipe failed", "Read Pipe failed"};
        QTest::newRow("no pipes besides pipe 0")
            << QList<int>{0, 0} << 0 << 0 << QStringList{}
            << QStringList{noPipes, noPipes, "Write Pipe failed", "Read Pipe failed"};
        QTest::newRow("short reply") << QList<int>{1, 0} << 0 << 2 << QStringList{} << QStringList{};
        // The detach turns the lamp red and clears the device handle; the write is silent for the user, the
        // read says what happened.
        const QString noDevice = ": WDU_GetDeviceInfo() failed:\nerror &H3 (" +
                                 genericStatusText(DriverStatus::InvalidHandle) + ")\n";
        QTest::newRow("unplugged") << QList<int>{0, 0} << int(DriverStatus::InvalidHandle) << 0
                                   << QStringList{"ReadPipe" + noDevice}
                                   << QStringList{"WritePipe" + noDevice};
    }

    void transferFaults()
    {
        QFETCH(QList<int>, pipeBuf);
        QFETCH(int, status);
        QFETCH(int, transfers);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, traced);
        const QString fault = QString::fromLatin1(QTest::currentDataTag());

        TraceRecorder trace;
        Pipeline p(kDcpPanelLink);
        p.client.Connect_Usb();
        p.sim.recorder.clearTransferLog();
        const DeviceHandle device = p.sim.link.UsbDevCtx.deviceHandle;
        if (fault == "unplugged") {
            p.sim.board.unplug();
            yieldEvents();
            traced << "DeviceDetach: Received detach for device handle &H" +
                          QString::number(device, 16).toUpper();
        } else if (fault == "read times out")
            p.sim.board.failPipe(0x83, DriverStatus::Timeout, 1);
        else if (fault == "write fails")
            p.sim.board.failPipe(3, DriverStatus::IoError, 1);
        else if (fault == "short reply")
            p.sim.board.shortenNextReply(0x83, 1);
        else
            p.sim.board.setNoPipes(true);
        const auto reply = p.client.exchange(protocol::readCurrent(0x9F));

        QCOMPARE(int(reply.count), pipeBuf[0]);
        QCOMPARE(QList<int>(p.sim.link.PipeBuf.begin(), p.sim.link.PipeBuf.end()), pipeBuf);
        QCOMPARE(int(p.sim.link.UsbStatus), status);
        QCOMPARE(int(p.sim.recorder.transferLog().size()), transfers);
        QCOMPARE(p.sim.messages.texts(), messages);
        QVERIFY(p.sim.link.UsbOpen);
        const bool unplugged = fault == "unplugged";
        QCOMPARE(p.view.attachLamp, unplugged ? LampColor::LightRed : LampColor::LightGreen);
        QCOMPARE(p.sim.link.UsbDevCtx.deviceHandle, unplugged ? DeviceHandle{0} : device);
        const QStringList lines = trace.lines("vtx.link");
        for (const QString& line : traced)
            QVERIFY2(lines.count(line) == traced.count(line), qPrintable(lines.join("|")));
    }

    // The I2C commands of a kind-2 module go out on pipe 2 and come back on 0x82; the transfer trace shows
    // each with its bytes and status.
    void exchangeOnKind2IsTraced()
    {
        Pipeline p(kDcpPanelLink);
        p.sim.board.setKindByte(2);
        p.client.Connect_Usb();
        TraceRecorder trace;
        QCOMPARE(int(p.client.exchange(protocol::writeByte(0x9E, 0x81)).count), 2);
        const auto read = p.client.exchange(protocol::readCurrent(0x9F));
        QCOMPARE(int(read.count), 1);
        QCOMPARE(int(read.data), 0x80); // wiper code 64 in bits 7 to 1
        QCOMPARE(trace.lines("vtx.transfer"), QStringList({"OUT pipe 02: 01 9E 81 [status &H0 (Success)]",
                                                           "IN  pipe 82: 02 00 [status &H0 (Success)]",
                                                           "OUT pipe 02: 01 9F [status &H0 (Success)]",
                                                           "IN  pipe 82: 01 80 [status &H0 (Success)]"}));
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
