#pragma once

// Answers every message box of the program while it lives, keeping what was shown. Any other
// modal (a save dialog or a dialog that the test did not answer in advance) ends the test run
// at once instead of waiting for a person.
#include "Dialogs.h"
#include "Messages.h"

#include <QList>
#include <QStringList>

class MessageRecording
{
public:
    MessageRecording()
    {
        Messages::setRecorder([this](Messages::Kind kind, const QString &text) {
            kinds << kind;
            texts << text;
            return answer;
        });
        Messages::setChoiceRecorder([this](const QString &text) {
            kinds << Messages::Kind::SaveDiscardCancel;
            texts << text;
            return choice;
        });
        Dialogs::setUnansweredHandler(
            [](const QString &what) { qFatal("The test left a %s unanswered", qPrintable(what)); });
    }
    ~MessageRecording()
    {
        Messages::setRecorder({});
        Messages::setChoiceRecorder({});
        Dialogs::setUnansweredHandler({});
    }
    MessageRecording(const MessageRecording &) = delete;
    MessageRecording &operator=(const MessageRecording &) = delete;

    QStringList texts;
    QList<Messages::Kind> kinds;
    bool answer = true;                               // OK to every confirmation
    Messages::Choice choice = Messages::Choice::Save; // to every Save/Discard/Cancel question
};
