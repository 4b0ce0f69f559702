// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace vtx {

// Services of the operating system that the about box needs: starting another program and testing for a
// file. Behind a seam so that tests decide what exists and record what was started.
class SystemServices {
public:
    virtual ~SystemServices() = default;
    // Starts a program in a normal window; false when it could not be started.
    virtual bool startProgram(const QString& path) = 0;
    virtual bool fileExists(const QString& path) const = 0;
    // The system-information program named in the platform's well-known place (the registry on Windows, a
    // one-line file on Linux); empty when none is named.
    virtual QString namedSystemInfoProgram() const { return {}; }
    // The folders searched for programs, in order (PATH).
    virtual QStringList programSearchPath() const { return {}; }
};

} // namespace vtx
