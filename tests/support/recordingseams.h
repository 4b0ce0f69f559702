// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/reporter.h"
#include "platform/systemservices.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"
#include "widgets/programcontrol.h"
#include "widgets/questions.h"
#include "widgets/startupfailuredialog.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace vtx::test {

struct RecordedMessage {
    QString text;
    QString caption;
};

// Records every message box instead of showing it, whether a window shows it or the engine reports it. An
// optional reaction runs while the "box" is up, the way a modal box lets other events through.
class RecordingMessageBoxes final : public MessageBoxes, public Reporter {
public:
    void showMessage(QWidget* parent, const QString& text, const QString& caption) override;
    void report(const QString& text, const QString& caption) override { showMessage(nullptr, text, caption); }

    std::vector<RecordedMessage> messages;
    std::function<void(const RecordedMessage&)> onMessage;

    QStringList texts() const;
    void clear() { messages.clear(); }
};

// Answers the file dialogs with names the test chose; an empty name is a cancel.
class ScriptedFileDialogs final : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;

    QString nextOpenName;
    QString nextSaveName;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
};

// Counts the requests to end the program instead of ending it.
class RecordingProgramControl final : public ProgramControl {
public:
    void endProgram() override { ++endRequests; }
    int endRequests = 0;
};

// Records every question and gives the answer the test chose (Discard unless told otherwise). An optional
// reaction runs while the question is up.
class ScriptedQuestions final : public Questions {
public:
    SaveAnswer askToSave(QWidget*, const QString& text, const QString& caption) override
    {
        record(text, caption);
        return answer;
    }
    bool askYesNo(QWidget*, const QString& text, const QString& caption) override
    {
        record(text, caption);
        return yes;
    }

    SaveAnswer answer = SaveAnswer::Discard;
    bool yes = false; // the answer to Yes-or-No questions
    std::vector<RecordedMessage> asked;
    std::function<void()> onAsk;

private:
    void record(const QString& text, const QString& caption);
};

// Records every start-up failure dialog and answers with the test's choices in turn; once they run out, Quit.
// An optional reaction runs while the dialog is up (plugging the module in before Retry, say).
class ScriptedStartupFailureDialogs final : public StartupFailureDialogs {
public:
    StartupChoice ask(QWidget* parent, const StartupFailure& failure) override;

    std::vector<StartupChoice> choices;
    std::vector<StartupFailure> shown;
    std::function<void()> onAsk;
};

// A file system, program starter and system-information settings of the test's making.
class FakeSystemServices final : public SystemServices {
public:
    bool startProgram(const QString& path) override;
    bool fileExists(const QString& path) const override { return existingFiles.contains(path); }
    QString namedSystemInfoProgram() const override { return namedProgram; }
    QStringList programSearchPath() const override { return searchPath; }

    QSet<QString> existingFiles;
    QSet<QString> startablePrograms; // startProgram succeeds for these
    QString namedProgram;
    QStringList searchPath;
    QStringList startAttempts; // every program startProgram was asked for, whether it started or not
};

} // namespace vtx::test
