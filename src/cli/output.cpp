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
    if (m_collected) {
        *m_collected << text << QStringLiteral("Try 'vtxctl --help'.");
        return;
    }
    m_err << "vtxctl: " << text << "\nTry 'vtxctl --help'.\n";
    m_err.flush();
}

void ErrorStream::write(const QString& text)
{
    if (m_collected) {
        m_collected->append(text);
        return;
    }
    m_err << "vtxctl: " << text << '\n';
    m_err.flush();
}

} // namespace vtx::cli
