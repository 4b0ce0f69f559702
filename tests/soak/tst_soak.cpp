// SPDX-License-Identifier: GPL-3.0-or-later
#include "dcp/dcppanelwindow.h"
#include "namedchild.h"
#include "regtool/registertoolwindow.h"
#include "simfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <random>

using namespace vtx;
using namespace vtx::test;

namespace {

constexpr std::uint32_t kDefaultSeed = 20261206;
constexpr int kDefaultSteps = 2000;
constexpr std::uint32_t kI2cOut = 3;
constexpr std::uint32_t kI2cIn = 0x83;
constexpr qsizetype kObjectSlack = 50;
constexpr int kCheckpointEvery = 250;

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariable(name).toInt(&ok);
    return ok ? value : fallback;
}

// The DCP panel and the register tool on one simulated board, driven by a seeded random sequence of user
// actions and faults. Time moves only on the fixture's manual clock.
struct Soak {
    SimFixture f;
    dcp::DcpPanelWindow panel{f.context};
    std::unique_ptr<RegisterToolWindow> tool;
    std::uint32_t seed;
    std::mt19937 rng;
    int step = 0;
    std::deque<QString> recent; // the last actions, for failure output
    bool awaitingReply = false; // an I2C command went out and its reply has not been read yet
    QString wireFault;          // the first interleaving found in the transfer log
    int plugBackAt = -1;
    int answerAgainAt = -1;
    int shortCycleAt = -1;

    explicit Soak(std::uint32_t s) : seed(s), rng(s)
    {
        f.recorder.setRecording(true, 20000);
        panel.show();
        panel.Form_Load();
        tool = std::make_unique<RegisterToolWindow>(f.context);
        tool->show();
        f.board.setTransferTimeMs(1);
        f.recorder.clearTransferLog();
    }

    template <typename T = QPushButton> T* p(const char* name) const { return namedChild<T>(&panel, name); }
    template <typename T = QPushButton> T* t(const char* name) const
    {
        return namedChild<T>(tool.get(), name);
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(int percent) { return pick(0, 99) < percent; }

    void note(const QString& action)
    {
        recent.push_back(QStringLiteral("%1: %2").arg(step).arg(action));
        if (recent.size() > 20)
            recent.pop_front();
    }
    QString failure(const QString& what) const
    {
        QStringList lines{QStringLiteral("seed %1, step %2: %3").arg(seed).arg(step).arg(what),
                          QStringLiteral("last actions:")};
        for (const QString& action : recent)
            lines << QStringLiteral("  ") + action;
        return lines.join(u'\n');
    }

    // Every I2C command is followed by its reply read before the next command goes out, unless the command
    // itself failed on the link. Consumes the recorder's log so that the ring never drops a record unseen.
    void checkWire()
    {
        for (const TransferRecord& r : f.recorder.transferLog()) {
            if (r.pipe == kI2cOut && r.direction == TransferDirection::Write) {
                if (awaitingReply && wireFault.isEmpty())
                    wireFault = QStringLiteral("I2C command %1 went out before the previous reply was read")
                                    .arg(hexBytes(r.bytes));
                awaitingReply = r.status == DriverStatus::Success;
            } else if (r.pipe == kI2cIn && r.direction == TransferDirection::Read) {
                awaitingReply = false;
            }
        }
        f.recorder.clearTransferLog();
    }

    // The user's actions; a name and what it does.
    struct Action {
        const char* name;
        std::function<void()> run;
    };
    std::vector<Action> actions()
    {
        const auto toggle = [this](const char* name) {
            auto* box = p<QCheckBox>(name);
            box->setChecked(!box->isChecked());
        };
        const auto timer = [this, toggle](const char* name) {
            p<QLineEdit>("txtDelay")->setText(QStringLiteral("0"));
            toggle(name);
        };
        const auto testAddress = [this](const char* address) {
            t<QLineEdit>("txtI2CADR")->setText(QLatin1String(address));
            t("cmdTestComm")->click();
        };
        return {
            {"list position", [this] { p<QListWidget>("List1_0")->setCurrentRow(pick(0, 127)); }},
            {"slider position", [this] { p<QSlider>("Slider1_0")->setValue(pick(1, 128)); }},
            {"EEPROM mode", [this] { p<QRadioButton>("Option1_0")->click(); }},
            {"Register mode", [this] { p<QRadioButton>("Option1_1")->click(); }},
            {"I2C-Write", [this] { p("CMDxMIT")->click(); }},
            {"I2C-Read", [this] { p("cmdI2Read")->click(); }},
            {"panel USB Connect", [this] { p("cmdUSBConnect")->click(); }},
            {"panel USB Disconnect", [this] { p("cmdUSBDisconnect")->click(); }},
            {"Auto Read toggle", [toggle] { toggle("ChkAutoRead"); }},
            {"Ignore Fails toggle", [toggle] { toggle("chkFailIgnore"); }},
            {"write timer toggle", [timer] { timer("chkWriteTimer"); }},
            {"read timer toggle", [timer] { timer("chkReadTimer"); }},
            {"timer tick", [this] { panel.timedTransfers().tick(); }},
            {"timer tick", [this] { panel.timedTransfers().tick(); }},
            {"Stop Timer", [this] { p("cmdStopTimer")->click(); }},
            {"tool single read", [this] { t("cmdRead")->click(); }},
            {"tool test C0", [testAddress] { testAddress("C0"); }},
            {"tool test 9E", [testAddress] { testAddress("9E"); }},
            {"tool read bank", [this] { t("cmdReadRegs")->click(); }},
            {"tool write all", [this] { t("cmdwriteAll")->click(); }},
            {"tool manual toggle", [this] { t<QCheckBox>("ChKManUsbConn")->click(); }},
            {"tool USB Connect", [this] { t("cmdUSBConnect")->click(); }},
            {"tool USB Disconnect", [this] { t("cmdUSBDisconnect")->click(); }},
        };
    }

    // Now and then a fault, undone a few steps later.
    void maybeFault()
    {
        if (step == plugBackAt && !f.board.isPluggedIn()) {
            f.board.plug();
            note(QStringLiteral("plug"));
        }
        if (step == answerAgainAt) {
            f.board.setDeviceAnswers(0x9E, true);
            f.board.setDeviceAnswers(0xC0, true);
            note(QStringLiteral("devices answer again"));
        }
        if (step == shortCycleAt) {
            f.board.dcp().setWriteCycleMs(SimVtx8303::kDefaultWriteCycleMs);
            note(QStringLiteral("short EEPROM cycle"));
        }
        if (!chance(6))
            return;
        switch (pick(0, 4)) {
        case 0:
            if (f.board.isPluggedIn()) {
                f.board.unplug();
                plugBackAt = step + pick(1, 6);
                note(QStringLiteral("unplug"));
            }
            break;
        case 1: {
            const std::uint8_t address = chance(50) ? 0x9E : 0xC0;
            f.board.setDeviceAnswers(address, false);
            answerAgainAt = step + pick(1, 6);
            note(QStringLiteral("device %1 stops answering").arg(int(address), 2, 16));
            break;
        }
        case 2:
            f.board.failPipe(kI2cIn, DriverStatus::Timeout, 1);
            note(QStringLiteral("fail pipe 0x83 once (timeout)"));
            break;
        case 3: {
            const int length = pick(0, 1);
            f.board.shortenNextReply(kI2cIn, std::size_t(length));
            note(QStringLiteral("shorten next reply to %1").arg(length));
            break;
        }
        default:
            f.board.dcp().setWriteCycleMs(30);
            shortCycleAt = step + pick(1, 10);
            note(QStringLiteral("long EEPROM cycle (30 ms)"));
        }
    }

    // The program settles (faults cleared, module plugged, timers stopped, manual connection off, link
    // closed); then one position chosen in Register mode reaches the part and nothing overwrites it. Returns
    // what went wrong, or nothing.
    QString checkpoint()
    {
        note(QStringLiteral("settle"));
        f.board.clearFaults();
        f.board.setDeviceAnswers(0x9E, true);
        f.board.setDeviceAnswers(0xC0, true);
        f.board.dcp().setWriteCycleMs(SimVtx8303::kDefaultWriteCycleMs);
        if (!f.board.isPluggedIn())
            f.board.plug();
        const QString neverRan = QStringLiteral("queued requests never ran");
        if (!settle())
            return neverRan;
        p("cmdStopTimer")->click();
        if (f.state.ManualUsbConn)
            t<QCheckBox>("ChKManUsbConn")->click();
        if (f.link.UsbOpen)
            p("cmdUSBDisconnect")->click();
        f.clock.advance(100); // any EEPROM write cycle is over
        if (!settle())
            return neverRan;
        if (f.link.UsbOpen)
            return QStringLiteral("the link stayed open after settling");
        if (p<QCheckBox>("chkWriteTimer")->isChecked() || p<QCheckBox>("chkReadTimer")->isChecked())
            return QStringLiteral("a timer box stayed checked after Stop Timer");
        checkWire();
        if (!wireFault.isEmpty())
            return wireFault;

        p<QRadioButton>("Option1_1")->click();
        auto* list = p<QListWidget>("List1_0");
        int position = pick(1, 128);
        if (position - 1 == list->currentRow())
            position = position % 128 + 1;
        note(QStringLiteral("list position %1 (checked)").arg(position));
        f.recorder.clearTransferLog();
        list->setCurrentRow(position - 1);
        if (!settle())
            return neverRan;
        if (f.board.dcp().wiperCode() != position - 1)
            return QStringLiteral("wiper code %1 after choosing position %2")
                .arg(f.board.dcp().wiperCode())
                .arg(position);
        // The DCP writes of this position (`same`) or of another one, the newest first.
        const auto log = f.recorder.transferLog();
        const auto dcpWrite = [&](const TransferRecord& r, bool same) {
            return r.pipe == kI2cOut && r.direction == TransferDirection::Write && r.bytes.size() == 3 &&
                   r.bytes[0] == 0x01 && r.bytes[1] == 0x9E && (r.bytes[2] == 2 * (position - 1) + 1) == same;
        };
        const auto last = std::find_if(log.rbegin(), log.rend(), [&](const TransferRecord& r) {
            return dcpWrite(r, true) && r.status == DriverStatus::Success;
        });
        if (last == log.rend())
            return QStringLiteral("position %1 was never written").arg(position);
        const auto later =
            std::find_if(log.rbegin(), last, [&](const TransferRecord& r) { return dcpWrite(r, false); });
        if (later != last)
            return QStringLiteral("%1 written after position %2").arg(hexBytes(later->bytes)).arg(position);
        checkWire();
        return wireFault;
    }

    bool settle()
    {
        for (int i = 0; i < 10000; ++i) {
            QCoreApplication::processEvents();
            if (f.link.guard().pendingCount() == 0 && !f.link.guard().busy())
                return true;
        }
        return false;
    }

    qsizetype liveObjects()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return panel.findChildren<QObject*>().size() + tool->findChildren<QObject*>().size() +
               QApplication::allWidgets().size();
    }
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void randomUserActionsAndFaults()
    {
        const auto seed = std::uint32_t(envInt("VTX_SOAK_SEED", int(kDefaultSeed)));
        const int steps = std::max(1, envInt("VTX_SOAK_STEPS", kDefaultSteps));
        qInfo("soak: seed %u, %d steps", seed, steps);
        Soak s(seed);
        const auto actions = s.actions();
        const int warmUp = std::min(200, steps / 2);
        qsizetype objectsAtStart = 0;
        std::size_t messagesSeen = 0;

        for (s.step = 0; s.step < steps; ++s.step) {
            QVERIFY2(!s.f.link.guard().busy(), qPrintable(s.failure("a transaction runs between steps")));
            if (s.step == warmUp)
                objectsAtStart = s.liveObjects();
            s.maybeFault();
            s.f.clock.advance(s.pick(0, 8));
            const Soak::Action& action = actions[std::size_t(s.pick(0, int(actions.size()) - 1))];
            if (s.chance(20)) {
                // Posted now, it lands inside the yields of the transaction the next action starts.
                s.note(QStringLiteral("queued %1").arg(QLatin1String(action.name)));
                QMetaObject::invokeMethod(&s.panel, action.run, Qt::QueuedConnection);
                const Soak::Action& next = actions[std::size_t(s.pick(0, int(actions.size()) - 1))];
                s.note(QLatin1String(next.name));
                next.run();
            } else {
                s.note(QLatin1String(action.name));
                action.run();
            }
            QVERIFY2(s.settle(), qPrintable(s.failure("queued requests never ran")));
            s.checkWire();
            QVERIFY2(s.wireFault.isEmpty(), qPrintable(s.failure(s.wireFault)));
            messagesSeen += s.f.messages.messages.size();
            s.f.messages.clear();
            if (s.step % kCheckpointEvery == kCheckpointEvery - 1 || s.step + 1 == steps) {
                const QString error = s.checkpoint();
                QVERIFY2(error.isEmpty(), qPrintable(s.failure(error)));
            }
        }
        const qsizetype objectsAtEnd = s.liveObjects();
        QVERIFY2(objectsAtEnd <= objectsAtStart + kObjectSlack,
                 qPrintable(s.failure(QStringLiteral("%1 live objects after the warm-up, %2 at the end")
                                          .arg(objectsAtStart)
                                          .arg(objectsAtEnd))));
        qInfo("soak: seed %u done, %zu message boxes answered, %lld objects at the start, %lld at the end",
              seed, messagesSeen, qlonglong(objectsAtStart), qlonglong(objectsAtEnd));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
