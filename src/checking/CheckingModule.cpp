#include "CheckingModule.h"
#include "ClientAttendanceCheckerForm.h"
#include "ModuleTable.h"
#include "Roles.h"

void registerCheckingWindows(ModuleTable &table)
{
    table.add({QStringLiteral("Attendance"), 30, QStringLiteral("btn_Func_ClientAttendanceChecker"),
               QStringLiteral("Client Attendance Checker"), Roles::ClientAttChecker,
               [](QWidget *parent, Session &session) { return new TClientAttendanceCheckerForm(session, parent); }});
}
