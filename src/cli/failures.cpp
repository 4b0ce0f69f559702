// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"
#include "engine/failurereport.h"
#include "exitcodes.h"

namespace vtx::cli {

int reportFailure(ErrorStream& err, const Failure& failure, const protocol::I2cReply& reply,
                  const QString& who)
{
    const bool nak = failure.kind == Failure::Kind::NotAcknowledged;
    // A failed send stays in the trace; when the link had nothing else to say, the status is all there is.
    const QString text =
        nak ? QStringLiteral("NAK: %1 did not acknowledge (transfer count %2)").arg(who).arg(reply.count)
            : QStringLiteral("the transfer to %1 failed: status %2").arg(who).arg(statusCode(failure.status));
    const FailureReport report = describeFailure(text, failure, {}, ModuleCause::Left);
    // A line each: the link's own words say more than ours, so they replace the text when there are any.
    if (nak || report.linkWords.isEmpty())
        err.line(report.text);
    else
        err.lines(report.linkWords);
    return kDeviceFailure;
}

void addFailure(QJsonObject& object, const Failure& failure, const protocol::I2cReply& reply)
{
    object.insert(QStringLiteral("ok"), false);
    object.insert(QStringLiteral("error"), failure.kind == Failure::Kind::NotAcknowledged
                                               ? QStringLiteral("nak")
                                               : QStringLiteral("link"));
    object.insert(QStringLiteral("transferCount"), reply.count);
}

} // namespace vtx::cli
