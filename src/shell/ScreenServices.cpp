#include "ScreenServices.h"
#include "DataModule1.h"
#include "DbError.h"
#include "FetchingDataForm.h"
#include "Messages.h"

#include <QApplication>
#include <QWidget>

std::optional<QDate> GetActiveCycle(QWidget *parent, TDataModule1 *dm)
{
    if (!dm)
        dm = TDataModule1::instance();
    try {
        if (!dm)
            throw DbError(QStringLiteral("Invalid argument to date encode"));
        const CycleMonth c = dm->activeCycle();
        return QDate(c.year, c.month, 1);
    } catch (const DbError &e) {
        Messages::error(e.message(), parent);
        return std::nullopt;
    }
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
