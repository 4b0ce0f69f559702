// SPDX-License-Identifier: GPL-3.0-or-later
// "I2C-Write" with "Auto Read" on the DCP panel, timed per click on the simulated board:
//   auto     the panel's automatic connection bracket (its default): the click opens the link, writes,
//            reads back and closes the link;
//   reopen   "USB Connect" before each click (not timed): the link is open when the click starts, but the
//            panel closes it when the click's transaction ends, so the timed click includes that close;
//   held     the link held open for good: the write and read-back exchange a click makes, through the
//            engine on a link opened once (the panel itself keeps a link open only until its next
//            transaction).
// Each click comes from its own event of the running event loop, as a user's click does, and is timed from
// click() until the loop has worked through what the click left behind (the panel's repaint, deletions);
// see timeRounds(). The event-loop passes a click makes are counted in a separate run.
//
// Run: bench_dcp_click [--reps N] [--case auto|reopen|held]      (QT_QPA_PLATFORM=offscreen, Release build)
// --case runs one case only (for a profiler); its verdict line is printed all the same.
#include "benchprogram.h"
#include "benchstats.h"
#include "engine/session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

using namespace vtxbench;

namespace {

// A link opened once and kept open, with the VTX8303 on it, as the engine's front ends use it.
struct HeldLink {
    class NoReports final : public vtx::Reporter {
    public:
        void report(const QString&, const QString&) override {}
    };

    explicit HeldLink(Program& program) : session(program.link, vtx::kDcpPanelLink, reporter)
    {
        session.open();
    }

    NoReports reporter;
    vtx::Session session; // closes the link it holds when it goes
    vtx::DcpDevice& dcp = session.dcp();
};

constexpr double kAutoGoalUs = 300;
constexpr double kHeldGoalUs = 50;
constexpr int kWarmUp = 50;
constexpr int kCountedClicks = 50;

struct Case {
    Summary clickUs; // click() alone
    Summary totalUs; // click() until the event loop has done what it left behind
    double passesPerClick = 0;
};

void flushEvents()
{
    QCoreApplication::processEvents();
}

Case timeClicks(Program& program, DcpPanel& panel, int reps, const std::function<void()>& prepare,
                const std::function<void()>& checkLink)
{
    QAbstractButton* const write = panel.button(QStringLiteral("CMDxMIT"));
    auto click = [write] { write->click(); };
    auto check = [&] {
        checkLink();
        if (program.messages.count > 0)
            fail(QStringLiteral("a message came up: ") + program.messages.last);
        // Position 1 in Register mode writes 01; the wiper reads back as 00.
        if (panel.text(QStringLiteral("txtHexDataRead")) != QLatin1String("00"))
            fail(QStringLiteral("the read-back shows ") + panel.text(QStringLiteral("txtHexDataRead")));
    };
    timeRounds(kWarmUp, prepare, click, check);
    const RoundTimes counted = timeRounds(kCountedClicks, prepare, click, check, true);
    const RoundTimes timed = timeRounds(reps, prepare, click, check);
    Case result;
    result.clickUs = summarize(timed.actionUs);
    result.totalUs = summarize(timed.totalUs);
    result.passesPerClick = static_cast<double>(counted.passes) / kCountedClicks;
    return result;
}

void report(const char* name, const Case& c, const Summary& passUs)
{
    printLine(QStringLiteral("%1: click, until the loop is idle  %2")
                  .arg(QLatin1String(name), figure(c.totalUs, "µs", 1)));
    printLine(QStringLiteral("%1: click() alone                 %2")
                  .arg(QLatin1String(name), figure(c.clickUs, "µs", 1)));
    printLine(QStringLiteral("%1: event-loop passes inside one click: %2 (x %3 µs per idle pass = %4 µs)")
                  .arg(QLatin1String(name), number(c.passesPerClick, 0), number(passUs.median, 2),
                       number(c.passesPerClick * passUs.median, 0)));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int reps = intOption(arguments, "--reps", 500);
    const int caseAt = static_cast<int>(arguments.indexOf(QStringLiteral("--case")));
    const QString only = caseAt >= 0 && caseAt + 1 < arguments.size() ? arguments.at(caseAt + 1) : QString();
    auto runs = [&](const char* name) { return only.isEmpty() || only == QLatin1String(name); };

    Program program;
    DcpPanel panel(program);
    if (!panel.load())
        fail(QStringLiteral("the DCP panel did not load"));
    panel.setChecked(QStringLiteral("ChkAutoRead"), true);
    flushEvents();

    {
        PassCounter counter;
        const double perCall = counter.calibrate();
        if (perCall < 0.99 || perCall > 1.01)
            printLine(
                QStringLiteral("note: %1 counted passes per processEvents() call").arg(number(perCall, 2)));
    }
    const Summary passUs = processEventsCostUs();
    printLine(QStringLiteral("one idle event-loop pass (processEvents): %1").arg(figure(passUs, "µs", 2)));

    const auto us = [](double v) { return number(v, 0) + QStringLiteral(" µs"); };

    // The panel's default: every click brackets its transfers with an open and a close.
    if (runs("auto")) {
        const Case automatic = timeClicks(
            program, panel, reps, [] {},
            [&] {
                if (program.linkOpen())
                    fail(QStringLiteral("the link stayed open after an automatic click"));
            });
        report("auto", automatic, passUs);
        printGoal("1a", QStringLiteral("I2C-Write + Auto Read, automatic connection bracket, per click"),
                  figure(automatic.totalUs, "µs", 1), QStringLiteral("median <= ") + us(kAutoGoalUs),
                  automatic.totalUs.median <= kAutoGoalUs);
    }

    // "USB Connect" first: the click finds the link open and closes it at its end.
    if (runs("reopen")) {
        const Case reopened = timeClicks(
            program, panel, reps,
            [&] {
                panel.click(QStringLiteral("cmdUSBConnect"));
                if (!program.linkOpen())
                    fail(QStringLiteral("\"USB Connect\" did not open the link"));
            },
            [] {});
        report("reopen", reopened, passUs);
        // Not the held-open goal: the panel closes a link opened by "USB Connect" when the click's
        // transaction ends, so each click here includes that close.
        printReference(
            "1b'",
            QStringLiteral("I2C-Write + Auto Read, USB Connect before each click (click includes the close)"),
            figure(reopened.totalUs, "µs", 1),
            QStringLiteral("1b's goal (median <= ") + us(kHeldGoalUs) +
                QStringLiteral(") is for a held link"));
    }

    // The link held open: the panel keeps a link opened by "USB Connect" only until its next transaction
    // ends, so this is the write and read-back exchange such a click makes, through the engine on a link
    // opened once (as a sweep or a script does), without a window.
    if (runs("held")) {
        HeldLink held(program);
        std::vector<double> samples;
        for (int i = 0; i < kWarmUp + reps; ++i) {
            QElapsedTimer timer;
            timer.start();
            const bool ok = held.dcp.write(0x9E, 0x81).ok() && held.dcp.read(0x9F).ok();
            const double elapsedUs = double(timer.nsecsElapsed()) / 1000.0;
            if (!ok)
                fail(QStringLiteral("a write or read on the held link failed"));
            if (i >= kWarmUp)
                samples.push_back(elapsedUs);
        }
        printGoal("1b", QStringLiteral("Write + read-back exchange, link held open (engine, no window)"),
                  figure(summarize(samples), "µs", 1), QStringLiteral("median <= ") + us(kHeldGoalUs),
                  summarize(samples).median <= kHeldGoalUs);
    }
    return 0;
}
