#pragma once

// Answers every message box of the program while it lives, keeping what was shown.
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
    }
    ~MessageRecording() { Messages::setRecorder({}); }
    MessageRecording(const MessageRecording &) = delete;
    MessageRecording &operator=(const MessageRecording &) = delete;

    QStringList texts;
    QList<Messages::Kind> kinds;
    bool answer = true; // OK to every confirmation
};
