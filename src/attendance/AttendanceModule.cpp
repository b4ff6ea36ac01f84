#include "AttendanceModule.h"
#include "ClientAttendanceForm.h"
#include "ModuleTable.h"
#include "Roles.h"

void registerAttendanceWindows(ModuleTable &table)
{
    table.add({QStringLiteral("Attendance"), 10, QStringLiteral("btn_Func_ClientAttendance"),
               QStringLiteral("Client Attendance"), Roles::ClientAttCreater,
               [](QWidget *parent, Session &session) { return new TClientAttendanceForm(session, parent); }});
}
