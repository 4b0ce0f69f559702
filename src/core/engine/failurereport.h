// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "result.h"

#include <QString>
#include <QStringList>

namespace vtx {

// What a front end tells the user about a failed operation, as data: the module's own fault when it is one,
// the front end's words for what did not happen, and the link's words beneath as the reason.
struct FailureReport {
    QString cause;         // empty unless the link failed because of the module itself
    QString text;          // the front end's words
    QStringList linkWords; // what the link said while opening and during the operation, in order, trimmed

    // One message box: the cause, the text and the link's words one a line, each a block apart.
    QString boxText() const;
};

// Whether the front end names the module's own fault first (the DCP panel does; a sweep's status names the
// position instead).
enum class ModuleCause { Named, Left };

FailureReport describeFailure(const QString& text, const Failure& failure,
                              const QStringList& openMessages = {}, ModuleCause cause = ModuleCause::Named);

} // namespace vtx
