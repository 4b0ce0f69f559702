#include "tracing.h"

#include <QLoggingCategory>
#include <QString>
#include <cstdio>

namespace vtx::app {

namespace {

// One line per message: the link's trace texts carry line breaks of their own, which we fold into blanks so
// that every transfer and every trace hook stays on a single line. Empty messages are left out.
void traceHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString line = message.simplified();
    if (line.isEmpty())
        return;
    const QString category = QString::fromLatin1(context.category ? context.category : "default");
    const QString text = category == QLatin1String("default") ? line : category + QStringLiteral(": ") + line;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void enableTracing()
{
    qInstallMessageHandler(traceHandler);
    QLoggingCategory::setFilterRules(QStringLiteral("vtx.*.debug=true"));
}

} // namespace vtx::app
