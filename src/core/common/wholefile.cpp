// SPDX-License-Identifier: GPL-3.0-or-later
#include "wholefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vtx {

namespace {

const QString kNotRegular = QStringLiteral("it is not a regular file");

QString tooLarge(qint64 limit)
{
    return QStringLiteral("it is larger than %1 KB").arg(limit / 1024);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::optional<QString> writeWholeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    // QSaveFile would put a regular file in the place of a device node or a FIFO.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return kNotRegular;

    QSaveFile file(path);
    // Writing in place would leave a half-written file behind on failure; we would rather fail.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A write cut short by a full disk leaves Qt without a reason ("Unknown error"); the system call that
    // failed last still has it.
    errno = 0;
    const auto fail = [&file](int error) {
        file.cancelWriting();
        // errno is only the cause when the file itself failed.
        return error != 0 && file.error() != QFileDevice::NoError ? systemError(error) : file.errorString();
    };
    // commit() flushes the buffer itself but loses a failure there, and then puts the short file in place.
    if (!write(file) || file.error() != QFileDevice::NoError || !file.flush())
        return fail(errno);
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0)
        return fail(errno);
#endif
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents)
{
    return writeWholeFile(
        path, [&contents](QIODevice& device) { return device.write(contents) == contents.size(); });
}

WholeFileRead readWholeFile(const QString& path, qint64 limit)
{
    WholeFileRead read;
    QFile file(path);
#ifdef Q_OS_UNIX
    // Opened without blocking and checked on the open descriptor: a FIFO put in place after a check by
    // name would still hang us.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A dangling link is a file that cannot be read, not a file never written.
        read.problem = error == ENOENT && !QFileInfo(path).isSymLink() ? WholeFileRead::Problem::Missing
                                                                       : WholeFileRead::Problem::Unreadable;
        read.error = systemError(error);
        return read;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        read.problem = WholeFileRead::Problem::NotRegular;
        read.error = kNotRegular;
        return read;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        read.problem = WholeFileRead::Problem::Unreadable;
        read.error = file.errorString();
        return read;
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        read.problem = WholeFileRead::Problem::NotRegular;
        read.error = kNotRegular;
        return read;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        read.problem = info.exists() ? WholeFileRead::Problem::Unreadable : WholeFileRead::Problem::Missing;
        read.error = file.errorString();
        return read;
    }
#endif
    // One byte more than allowed tells a file that grew past the limit after any size check.
    read.bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        read.problem = WholeFileRead::Problem::Unreadable;
        read.error = file.errorString();
        read.bytes.clear();
    } else if (read.bytes.size() > limit) {
        read.problem = WholeFileRead::Problem::TooLarge;
        read.error = tooLarge(limit);
        read.bytes.clear();
    }
    return read;
}

} // namespace vtx
