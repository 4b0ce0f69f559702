// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to an idle DCP panel, and the CPU the idle panel uses, on the simulated board.
//
// The benchmark starts itself again as a child process, --runs times. The parent notes the monotonic clock
// just before it spawns the child; the child notes it on entering main(), after constructing QApplication,
// after building the program and the DCP panel, and once the panel's Form_Load() has finished (with its
// probe of the module and its 2000 settling yields). So "process start" includes fork, exec and loading the
// shared libraries. The program is put together as main.cpp does with --simulate, without the small
// start-up window that opens the panel.
//
// A last child then sits in its event loop with nothing of the benchmark's running in it (no timer); the
// parent waits one second for it to settle, then reads the CPU time of all its threads (/proc/PID/task/*/
// schedstat) and its wake-ups (voluntary context switches) over --idle-seconds 1-s windows.
//
// Run: bench_startup [--runs N] [--idle-seconds S]      (QT_QPA_PLATFORM=offscreen, Release build)
#include "benchprogram.h"
#include "benchstats.h"

#include <QApplication>
#include <QDir>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

extern char** environ;

using namespace vtxbench;

namespace {

constexpr double kStartupGoalMs = 100;
// "No CPU when idle": every 1-s window under 0.1 ms of CPU.
constexpr double kIdleLimitMsPerS = 0.1;
const char* const kSpawnVariable = "VTX_BENCH_SPAWN_NS";

// The monotonic clock, the same for every process on the machine (CLOCK_MONOTONIC on Linux).
std::int64_t monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of every thread of process `pid` so far, in nanoseconds, and its voluntary context switches
// (wake-ups after waiting), from /proc.
struct ProcessUse {
    std::int64_t cpuNs = 0;
    long wakeUps = 0;
};

ProcessUse processUse(pid_t pid)
{
    ProcessUse use;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            use.cpuNs += schedstat.readAll().split(' ').value(0).toLongLong();
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("voluntary_ctxt_switches:"))
                    use.wakeUps += line.mid(24).trimmed().toLong();
            }
        }
    }
    return use;
}

void sleepMs(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int child(int argc, char* argv[], std::int64_t mainNs, bool idle)
{
    const char* spawned = std::getenv(kSpawnVariable);
    const std::int64_t spawnNs = spawned ? std::stoll(spawned) : mainNs;
    QElapsedTimer sinceApp;
    sinceApp.start();
    QApplication app(argc, argv);
    const std::int64_t appNs = sinceApp.nsecsElapsed();

    Program program;
    DcpPanel panel(program);
    const std::int64_t windowNs = sinceApp.nsecsElapsed();
    if (!panel.load())
        fail(QStringLiteral("the DCP panel did not load"));
    const std::int64_t loadedNs = sinceApp.nsecsElapsed();
    const std::int64_t loadedMonotonicNs = monotonicNs();

    // process start -> main, main -> QApplication, QApplication -> panel built, show + Form_Load, process
    // start -> loaded, QApplication constructed -> loaded; all in microseconds.
    std::printf("STARTUP %lld %lld %lld %lld %lld %lld\n", static_cast<long long>((mainNs - spawnNs) / 1000),
                static_cast<long long>(appNs / 1000), static_cast<long long>((windowNs - appNs) / 1000),
                static_cast<long long>((loadedNs - windowNs) / 1000),
                static_cast<long long>((loadedMonotonicNs - spawnNs) / 1000),
                static_cast<long long>((loadedNs - appNs) / 1000));
    std::fflush(stdout);

    if (idle) {
        // Nothing of ours runs from here on, not even a timer: the parent watches from outside and ends us.
        std::printf("READY\n");
        std::fflush(stdout);
        return app.exec();
    }
    return program.messages.count == 0 ? 0 : 3;
}

// Starts this program as a child with `extra` arguments; its standard output comes through `readFd`.
pid_t startChild(const char* self, const QList<QByteArray>& extra, int& readFd)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        fail(QStringLiteral("no pipe"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);

    std::vector<QByteArray> argumentBytes{QByteArray(self), QByteArray("--child")};
    for (const QByteArray& e : extra)
        argumentBytes.push_back(e);
    std::vector<char*> childArgv;
    for (QByteArray& a : argumentBytes)
        childArgv.push_back(a.data());
    childArgv.push_back(nullptr);

    setenv(kSpawnVariable, std::to_string(monotonicNs()).c_str(), 1);
    pid_t pid = 0;
    const int spawnError = posix_spawn(&pid, self, &actions, nullptr, childArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawnError != 0)
        fail(QStringLiteral("could not start %1").arg(QString::fromLocal8Bit(self)));
    readFd = pipeFds[0];
    return pid;
}

// Reads the child's output until `until` appears in it (or the output ends).
QByteArray readUntil(int fd, const QByteArray& until)
{
    QByteArray output;
    char buffer[4096];
    while (until.isEmpty() || !output.contains(until)) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        output.append(buffer, n);
    }
    return output;
}

// Runs the child to its end and returns the lines it printed.
QList<QByteArray> runChild(const char* self)
{
    int fd = -1;
    const pid_t pid = startChild(self, {}, fd);
    const QByteArray output = readUntil(fd, {});
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(QStringLiteral("the child run failed (status %1)").arg(status));
    return output.split('\n');
}

int parent(const char* self, int runs, int idleSeconds)
{
    std::vector<double> toMain, toApp, toWindow, load, fromStart, fromApp;
    for (int i = 0; i < runs; ++i) {
        for (const QByteArray& line : runChild(self)) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 7 || f[0] != "STARTUP")
                continue;
            toMain.push_back(f[1].toDouble() / 1000);
            toApp.push_back(f[2].toDouble() / 1000);
            toWindow.push_back(f[3].toDouble() / 1000);
            load.push_back(f[4].toDouble() / 1000);
            fromStart.push_back(f[5].toDouble() / 1000);
            fromApp.push_back(f[6].toDouble() / 1000);
        }
    }
    if (fromStart.size() != static_cast<std::size_t>(runs))
        fail(QStringLiteral("a child printed no start-up times"));

    // The idle panel, watched from here: one second to settle after Form_Load, then 1-s windows.
    std::vector<double> idleCpu, wakeUps;
    {
        int fd = -1;
        const pid_t pid = startChild(self, {QByteArray("--idle")}, fd);
        if (!readUntil(fd, "READY").contains("READY"))
            fail(QStringLiteral("the idle child did not start"));
        sleepMs(1000);
        ProcessUse last = processUse(pid);
        for (int i = 0; i < idleSeconds; ++i) {
            QElapsedTimer window;
            window.start();
            sleepMs(1000);
            const ProcessUse now = processUse(pid);
            const double seconds = static_cast<double>(window.nsecsElapsed()) / 1e9;
            idleCpu.push_back(static_cast<double>(now.cpuNs - last.cpuNs) / 1e6 / seconds);
            wakeUps.push_back(static_cast<double>(now.wakeUps - last.wakeUps) / seconds);
            last = now;
        }
        kill(pid, SIGTERM);
        close(fd);
        waitpid(pid, nullptr, 0);
    }

    const Summary start = summarize(fromStart);
    const Summary app = summarize(fromApp);
    const Summary idle = summarize(idleCpu);
    printLine(QStringLiteral("%1 start-ups, each part as min / median / max:").arg(runs));
    printLine(QStringLiteral("  process start -> main()           %1").arg(figure(summarize(toMain), "ms", 2)));
    printLine(QStringLiteral("  main() -> QApplication constructed %1").arg(figure(summarize(toApp), "ms", 2)));
    printLine(QStringLiteral("  program and DCP panel built       %1").arg(figure(summarize(toWindow), "ms", 2)));
    printLine(QStringLiteral("  show() + Form_Load()              %1").arg(figure(summarize(load), "ms", 2)));
    printLine(QStringLiteral("  process start -> panel loaded     %1").arg(figure(start, "ms", 2)));
    printLine(QStringLiteral("  QApplication -> panel loaded      %1").arg(figure(app, "ms", 2)));
    printLine(QStringLiteral("idle, per 1-s window: CPU %1; wake-ups %2")
                  .arg(figure(idle, "ms/s", 3), figure(summarize(wakeUps), "per s", 1)));

    printGoal("4a", QStringLiteral("Start-up: process start -> DCP panel loaded (Form_Load done)"), figure(start, "ms", 1),
              QStringLiteral("median <= 100 ms"), start.median <= kStartupGoalMs);
    printGoal("4a'", QStringLiteral("Start-up: QApplication constructed -> DCP panel loaded"), figure(app, "ms", 1),
              QStringLiteral("median <= 100 ms"), app.median <= kStartupGoalMs);
    printGoal("4b", QStringLiteral("Idle DCP panel: process CPU per second (%1 x 1-s windows)").arg(idle.n),
              figure(idle, "ms/s", 3), QStringLiteral("0 (every window < 0.1 ms/s)"), idle.max < kIdleLimitMsPerS);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::int64_t mainNs = monotonicNs();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.contains(QStringLiteral("--child")))
        return child(argc, argv, mainNs, arguments.contains(QStringLiteral("--idle")));
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        fail(QStringLiteral("cannot find this program's path"));
    return parent(self, intOption(arguments, "--runs", 20), intOption(arguments, "--idle-seconds", 5));
}
