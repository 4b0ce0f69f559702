// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/systemservices.h"

namespace vtx::shell {

// The operating system's own services for the about box. On Linux the well-known place that names a
// system-information program is the first line of /etc/vtx-eval/system-info; on Windows it is the registry.
class DesktopSystemServices final : public SystemServices {
public:
    static inline const QString kNamedProgramFile = QStringLiteral("/etc/vtx-eval/system-info");

    bool startProgram(const QString& path) override;
    bool fileExists(const QString& path) const override;
    QString namedSystemInfoProgram() const override;
    QStringList programSearchPath() const override;
};

} // namespace vtx::shell
