#include "AttendanceModule.h"
#include "ClientAttendanceForm.h"
#include "ModuleTable.h"
#include "Roles.h"

void registerAttendanceWindows(ModuleTable &table)
{
    const ModuleWindow attendance{
        QStringLiteral("Attendance"),
        10,
        QStringLiteral("btn_Func_ClientAttendance"),
        QStringLiteral("Client Attendance"),
        Roles::ClientAttCreater,
        [](QWidget *parent, Session &session) { return new TClientAttendanceForm(session, parent); }};
    table.add(attendance);
    table.addOpener(Openers::ClientAttendance, attendance,
                    [](QWidget *parent, Session &session, const WindowTarget &target) {
                        TClientAttendanceForm form(session, parent);
                        form.openOn(target.project, target.employeeNo, target.day);
                        form.exec();
                    });
}
