// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/reporter.h"

#include <QJsonObject>
#include <QString>
#include <QTextStream>

namespace vtx::cli {

// Where a command's results go: text lines for people, or with --json one JSON object per line (JSON
// Lines) for scripts. Every result is written in both forms by the command; the output keeps one.
class Output {
public:
    Output(QTextStream& out, bool json) : m_out(out), m_json(json) {}

    bool json() const { return m_json; }
    // One result: `text` (one or more lines) or `object` on a line of its own.
    void result(const QString& text, const QJsonObject& object);

private:
    QTextStream& m_out;
    const bool m_json;
};

// Standard error: the link's messages that the windows show in boxes, in the same words, one line each,
// and our own diagnostics.
class ErrorStream final : public Reporter {
public:
    explicit ErrorStream(QTextStream& err) : m_err(err) {}

    void report(const QString& text, const QString& caption) override;
    // One line; the line breaks inside a message become blanks.
    void line(const QString& text);
    void lines(const QStringList& texts);
    // Lines as they are, without the program's name: a listing the user reads or copies from.
    void verbatim(const QStringList& texts);

private:
    QTextStream& m_err;
};

} // namespace vtx::cli
