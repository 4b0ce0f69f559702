// SPDX-License-Identifier: GPL-3.0-or-later
#include "failurereport.h"

#include "modulecause.h"

namespace vtx {

QString FailureReport::boxText() const
{
    QStringList blocks;
    if (!cause.isEmpty())
        blocks << cause;
    blocks << text;
    if (!linkWords.isEmpty())
        blocks << linkWords.join(QLatin1Char('\n'));
    return blocks.join(QStringLiteral("\n\n"));
}

FailureReport describeFailure(const QString& text, const Failure& failure, const QStringList& openMessages,
                              ModuleCause cause)
{
    FailureReport report;
    if (cause == ModuleCause::Named && failure.kind == Failure::Kind::Link)
        report.cause = moduleCause(failure.status);
    report.text = text;
    for (const QString& message : openMessages + failure.linkMessages)
        report.linkWords << message.trimmed();
    return report;
}

} // namespace vtx
