#pragma once

#include "PassControl.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>

class QProgressDialog;
class QWidget;

// The progress of a pass over many workers (or rows of an export) in a window: done / total, the
// current employee, elapsed and remaining time, and a "Cancel" that stops the pass between two
// workers. The
// dialog is application-modal, so no other action (and no second pass) can start meanwhile;
// the window keeps being painted.
class PassProgress : public QObject
{
    Q_OBJECT
public:
    PassProgress(QWidget *window, const QString &title, int total);
    ~PassProgress() override;

    // Feeds a core pass: progress before each worker, the Cancel asked between workers.
    PassControl control();
    void starting(int done, int total, const QString &employeeNo);
    bool stopRequested() const { return m_cancelled; }
    void cancel() { m_cancelled = true; }

    // Whether a pass is showing its progress somewhere in the program: a second one must not
    // start from inside the first (the dialog is modal, but a queued click is not stopped by it).
    static bool running();

    // The text shown right now.
    QString text() const;
    // Called at every update instead of waiting for a person (tests cancel from here).
    static void setTestHook(std::function<void(PassProgress &progress, int done)> hook);

private:
    void repaint();

    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_elapsed;
    QElapsedTimer m_sinceRepaint;
    QString m_current;
    int m_done = 0;
    int m_total = 0;
    bool m_cancelled = false;
};

// "Moved: 3, skipped: 1, failed: 0, not started: 2" and the like: the closing line of a pass.
QString passSummary(const QString &doneWord, int done, int skipped, int failed, int notStarted);
