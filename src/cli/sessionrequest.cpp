// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessionrequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace vtx::cli {

namespace {

// Why the words cannot be a request of a session; empty when they can. The driver and the output form are
// the session's, fixed for all its requests; help and another session make no sense inside one.
QString refusal(const QStringList& words)
{
    if (words.isEmpty())
        return QStringLiteral("no command given");
    for (const QString& word : words) {
        if (word == QLatin1String("--simulate") || word == QLatin1String("--json") ||
            word == QLatin1String("--trace") || word == QLatin1String("--device") ||
            word.startsWith(QLatin1String("--device=")))
            return QStringLiteral("option '%1' belongs to the session: give it to 'vtxctl session', not to "
                                  "a request")
                .arg(word);
        if (word == QLatin1String("--help") || word == QLatin1String("-h") ||
            word == QLatin1String("--version"))
            return QStringLiteral("option '%1' is not available in a session").arg(word);
    }
    const QString& name = words.constFirst();
    if (name == QLatin1String("session"))
        return QStringLiteral("a session cannot run 'session'");
    // As on the command line: no command starts with '-'.
    if (name.startsWith(u'-'))
        return QStringLiteral("unknown option '%1'").arg(name);
    if (name == QLatin1String("quit") && words.size() > 1)
        return QStringLiteral("quit: unexpected argument '%1'").arg(words.at(1));
    return {};
}

SessionRequest request(QJsonValue id, const QStringList& words)
{
    SessionRequest request;
    request.id = std::move(id);
    request.error = refusal(words);
    if (!request.error.isEmpty())
        request.kind = SessionRequest::Kind::Refused;
    else if (words.constFirst() == QLatin1String("quit"))
        request.kind = SessionRequest::Kind::Quit;
    else
        request.kind = SessionRequest::Kind::Command;
    request.words = words;
    return request;
}

SessionRequest refused(QJsonValue id, const QString& error)
{
    SessionRequest request;
    request.kind = SessionRequest::Kind::Refused;
    request.id = std::move(id);
    request.error = error;
    return request;
}

} // namespace

SessionRequest readPlainRequest(const QString& line, int lineNumber)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
        return {};
    return request(lineNumber, QProcess::splitCommand(trimmed));
}

SessionRequest readJsonRequest(const QByteArray& line)
{
    // A client that ends its requests with a blank line means nothing by it.
    if (line.trimmed().isEmpty())
        return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (!document.isObject())
        return refused(
            QJsonValue::Null,
            QStringLiteral("a request is a JSON object {\"id\": ..., \"argv\": [words]} on one line"));
    const QJsonObject object = document.object();
    const QJsonValue id =
        object.contains(QLatin1String("id")) ? object.value(QLatin1String("id")) : QJsonValue();
    const QJsonValue argv = object.value(QLatin1String("argv"));
    const QString notWords = QStringLiteral("a request's \"argv\" is a list of strings: the command's words");
    if (!argv.isArray())
        return refused(id, notWords);
    QStringList words;
    for (const QJsonValue& word : argv.toArray()) {
        if (!word.isString())
            return refused(id, notWords);
        words << word.toString();
    }
    return request(id, words);
}

} // namespace vtx::cli
