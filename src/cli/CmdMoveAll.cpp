#include "ActiveProjects.h"
#include "CliCommand.h"
#include "CliPass.h"
#include "ClientAttendance.h"
#include "DataModule1.h"
#include "Roles.h"

namespace {

// The window's "Move All Employees" for one project in the active cycle, without the window.
int runMoveAll(CliContext &ctx)
{
    const QString project = ctx.option(QStringLiteral("--project"));
    if (project.isEmpty()) {
        ctx.err << "move-all needs --project NAME\n";
        return 2;
    }
    TDataModule1 &dm = *ctx.dm;
    // The attendance window offers only these projects.
    if (!ActiveProjects::contains(dm.ADOConnection1, project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 2;
    }
    const CycleMonth cycle = dm.activeCycle();
    ClientAttendance att(dm.ADOConnection1);
    att.userId = dm.Current_UserID;
    att.cycleYear = cycle.year;
    att.cycleMonth = cycle.month;
    att.openProject(project);
    if (att.WorkersInOurAttQ.isEmpty()) {
        ctx.err << "No Employees In This Project!\n";
        return 1;
    }
    int moved = 0, skipped = 0, failed = 0;
    CliPass pass(ctx.err);
    const ReconnectNotice notice(dm.ADOConnection1, ctx.err);
    // A pass that cannot read the project's rows throws: one message, from main.
    const int total = att.WorkersInOurAttQ.recordCount();
    const auto lines = att.moveAll(
        [&](const ClientAttendance::MoveAllLine &l) {
            ctx.out << l.employeeNo << ": ";
            switch (l.outcome) {
            case ClientAttendance::MoveAllLine::Moved:
                ctx.out << "moved";
                ++moved;
                break;
            case ClientAttendance::MoveAllLine::Skipped:
                ctx.out << "skipped";
                ++skipped;
                break;
            case ClientAttendance::MoveAllLine::Failed:
                // One line per employee even when the server's message has several.
                ctx.out << "failed: " << oneLine(l.message);
                ++failed;
                break;
            }
            ctx.out << "\n";
            ctx.out.flush();
        },
        pass.control());
    pass.finish();
    ctx.out << "moved: " << moved << ", skipped: " << skipped << ", failed: " << failed;
    if (pass.interrupted()) {
        // Stopped by Ctrl+C between two employees: each one is moved whole or not at all.
        ctx.out << ", not started: " << total - lines.size() << "\n";
        ctx.err << "Interrupted.\n";
        return 130;
    }
    if (lines.size() < total) {
        // The database failed the pass as a whole: its last line names the cause.
        ctx.out << ", not started: " << total - lines.size() << "\n";
        ctx.err << lines.last().message << "\n";
        return 1;
    }
    ctx.out << "\n";
    return failed == 0 ? 0 : 1;
}

const CliRegistrar reg(
    {QStringLiteral("move-all"),
     QStringLiteral(
         "move-all --project NAME   move every employee's own timesheets of the active cycle into client attendance"),
     {Roles::ClientAttCreater},
     true,
     &runMoveAll});
} // namespace
