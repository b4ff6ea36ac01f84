#include "ScreenServices.h"
#include "DbError.h"
#include "FetchingDataForm.h"
#include "Messages.h"
#include "Session.h"

#include <QApplication>
#include <QWidget>
#include <exception>
#include <optional>

QDate GetActiveCycle(const Session &session)
{
    const CycleMonth c = session.activeCycle();
    return QDate(c.year, c.month, 1);
}

SandGlass::~SandGlass()
{
    HideSandGlass();
}

void SandGlass::ShowSandGlass()
{
    if (m_form)
        return;
    m_form = new TFetchingDataForm(m_owner ? m_owner->window() : nullptr);
    m_form->setAttribute(Qt::WA_DeleteOnClose);
    if (m_owner) {
        const QWidget *w = m_owner->window();
        m_form->move(w->mapToGlobal(w->rect().center()) - m_form->rect().center());
    }
    m_form->show();
    m_form->raise();
    if (!m_cursorSet) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursorSet = true;
    }
    // The work that follows blocks the loop: let the window paint now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SandGlass::HideSandGlass()
{
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
    if (m_form) {
        m_form->hide();
        m_form->deleteLater();
        m_form.clear();
    }
}

namespace {
// Runs the work and returns the text of whatever it threw (a null string when nothing): a
// database error as the window words it, any other failure in the same words, its own text
// standing where the database's would.
QString failureOf(const std::function<void()> &work, const FailureText &failureText)
{
    std::optional<DbError> error;
    try {
        work();
        return {};
    } catch (const DbError &e) {
        error.emplace(e);
    } catch (const std::exception &e) {
        const QString what = QString::fromUtf8(e.what()).trimmed();
        error.emplace(what.isEmpty() ? UnknownFailure : what);
    } catch (...) {
        error.emplace(UnknownFailure);
    }
    return failureText ? failureText(*error) : error->message();
}
} // namespace

bool runWindowAction(QWidget *window, SandGlass *busy, const std::function<void()> &action,
                     const FailureText &failureText)
{
    // Shown before the work only when it was not already up (a pass holds it for its length).
    const bool ownBusy = busy && !busy->isShown();
    if (ownBusy)
        busy->ShowSandGlass();
    const QString failure = failureOf(action, failureText);
    if (ownBusy)
        busy->HideSandGlass();
    if (failure.isNull())
        return true;
    const bool wasShown = busy && busy->isShown();
    if (wasShown)
        busy->HideSandGlass();
    Messages::error(failure, window);
    if (wasShown)
        busy->ShowSandGlass();
    return false;
}

bool ActivationGuard::run(QWidget *window, const std::function<void()> &step)
{
    if (m_running || m_failed)
        return false;
    m_running = true;
    const QString failure = failureOf(step, {});
    if (!failure.isNull()) {
        m_failed = true;
        Messages::error(failure, window);
    }
    m_running = false;
    return failure.isNull();
}
