// SPDX-License-Identifier: GPL-3.0-or-later
// vtxctl as a user runs it: a process without a display, on the simulated board kept in a state directory of
// the test's own, checked by what it prints, its exit status and the bytes it put on the wire.

#include "cli/sessioncommand.h"
#include "platform/recordingdriver.h"
#include "platform/sim/simboardstatefile.h"
#include "platform/sim/simulatedboard.h"
#include "setupfile/registermap.h"
#include "setupfile/setupfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QStringList words(const QString& command)
{
    return command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The pipe-3 commands that --trace showed going out, as "01 C0 03 55".
QStringList i2cCommandsSent(const QString& trace)
{
    static const QRegularExpression kOut(QStringLiteral("vtx\\.transfer: OUT pipe 03: ([0-9A-F ]+) \\["),
                                         QRegularExpression::MultilineOption);
    QStringList sent;
    for (auto it = kOut.globalMatch(trace); it.hasNext();)
        sent << it.next().captured(1);
    return sent;
}

} // namespace

class TestVtxctl : public QObject {
    Q_OBJECT
private slots:
    void init() { m_state = std::make_unique<QTemporaryDir>(); }

    // Each row starts from a board fresh from the factory and runs its commands, separated by "; ", each with
    // --simulate. Those before the last must succeed, so a row also shows what the board kept from one run to
    // the next; what it prints and its status are those of the last.
    void commands_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const auto row = [](const char* name, const QString& commands, const QString& out, int exitCode = 0,
                            const QString& err = {}) {
            QStringList lines;
            for (const QString& command : commands.split(QStringLiteral("; ")))
                lines << QStringLiteral("--simulate ") + command;
            QTest::newRow(name) << lines << exitCode << out << err;
        };
        // A usage error: status 2, the message and where to find help; `command` is the whole command line.
        const auto usage = [](const char* name, const QString& command, const QString& message) {
            QTest::newRow(name) << QStringList{command} << 2 << QString()
                                << "vtxctl: " + message + "\nTry 'vtxctl --help'.\n";
        };

        row("info", "info",
            "module:   USB 2A5E:8303\nkind:     1\nI2C pipe: out 03, in 83\n"
            "driver:   Simulated evaluation board\n");
        row("list", "list", "simulated  serial SIM8303-0001  kind 1\n");
        row("device by serial", "--device SIM8303-0001 dcp get", "position 64 (read 0x7E)\n");
        row("device by path", "dcp get --device simulated", "position 64 (read 0x7E)\n");
        row("device naming another module", "--device 1-1 dcp get", "", 3,
            "vtxctl: no module with the serial number or USB port \"1-1\" is plugged in; 'vtxctl list' shows "
            "those that are\n");
        row("info json", "--json info",
            "{\"command\":\"info\",\"driver\":\"simulated\",\"i2cInPipe\":131,\"i2cOutPipe\":3,\"kind\":1,"
            "\"ok\":true,\"productId\":33539,\"vendorId\":10846}\n");
        row("dcp get json", "dcp get --json",
            "{\"address\":79,\"byte\":126,\"command\":\"dcp get\",\"ok\":true,\"position\":64}\n");
        row("dcp set", "dcp set 65", "position 65 written to the wiper register (byte 0x81)\n");
        row("dcp get after dcp set", "dcp set 0x41; dcp get", "position 65 (read 0x80)\n");
        row("dcp set eeprom verify json", "--json dcp set 128 --eeprom --verify",
            "{\"address\":79,\"byte\":254,\"command\":\"dcp set\",\"ok\":true,\"position\":128,"
            "\"readByte\":254,\"readPosition\":128,\"target\":\"eeprom\",\"verified\":true}\n");
        row("power cycle recalls the EEPROM", "dcp set 10 --eeprom; dcp set 100; board power-cycle",
            "simulated board power-cycled: wiper position 10 recalled from the EEPROM (EEPROM position 10)"
            "\n");
        row("reset to factory", "dcp set 10 --eeprom; --json board reset",
            "{\"command\":\"board reset\",\"eepromPosition\":64,\"ok\":true,\"wiperPosition\":64}\n");
        row("dcp get after reset", "dcp set 3; board reset; dcp get", "position 64 (read 0x7E)\n");
        row("get register", "get 0x60 0x1C", "0x60 (write C0) register 0x1C: 0x80\n");
        row("get plain", "get 96", "0x60 (write C0): 0x83\n");
        row("set register", "set 0x60 3 0x55", "0x60 (write C0) register 0x03 <- 0x55: acknowledged\n");
        row("get after set, json", "set 0x60 3 0x55; --json get 0x60 3",
            "{\"address\":96,\"command\":\"get\",\"ok\":true,\"register\":3,\"value\":85,"
            "\"writeAddress\":192}\n");
        row("set plain byte", "set 0x4F 0x81", "0x4F (write 9E) <- 0x81: acknowledged\n");
        row("get nak", "get 0x50", "", 1,
            "vtxctl: NAK: 0x50 (write A0) did not acknowledge (transfer count 0)\n");
        row("set nak json", "--json set 0x50 1 2",
            "{\"address\":80,\"command\":\"set\",\"error\":\"nak\",\"ok\":false,\"register\":1,"
            "\"transferCount\":0,\"value\":2,\"writeAddress\":160}\n",
            1, "vtxctl: NAK: 0x50 (write A0) register 0x01 did not acknowledge (transfer count 0)\n");

        row("scan", "scan",
            "     0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n"
            "00:                         -- -- -- -- -- -- -- --\n"
            "10: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
            "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
            "30: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
            "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- 4F\n"
            "50: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
            "60: 60 -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
            "70: -- -- -- -- -- -- -- --\n"
            "2 devices answered: 0x4F (write 9E), 0x60 (write C0)\n");
        row("scan json", "--json scan", "{\"addresses\":[79,96],\"command\":\"scan\",\"ok\":true}\n");
        row("dump, default range", "dump 0x60",
            "0x60 (write C0) registers 0x00 to 0x1F\n"
            "     0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n"
            "00: 83 21 00 01 0F 0F 00 00 20 00 00 00 01 00 00 9E\n"
            "10: 00 01 00 00 00 00 00 00 00 44 00 00 80 00 00 00\n");
        row("dump across rows", "set 0x60 0x20 0xA5; dump 0x60 0x1E 3",
            "0x60 (write C0) registers 0x1E to 0x20\n"
            "     0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n"
            "10:                                           00 00\n"
            "20: A5\n");
        row("dump json", "--json dump 0x60 1 2",
            "{\"address\":96,\"command\":\"dump\",\"ok\":true,\"register\":1,\"value\":33,"
            "\"writeAddress\":192}\n"
            "{\"address\":96,\"command\":\"dump\",\"ok\":true,\"register\":2,\"value\":0,"
            "\"writeAddress\":192}\n");
        row("dump nak", "dump 0x50 0 2",
            "0x50 (write A0) registers 0x00 to 0x01\n"
            "     0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n"
            "00: -- --\n",
            1, "vtxctl: NAK: 0x50 (write A0) did not acknowledge 2 of 2 registers\n");

        row("sweep", "dcp sweep --from 1 --to 5 --step 2",
            "position 1: wrote 0x01, read 0x00 (position 1), OK\n"
            "position 3: wrote 0x05, read 0x04 (position 3), OK\n"
            "position 5: wrote 0x09, read 0x08 (position 5), OK\n"
            "3 positions, 0 mismatches, wiper put back\n");
        row("wiper put back after a sweep", "dcp sweep --to 3; dcp get", "position 64 (read 0x7E)\n");
        row("sweep json, downwards", "--json dcp sweep --from 0x80 --to 127",
            "{\"address\":79,\"byte\":255,\"command\":\"dcp sweep\",\"ok\":true,\"outcome\":\"OK\","
            "\"position\":128,\"readByte\":254,\"readPosition\":128}\n"
            "{\"address\":79,\"byte\":253,\"command\":\"dcp sweep\",\"ok\":true,\"outcome\":\"OK\","
            "\"position\":127,\"readByte\":252,\"readPosition\":127}\n"
            "{\"address\":79,\"command\":\"dcp sweep\",\"mismatches\":0,\"ok\":true,\"positions\":2,"
            "\"restored\":true}\n");

        // On the simulated board time passes with the traffic (half a millisecond a transfer), so the
        // write cycle measured is the same on any machine.
        row("store the present position", "dcp set 20; dcp store",
            "Stored position 20 in EEPROM, verified, write cycle 5.0 ms\n");
        row("store json", "--json dcp store 0x41",
            "{\"address\":79,\"byte\":128,\"command\":\"dcp store\",\"ok\":true,\"position\":65,"
            "\"readByte\":128,\"readPosition\":65,\"verdict\":\"verified\",\"writeCycleUs\":5000}\n");
        row("stored position survives a power cycle", "dcp store 65; dcp set 1; board power-cycle",
            "simulated board power-cycled: wiper position 65 recalled from the EEPROM (EEPROM position 65)"
            "\n");
        row("eeprom sweep", "dcp sweep --from 3 --to 4 --eeprom",
            "position 3: wrote 0x04, read 0x04 (position 3), OK, write cycle 5.0 ms\n"
            "position 4: wrote 0x06, read 0x06 (position 4), OK, write cycle 5.0 ms\n"
            "2 positions, 0 mismatches\n");

        const QString inHexOrDecimal = QStringLiteral(", in hex with 0x or in decimal");
        usage("address out of range", "--simulate get 0x80",
              "get: ADDR: '0x80' is out of range for a 7-bit I2C address: give 0x00 to 0x7F" +
                  inHexOrDecimal);
        usage("value not a number", "--simulate set 0x60 3 0x1G",
              "set: VALUE: '0x1G' is not a number for a byte: give 0 to 255 (0x00 to 0xFF)" + inHexOrDecimal);
        usage("position 0", "--simulate dcp set 0",
              "dcp: POS: '0' is out of range for a wiper position: give 1 to 128" + inHexOrDecimal);
        usage("register too big", "--simulate get 0x60 256",
              "get: REG: '256' is out of range for a register address: give 0 to 255 (0x00 to 0xFF)" +
                  inHexOrDecimal);
        usage("sweep step 0", "--simulate dcp sweep --step 0",
              "dcp: --step: '0' is out of range for a step: give 1 to 127" + inHexOrDecimal);
        usage("missing argument", "--simulate set 0x60", "set: missing argument");
        usage("unknown option", "--simulate dcp set 5 --fast",
              "dcp: unknown option '--fast' for this command");
        usage("unknown command", "--simulate frob", "unknown command 'frob'");
        usage("misspelt option", "--simulat dcp get", "unknown option '--simulat'");
        usage("dump past 0xFF", "--simulate dump 0x60 0xF0 17",
              "dump: COUNT: 17 registers from 0xF0 run past register 0xFF");
        usage("dump too many for a setup file", "--simulate dump 0x60 0 33 --vtx x.vtx",
              "dump: --vtx: a setup file holds 32 registers, COUNT is 33");
        usage("option without value", "--simulate dcp sweep --to", "dcp: --to needs a value");
        usage("no command", "--simulate", "no command given");
        usage("device without value", "--simulate dcp get --device",
              "--device needs a serial number or a bus and port path");
        usage("board without --simulate", "board reset",
              "board: board reset works on the simulated board only: add --simulate");
        usage("session with an argument", "--simulate session now", "session: unexpected argument 'now'");
    }
    void commands()
    {
        QFETCH(QStringList, commands);
        const QString last = commands.takeLast();
        for (const QString& earlier : commands)
            QCOMPARE(vtxctl(words(earlier)).exitCode, 0);
        const Run run = vtxctl(words(last));
        QTEST(run.err, "err");
        QTEST(run.out, "out");
        QTEST(run.exitCode, "exitCode");
    }

    // A second program cannot have the board while one holds it, as with a module claimed by another program;
    // it is told who holds it and the lock file to delete if that program is gone.
    void boardInUse_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("err");
        const QString holder = QStringLiteral("by tst_vtxctl (process %1); its lock file is \"%2\": end that "
                                              "program, or delete the lock file if it is gone")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QStringLiteral("%1"));
        QTest::newRow("dcp get")
            << "--simulate dcp get"
            << "vtxctl: WriteGPIOPipe: WDU_GetDeviceInfo() failed: error &H8 (Resource busy: "
               "the simulated board is in use " +
                   holder +
                   ")\n"
                   "vtxctl: The USB control module is in use by another program.\n";
        QTest::newRow("board reset") << "--simulate board reset"
                                     << "vtxctl: The simulated board is in use " + holder + ".\n";
    }
    void boardInUse()
    {
        QFETCH(QString, command);
        QFETCH(QString, err);
        vtx::SimBoardStateFile held(m_state->path() + QStringLiteral("/vtx-eval/simulated-board.json"));
        QVERIFY(held.claim());
        const Run run = vtxctl(words(command));
        QCOMPARE(run.err, err.arg(held.path() + QStringLiteral(".lock")));
        QCOMPARE(run.out, QString());
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(vtxctl(words(QStringLiteral("--simulate list"))).out,
                 QStringLiteral("simulated  serial SIM8303-0001  in use\n"));
        held.release();
        QCOMPARE(vtxctl(words(command)).exitCode, 0);
    }

    // A lock that nobody can hold the board through is taken over, with a warning naming it; the board's
    // state is kept.
    void staleLockTakenOver_data()
    {
        QTest::addColumn<QByteArray>("lock"); // its contents; "dir" and "fifo" for those
        QTest::addColumn<QString>("why");
        QTest::newRow("empty") << QByteArray() << "it cannot be read";
        QTest::newRow("another host")
            << QByteArray("4242\nvtxctl\nsome-other-host\n")
            << "it was written by process 4242 on the host \"some-other-host\", not this one";
        QTest::newRow("directory") << QByteArray("dir") << "it is not a regular file";
        QTest::newRow("FIFO") << QByteArray("fifo") << "it is not a regular file";
    }
    void staleLockTakenOver()
    {
        QFETCH(QByteArray, lock);
        QFETCH(QString, why);
        QCOMPARE(vtxctl(words(QStringLiteral("--simulate dcp set 30"))).exitCode, 0);
        const QString lockPath = m_state->filePath(QStringLiteral("vtx-eval/simulated-board.json.lock"));
        if (lock == "dir")
            QVERIFY(QDir().mkdir(lockPath));
        else if (lock == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        else {
            // Older than the few seconds a starting program takes to write its lock file.
            QFile file(stateFile(QStringLiteral("vtx-eval/simulated-board.json.lock"), lock));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
        }
        const Run run = vtxctl(words(QStringLiteral("--simulate dcp get")));
        QCOMPARE(run.out, QStringLiteral("position 30 (read 0x3A)\n"));
        QVERIFY2(
            run.err.contains(
                QStringLiteral("taking over the simulated board's lock file \"%1\": %2").arg(lockPath, why)),
            qPrintable(run.err));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QFileInfo::exists(lockPath), false); // released at the end
    }

    // The temporary files that programs killed in the middle of a save left beside the state file go once
    // they are a day old; nothing else in the folder is touched.
    void oldTemporaryFilesRemoved()
    {
        QVERIFY(QDir().mkpath(m_state->filePath(QStringLiteral("vtx-eval"))));
        const QStringList names{"simulated-board.json.a1B2c3", "simulated-board.json.Zz9Yy8",
                                "notes.json.a1B2c3"};
        for (const QString& name : names) {
            QFile file(stateFile(QStringLiteral("vtx-eval/") + name, "{"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (name != names[1]) // the second is fresh
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                         QFileDevice::FileModificationTime));
        }
        vtx::SimBoardStateFile file(m_state->filePath(QStringLiteral("vtx-eval/simulated-board.json")));
        QVERIFY(file.claim());
        file.release();
        QStringList left = QDir(m_state->filePath(QStringLiteral("vtx-eval"))).entryList(QDir::Files);
        QCOMPARE(left, (QStringList{"notes.json.a1B2c3", "simulated-board.json.Zz9Yy8"}));
    }

    // Where the state cannot be kept (the state directory cannot be made, the state file cannot be read),
    // the simulated board still works, fresh from the factory, says once why it forgets, and leaves
    // whatever stands in the state file's place as it was. Nothing blocks on a FIFO.
    void boardWithoutAState_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        const auto unreadable = [](const char* reason) {
            return QStringLiteral("cannot read the simulated board's state \"%1\": ") +
                   QLatin1String(reason) + QStringLiteral(": ");
        };
        const char* notRegular = "it is not a regular file";
        QTest::newRow("no state directory")
            << "no directory" << QStringLiteral("cannot keep the simulated board's state in \"%1\"");
        QTest::newRow("a directory") << "directory" << unreadable(notRegular);
        QTest::newRow("a FIFO") << "fifo" << unreadable(notRegular);
        QTest::newRow("a link to a device") << "device" << unreadable(notRegular);
        QTest::newRow("a dangling link") << "dangling" << unreadable("No such file or directory");
    }
    void boardWithoutAState()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        const QString stateHome = kind == u"no directory" ? stateFile(QStringLiteral("not-a-directory"), {}) +
                                                                QStringLiteral("/state")
                                                          : m_state->path();
        const QString path = stateHome + QStringLiteral("/vtx-eval/simulated-board.json");
        QDir().mkpath(QFileInfo(path).path());
        if (kind == u"directory")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind != u"no directory")
            QVERIFY(QFile::link(
                kind == u"device" ? QStringLiteral("/dev/zero") : path + QStringLiteral(".gone"), path));
        const auto run = [&stateHome](const QString& command) { return vtxctlIn(stateHome, words(command)); };
        QCOMPARE(run(QStringLiteral("--simulate dcp set 3")).exitCode, 0);
        const Run get = run(QStringLiteral("--simulate dcp get"));
        QCOMPARE(get.out, QStringLiteral("position 64 (read 0x7E)\n"));
        QCOMPARE(get.err.count(warning.arg(path)), 1);
        QVERIFY2(get.err.contains(QStringLiteral("the board lives in memory for this run")),
                 qPrintable(get.err));
        QCOMPARE(get.exitCode, 0);
        const QFileInfo after(path);
        QCOMPARE(after.isFile(), false);
        QCOMPARE(after.isSymLink() || after.isDir() || kind == u"no directory" || kind == u"fifo", true);
    }

    // A signal ends a sweep as "Stop" does: the wiper is put back and the board released, and the status is
    // 128 + the signal; a session waiting for its next request ends so too, its board kept. vtxctl writes
    // into a pipe of one page, which a sweep's lines overflow: it is still sweeping, waiting to write, when
    // the first line has been read here and the signal comes (SIGPIPE: this end of the pipe closed).
    void signalStopsASweep_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("input"); // standard input, left open
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("after"); // what dcp get reads afterwards
        const QString first = QStringLiteral("position 1: wrote 0x01, read 0x00 (position 1), OK");
        const QString putBack = QStringLiteral("position 64 (read 0x7E)\n");
        QTest::newRow("SIGINT") << "--simulate dcp sweep" << QByteArray() << SIGINT << first << putBack;
        QTest::newRow("SIGTERM") << "--simulate dcp sweep" << QByteArray() << SIGTERM << first << putBack;
        QTest::newRow("SIGPIPE, a reader gone")
            << "--simulate dcp sweep" << QByteArray() << SIGPIPE << first << putBack;
        QTest::newRow("SIGTERM, a session sweeping")
            << "--simulate session" << QByteArray("dcp sweep\n") << SIGTERM << first << putBack;
        QTest::newRow("SIGINT, a session waiting")
            << "--simulate session" << QByteArray("dcp set 30\n") << SIGINT
            << "position 30 written to the wiper register (byte 0x3B)"
            << "position 30 (read 0x3A)\n";
    }
    void signalStopsASweep()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(int, signalNumber);
        std::array<int, 2> pipe{};
        QCOMPARE(::pipe2(pipe.data(), O_CLOEXEC), 0);
        QVERIFY(::fcntl(pipe[0], F_SETPIPE_SZ, 4096) > 0);
        QProcess process;
        start(process, m_state->path(), words(command), {}, QStringLiteral("/proc/self/fd/%1").arg(pipe[1]));
        ::close(pipe[1]);
        process.write(input);
        QVERIFY(input.isEmpty() || process.waitForBytesWritten(30000));
        QByteArray line;
        char byte = 0;
        while (::read(pipe[0], &byte, 1) == 1 && byte != '\n')
            line += byte;
        if (signalNumber != SIGPIPE) {
            ::kill(static_cast<pid_t>(process.processId()), signalNumber);
            std::array<char, 4096> rest{};
            while (::read(pipe[0], rest.data(), rest.size()) > 0) {
            }
        }
        ::close(pipe[0]);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signalNumber);
        QTEST(QString::fromUtf8(line), "firstLine");
        QTEST(vtxctl(words(QStringLiteral("--simulate dcp get"))).out, "after");
    }

    // Output that cannot be written fails the command, whatever it did, as coreutils' programs fail.
    void outputThatIsLostFails()
    {
        for (const QString& command :
             {QStringLiteral("--version"), QStringLiteral("--simulate --json dcp get")}) {
            const Run run = vtxctlIn(m_state->path(), words(command), {}, QStringLiteral("/dev/full"));
            QCOMPARE(run.err, QStringLiteral("vtxctl: write error: No space left on device\n"));
            QCOMPARE(run.exitCode, 1);
        }
    }

    // Without --simulate on a machine without the module: the link's words and the cause, exit status 3.
    void noModule()
    {
        const Run run = vtxctl({QStringLiteral("dcp"), QStringLiteral("get")});
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.out, QString());
        QVERIFY2(
            run.err.startsWith(QStringLiteral("vtxctl: WriteGPIOPipe: WDU_GetDeviceInfo() failed: error &H")),
            qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 2);
    }

    // apply writes the rows that "Write All" writes, with the same bytes, refuses what it refuses and goes
    // on.
    void apply_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("writes"); // write texts of rows 0, 1, 2, ... ("" leaves a row out)
        QTest::addColumn<bool>("utf16");         // saved as Windows editors save "Unicode" text
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("sent");
        const QString twoRows = "row 3: 0x60 (write C0) register 0x03 <- 0x55: acknowledged\n"
                                "row 5: 0x60 (write C0) register 0x05 <- 0x0F: acknowledged\n";
        const QStringList twoWrites{"", "", "", "55", "", "0f"};
        QTest::newRow("two rows") << "C0" << twoWrites << false << 0 << twoRows
                                  << QStringList{"01 C0 03 55", "01 C0 05 0F"};
        QTest::newRow("UTF-16 copy") << "C0" << twoWrites << true << 0 << twoRows
                                     << QStringList{"01 C0 03 55", "01 C0 05 0F"};
        QTest::newRow("refused row goes on")
            << "C0" << QStringList{"--", "1", "7E"} << false << 1
            << "row 0: refused: register \"00\" data \"--\" (two hex digits each)\n"
               "row 2: 0x60 (write C0) register 0x02 <- 0x7E: acknowledged\n"
            << QStringList{"01 C0 02 7E"};
        QTest::newRow("nak") << "A0" << QStringList{"12", "34"} << false << 1 << ""
                             << QStringList{"01 A0 00 12", "01 A0 01 34"};
        // Nothing goes to the general-call address 00 that a text without digits, or 100, would read as.
        for (const char* address : {"ZZ", "", "FF", "100"})
            QTest::addRow("address \"%s\" refused", address)
                << address << twoWrites << false << 2 << "" << QStringList{};
        QTest::newRow("nothing to write") << "C0" << QStringList{} << false << 2 << "" << QStringList{};
    }
    void apply()
    {
        QFETCH(QString, address);
        QFETCH(QStringList, writes);
        QFETCH(bool, utf16);
        vtx::setupfile::Setup setup;
        setup.i2cAddress = address;
        for (int r = 0; r < vtx::kRegisterRowCount; ++r) {
            auto& row = setup.rows[static_cast<std::size_t>(r)];
            row.address = QStringLiteral("%1").arg(r, 2, 16, QLatin1Char('0')).toUpper();
            row.writeData = writes.value(r);
        }
        QByteArray bytes = vtx::setupfile::encode(setup);
        if (utf16) {
            const QString text = QString::fromUtf8(bytes);
            bytes = QByteArray("\xFF\xFE") +
                    QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        }
        const QString path = stateFile(QStringLiteral("setup.vtx"), bytes);
        const Run run =
            vtxctl({QStringLiteral("--simulate"), QStringLiteral("--trace"), QStringLiteral("apply"), path});
        QTEST(run.out, "out");
        QTEST(i2cCommandsSent(run.err), "sent");
        QTEST(run.exitCode, "exitCode");
    }

    // A file apply cannot use is named with the reason, and nothing is sent.
    void applyRefusesAnUnusableFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("err");
        vtx::setupfile::Setup setup;
        setup.i2cAddress = QStringLiteral("ZZ");
        const QString setupFile = QStringLiteral("The setup file \"%1\" ");
        const QString notSetupFile = QStringLiteral("The file \"%1\" is not a setup file: ");
        QTest::newRow("incomplete")
            << QByteArray("I2C ADDRESS , C0\r\n00,a,11,\r\n")
            << setupFile + "is incomplete: it holds 6 of the 130 fields a setup needs. Nothing "
                           "was changed.";
        QTest::newRow("junk") << QByteArray("\x7F"
                                            "ELF\x02\x01\x00,,\n",
                                            10)
                                     .repeated(40)
                              << notSetupFile + "it holds binary data, not text. Nothing was changed.";
        QByteArray csv = "Time,ms since start,Direction,Pipe,Bytes / trace,Status,Transaction\r\n";
        for (int i = 0; i < 40; ++i)
            csv += "12:00:00.000,5,OUT,03,01 C0 00 11,OK,vtxctl\r\n"; // 130 fields and more
        QTest::newRow("a CSV") << csv << notSetupFile + "it is not laid out as one. Nothing was written.";
        QTest::newRow("an image") << QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR,,,,").repeated(40)
                                  << notSetupFile + "it holds binary data, not text. Nothing was changed.";
        QTest::newRow("over 1 MB") << QByteArray(1024 * 1024 + 1, ',')
                                   << notSetupFile + "it is larger than 1024 KB. Nothing was changed.";
        QTest::newRow("FIFO") << QByteArray()
                              << setupFile +
                                     "could not be opened: it is not a regular file. Nothing was changed.";
        QTest::newRow("no address")
            << vtx::setupfile::encode(setup)
            << setupFile + "names the I2C address \"ZZ\", which is not a device address (a hex "
                           "byte from 00 to FE). Nothing was written.";
        setup.i2cAddress = QStringLiteral("C0");
        QTest::newRow("no write data") << vtx::setupfile::encode(setup)
                                       << setupFile + "has no row with write data. Nothing was written.";
    }
    void applyRefusesAnUnusableFile()
    {
        QFETCH(QByteArray, bytes);
        QString path = m_state->filePath(QStringLiteral("setup.vtx"));
        if (bytes.isEmpty())
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            path = stateFile(QStringLiteral("setup.vtx"), bytes);
        const Run run =
            vtxctl({QStringLiteral("--simulate"), QStringLiteral("--trace"), QStringLiteral("apply"), path});
        QFETCH(QString, err);
        QCOMPARE(run.err.section(u'\n', -2, -2), QStringLiteral("vtxctl: ") + err.arg(path));
        QCOMPARE(i2cCommandsSent(run.err), QStringList{});
        QCOMPARE(run.exitCode, 2);
    }

    // A dump saved as a setup file holds what was read, and apply writes it back, whatever the registers
    // hold by then. The dump reads only the registers asked for.
    void dumpSavesWhatApplyWritesBack()
    {
        const QString path = m_state->filePath(QStringLiteral("saved.vtx"));
        const Run dump = vtxctl(words(QStringLiteral("--simulate --trace dump 0x60 4 2 --vtx ")) << path);
        QCOMPARE(dump.exitCode, 0);
        QCOMPARE(i2cCommandsSent(dump.err), (QStringList{"01 C1 04", "01 C1 05"}));
        QCOMPARE(vtxctl(words(QStringLiteral("--simulate set 0x60 4 0x99"))).exitCode, 0);

        const Run apply = vtxctl(words(QStringLiteral("--simulate --trace apply")) << path);
        QCOMPARE(apply.exitCode, 0);
        QCOMPARE(i2cCommandsSent(apply.err), (QStringList{"01 C0 04 0F", "01 C0 05 0F"}));
    }

    // A session answers every request with what the one-shot command prints and a done line with its exit
    // code; a failed request does not end it. Plain lines are numbered (blank ones and comments counted, not
    // answered); --json requests carry their own ids, and what standard error would have had goes into the
    // done line instead. The session's status is the highest of its requests'.
    void session_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("exitCode");
        const auto done = [](const char* id, int exitCode, const char* messages = nullptr) {
            return QStringLiteral("{\"id\":%1,\"done\":true,\"exit\":%2%3}\n")
                .arg(QLatin1String(id))
                .arg(exitCode)
                .arg(messages ? QStringLiteral(",\"messages\":") + QLatin1String(messages) : QString());
        };
        QTest::newRow("plain script")
            << "--simulate session"
            << QByteArray("dcp set 65\n  \n  # a comment\ndcp get\nget 0x50\ndcp set 0\r\n"
                          "dcp sweep --from 2 --to 3\nquit\ndcp get\n")
            << "position 65 written to the wiper register (byte 0x81)\n" + done("1", 0) +
                   "position 65 (read 0x80)\n" + done("4", 0) + done("5", 1) + done("6", 2) +
                   "position 2: wrote 0x03, read 0x02 (position 2), OK\n"
                   "position 3: wrote 0x05, read 0x04 (position 3), OK\n"
                   "2 positions, 0 mismatches, wiper put back\n" +
                   done("7", 0) + done("8", 0)
            << "vtxctl: NAK: 0x50 (write A0) did not acknowledge (transfer count 0)\n"
               "vtxctl: dcp: POS: '0' is out of range for a wiper position: give 1 to 128, in hex with 0x or "
               "in "
               "decimal\nTry 'vtxctl --help'.\n"
            << 2;
        // The part refuses a read while it writes its EEPROM; a wait on the board's time lets it finish.
        QTest::newRow("a wait for the write cycle")
            << "--simulate session" << QByteArray("dcp set 70 --eeprom\nget 0x4F\nwait 20\nget 0x4F\n")
            << "position 70 written to the EEPROM (byte 0x8A)\n" + done("1", 0) + done("2", 1) +
                   "waited 20 ms\n" + done("3", 0) + "0x4F (write 9E): 0x8A\n" + done("4", 0)
            << "vtxctl: NAK: 0x4F (write 9E) did not acknowledge (transfer count 0)\n" << 1;
        QTest::newRow("json requests")
            << "--json --simulate session"
            << QByteArray("{\"id\":1,\"argv\":[\"dcp\",\"set\",\"65\"]}\n"
                          "{\"id\":\"b\",\"argv\":[\"get\",\"0x50\"]}\n"
                          "{\"argv\":[\"dcp\",\"get\"]}\n")
            << "{\"address\":79,\"byte\":129,\"command\":\"dcp set\",\"id\":1,\"ok\":true,\"position\":65,"
               "\"target\":\"register\"}\n" +
                   done("1", 0, "[]") +
                   "{\"address\":80,\"command\":\"get\",\"error\":\"nak\",\"id\":\"b\",\"ok\":false,"
                   "\"transferCount\":0,\"writeAddress\":160}\n" +
                   done("\"b\"", 1, "[\"NAK: 0x50 (write A0) did not acknowledge (transfer count 0)\"]") +
                   "{\"address\":79,\"byte\":128,\"command\":\"dcp "
                   "get\",\"id\":null,\"ok\":true,\"position\":65}\n" +
                   done("null", 0, "[]")
            << "" << 1;
        const auto usage = [&done](const char* id, const char* message) {
            return done(id, 2,
                        (QStringLiteral("[\"%1\",\"Try 'vtxctl --help'.\"]").arg(QLatin1String(message)))
                            .toUtf8()
                            .constData());
        };
        QTest::newRow("usage errors inside a session")
            << "--simulate --json session"
            << QByteArray("dcp get\n"
                          "{\"id\":2,\"argv\":\"dcp get\"}\n"
                          "{\"id\":3,\"argv\":[\"dcp\",\"get\",\"--simulate\"]}\n"
                          "{\"id\":4,\"argv\":[\"session\"]}\n"
                          "{\"id\":5,\"argv\":[\"dcp\",\"--help\"]}\n"
                          "{\"id\":6,\"argv\":[]}\n"
                          "{\"id\":7,\"argv\":[\"frob\"]}\n"
                          "{\"id\":[8],\"argv\":[\"quit\"]}\n"
                          "{\"id\":9,\"argv\":[\"dcp\",\"get\"]}\n")
            << usage("null",
                     "a request is a JSON object {\\\"id\\\": ..., \\\"argv\\\": [words]} on one line") +
                   usage("2", "a request's \\\"argv\\\" is a list of strings: the command's words") +
                   usage("3", "option '--simulate' belongs to the session: give it to 'vtxctl session', not "
                              "to a request") +
                   usage("4", "a session cannot run 'session'") +
                   usage("5", "option '--help' is not available in a session") +
                   usage("6", "no command given") + usage("7", "unknown command 'frob'") +
                   done("[8]", 0, "[]")
            << "" << 2;
        // The board is let go for the reset, and opened again for the next request. The last line needs no
        // line break.
        QTest::newRow("board reset in a session")
            << "--simulate session" << QByteArray("dcp set 3\nboard reset\ndcp get")
            << "position 3 written to the wiper register (byte 0x05)\n" + done("1", 0) +
                   "simulated board reset to factory defaults: wiper position 64, EEPROM position 64\n" +
                   done("2", 0) + "position 64 (read 0x7E)\n" + done("3", 0)
            << "" << 0;
    }
    void session()
    {
        QFETCH(QString, options);
        QFETCH(QByteArray, input);
        const Run run = vtxctlIn(m_state->path(), words(options), {}, {}, input);
        QTEST(run.err, "err");
        QTEST(run.out, "out");
        QTEST(run.exitCode, "exitCode");
    }

    // A session in this process, on a board of the test's own: however many requests, the board is opened
    // once and never reset, and only when a request needs it. A module pulled out ends the session with 3
    // after that request, the cause told once; the requests after it are not read.
    void sessionHoldsTheBoard_data()
    {
        QTest::addColumn<bool>("json");
        QTest::addColumn<QStringList>("lines"); // "(unplug)" pulls the module out instead of being read
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("opens"); // the driver's inits
        QStringList pairs;
        QString answers;
        for (int i = 1; i <= 200; i += 2) {
            pairs << QStringLiteral("dcp set 65") << QStringLiteral("dcp get");
            answers += QStringLiteral("position 65 written to the wiper register (byte 0x81)\n"
                                      "{\"id\":%1,\"done\":true,\"exit\":0}\n"
                                      "position 65 (read 0x80)\n{\"id\":%2,\"done\":true,\"exit\":0}\n")
                           .arg(i)
                           .arg(i + 1);
        }
        QTest::newRow("200 requests, one open") << false << pairs << answers << "" << 0 << 1;
        QTest::newRow("nothing asked, nothing opened") << false << QStringList{"# idle", ""} << ""
                                                       << "" << 0 << 0;
        const QString gone =
            QStringLiteral("The USB control module is not connected (unplugged or without power).");
        QTest::newRow("pulled before a dump, json")
            << true << QStringList{"{\"id\":1,\"argv\":[\"dcp\",\"get\"]}", "(unplug)",
                                   "{\"id\":2,\"argv\":[\"dump\",\"0x60\",\"0\",\"2\"]}"}
            << "{\"address\":79,\"byte\":126,\"command\":\"dcp get\",\"id\":1,\"ok\":true,\"position\":64}\n"
               "{\"id\":1,\"done\":true,\"exit\":0,\"messages\":[]}\n"
               "{\"address\":96,\"command\":\"dump\",\"error\":\"link\",\"id\":2,\"ok\":false,"
               "\"transferCount\":0,\"writeAddress\":192}\n"
               "{\"id\":2,\"done\":true,\"exit\":3,\"messages\":[\"ReadPipe: WDU_GetDeviceInfo() failed: error "
               "&H4 (No such device (it may have been disconnected))\",\"" +
                   gone + "\"]}\n"
            << "" << 3 << 1;
        QTest::newRow("pulled between requests")
            << false << QStringList{"dcp get", "(unplug)", "dcp get", "dcp get"}
            << "position 64 (read "
               "0x7E)\n{\"id\":1,\"done\":true,\"exit\":0}\n{\"id\":2,\"done\":true,\"exit\":3}\n"
            << "vtxctl: ReadPipe: WDU_GetDeviceInfo() failed: error &H4 (No such device (it may have been "
               "disconnected))\nvtxctl: " +
                   gone + "\n"
            << 3 << 1;
        QTest::newRow("no module at the first open, json")
            << true
            << QStringList{"(unplug)", "{\"id\":1,\"argv\":[\"scan\"]}", "{\"id\":2,\"argv\":[\"scan\"]}"}
            << "{\"id\":1,\"done\":true,\"exit\":3,\"messages\":[\"WriteGPIOPipe: WDU_GetDeviceInfo() "
               "failed: "
               "error &H3 (Invalid device handle)\",\"" +
                   gone + "\"]}\n"
            << "" << 3 << 1;
    }
    void sessionHoldsTheBoard()
    {
        QFETCH(bool, json);
        QFETCH(QStringList, lines);
        // The link keeps its own clock: nothing here waits for the part.
        vtx::ManualClock clock;
        vtx::SimulatedBoard board(clock);
        vtx::RecordingDriver recorder(board);
        const vtx::cli::ModuleAccess::Factory module = [&](vtx::cli::ErrorStream& messages) {
            vtx::DriverChoice drivers;
            drivers.clock = std::make_unique<vtx::ManualClock>();
            drivers.driver = std::make_unique<vtx::RecordingDriver>(static_cast<vtx::UsbDriver&>(recorder));
            drivers.match = {vtx::SimulatedBoard::kVendorId, vtx::SimulatedBoard::kProductId, {}};
            drivers.simulated = true;
            drivers.board = &board;
            return std::make_unique<vtx::cli::CommandSession>(std::move(drivers), messages);
        };
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        vtx::cli::RequestSession session({json, true, {}, module}, outStream, errStream);
        for (const QString& line : lines) {
            if (line == u"(unplug)")
                board.unplug();
            else if (!session.take(line.toUtf8()))
                break;
        }
        const int exitCode = session.finish();
        outStream.flush();
        errStream.flush();
        QTEST(out, "out");
        QTEST(err, "err");
        QTEST(exitCode, "exitCode");
        const auto calls = recorder.callLog();
        QTEST(int(std::count(calls.begin(), calls.end(), QStringLiteral("init"))), "opens");
        QCOMPARE(board.portResetCount(), 0u);
    }

    // The real libusb driver, end to end, against the emulated module of tests/core/platform/usb: umockdev-run
    // gives vtxctl a bus with the module on it and replays the module's answers (vtxctl-module.ioctl).
    void realDriverUnderUmockdev_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::newRow("info")
            << "--json info" << QByteArray()
            << "{\"command\":\"info\",\"driver\":\"usb\",\"i2cInPipe\":131,\"i2cOutPipe\":3,"
               "\"kind\":1,\"ok\":true,\"productId\":33539,\"vendorId\":10846}\n";
        QTest::newRow("dcp set")
            << "--json dcp set 65 --verify" << QByteArray()
            << "{\"address\":79,\"byte\":129,\"command\":\"dcp set\",\"ok\":true,"
               "\"position\":65,\"readByte\":128,\"readPosition\":65,\"target\":\"register\","
               "\"verified\":true}\n";
        QTest::newRow("session")
            << "--json session" << kSetAndGet
            << "{\"address\":79,\"byte\":129,\"command\":\"dcp set\",\"id\":1,\"ok\":true,"
               "\"position\":65,\"target\":\"register\"}\n"
               "{\"id\":1,\"done\":true,\"exit\":0,\"messages\":[]}\n"
               "{\"address\":79,\"byte\":128,\"command\":\"dcp get\",\"id\":2,\"ok\":true,"
               "\"position\":65}\n"
               "{\"id\":2,\"done\":true,\"exit\":0,\"messages\":[]}\n";
    }
    void realDriverUnderUmockdev()
    {
        if (QStringLiteral(VTX_UMOCKDEV_RUN).isEmpty())
            QSKIP("umockdev-run is not installed");
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        const Run run = vtxctlIn(m_state->path(), words(command), umockdevRun(), {}, input);
        QCOMPARE(run.err, QString());
        QTEST(run.out, "out");
        QCOMPARE(run.exitCode, 0);
    }

    // Two emulated modules, each answering from its own script: vtxmodule.umockdev on port 1-1 (serial
    // VTX8303-A1, the wiper reads 0x80) and vtxmodule2.umockdev on port 2-3 (serial VTX8303-B2, it reads
    // 0x7E). `held`: another program holds the second one's interface, as sysfs tells.
    void twoModules_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("held");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString first = QStringLiteral("1-1        serial VTX8303-A1  kind 1\n");
        const QString listed = first + QStringLiteral("2-3        serial VTX8303-B2  kind 1\n");
        const QString none = QStringLiteral("vtxctl: no module with the serial number or USB port \"%1\" is "
                                            "plugged in; 'vtxctl list' shows those that are\n");
        QTest::newRow("list") << "list" << false << 0 << listed << "";
        QTest::newRow("list json")
            << "--json list" << false << 0
            << "{\"command\":\"list\",\"inUse\":false,\"kind\":1,\"ok\":true,\"path\":\"1-1\","
               "\"serial\":\"VTX8303-A1\"}\n"
               "{\"command\":\"list\",\"inUse\":false,\"kind\":1,\"ok\":true,\"path\":\"2-3\","
               "\"serial\":\"VTX8303-B2\"}\n"
            << "";
        QTest::newRow("list, one in use")
            << "list" << true << 0 << first + "2-3        serial VTX8303-B2  in use\n"
            << "";
        QTest::newRow("list by serial")
            << "list --device VTX8303-B2" << false << 0 << "2-3        serial VTX8303-B2  kind 1\n"
            << "";
        QTest::newRow("by serial") << "--device VTX8303-B2 dcp get" << false << 0
                                   << "position 64 (read 0x7E)\n"
                                   << "";
        QTest::newRow("by path") << "dcp get --device 1-1" << false << 0 << "position 65 (read 0x80)\n"
                                 << "";
        QTest::newRow("by path, with =")
            << "--device=2-3 dcp get" << false << 0 << "position 64 (read 0x7E)\n"
            << "";
        QTest::newRow("no choice") << "dcp get" << false << 2 << ""
                                   << "vtxctl: 2 modules are plugged in: choose one with --device SERIAL or "
                                      "--device BUS-PORT\n" +
                                          listed;
        // In a session too it is the one-shot's usage error, and the session goes on: `list` still answers.
        QTest::newRow("no choice in a session")
            << "session <dcp get\nlist" << false << 2
            << "{\"id\":1,\"done\":true,\"exit\":2}\n" + listed + "{\"id\":2,\"done\":true,\"exit\":0}\n"
            << "vtxctl: 2 modules are plugged in: choose one with --device SERIAL or --device BUS-PORT\n" +
                   listed;
        QTest::newRow("choice matches none") << "--device 1-2 dcp get" << false << 3 << "" << none.arg("1-2");
        QTest::newRow("part of a serial is none")
            << "--device VTX8303 info" << false << 3 << "" << none.arg("VTX8303");
    }
    void twoModules()
    {
        if (QStringLiteral(VTX_UMOCKDEV_RUN).isEmpty())
            QSKIP("umockdev-run is not installed");
        QFETCH(QString, command);
        QFETCH(bool, held);
        QString second = QStringLiteral(VTX_USB_TESTDATA_DIR "/vtxmodule2.umockdev");
        if (held) {
            QFile description(second);
            QVERIFY(description.open(QIODevice::ReadOnly));
            second = stateFile(QStringLiteral("held.umockdev"),
                               description.readAll() +
                                   "\nP: /devices/pci0000:00/0000:00:14.0/usb2/2-3/2-3:1.0\n"
                                   "E: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\nE: DRIVER=usbfs\n"
                                   "L: driver=../../../../../../bus/usb/drivers/usbfs\n");
        }
        const QStringList wrapper{
            QStringLiteral(VTX_UMOCKDEV_RUN),
            QStringLiteral("-d"),
            QStringLiteral(VTX_USB_TESTDATA_DIR "/vtxmodule.umockdev"),
            QStringLiteral("-d"),
            second,
            QStringLiteral("-i"),
            QStringLiteral("/dev/bus/usb/001/002=" VTX_CLI_TESTDATA_DIR "/vtxctl-module.ioctl"),
            QStringLiteral("-i"),
            QStringLiteral("/dev/bus/usb/002/005=" VTX_CLI_TESTDATA_DIR "/vtxctl-module2.ioctl"),
            QStringLiteral("--")};
        // "WORDS <LINES": the words, with the lines on standard input.
        const QString input = command.section(u'<', 1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        const Run run = vtxctlIn(m_state->path(), words(command.section(u'<', 0, 0)), wrapper, {},
                                 input.isEmpty() ? QByteArray() : (input + u'\n').toUtf8());
        QTEST(run.err, "err");
        QTEST(run.out, "out");
        QTEST(run.exitCode, "exitCode");
    }

    // What a command costs the module through the real driver, counted from the driver's log: transfers out
    // and in, and port resets. vtxctl closes with the soft reset, so only a module that a failed transfer left
    // unusable is reset.
    void realDriverCounts_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("fault"); // the module's script after opening; empty: its usual answers
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<int>>("counts"); // out, in, port resets, opens
        QTest::newRow("dcp set") << "dcp set 65" << QByteArray() << QByteArray() << QList<int>{4, 2, 0, 1};
        QTest::newRow("stalled reply, then the close")
            << "dcp get"
            << QByteArray("USBDEVFS_REAPURBNDELAY 0 3 3 0 0 2 2 0 019F\n"
                          " USBDEVFS_REAPURBNDELAY 0 3 131 -32 0 2 0 0 \n")
            << QByteArray() << QList<int>{4, 2, 1, 1};
        QTest::newRow("session of two requests")
            << "--json session" << QByteArray() << kSetAndGet << QList<int>{5, 3, 0, 1};
        // The module gone at the second request's write: the third is not tried.
        QTest::newRow("session, the module gone")
            << "session"
            << QByteArray("USBDEVFS_REAPURBNDELAY 0 3 3 0 0 2 2 0 019F\n"
                          " USBDEVFS_REAPURBNDELAY 0 3 131 0 0 2 2 0 0180\n"
                          "USBDEVFS_REAPURBNDELAY 0 3 3 -19 0 2 0 0 019F\n")
            << QByteArray("dcp get\ndcp get\ndcp get\n") << QList<int>{5, 2, 0, 1};
    }
    void realDriverCounts()
    {
        if (QStringLiteral(VTX_UMOCKDEV_RUN).isEmpty())
            QSKIP("umockdev-run is not installed");
        QFETCH(QString, command);
        QFETCH(QByteArray, fault);
        QFETCH(QByteArray, input);
        QFETCH(QList<int>, counts);
        QString script = QStringLiteral(VTX_CLI_TESTDATA_DIR "/vtxctl-module.ioctl");
        if (!fault.isEmpty()) {
            QFile usual(script);
            QVERIFY(usual.open(QIODevice::ReadOnly));
            const QByteArrayList opening = usual.readAll().split('\n').mid(0, 5); // the bridge and serial set-up
            script = stateFile(QStringLiteral("faulted.ioctl"), opening.join('\n') + '\n' + fault);
        }
        qputenv("QT_LOGGING_RULES", "vtx.usb.debug=true");
        const Run run = vtxctlIn(m_state->path(), words(command), umockdevRun(script), {}, input);
        qunsetenv("QT_LOGGING_RULES");
        const QList<int> counted{int(run.err.count(QStringLiteral(" write "))),
                                 int(run.err.count(QStringLiteral(" read "))),
                                 int(run.err.count(QStringLiteral("port reset of handle"))),
                                 int(run.err.count(QStringLiteral("opened the module as handle")))};
        if (counted != counts)
            qInfo().noquote() << run.err;
        QCOMPARE(counted, counts);
    }

    // vtxctl stays off the window system: it must link neither Qt Gui nor Qt Widgets.
    void linksNoWindowLibrary()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(VTXCTL_PATH)});
        QVERIFY(ldd.waitForFinished(30000));
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Core")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("libQt6Gui")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("libQt6Widgets")), qPrintable(libraries));
    }

private:
    // What vtxctl-module.ioctl answers after opening, as a session's requests.
    static inline const QByteArray kSetAndGet = "{\"id\":1,\"argv\":[\"dcp\",\"set\",\"65\"]}\n"
                                                "{\"id\":2,\"argv\":[\"dcp\",\"get\"]}\n";
    // The wrapper that runs vtxctl with the emulated module on its bus, answering from `script`.
    static QStringList umockdevRun(const QString& script = QStringLiteral(VTX_CLI_TESTDATA_DIR
                                                                          "/vtxctl-module.ioctl"))
    {
        return {QStringLiteral(VTX_UMOCKDEV_RUN), QStringLiteral("-d"),
                QStringLiteral(VTX_USB_TESTDATA_DIR "/vtxmodule.umockdev"), QStringLiteral("-i"),
                QStringLiteral("/dev/bus/usb/001/002=") + script, QStringLiteral("--")};
    }
    // A file in this test's state directory holding `bytes`: its path.
    QString stateFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_state->filePath(name));
        const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        if (!written)
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    // Runs vtxctl with the state directory of this test, and no display; `wrapper` is a command line that
    // runs it (umockdev-run ... --).
    Run vtxctl(const QStringList& arguments, const QStringList& wrapper = {})
    {
        return vtxctlIn(m_state->path(), arguments, wrapper);
    }
    static Run vtxctlIn(const QString& stateHome, const QStringList& arguments,
                        const QStringList& wrapper = {}, const QString& standardOutput = {},
                        const QByteArray& input = {})
    {
        QProcess process;
        start(process, stateHome, arguments, wrapper, standardOutput);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    static void start(QProcess& process, const QString& stateHome, const QStringList& arguments,
                      QStringList wrapper, const QString& standardOutput)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
        environment.insert(QStringLiteral("HOME"), stateHome);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        if (!wrapper.isEmpty()) {
            // umockdev-run preloads its library ahead of everything, which a sanitizer build (scripts/
            // sanitize.sh) would otherwise refuse to start with.
            // A sanitizer's log_path crashes the program under umockdev's preloaded library (its open()
            // wrapper meets the log file before the program has started), so a report goes to standard
            // error instead, where the test sees it.
            QStringList asan =
                environment.value(QStringLiteral("ASAN_OPTIONS")).split(u':', Qt::SkipEmptyParts);
            asan.removeIf(
                [](const QString& option) { return option.startsWith(QLatin1String("log_path=")); });
            asan << QStringLiteral("verify_asan_link_order=0");
            environment.insert(QStringLiteral("ASAN_OPTIONS"), asan.join(u':'));
        }
        process.setProcessEnvironment(environment);
        if (!standardOutput.isEmpty())
            process.setStandardOutputFile(standardOutput);
        wrapper << QStringLiteral(VTXCTL_PATH) << arguments;
        process.start(wrapper.takeFirst(), wrapper);
    }

    std::unique_ptr<QTemporaryDir> m_state;
};

QTEST_GUILESS_MAIN(TestVtxctl)
#include "tst_vtxctl.moc"
