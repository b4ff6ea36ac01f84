#include "MasterDataModule.h"
#include "AssignmentMgtForm.h"
#include "ClientsMgtForm.h"
#include "ModuleTable.h"
#include "ProjectsRatesForm.h"
#include "Roles.h"

void registerMasterDataWindows(ModuleTable &table)
{
    const QString category = QStringLiteral("Projects");
    table.add({category, 10, QStringLiteral("btn_Func_ClientsManagement"), QStringLiteral("Clients Management"),
               Roles::ClientsMgt,
               [](QWidget *parent, Session &session) { return new TClientsMgtForm(session, parent); }});
    table.add({category, 20, QStringLiteral("btn_Func_ProjectsManagement"), QStringLiteral("Projects Management"),
               Roles::ProjectMgt,
               [](QWidget *parent, Session &session) { return new TAssignmentMgtForm(session, parent); }});
    table.add({category, 30, QStringLiteral("btn_Func_ProjectsRates"), QStringLiteral("Projects Rates"),
               Roles::ProjectRate,
               [](QWidget *parent, Session &session) { return new TProjectsRatesForm(session, parent); }});
}
