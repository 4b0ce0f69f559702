// SPDX-License-Identifier: GPL-3.0-or-later
// Timed reads on the DCP panel ("mSec Interval" set, "Read Timer Controlled" checked) on the simulated
// board: ticks per second, sampled every second, summed up per minute, and resident memory before and after
// the run. Ticks are the panel's own count of the timer ticks it ran (dropped ticks are counted apart).
// Memory is read after a warm-up, so that what the first ticks allocate once is not counted as growth.
//
// With --with-log the transfer log window is open during the run, following every transfer; its figures are
// then shown for reference next to the goals, which are for the panel alone.
//
// Run: bench_timed_reads --interval MS --seconds S [--goal TICKS_PER_S] [--id ID] [--warm-up S] [--with-log]
//      (QT_QPA_PLATFORM=offscreen, Release build)
#include "benchprogram.h"
#include "benchstats.h"
#include "transferlog/transferlogwindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

using namespace vtxbench;

namespace {

constexpr long kMemoryGrowthLimitKb = 1024;

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int interval = intOption(arguments, "--interval", 10);
    const int seconds = intOption(arguments, "--seconds", 60);
    const int warmUp = intOption(arguments, "--warm-up", 5);
    const int goal = intOption(arguments, "--goal", interval > 0 ? 1000 / interval : 0);
    const int idAt = static_cast<int>(arguments.indexOf(QStringLiteral("--id")));
    const QString id =
        idAt >= 0 && idAt + 1 < arguments.size() ? arguments.at(idAt + 1) : QStringLiteral("3");

    Program program;
    DcpPanel panel(program);
    if (!panel.load())
        fail(QStringLiteral("the DCP panel did not load"));
    const bool withLog = arguments.contains(QStringLiteral("--with-log"));
    std::unique_ptr<vtx::TransferLogWindow> log;
    if (withLog) {
        log = std::make_unique<vtx::TransferLogWindow>(program.link, program.messages, program.fileDialogs);
        log->show();
    }
    panel.setText(QStringLiteral("txtDelay"), QString::number(interval));
    panel.setChecked(QStringLiteral("chkReadTimer"), true);

    runFor(warmUp * 1000);
    if (panel.ticksRun() == 0)
        fail(QStringLiteral("the timer did not tick"));

    const long rssStartKb = residentKb();
    const std::uint64_t ticksStart = panel.ticksRun();
    const int droppedStart = panel.droppedTicks();
    const std::int64_t cpuStartUs = cpuMicroseconds();

    std::vector<double> perSecond;
    std::vector<double> perMinute;
    std::uint64_t lastTicks = ticksStart;
    std::uint64_t minuteTicks = ticksStart;
    QElapsedTimer run;
    QElapsedTimer second;
    QElapsedTimer minute;
    QEventLoop loop;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    sampler.setInterval(1000);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const std::uint64_t now = panel.ticksRun();
        perSecond.push_back(static_cast<double>(now - lastTicks) * 1e9 /
                            static_cast<double>(second.nsecsElapsed()));
        second.start();
        lastTicks = now;
        if (perSecond.size() % 60 == 0) {
            const double rate =
                static_cast<double>(now - minuteTicks) * 1e9 / static_cast<double>(minute.nsecsElapsed());
            perMinute.push_back(rate);
            minute.start();
            minuteTicks = now;
            printLine(QStringLiteral("minute %1: %2 ticks/s, VmRSS %3 kB")
                          .arg(perMinute.size())
                          .arg(number(rate, 1))
                          .arg(residentKb()));
        }
        if (perSecond.size() >= static_cast<std::size_t>(seconds))
            loop.quit();
    });
    run.start();
    second.start();
    minute.start();
    sampler.start();
    loop.exec();
    sampler.stop();
    const double elapsedS = static_cast<double>(run.nsecsElapsed()) / 1e9;
    const std::uint64_t ticks = panel.ticksRun() - ticksStart;
    const int dropped = panel.droppedTicks() - droppedStart;
    const double cpuMsPerS = static_cast<double>(cpuMicroseconds() - cpuStartUs) / 1000.0 / elapsedS;
    const long rssEndKb = residentKb();

    panel.click(QStringLiteral("cmdStopTimer"));
    QCoreApplication::processEvents();
    if (program.messages.count > 0)
        fail(QStringLiteral("a message came up: ") + program.messages.last);
    // Nothing was written, so the wiper holds its power-up position; what matters is that the read worked.
    const QString lastRead = panel.text(QStringLiteral("txtHexDataRead"));
    if (lastRead.size() != 2 || lastRead == QLatin1String("--"))
        fail(QStringLiteral("the last read shows ") + lastRead);

    // A run shorter than a minute is judged as a whole.
    const bool wholeMinutes = !perMinute.empty();
    if (!wholeMinutes)
        perMinute.push_back(static_cast<double>(ticks) / elapsedS);
    const Summary seconds1 = summarize(perSecond);
    const double slowestMinute = *std::min_element(perMinute.begin(), perMinute.end());
    const double average = static_cast<double>(ticks) / elapsedS;
    const long growthKb = rssEndKb - rssStartKb;

    printLine(QStringLiteral("interval %1 ms, %2 s after %3 s warm-up: %4 ticks (%5 ticks/s), %6 dropped, "
                             "CPU %7 ms per s")
                  .arg(interval)
                  .arg(number(elapsedS, 1))
                  .arg(warmUp)
                  .arg(ticks)
                  .arg(number(average, 1))
                  .arg(dropped)
                  .arg(number(cpuMsPerS, 0)));
    printLine(QStringLiteral("ticks/s per 1-s window: %1").arg(figure(seconds1, "ticks/s", 1)));
    QStringList minutes;
    for (const double rate : perMinute)
        minutes << number(rate, 1);
    printLine(QStringLiteral("ticks/s per minute: %1").arg(minutes.join(QStringLiteral(", "))));
    printLine(QStringLiteral("VmRSS %1 kB -> %2 kB (%3%4 kB), VmHWM %5 kB")
                  .arg(rssStartKb)
                  .arg(rssEndKb)
                  .arg(growthKb >= 0 ? QStringLiteral("+") : QString())
                  .arg(growthKb)
                  .arg(residentKb("VmHWM:")));

    const QString length = seconds >= 60 && seconds % 60 == 0 ? QStringLiteral("%1 min").arg(seconds / 60)
                                                              : QStringLiteral("%1 s").arg(seconds);
    const QString window = withLog ? QStringLiteral(" with the transfer log open") : QString();
    const auto report = [withLog](const QString& goalId, const QString& what, const QString& figureText,
                                  const QString& goalText, bool met) {
        if (withLog)
            printReference(qPrintable(goalId), what, figureText,
                           QStringLiteral("the panel alone: ") + goalText);
        else
            printGoal(qPrintable(goalId), what, figureText, goalText, met);
    };
    report(id,
           QStringLiteral("Timed reads at %1 ms%2, %3 run: ticks/s per 1-s window")
               .arg(interval)
               .arg(window, length),
           figure(seconds1, "ticks/s", 1) +
               (wholeMinutes ? QStringLiteral("; slowest minute %1") : QStringLiteral("; whole run %1"))
                   .arg(number(slowestMinute, 1)),
           QStringLiteral(">= %1 ticks/s every minute").arg(goal), slowestMinute >= goal);
    report(id + QStringLiteral("-mem"),
           QStringLiteral("Timed reads at %1 ms%2, %3 run: VmRSS growth after warm-up")
               .arg(interval)
               .arg(window, length),
           QStringLiteral("%1 kB -> %2 kB: %3 kB").arg(rssStartKb).arg(rssEndKb).arg(growthKb),
           QStringLiteral("< %1 kB").arg(kMemoryGrowthLimitKb), growthKb < kMemoryGrowthLimitKb);
    return 0;
}
