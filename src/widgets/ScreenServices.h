#pragma once

#include "FetchingDataForm.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class DbError;
class QWidget;
class Session;

// ShowSandGlass/HideSandGlass: a window holds one of these and pairs the two calls around its
// long work.
class SandGlass
{
public:
    explicit SandGlass(QWidget *owner) : m_owner(owner) {}
    ~SandGlass();
    SandGlass(const SandGlass &) = delete;
    SandGlass &operator=(const SandGlass &) = delete;

    void ShowSandGlass();
    void HideSandGlass();
    bool isShown() const { return !m_form.isNull(); }
    TFetchingDataForm *form() const { return m_form; }

private:
    QWidget *m_owner;
    QPointer<TFetchingDataForm> m_form;
    bool m_cursorSet = false;
};

// Shows the busy window for one scope.
class SandGlassScope
{
public:
    explicit SandGlassScope(SandGlass &s) : m_s(s) { m_s.ShowSandGlass(); }
    ~SandGlassScope() { m_s.HideSandGlass(); }
    SandGlassScope(const SandGlassScope &) = delete;
    SandGlassScope &operator=(const SandGlassScope &) = delete;

private:
    SandGlass &m_s;
};

// How a window words a failed action; the default shows the database's message as it is.
using FailureText = std::function<QString(const DbError &)>;

// The text of a failure that carries none (an exception of no standard type).
inline const QString UnknownFailure = QStringLiteral("Unknown error");

// Runs one action of a window: the busy window (when given) around it, and whatever the action
// throws (a DbError, any other exception) shown once in the window's wording after the busy
// window has gone. Returns true when the action finished without an error.
bool runWindowAction(QWidget *window, SandGlass *busy, const std::function<void()> &action,
                     const FailureText &failureText = {});

// Activation work of a window runs at every activation; a failure in it is shown once per
// opening, so that closing the error box (which re-activates the window) cannot loop.
class ActivationGuard
{
public:
    // Runs the step unless it is running already (a message box it shows re-activates the
    // window) or failed before in this opening; whatever it throws is shown. Returns true when
    // the step succeeded.
    bool run(QWidget *window, const std::function<void()> &step);
    bool failed() const { return m_failed; }

private:
    bool m_running = false;
    bool m_failed = false;
};

// GetActiveCycle: the first day of the active payroll cycle (read once per run). Throws DbError
// ("Invalid argument to date encode" when the table is empty or the month impossible).
QDate GetActiveCycle(const Session &session);
