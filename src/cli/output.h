// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/reporter.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vtx::cli {

// Where a command's results go: text lines for people, or with --json one JSON object per line (JSON
// Lines) for scripts. Every result is written in both forms by the command; the output keeps one.
class Output {
public:
    // A one-shot run flushes every result as it comes; a session flushes once a request is done, so that a
    // client pays one write per request.
    enum class Flush { EachResult, ByCaller };

    Output(QTextStream& out, bool json, Flush flush = Flush::EachResult)
        : m_out(out), m_json(json), m_flush(flush)
    {
    }

    bool json() const { return m_json; }
    // One result: `text` (one or more lines) or `object` on a line of its own.
    void result(const QString& text, const QJsonObject& object);
    // In a session: the request every JSON result answers, named in it as "id"; undefined for none.
    void setRequestId(const QJsonValue& id) { m_requestId = id; }
    // What is written so far goes out now: a long command's progress.
    void flush() { m_out.flush(); }

private:
    QTextStream& m_out;
    const bool m_json;
    const Flush m_flush;
    QJsonValue m_requestId = QJsonValue::Undefined;
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
    // A usage error: what is wrong, and where help is.
    void usage(const QString& text);
    // From now on the lines are kept in `collected`, without the program's name, instead of written (a
    // session hands them to its client with the request's end); nullptr writes them again.
    void collectInto(QStringList* collected) { m_collected = collected; }

private:
    void write(const QString& text);

    QTextStream& m_err;
    QStringList* m_collected = nullptr;
};

} // namespace vtx::cli
