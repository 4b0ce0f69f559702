// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtMessageHandler>

namespace vtx::test {

// Switches the program's logging categories on and collects what they print, for as long as it lives.
class TraceRecorder {
public:
    explicit TraceRecorder(const QString& categoryRules = QStringLiteral("vtx.*.debug=true"));
    ~TraceRecorder();
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    // Messages of one category ("vtx.link"), oldest first.
    QStringList lines(const QString& category) const;
    void clear();

private:
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous;
};

} // namespace vtx::test
