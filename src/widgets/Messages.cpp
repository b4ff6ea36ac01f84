#include "Messages.h"
#include "Dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace Messages {
namespace {
Recorder &recorder()
{
    static Recorder r;
    return r;
}

bool present(Kind kind, const QString &text, QWidget *parent)
{
    if (recorder())
        return recorder()(kind, text);
    if (Dialogs::refuseRealModal(QStringLiteral("message box '%1'").arg(text)))
        return false;
    const QString caption = QStringLiteral("Tallimar");
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
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
void setRecorder(Recorder r)
{
    recorder() = std::move(r);
}

} // namespace Messages
