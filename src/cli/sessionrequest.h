// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace vtx::cli {

// One line of a session's input, read as a request.
struct SessionRequest {
    enum class Kind {
        Skipped, // a blank line or a comment: no answer at all
        Command, // the words of a vtxctl command, as on the command line after the global options
        Quit,    // the end of the session, answered like any request
        Refused, // a usage error, answered with the error
    };
    Kind kind = Kind::Skipped;
    QJsonValue id;     // what the request's answers carry: its line number, or the client's id (null: none)
    QStringList words; // Command
    QString error;     // Refused
};

// A line of a script: words split as a shell splits them (quotes keep a file name with blanks together).
// Blank lines and those whose first word starts with '#' are skipped. `lineNumber` counts from 1.
SessionRequest readPlainRequest(const QString& line, int lineNumber);
// A line from a client: a JSON object {"id": <any JSON value>, "argv": ["dcp", "set", "65"]}.
SessionRequest readJsonRequest(const QByteArray& line);

} // namespace vtx::cli
