// SPDX-License-Identifier: GPL-3.0-or-later
#include "simboardstatefile.h"

#include "common/logging.h"
#include "common/wholefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <algorithm>
#include <utility>

namespace vtx {

namespace {

constexpr int kFormat = 1;
constexpr qint64 kUnreadableLockGraceSeconds = 5;

QString stateDirectory()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt 6.4 has no StateLocation yet; the XDG base directory rules are short enough to follow here.
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.local/state");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}

std::optional<std::uint8_t> codeField(const QJsonObject& object, const char* key)
{
    const int value = object.value(QLatin1String(key)).toInt(-1);
    if (value < 0 || value > 127)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

SimBoardStateFile::SimBoardStateFile(const QString& path)
    : m_path(path), m_lock(path + QStringLiteral(".lock"))
{
    // The board is held for as long as a program keeps the module open, however long that is; only a lock
    // whose program has died is stale.
    m_lock.setStaleLockTime(0);
}

SimBoardStateFile::~SimBoardStateFile() = default;

QString SimBoardStateFile::defaultPath()
{
    return stateDirectory() + QStringLiteral("/vtx-eval/simulated-board.json");
}

bool SimBoardStateFile::claim()
{
    if (m_lock.isLocked())
        return true;
    m_holder.clear();
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QString lockPath = m_lock.fileName();
    // QLockFile would read a FIFO in the lock's place and block; nothing but a regular file is a lock of
    // ours.
    const QFileInfo lockInfo(lockPath);
    if ((lockInfo.exists() || lockInfo.isSymLink()) && (!lockInfo.isFile() || lockInfo.isSymLink()))
        takeOverLock(QStringLiteral("it is not a regular file"));
    if (m_lock.tryLock(0)) {
        m_inMemoryOnly = false;
        removeOldTemporaries();
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        // Nobody holds the board; we only cannot keep it (a read-only or missing state directory). The
        // program still gets a board, fresh from the factory and kept in memory for this run. Told once:
        // a listing of the modules claims the board for a moment before the program opens it.
        if (!m_inMemoryReported)
            qCWarning(lcSim) << "cannot keep the simulated board's state in" << m_path
                             << ": the board lives in memory for this run";
        m_inMemoryReported = true;
        m_inMemoryOnly = true;
        return true;
    }
    // QLockFile has already taken over a lock whose process on this host has died. One it cannot read, or
    // one written on another host (a container, a home folder shared over the network), it leaves alone
    // for ever; nobody can hold the board through such a lock, and the state file is only ever replaced
    // whole, so taking it over risks nothing.
    qint64 pid = 0;
    QString host;
    QString program;
    if (!m_lock.getLockInfo(&pid, &host, &program)) {
        // A program that has just made its lock file has not written it yet: only an old one is left over.
        const QDateTime written = QFileInfo(lockPath).lastModified();
        if (written.isValid() && written.secsTo(QDateTime::currentDateTime()) < kUnreadableLockGraceSeconds) {
            m_holder = QStringLiteral("by a program that is starting; its lock file is \"%1\": try again, or "
                                      "delete the lock file if no program of ours runs")
                           .arg(lockPath);
            return false;
        }
        takeOverLock(QStringLiteral("it cannot be read"));
    } else if (!host.isEmpty() && host != QSysInfo::machineHostName()) {
        takeOverLock(QStringLiteral("it was written by process %1 on the host \"%2\", not this one")
                         .arg(pid)
                         .arg(host));
    } else {
        m_holder =
            QStringLiteral("by %1 (process %2); its lock file is \"%3\": end that program, or delete the "
                           "lock file if it is gone")
                .arg(program)
                .arg(pid)
                .arg(lockPath);
        return false;
    }
    if (m_lock.tryLock(0)) {
        m_inMemoryOnly = false;
        removeOldTemporaries();
        return true;
    }
    m_holder = QStringLiteral("by a program whose lock file \"%1\" cannot be taken over: delete it if no "
                              "program of ours runs")
                   .arg(lockPath);
    return false;
}

void SimBoardStateFile::takeOverLock(const QString& why)
{
    const QString lockPath = m_lock.fileName();
    qCWarning(lcSim).noquote()
        << QStringLiteral("taking over the simulated board's lock file \"%1\": %2").arg(lockPath, why);
    const QFileInfo lock(lockPath);
    if (lock.isDir() && !lock.isSymLink())
        QDir().rmdir(lockPath);
    else if (lock.isFile() && !lock.isSymLink())
        m_lock.removeStaleLockFile();
    else
        QFile::remove(lockPath);
}

void SimBoardStateFile::removeOldTemporaries()
{
    // A program killed in the middle of a save leaves its temporary file ("simulated-board.json.Ab12Cd")
    // behind. We hold the lock, so no save of ours is under way; a day spares any other kind of writer.
    const QFileInfo state(m_path);
    const QRegularExpression temporary(QStringLiteral("^") + QRegularExpression::escape(state.fileName()) +
                                       QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    const QFileInfoList files = QDir(state.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        if (temporary.match(file.fileName()).hasMatch() && !file.isSymLink() &&
            file.lastModified() < dayAgo) {
            qCDebug(lcSim) << "removing a temporary file left by a save that did not end:" << file.filePath();
            QFile::remove(file.filePath());
        }
    }
}

QString SimBoardStateFile::holder() const
{
    return m_holder;
}

void SimBoardStateFile::release()
{
    m_inMemoryOnly = false;
    if (m_lock.isLocked())
        m_lock.unlock();
}

std::optional<SimBoardState> SimBoardStateFile::load()
{
    if (m_inMemoryOnly)
        return std::nullopt;
    const WholeFileRead read = readWholeFile(m_path);
    if (read.problem == WholeFileRead::Problem::Missing)
        return std::nullopt; // never saved: a board fresh from the factory
    if (!read.error.isEmpty()) {
        // Saving over a file we could not read (a permission, a link to a device) could destroy it; the
        // board lives in memory for this run instead, as where no state can be kept.
        if (!std::exchange(m_unreadableReported, true))
            qCWarning(lcSim).noquote()
                << QStringLiteral("cannot read the simulated board's state \"%1\": %2: "
                                  "the board lives in memory for this run")
                       .arg(m_path, read.error);
        m_inMemoryOnly = true;
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &error);
    const QJsonObject root = document.object();
    const QJsonObject dcp = root.value(QLatin1String("vtx8303")).toObject();
    const QJsonObject device = root.value(QLatin1String("registerDevice")).toObject();
    const QByteArray registers =
        QByteArray::fromHex(device.value(QLatin1String("registers")).toString().toLatin1());
    const auto wiper = codeField(dcp, "wiperCode");
    const auto eeprom = codeField(dcp, "eepromCode");
    const int pointer = device.value(QLatin1String("pointer")).toInt(-1);
    if (error.error != QJsonParseError::NoError || root.value(QLatin1String("format")).toInt() != kFormat ||
        !wiper || !eeprom || registers.size() != 256 || pointer < 0 || pointer > 255) {
        // A state we cannot read is no state: the board starts as it left the factory.
        qCWarning(lcSim) << "ignoring the unreadable simulated-board state" << m_path;
        return std::nullopt;
    }
    SimBoardState state;
    state.wiperCode = *wiper;
    state.eepromCode = *eeprom;
    std::copy(registers.begin(), registers.end(), state.registers.begin());
    state.registerPointer = static_cast<std::uint8_t>(pointer);
    return state;
}

void SimBoardStateFile::save(const SimBoardState& state)
{
    if (m_inMemoryOnly)
        return;
    const QByteArray registers(reinterpret_cast<const char*>(state.registers.data()),
                               static_cast<qsizetype>(state.registers.size()));
    const QJsonObject root{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("vtx8303"), QJsonObject{{QStringLiteral("wiperCode"), state.wiperCode},
                                                {QStringLiteral("eepromCode"), state.eepromCode}}},
        {QStringLiteral("registerDevice"),
         QJsonObject{{QStringLiteral("registers"), QString::fromLatin1(registers.toHex())},
                     {QStringLiteral("pointer"), state.registerPointer}}},
    };
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (const auto reason = writeWholeFile(m_path, QJsonDocument(root).toJson()))
        qCWarning(lcSim) << "cannot save the simulated-board state to" << m_path << ":" << *reason;
}

} // namespace vtx
