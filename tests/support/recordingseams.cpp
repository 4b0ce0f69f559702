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

bool FakeSystemServices::startProgram(const QString& path)
{
    if (!startablePrograms.contains(path))
        return false;
    startedPrograms << path;
    return true;
}

} // namespace vtx::test
