// SPDX-License-Identifier: GPL-3.0-or-later
#include "simboardstatefile.h"

#include "common/logging.h"
#include "common/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace vtx {

namespace {

constexpr int kFormat = 1;

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
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (m_lock.tryLock(0)) {
        m_inMemoryOnly = false;
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        // Nobody holds the board; we only cannot keep it (a read-only or missing state directory). The
        // program still gets a board, fresh from the factory and kept in memory for this run.
        qCWarning(lcSim) << "cannot keep the simulated board's state in" << m_path
                         << ": the board lives in memory for this run";
        m_inMemoryOnly = true;
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (m_lock.getLockInfo(&pid, &host, &program))
        qCDebug(lcSim) << "the simulated board is held by" << program << "process" << pid;
    else
        qCDebug(lcSim) << "cannot lock" << m_lock.fileName() << "error" << m_lock.error();
    return false;
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
