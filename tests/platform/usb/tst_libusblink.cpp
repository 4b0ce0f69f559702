// End to end without hardware: the program's own link and protocol code, through the libusb driver, to
// an emulated control module (umockdev). Opening probes the module, the DCP is written and read, and the
// module is unplugged and plugged in again while the link is open.

#include "common/yield.h"
#include "link/linkclient.h"
#include "platform/libusbdriver.h"
#include "protocol/bridgecommands.h"
#include "recordingseams.h"
#include "tracerecorder.h"
#include "usbtestbed.h"

#include <QTest>
#include <QTimer>
#include <memory>

using namespace vtx;
using namespace vtx::test;

namespace {

class RecordingView final : public LinkView {
public:
    QWidget* dialogParent() override { return nullptr; }
    void setNocCaption(const QString& caption) override { nocCaption = caption; }
    void hideNoc() override { nocHidden = true; }
    void paintLinkOpening() override {}
    void paintLinkClosed() override { closedPaints++; }
    void paintAttachLamp(LampColor color) override
    {
        attachLamp = color;
        attachPaints++;
    }

    QString nocCaption;
    bool nocHidden = false;
    int closedPaints = 0;
    LampColor attachLamp = LampColor::Black;
    int attachPaints = 0;
};

// Sleeps in the event loop until `done` holds; hot-plug events wake it. The watchdog only keeps a broken
// build from hanging the run; it measures nothing.
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

// The module's answer to the bridge query, as scripted in vtxmodule.ioctl: byte 5 = 0, a kind-1 module.
const std::vector<std::uint8_t> kBridgeReply = {0x19, 0xFF, 0x02, 0x01, 0x02, 0x00, 'V', 'T', 'X',
                                                '8',  '3',  '0',  '3',  0,    0,    0,   0,   0,
                                                0,    0,    0,    0,    0,    0,    0};

constexpr std::uint8_t kDcpWriteAddress = 0x9E;
constexpr std::uint8_t kDcpReadAddress = 0x9F;

} // namespace

class TestLibusbLink : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void probeWriteReadUnplugReplug();
    void openingWithoutModule();
    void transferFailuresReachTheUser();

private:
    struct Program {
        LibusbDriver driver;
        RecordingMessageBoxes messages;
        Link link{driver, messages, LibusbDriver::moduleMatch()};
        RecordingView view;
        LinkClient dcpPanel{link, kDcpPanelLink, view};
    };

    std::unique_ptr<UsbTestbed> m_testbed; // first: libusb must start inside the emulation
    std::unique_ptr<Program> m_program;
};

void TestLibusbLink::init()
{
    if (!UsbTestbed::available())
        QSKIP("umockdev is not installed: the emulated module is not available");
    m_testbed = std::make_unique<UsbTestbed>();
    QVERIFY2(m_testbed->inMockEnvironment(), "run this test under umockdev-wrapper");
    m_program = std::make_unique<Program>();
    m_program->dcpPanel.becomeAttachLampForm();
}

void TestLibusbLink::cleanup()
{
    m_program.reset();
    m_testbed.reset();
}

void TestLibusbLink::probeWriteReadUnplugReplug()
{
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    Program& p = *m_program;
    TraceRecorder traces;

    // Opening: attach through the yields, bridge query, serial set-up.
    p.dcpPanel.Connect_Usb();
    QCOMPARE(p.messages.texts(), QStringList{});
    QVERIFY(p.link.UsbOpen);
    QVERIFY(p.link.UsbOK);
    QVERIFY(p.link.UsbDevCtx.deviceHandle != 0);
    QCOMPARE(p.link.hActiveDevice, p.link.UsbDevCtx.deviceHandle);
    QCOMPARE(p.link.UsbDevCtx.interfaceStatus, DriverStatus::Success);
    QCOMPARE(p.view.attachLamp, LampColor::LightGreen);
    QVERIFY(p.view.nocHidden);
    QCOMPARE(p.link.BridgeKind, 1);
    QCOMPARE(p.link.I2COutPipe, 3u);
    QCOMPARE(p.link.UsbStatus, DriverStatus::Success);
    QVERIFY(!traces.lines(QStringLiteral("vtx.link")).join(u'\n').contains(QStringLiteral("failed")));

    // The query's reply really came from the module, not from a cleared buffer that reads as kind 1 too.
    p.dcpPanel.Init_USB_Com();
    QCOMPARE(p.link.PipeBuf, kBridgeReply);
    QCOMPARE(p.link.BridgeKind, 1);

    // The DCP write 01 9E 81 is acknowledged with transfer count 2, the read 01 9F brings 0x81 back.
    const protocol::I2cCommand write = protocol::writeByte(kDcpWriteAddress, 0x81);
    const protocol::I2cReply written = p.dcpPanel.exchange(write);
    QCOMPARE(written.count, std::uint8_t{2});
    QVERIFY(protocol::acknowledged(write, written));
    const protocol::I2cCommand read = protocol::readCurrent(kDcpReadAddress);
    const protocol::I2cReply readBack = p.dcpPanel.exchange(read);
    QCOMPARE(readBack.count, std::uint8_t{1});
    QCOMPARE(readBack.data, std::uint8_t{0x81});
    QCOMPARE(p.link.PipeBuf, (std::vector<std::uint8_t>{0x01, 0x81}));
    QCOMPARE(p.messages.texts(), QStringList{});

    // Unplugged while the link is open: the detach reaches the link while the program waits in its event
    // loop; the lamp turns red, the link still counts as open, and the next read tells the user.
    const DeviceHandle first = p.link.UsbDevCtx.deviceHandle;
    m_testbed->unplugModule();
    QVERIFY2(waitInEventLoop([&p] { return p.view.attachLamp == LampColor::LightRed; }), "no detach");
    QCOMPARE(p.link.UsbDevCtx.deviceHandle, DeviceHandle{0});
    QVERIFY(p.link.UsbOpen);
    QVERIFY(traces.lines(QStringLiteral("vtx.link"))
                .contains(QStringLiteral("DeviceDetach: Received detach for device handle &H") +
                          QString::number(first, 16).toUpper()));
    const protocol::I2cReply gone = p.dcpPanel.exchange(read);
    QCOMPARE(gone.count, std::uint8_t{0});
    QCOMPARE(gone.data, std::uint8_t{0});
    QCOMPARE(p.messages.texts(),
             QStringList{QStringLiteral("ReadPipe: WDU_GetDeviceInfo() failed:\nerror &H4 "
                                        "(No such device (it may have been disconnected))\n")});
    p.messages.clear();

    // Plugged in again: a new attach, and commands work again without reopening the link.
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    QVERIFY2(waitInEventLoop([&p] { return p.link.UsbDevCtx.deviceHandle != 0; }),
             "no attach after replugging");
    QCOMPARE(p.view.attachLamp, LampColor::LightGreen);
    QVERIFY(p.link.UsbDevCtx.deviceHandle != first);
    const protocol::I2cReply again = p.dcpPanel.exchange(read);
    QCOMPARE(again.count, std::uint8_t{1});
    QCOMPARE(again.data, std::uint8_t{0x81});
    QCOMPARE(p.messages.texts(), QStringList{});

    // Closing resets the module and releases libusb.
    p.dcpPanel.Disconnect_USB();
    QVERIFY(!p.link.UsbOpen);
    QVERIFY(!p.driver.isInitialised());
    QCOMPARE(p.view.closedPaints, 1);
    QCOMPARE(p.messages.texts(), QStringList{});
}

void TestLibusbLink::openingWithoutModule()
{
    Program& p = *m_program;
    p.dcpPanel.Connect_Usb();
    QVERIFY(!p.link.UsbOpen);
    QVERIFY(!p.link.UsbOK);
    QCOMPARE(p.link.UsbDevCtx.deviceHandle, DeviceHandle{0});
    QCOMPARE(p.messages.texts(),
             QStringList{QStringLiteral("WriteGPIOPipe: WDU_GetDeviceInfo() failed:\nerror &H4 "
                                        "(No such device (it may have been disconnected))\n")});
    QCOMPARE(p.view.attachPaints, 0);
}

void TestLibusbLink::transferFailuresReachTheUser()
{
    QString error;
    QVERIFY2(m_testbed->plugModule(error), qPrintable(error));
    Program& p = *m_program;
    p.dcpPanel.Connect_Usb();
    QVERIFY(p.link.UsbOpen);
    TraceRecorder traces;

    // The emulated module knows only the scripted wiper code; any other write fails on the bus with an I/O
    // error, traced and silent for the user.
    p.link.PipeNum = p.link.I2COutPipe;
    p.link.PipeBuf = protocol::writeByte(kDcpWriteAddress, 0x82).request;
    p.link.PipeLen = static_cast<std::uint32_t>(p.link.PipeBuf.size());
    p.dcpPanel.WritePipe();
    QCOMPARE(p.link.UsbStatus, DriverStatus::IoError);
    QVERIFY2(
        traces.lines(QStringLiteral("vtx.link"))
            .contains(QStringLiteral("WritePipe: WDU_Transfer() failed: error &H9 (Input/Output Error)")),
        qPrintable(traces.lines(QStringLiteral("vtx.link")).join(u'\n')));
    QCOMPARE(p.messages.texts(), QStringList{});

    // A read the module does not answer (it never replies on the kind-2 pipe) fails at once on the
    // emulation; the user reads libusb's words and the reply stays cleared.
    p.link.PipeNum = protocol::replyPipeFor(2);
    p.link.PipeLen = 2;
    p.link.PipeBuf.assign(2, 0);
    p.dcpPanel.ReadPipe();
    QCOMPARE(p.link.UsbStatus, DriverStatus::IoError);
    QCOMPARE(p.messages.texts(),
             QStringList{QStringLiteral("ReadPipe: WDU_Transfer() failed: error &H9 (Input/Output Error)")});
    QCOMPARE(p.link.PipeBuf, (std::vector<std::uint8_t>{0x00, 0x00}));

    // A failed transfer is not an unplug: the module stays attached and the link open.
    yieldEvents(10);
    QVERIFY(p.link.UsbOpen);
    QVERIFY(p.link.UsbDevCtx.deviceHandle != 0);
    QCOMPARE(p.view.attachLamp, LampColor::LightGreen);
    QCOMPARE(p.driver.openDeviceCount(), std::size_t{1});
    p.dcpPanel.Disconnect_USB();
    QVERIFY(!p.driver.isInitialised());
}

QTEST_GUILESS_MAIN(TestLibusbLink)
#include "tst_libusblink.moc"
