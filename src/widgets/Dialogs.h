#pragma once

#include <QString>
#include <functional>

class QWidget;

// Modal dialogs of the program (module windows, detail dialogs, the audit popup) are run through
// this seam, so that tests answer them in code instead of timers racing a real modal loop.
namespace Dialogs {

// Runs the window modally until it closes (a QDialog through exec(), with its result; any other
// window application-modal, result 0). With an answerer installed, the answerer gets the window
// instead (it may fill and accept it) and its result is returned.
int exec(QWidget &window);

using Answerer = std::function<int(QWidget &window)>;
void setAnswerer(Answerer answerer); // empty: real modal loops again

// Called instead of showing any real modal (message box, file dialog, dialog) when set: tests
// make an unanswered dialog fail at once rather than wait for a person.
using Unanswered = std::function<void(const QString &what)>;
void setUnansweredHandler(Unanswered handler);
// True (after calling the handler) when a real modal must not be shown.
bool refuseRealModal(const QString &what);

} // namespace Dialogs
