// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace vtx {

// The files a window opened or saved last, newest first, and the folder of the last one, kept in the user's
// settings under `group` so they outlive the program. Without settings nothing is remembered.
class RecentFiles {
public:
    static constexpr int kMaxFiles = 5;

    RecentFiles(QSettings* settings, QString group);

    QStringList files() const;
    // Puts `path` at the top (moving it there if it is in the list already), drops the oldest beyond five
    // and remembers its folder.
    void add(const QString& path);
    void remove(const QString& path);
    // The folder of the last file opened or saved; empty when there was none.
    QString lastFolder() const;

private:
    QString key(const char* name) const;

    QSettings* m_settings;
    QString m_group;
};

} // namespace vtx
