// SPDX-License-Identifier: GPL-3.0-or-later
#include "recentfiles.h"

#include <QFileInfo>
#include <QSettings>

namespace vtx {

RecentFiles::RecentFiles(QSettings* settings, QString group) : m_settings(settings), m_group(std::move(group))
{
}

QString RecentFiles::key(const char* name) const
{
    return m_group + QLatin1Char('/') + QLatin1String(name);
}

QStringList RecentFiles::files() const
{
    return m_settings ? m_settings->value(key("recentFiles")).toStringList() : QStringList{};
}

void RecentFiles::add(const QString& path)
{
    if (!m_settings)
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kMaxFiles)
        list.removeLast();
    m_settings->setValue(key("recentFiles"), list);
    m_settings->setValue(key("lastFolder"), QFileInfo(absolute).absolutePath());
}

void RecentFiles::remove(const QString& path)
{
    if (!m_settings)
        return;
    QStringList list = files();
    list.removeAll(path);
    m_settings->setValue(key("recentFiles"), list);
}

QString RecentFiles::lastFolder() const
{
    return m_settings ? m_settings->value(key("lastFolder")).toString() : QString();
}

} // namespace vtx
