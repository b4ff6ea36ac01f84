#include "AttendanceModule.h"
#include "ClientAttendanceForm.h"
#include "ModuleTable.h"
#include "Roles.h"

void registerAttendanceWindows(ModuleTable &table)
{
    table.add({QStringLiteral("Attendance"), 10, QStringLiteral("btn_Func_ClientAttendance"),
               QStringLiteral("Client Attendance"), Roles::ClientAttCreater,
               [](QWidget *parent, Session &session) { return new TClientAttendanceForm(session, parent); }});
    table.addOpener(Openers::ClientAttendance, [](QWidget *parent, Session &session, const WindowTarget &target) {
        TClientAttendanceForm form(session, parent);
        form.openOn(target.project, target.employeeNo, target.day);
        form.exec();
    });
}
