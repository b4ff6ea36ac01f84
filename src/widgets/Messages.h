#pragma once

#include <QString>
#include <functional>

class QWidget;

// The one seam through which every message box and confirmation of the program passes
// (caption "Tallimar"). Tests install a recorder that captures the text and answers.
namespace Messages {

enum class Kind { Information, Warning, Error, Confirm, SaveDiscardCancel };
enum class Choice { Save, Discard, Cancel };

// Plain message box with OK.
void show(const QString &text, QWidget *parent = nullptr);
void warning(const QString &text, QWidget *parent = nullptr);
// Error box with Close.
void error(const QString &text, QWidget *parent = nullptr);
// OK/Cancel question; true for OK.
bool confirm(const QString &text, QWidget *parent = nullptr);
// Save/Discard/Cancel question about changes not yet written.
Choice askToSave(const QString &text, QWidget *parent = nullptr);

// A short note that closes by itself (where a file went); no box to close. Tests see it through
// the notice recorder, not the message recorder.
void notice(const QString &text, QWidget *parent = nullptr);
void setNoticeRecorder(std::function<void(const QString &text)> recorder); // empty: shown again

// A recorder sees (kind, text) instead of a real box; its result answers a confirmation.
using Recorder = std::function<bool(Kind kind, const QString &text)>;
void setRecorder(Recorder recorder); // empty: real boxes again
// Answers Save/Discard/Cancel questions instead of a real box. Without it a recorder answers
// them too: true is Save, false is Cancel.
using ChoiceRecorder = std::function<Choice(const QString &text)>;
void setChoiceRecorder(ChoiceRecorder recorder);

} // namespace Messages
