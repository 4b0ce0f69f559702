// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace vtx {
class SystemServices;
}

namespace vtx::shell {

inline const QString kSystemInfoUnavailable =
    QStringLiteral("System Information Is Unavailable At This Time");

// The file names a system-information program has on this platform, in the order we prefer them.
QStringList systemInfoProgramNames();

// Finds and starts the system-information program in two steps: first the program named in the platform's
// well-known place; failing that, one of the known programs in a folder of the search path, started only
// when the file is really there. False when neither step started a program (a named program that will not
// start counts as a failure, without trying the second step).
bool startSystemInfo(SystemServices& system);

} // namespace vtx::shell
