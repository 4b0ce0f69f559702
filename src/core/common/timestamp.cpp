// SPDX-License-Identifier: GPL-3.0-or-later
#include "timestamp.h"

#include <QDateTime>

namespace vtx {

QString timeOfDayText(std::int64_t wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString sinceStartText(std::int64_t sinceStartMs)
{
    return QString::number(sinceStartMs);
}

QString timestampPrefix(std::int64_t wallMs, std::int64_t sinceStartMs)
{
    return timeOfDayText(wallMs) + QStringLiteral(" +") + sinceStartText(sinceStartMs) +
           QStringLiteral(" ms ");
}

} // namespace vtx
