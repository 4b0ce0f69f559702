// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingseams.h"

namespace vtx::test {

void RecordingMessageBoxes::showMessage(QWidget* parent, const QString& text, const QString& caption)
{
    Q_UNUSED(parent);
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

QString ScriptedFileDialogs::openFileName(QWidget* parent, const FileDialogRequest& request)
{
    Q_UNUSED(parent);
    openRequests.push_back(request);
    return nextOpenName;
}

QString ScriptedFileDialogs::saveFileName(QWidget* parent, const FileDialogRequest& request)
{
    Q_UNUSED(parent);
    saveRequests.push_back(request);
    return nextSaveName;
}

Questions::SaveAnswer ScriptedQuestions::askToSave(QWidget* parent, const QString& text,
                                                   const QString& caption)
{
    Q_UNUSED(parent);
    asked.push_back({text, caption});
    if (onAsk)
        onAsk();
    return answer;
}

bool ScriptedQuestions::askYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    Q_UNUSED(parent);
    asked.push_back({text, caption});
    if (onAsk)
        onAsk();
    return yes;
}

StartupChoice ScriptedStartupFailureDialogs::ask(QWidget* parent, const StartupFailure& failure)
{
    Q_UNUSED(parent);
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
