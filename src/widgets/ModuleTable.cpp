#include "ModuleTable.h"
#include "Messages.h"
#include "Session.h"

WindowOpener ModuleTable::openerLink(const QString &name) const
{
    return [openers = m_openers, name](QWidget *parent, Session &session, const WindowTarget &target) {
        const auto it = openers->constFind(name);
        if (it == openers->constEnd() || !it->open)
            return;
        if (!session.hasRole(it->role)) {
            Messages::show(noPermissionText(it->caption), parent);
            return;
        }
        it->open(parent, session, target);
    };
}

QString ModuleTable::noPermissionText(const QString &caption)
{
    return QStringLiteral("You Do Not Have Permission To Open %1").arg(caption);
}
