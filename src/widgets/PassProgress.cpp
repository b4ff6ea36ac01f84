#include "PassProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QWidget>

namespace {
std::function<void(PassProgress &, int)> &testHook()
{
    static std::function<void(PassProgress &, int)> hook;
    return hook;
}

int s_running = 0;

// Often enough to look alive, rarely enough to cost nothing next to the work.
constexpr int RepaintEveryMs = 100;
} // namespace

PassProgress::PassProgress(QWidget *window, const QString &title, int total) : m_total(total)
{
    ++s_running;
    m_elapsed.start();
    m_sinceRepaint.start();
    if (testHook())
        return;
    m_dialog = new QProgressDialog(window);
    m_dialog->setWindowTitle(title);
    m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
    m_dialog->setRange(0, qMax(1, total));
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumWidth(380);
    connect(m_dialog, &QProgressDialog::canceled, this, &PassProgress::cancel);
    m_dialog->setLabelText(text());
    m_dialog->show();
    QCoreApplication::processEvents();
}

PassProgress::~PassProgress()
{
    --s_running;
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->deleteLater();
    }
}

PassControl PassProgress::control()
{
    return {[this](int done, int total, const QString &emp) { starting(done, total, emp); },
            [this] { return stopRequested(); }};
}

void PassProgress::starting(int done, int total, const QString &employeeNo)
{
    m_done = done;
    m_total = total;
    m_current = employeeNo;
    if (testHook()) {
        testHook()(*this, done);
        return;
    }
    if (m_sinceRepaint.elapsed() >= RepaintEveryMs) {
        repaint();
        m_sinceRepaint.restart();
    }
}

void PassProgress::repaint()
{
    if (!m_dialog)
        return;
    m_dialog->setMaximum(qMax(1, m_total));
    m_dialog->setValue(m_done);
    m_dialog->setLabelText(text());
    // The dialog is modal: only its Cancel takes input while the pass runs.
    QCoreApplication::processEvents();
}

QString PassProgress::text() const
{
    const qint64 ms = m_elapsed.elapsed();
    QString t = QStringLiteral("%1 / %2").arg(m_done).arg(m_total);
    if (!m_current.isEmpty())
        t += QStringLiteral(", employee %1").arg(m_current);
    return t + QLatin1Char('\n') + passTimeText(ms, m_done, m_total);
}

bool PassProgress::running()
{
    return s_running > 0;
}

void PassProgress::setTestHook(std::function<void(PassProgress &, int)> hook)
{
    testHook() = std::move(hook);
}

QString passSummary(const QString &doneWord, int done, int skipped, int failed, int notStarted)
{
    return QStringLiteral("%1: %2, skipped: %3, failed: %4, not started: %5")
        .arg(doneWord)
        .arg(done)
        .arg(skipped)
        .arg(failed)
        .arg(notStarted);
}
