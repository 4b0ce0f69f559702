// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"
#include "exitcodes.h"

namespace vtx::cli {

int reportFailure(ErrorStream& err, const Failure& failure, const protocol::I2cReply& reply,
                  const QString& who)
{
    if (failure.kind == Failure::Kind::NotAcknowledged) {
        err.line(QStringLiteral("NAK: %1 did not acknowledge (transfer count %2)").arg(who).arg(reply.count));
    } else if (!failure.linkMessages.isEmpty()) {
        err.lines(failure.linkMessages);
    } else {
        // A failed send stays in the trace; the link had nothing else to say.
        err.line(
            QStringLiteral("the transfer to %1 failed: status %2").arg(who).arg(statusCode(failure.status)));
    }
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
