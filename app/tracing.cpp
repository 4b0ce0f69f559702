// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracing.h"

#include "common/timestamp.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>
#include <cstdio>

namespace vtx::app {

namespace {

// Started with the tracing, at the program's start: the "ms since start" of every line.
QElapsedTimer& sinceStart()
{
    static QElapsedTimer timer;
    return timer;
}

// One line per message, led by the time of day and the milliseconds since start as the transfer log shows
// them: the link's trace texts carry line breaks of their own, which we fold into blanks so
// that every transfer and every trace hook stays on a single line. Empty messages are left out.
void traceHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString line = message.simplified();
    if (line.isEmpty())
        return;
    const QString category = QString::fromLatin1(context.category ? context.category : "default");
    const QString text =
        timestampPrefix(QDateTime::currentMSecsSinceEpoch(), sinceStart().elapsed()) +
        (category == QLatin1String("default") ? line : category + QStringLiteral(": ") + line);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void enableTracing()
{
    sinceStart().start();
    qInstallMessageHandler(traceHandler);
    QLoggingCategory::setFilterRules(QStringLiteral("vtx.*.debug=true"));
}

} // namespace vtx::app
