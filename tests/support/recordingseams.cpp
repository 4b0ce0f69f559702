// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingseams.h"

namespace vtx::test {

void RecordingMessageBoxes::showMessage(QWidget* /*parent*/, const QString& text, const QString& caption)
{
    messages.push_back({text, caption});
    if (onMessage)
        onMessage(messages.back());
}

QStringList RecordingMessageBoxes::texts() const
{
    QStringList result;
    for (const auto& m : messages)
        result << m.text;
    return result;
}

QString ScriptedFileDialogs::openFileName(QWidget* /*parent*/, const FileDialogRequest& request)
{
    openRequests.push_back(request);
    return nextOpenName;
}

QString ScriptedFileDialogs::saveFileName(QWidget* /*parent*/, const FileDialogRequest& request)
{
    saveRequests.push_back(request);
    return nextSaveName;
}

void ScriptedQuestions::record(const QString& text, const QString& caption)
{
    asked.push_back({text, caption});
    if (onAsk)
        onAsk();
}

StartupChoice ScriptedStartupFailureDialogs::ask(QWidget* /*parent*/, const StartupFailure& failure)
{
    const std::size_t index = shown.size();
    shown.push_back(failure);
    if (onAsk)
        onAsk();
    return index < choices.size() ? choices[index] : StartupChoice::Quit;
}

bool FakeSystemServices::startProgram(const QString& path)
{
    startAttempts << path;
    return startablePrograms.contains(path);
}

} // namespace vtx::test
