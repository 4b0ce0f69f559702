// SPDX-License-Identifier: GPL-3.0-or-later
// How long the link takes for the things a user waits on, measured on the simulated board so that only our
// own code (and its counted yields) is timed: opening the link with the DCP panel's settings, one DCP write
// with its reply, and a whole bracketed transaction. Run: build/bench/bench_link [-iterations N]
#include "common/clock.h"
#include "common/yield.h"
#include "engine/session.h"

#include <QtTest>

using namespace vtx;

namespace {

class QuietMessages final : public Reporter {
public:
    void report(const QString&, const QString&) override {}
};

struct Bench {
    QuietMessages messages;
    Session session{simulatedBoardOn(std::make_unique<SteadyClock>()), kDcpPanelLink, messages};
    LinkClient& client = session.client();
};

} // namespace

class BenchLink : public QObject {
    Q_OBJECT
private slots:
    void openAndClose()
    {
        Bench b;
        QBENCHMARK
        {
            b.client.Connect_Usb();
            b.client.Disconnect_USB();
        }
    }

    void oneWriteWithReply()
    {
        Bench b;
        b.client.Connect_Usb();
        QBENCHMARK
        {
            b.client.exchange(protocol::writeByte(0x9E, 0x81));
        }
        b.client.Disconnect_USB();
    }

    // The gap between a write and its read-back when each runs in its own connection bracket (close, then
    // open again), as "Auto Read" does: the simulated EEPROM write cycle has to be shorter than this, or a
    // read-back after an EEPROM write finds the part still busy.
    void writeToReadBackGap()
    {
        Bench b;
        b.client.Connect_Usb();
        QBENCHMARK
        {
            b.client.exchange(protocol::writeByte(0x9E, 0x80));
            b.client.Disconnect_USB();
            b.client.Connect_Usb();
        }
        b.client.Disconnect_USB();
    }
};

QTEST_GUILESS_MAIN(BenchLink)
#include "bench_link.moc"
