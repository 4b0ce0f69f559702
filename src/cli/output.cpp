// SPDX-License-Identifier: GPL-3.0-or-later
#include "output.h"

#include <QJsonDocument>
#include <QStringList>

namespace vtx::cli {

void Output::result(const QString& text, const QJsonObject& object)
{
    if (m_json)
        m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
    else
        m_out << text << '\n';
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
    if (folded.isEmpty())
        return;
    m_err << "vtxctl: " << folded << '\n';
    m_err.flush();
}

void ErrorStream::lines(const QStringList& texts)
{
    for (const QString& text : texts)
        line(text);
}

void ErrorStream::verbatim(const QStringList& texts)
{
    for (const QString& text : texts)
        m_err << text << '\n';
    m_err.flush();
}

} // namespace vtx::cli
