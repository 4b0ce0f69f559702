// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vtx {

// Where the engine's messages for the user go, in its own words and in order: the windows show each in a
// modal box with an OK button, the command-line tool prints a line on standard error, tests record them.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const QString& text, const QString& caption) = 0;
};

} // namespace vtx
