// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracerecorder.h"

#include <QLoggingCategory>
#include <utility>
#include <vector>

namespace vtx::test {

namespace {

// A message handler is a plain function, so the one recorder alive keeps its lines here.
std::vector<std::pair<QString, QString>>& recorded()
{
    static std::vector<std::pair<QString, QString>> lines;
    return lines;
}

} // namespace

TraceRecorder::TraceRecorder(const QString& categoryRules)
{
    recorded().clear();
    QLoggingCategory::setFilterRules(categoryRules);
    m_previous = qInstallMessageHandler(&TraceRecorder::record);
}

TraceRecorder::~TraceRecorder()
{
    qInstallMessageHandler(m_previous);
    QLoggingCategory::setFilterRules(QString());
    recorded().clear();
}

QStringList TraceRecorder::lines(const QString& category) const
{
    QStringList result;
    for (const auto& [cat, text] : recorded())
        if (cat == category)
            result << text;
    return result;
}

void TraceRecorder::clear()
{
    recorded().clear();
}

void TraceRecorder::record(QtMsgType /*type*/, const QMessageLogContext& context, const QString& message)
{
    recorded().emplace_back(QString::fromLatin1(context.category ? context.category : "default"), message);
}

} // namespace vtx::test
