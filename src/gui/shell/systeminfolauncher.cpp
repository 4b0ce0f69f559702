// SPDX-License-Identifier: GPL-3.0-or-later
#include "systeminfolauncher.h"

#include "platform/systemservices.h"

#include <QDir>

namespace vtx::shell {

QStringList systemInfoProgramNames()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("MSINFO32.EXE")};
#else
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
#endif
}

bool startSystemInfo(SystemServices& system)
{
    const QString named = system.namedSystemInfoProgram();
    if (!named.isEmpty())
        return system.startProgram(named);
    const QStringList names = systemInfoProgramNames();
    for (const QString& folder : system.programSearchPath()) {
        if (folder.isEmpty())
            continue;
        for (const QString& name : names) {
            const QString path = QDir(folder).filePath(name);
            if (system.fileExists(path))
                return system.startProgram(path);
        }
    }
    return false;
}

} // namespace vtx::shell
