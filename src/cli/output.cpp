// SPDX-License-Identifier: GPL-3.0-or-later
#include "output.h"

#include <QJsonDocument>
#include <QStringList>

namespace vtx::cli {

void Output::result(const QString& text, const QJsonObject& object)
{
    if (!m_json) {
        m_out << text << '\n';
    } else if (m_requestId.isUndefined()) {
        m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
    } else {
        QJsonObject answer = object;
        answer.insert(QStringLiteral("id"), m_requestId);
        m_out << QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)) << '\n';
    }
    if (m_flush == Flush::EachResult)
        m_out.flush();
}

void ErrorStream::report(const QString& text, const QString& /*caption*/)
{
    // The caption of a window's box is the program's title; a line on standard error names the program.
    line(text);
}

void ErrorStream::line(const QString& text)
{
    const QString folded = text.simplified();
    if (!folded.isEmpty())
        write(folded);
}

void ErrorStream::lines(const QStringList& texts)
{
    for (const QString& text : texts)
        line(text);
}

void ErrorStream::usage(const QString& text)
{
    write(text);
    verbatim({QStringLiteral("Try 'vtxctl --help'.")});
}

void ErrorStream::write(const QString& text)
{
    // Collected lines go to a client that knows who said them: without the program's name.
    verbatim({m_collected ? text : QStringLiteral("vtxctl: ") + text});
}

void ErrorStream::verbatim(const QStringList& texts)
{
    if (m_collected) {
        m_collected->append(texts);
        return;
    }
    for (const QString& text : texts)
        m_err << text << '\n';
    m_err.flush();
}

} // namespace vtx::cli
