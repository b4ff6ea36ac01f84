#include "Messages.h"
#include "Dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QToolTip>

namespace Messages {
namespace {
Recorder &recorder()
{
    static Recorder r;
    return r;
}

ChoiceRecorder &choiceRecorder()
{
    static ChoiceRecorder r;
    return r;
}

void prepare(QMessageBox &box, const QString &text)
{
    box.setWindowTitle(QStringLiteral("Tallimar"));
    box.setText(text);
}

bool present(Kind kind, const QString &text, QWidget *parent)
{
    if (recorder())
        return recorder()(kind, text);
    if (Dialogs::refuseRealModal(QStringLiteral("message box '%1'").arg(text)))
        return false;
    QMessageBox box(parent);
    prepare(box, text);
    switch (kind) {
    case Kind::Information:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
        // Failures are acknowledged and closed, as the theme's error box is specified.
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Close);
        break;
    case Kind::Confirm:
    case Kind::SaveDiscardCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    }
    return box.exec() == QMessageBox::Ok;
}
} // namespace

void show(const QString &text, QWidget *parent)
{
    present(Kind::Information, text, parent);
}
void warning(const QString &text, QWidget *parent)
{
    present(Kind::Warning, text, parent);
}
void error(const QString &text, QWidget *parent)
{
    present(Kind::Error, text, parent);
}
bool confirm(const QString &text, QWidget *parent)
{
    return present(Kind::Confirm, text, parent);
}
Choice askToSave(const QString &text, QWidget *parent)
{
    if (choiceRecorder())
        return choiceRecorder()(text);
    if (recorder())
        return recorder()(Kind::SaveDiscardCancel, text) ? Choice::Save : Choice::Cancel;
    if (Dialogs::refuseRealModal(QStringLiteral("message box '%1'").arg(text)))
        return Choice::Cancel;
    QMessageBox box(parent);
    prepare(box, text);
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Choice::Save;
    case QMessageBox::Discard:
        return Choice::Discard;
    default:
        return Choice::Cancel;
    }
}

namespace {
std::function<void(const QString &)> &noticeRecorder()
{
    static std::function<void(const QString &)> r;
    return r;
}
} // namespace

void notice(const QString &text, QWidget *parent)
{
    if (noticeRecorder()) {
        noticeRecorder()(text);
        return;
    }
    // Under the window's top-left corner for a few seconds, over whatever the window shows.
    const QPoint at = parent ? parent->mapToGlobal(QPoint(12, 12)) : QCursor::pos();
    QToolTip::showText(at, text, parent, QRect(), 8000);
}

void setNoticeRecorder(std::function<void(const QString &)> recorder)
{
    noticeRecorder() = std::move(recorder);
}

void setRecorder(Recorder r)
{
    recorder() = std::move(r);
}

void setChoiceRecorder(ChoiceRecorder r)
{
    choiceRecorder() = std::move(r);
}

} // namespace Messages
