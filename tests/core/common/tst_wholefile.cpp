// SPDX-License-Identifier: GPL-3.0-or-later
// Whole files: a write that fails leaves the old file, and only small regular files are read or replaced.
#include "common/wholefile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vtx;

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Makes every write past `bytes` fail with EFBIG, as a full disk fails with ENOSPC: a real device error at
// the system call, after the contents have been accepted into Qt's buffer.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class TestWholeFile : public QObject {
    Q_OBJECT
private slots:
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("setup.vtx"));
        const QByteArray old(370, 'o');
        QVERIFY(!writeWholeFile(path, old));
        std::optional<QString> reason;
        {
            const FileSizeLimit limit(100);
            reason = writeWholeFile(path, QByteArray(1000, 'n'));
        }
        QCOMPARE(reason.value_or(QString()), QString::fromLocal8Bit(std::strerror(EFBIG)));
        QCOMPARE(contentsOf(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("setup.vtx")});
    }

    void refusesWhatIsNotASmallRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        const QString notRegular = QStringLiteral("it is not a regular file");
        QTest::newRow("FIFO") << "fifo" << notRegular;
        QTest::newRow("directory") << "dir" << notRegular;
        QTest::newRow("link to a device") << "device" << notRegular;
        QTest::newRow("over 1 MB") << "large"
                                   << "it is larger than 1024 KB";
        QTest::newRow("1 MB") << "limit"
                              << "";
        QTest::newRow("link to a file") << "link"
                                        << "";
        QTest::newRow("dangling link") << "dangling"
                                       << "No such file or directory";
    }
    void refusesWhatIsNotASmallRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.json"));
        const QString file = dir.filePath(QStringLiteral("file"));
        QFile(file).open(QIODevice::WriteOnly);
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == u"dir")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"device")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == u"link")
            QVERIFY(QFile::link(file, path));
        else if (kind == u"dangling")
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
        else
            QVERIFY(!writeWholeFile(path, QByteArray(kSmallFileLimit + (kind == u"large"), 'x')));

        const WholeFileRead read = readWholeFile(path);
        QCOMPARE(read.error, error);
        QCOMPARE(read.problem == WholeFileRead::Problem::Missing, false);
        QCOMPARE(read.bytes.size(), kind == u"limit" ? kSmallFileLimit : 0);
        if (kind == u"fifo" || kind == u"device") {
            // Nothing of ours ever takes the place of a FIFO or a device node.
            QCOMPARE(writeWholeFile(path, QByteArray("{}")).value_or(QString()), notRegularText());
            QCOMPARE(QFileInfo(path).isFile(), false);
        }
    }

    void missingFileIsToldApart()
    {
        const WholeFileRead read = readWholeFile(QDir::temp().filePath(QStringLiteral("vtx-none/x.json")));
        QCOMPARE(read.problem, WholeFileRead::Problem::Missing);
        QVERIFY(read.bytes.isEmpty());
    }

private:
    static QString notRegularText() { return QStringLiteral("it is not a regular file"); }
};

QTEST_GUILESS_MAIN(TestWholeFile)
#include "tst_wholefile.moc"
