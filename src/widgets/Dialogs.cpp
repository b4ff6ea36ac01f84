#include "Dialogs.h"

#include <QDialog>

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
} // namespace

int exec(QDialog &dialog)
{
    if (answerer())
        return answerer()(dialog);
    if (refuseRealModal(QStringLiteral("dialog '%1'").arg(dialog.windowTitle())))
        return QDialog::Rejected;
    return dialog.exec();
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
