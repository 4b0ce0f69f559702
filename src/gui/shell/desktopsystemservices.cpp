// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopsystemservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

namespace vtx::shell {

bool DesktopSystemServices::startProgram(const QString& path)
{
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

bool DesktopSystemServices::fileExists(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QString DesktopSystemServices::namedSystemInfoProgram() const
{
#ifdef Q_OS_WIN
    const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QSettings::NativeFormat);
    return key.value(QStringLiteral("PATH")).toString();
#else
    QFile file(kNamedProgramFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
#endif
}

QStringList DesktopSystemServices::programSearchPath() const
{
#ifdef Q_OS_WIN
    const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QSettings::NativeFormat);
    const QString folder = key.value(QStringLiteral("MSINFO")).toString();
    return folder.isEmpty() ? QStringList{} : QStringList{folder};
#else
    return QProcessEnvironment::systemEnvironment()
        .value(QStringLiteral("PATH"))
        .split(QDir::listSeparator(), Qt::SkipEmptyParts);
#endif
}

} // namespace vtx::shell
