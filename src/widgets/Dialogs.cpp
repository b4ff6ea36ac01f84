#include "Dialogs.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>

namespace Dialogs {
namespace {
Answerer &answerer()
{
    static Answerer a;
    return a;
}

Unanswered &unanswered()
{
    static Unanswered u;
    return u;
}
// Ends a local loop when a window that is not a dialog is closed or hidden.
class CloseWatcher : public QObject
{
public:
    explicit CloseWatcher(QEventLoop &loop) : m_loop(loop) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Close || e->type() == QEvent::Hide)
            m_loop.quit();
        return false;
    }

private:
    QEventLoop &m_loop;
};
} // namespace

int exec(QWidget &window)
{
    if (answerer())
        return answerer()(window);
    if (refuseRealModal(QStringLiteral("window '%1'").arg(window.windowTitle())))
        return QDialog::Rejected;
    if (auto *dialog = qobject_cast<QDialog *>(&window))
        return dialog->exec();
    QEventLoop loop;
    CloseWatcher watcher(loop);
    window.setWindowModality(Qt::ApplicationModal);
    window.installEventFilter(&watcher);
    window.show();
    loop.exec(QEventLoop::DialogExec);
    window.removeEventFilter(&watcher);
    return 0;
}

void setAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

void setUnansweredHandler(Unanswered handler)
{
    unanswered() = std::move(handler);
}

bool refuseRealModal(const QString &what)
{
    if (!unanswered())
        return false;
    unanswered()(what);
    return true;
}

} // namespace Dialogs
