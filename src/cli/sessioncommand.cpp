// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessioncommand.h"

#include "exitcodes.h"
#include "inputlines.h"
#include "sessionrequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <utility>

namespace vtx::cli {

namespace {

// A JSON value as it stands in a line: 7, "a", null, {"k":1}.
QByteArray jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

RequestSession::RequestSession(SessionSetup setup, QTextStream& out, QTextStream& err)
    : m_out(out), m_json(setup.json), m_output(out, setup.json, Output::Flush::ByCaller), m_errors(err),
      m_module(std::move(setup.module), m_errors, ModuleAccess::Hold::WholeSession), m_context{m_output,
                                                                                               m_errors,
                                                                                               m_module,
                                                                                               setup.simulate}
{
}

bool RequestSession::take(const QByteArray& line)
{
    ++m_lineNumber;
    const SessionRequest request =
        m_json ? readJsonRequest(line) : readPlainRequest(QString::fromUtf8(line), m_lineNumber);
    if (request.kind == SessionRequest::Kind::Skipped)
        return true;

    QStringList messages;
    if (m_json) {
        m_errors.collectInto(&messages);
        m_output.setRequestId(request.id);
    }
    int exitCode = kSuccess;
    switch (request.kind) {
    case SessionRequest::Kind::Command:
        exitCode = runCommand(m_context, request.words);
        // The command failed as a one-shot run would with the module gone mid-way; for the session that
        // is the end, told as a one-shot run tells a missing module.
        if (m_module.lost())
            exitCode = kNoModule;
        break;
    case SessionRequest::Kind::Refused:
        m_errors.usage(request.error);
        exitCode = kUsageError;
        break;
    case SessionRequest::Kind::Quit:
    case SessionRequest::Kind::Skipped:
        break;
    }
    m_errors.collectInto(nullptr);
    m_output.setRequestId(QJsonValue::Undefined);
    writeDone(request.id, exitCode, messages);
    m_status = std::max(m_status, exitCode);
    return request.kind != SessionRequest::Kind::Quit && !m_module.lost();
}

int RequestSession::finish()
{
    m_module.close();
    return m_module.lost() ? kNoModule : m_status;
}

void RequestSession::writeDone(const QJsonValue& id, int exitCode, const QStringList& messages)
{
    // Written by hand to keep the order people read it in: the id first.
    QByteArray line = "{\"id\":" + jsonText(id) + ",\"done\":true,\"exit\":" + QByteArray::number(exitCode);
    if (m_json)
        line += ",\"messages\":" +
                QJsonDocument(QJsonArray::fromStringList(messages)).toJson(QJsonDocument::Compact);
    line += "}\n";
    m_out << QString::fromUtf8(line);
    m_out.flush();
}

int runSession(SessionSetup setup, int input, QTextStream& out, QTextStream& err)
{
    RequestSession session(std::move(setup), out, err);
    InputLines lines(input);
    QByteArray line;
    while (lines.next(line) && session.take(line)) {
    }
    return session.finish();
}

} // namespace vtx::cli
