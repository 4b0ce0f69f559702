// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the goal benchmarks share apart from the program itself: samples summed up as min / median / max,
// the verdict line scripts/bench.sh collects, resident memory, process CPU time, event-loop passes and
// clicks timed from a running event loop. Qt and POSIX only; nothing here knows the program's classes.

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace vtxbench {

struct Summary {
    double min = 0;
    double median = 0;
    double max = 0;
    std::size_t n = 0;
};

inline Summary summarize(std::vector<double> samples)
{
    Summary s;
    s.n = samples.size();
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    s.min = samples.front();
    s.max = samples.back();
    const std::size_t mid = samples.size() / 2;
    s.median = samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
    return s;
}

inline QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

inline QString figure(const Summary& s, const char* unit, int decimals)
{
    return QStringLiteral("%1 / %2 / %3 %4 (n=%5)")
        .arg(number(s.min, decimals), number(s.median, decimals), number(s.max, decimals),
             QString::fromUtf8(unit))
        .arg(s.n);
}

inline void printLine(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// One goal's outcome, as one tab-separated line that scripts/bench.sh turns into its summary table:
// GOAL, id, what was measured, min / median / max, the goal, MET or NOT MET.
inline void printGoal(const char* id, const QString& what, const QString& figureText, const QString& goal,
                      bool met)
{
    printLine(QStringLiteral("GOAL\t%1\t%2\t%3\t%4\t%5")
                  .arg(QLatin1String(id), what, figureText, goal,
                       met ? QStringLiteral("MET") : QStringLiteral("NOT MET")));
}

// A figure shown next to the goals for comparison, which is not a goal itself.
inline void printReference(const char* id, const QString& what, const QString& figureText,
                           const QString& compareWith)
{
    printLine(QStringLiteral("GOAL\t%1\t%2\t%3\t%4\tFOR REFERENCE")
                  .arg(QLatin1String(id), what, figureText, compareWith));
}

// Resident memory from /proc/self/status, in kB (0 where there is no /proc).
inline long residentKb(const char* field = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key(field);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// User plus system CPU time this process has used so far, in microseconds.
inline std::int64_t cpuMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (std::int64_t{usage.ru_utime.tv_sec} + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec +
           usage.ru_stime.tv_usec;
}

// Counts the passes of the event loop (QCoreApplication::processEvents and the loop's own iterations), by
// the dispatcher's "awake" signal. calibrate() checks that one processEvents() is one count here.
class PassCounter {
public:
    PassCounter()
    {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            m_connection =
                QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] { ++m_count; });
    }
    ~PassCounter() { QObject::disconnect(m_connection); }
    PassCounter(const PassCounter&) = delete;
    PassCounter& operator=(const PassCounter&) = delete;

    std::uint64_t count() const { return m_count; }

    // Counts per processEvents() call (1.0 when the counter is to be trusted).
    double calibrate(int calls = 1000)
    {
        QCoreApplication::processEvents();
        const std::uint64_t before = m_count;
        for (int i = 0; i < calls; ++i)
            QCoreApplication::processEvents();
        return static_cast<double>(m_count - before) / calls;
    }

private:
    QMetaObject::Connection m_connection;
    std::uint64_t m_count = 0;
};

// What one pass of the event loop costs with nothing to do, in microseconds per call: the price of each
// yield the program makes. Taken in batches of 100 calls.
inline Summary processEventsCostUs(int batches = 200)
{
    std::vector<double> perCall;
    QElapsedTimer timer;
    for (int b = 0; b < batches; ++b) {
        timer.start();
        for (int i = 0; i < 100; ++i)
            QCoreApplication::processEvents();
        perCall.push_back(static_cast<double>(timer.nsecsElapsed()) / 100 / 1000.0);
    }
    return summarize(perCall);
}

// Times `action` (a click) `rounds` times, each round from its own event of a running event loop, as the
// window system delivers a user's click. A round runs `prepare` first, from an earlier event, so that what
// it sets off is over before the clock starts. The clock stops when an event posted right after `action`
// with the lowest priority arrives: by then the loop has worked through everything `action` left behind
// (the repaint, deletions, layout), so the figure is the whole software time of one click.
struct RoundTimes {
    std::vector<double> actionUs; // the call alone
    std::vector<double> totalUs;  // the call and the event-loop work it left behind
    std::uint64_t passes = 0;     // event-loop passes inside the calls, when counted
};

inline RoundTimes timeRounds(int rounds, const std::function<void()>& prepare,
                             const std::function<void()>& action, const std::function<void()>& check,
                             bool countPasses = false)
{
    class Sentinel final : public QObject {
    public:
        std::function<void()> arrived;

    protected:
        void customEvent(QEvent*) override { arrived(); }
    };

    RoundTimes times;
    QEventLoop loop;
    Sentinel sentinel;
    QElapsedTimer clock;
    qint64 actionNs = 0;
    int done = 0;
    std::function<void()> startRound;
    std::unique_ptr<PassCounter> counter;
    if (countPasses)
        counter = std::make_unique<PassCounter>();

    auto timedAction = [&] {
        const std::uint64_t passesBefore = counter ? counter->count() : 0;
        clock.start();
        action();
        actionNs = clock.nsecsElapsed();
        if (counter)
            times.passes += counter->count() - passesBefore;
        QCoreApplication::postEvent(&sentinel, new QEvent(QEvent::User), std::numeric_limits<int>::min());
    };
    sentinel.arrived = [&] {
        const qint64 totalNs = clock.nsecsElapsed();
        times.actionUs.push_back(static_cast<double>(actionNs) / 1000.0);
        times.totalUs.push_back(static_cast<double>(totalNs) / 1000.0);
        check();
        if (++done == rounds)
            loop.quit();
        else
            QMetaObject::invokeMethod(&sentinel, startRound, Qt::QueuedConnection);
    };
    startRound = [&] {
        prepare();
        QMetaObject::invokeMethod(&sentinel, timedAction, Qt::QueuedConnection);
    };
    if (rounds <= 0)
        return times;
    QMetaObject::invokeMethod(&sentinel, startRound, Qt::QueuedConnection);
    loop.exec();
    return times;
}

// "--name value" from the command line, or `fallback`.
inline int intOption(const QStringList& arguments, const char* name, int fallback)
{
    const int at = static_cast<int>(arguments.indexOf(QLatin1String(name)));
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    bool ok = false;
    const int value = arguments.at(at + 1).toInt(&ok);
    return ok ? value : fallback;
}

[[noreturn]] inline void fail(const QString& why)
{
    std::fprintf(stderr, "benchmark stopped: %s\n", qPrintable(why));
    std::exit(2);
}

} // namespace vtxbench
