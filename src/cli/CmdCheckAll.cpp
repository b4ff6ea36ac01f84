#include "ActiveProjects.h"
#include "CliCommand.h"
#include "CliPass.h"
#include "DataModule1.h"
#include "InvoiceCheck.h"
#include "Roles.h"

namespace {

int runCheckAll(CliContext &ctx)
{
    const QString project = ctx.option(QStringLiteral("--project"));
    if (project.isEmpty()) {
        ctx.err << "check-all needs --project NAME\n";
        return 2;
    }
    TDataModule1 &dm = *ctx.dm;
    const CycleMonth cycle = dm.activeCycle();
    const CheckTarget target{project, cycle.year, cycle.month};

    // The checker window offers only these projects.
    if (!ActiveProjects::contains(dm.ADOConnection1, project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 2;
    }
    QStringList employees = workersOfProject(dm.ADOConnection1, target);
    const QString from = ctx.option(QStringLiteral("--from"));
    if (!from.isEmpty()) {
        const qsizetype i = employees.indexOf(from);
        if (i < 0) {
            ctx.err << "Worker Not Found: " << from << "\n";
            return 2;
        }
        employees = employees.mid(i);
    }
    if (employees.isEmpty())
        ctx.err << "There are no workers in this project!\n";

    InvoiceCheck check(dm.ADOConnection1);
    CliPass pass(ctx.err);
    const ReconnectNotice notice(dm.ADOConnection1, ctx.err);
    const CheckAllSummary s = checkEmployees(
        check, target, employees, dm.Current_UserID, {},
        [&ctx](const QString &emp, const CheckOutcome &o) {
            ctx.out << emp << ": " << oneLine(o.summary()) << "\n";
            ctx.out.flush();
        },
        pass.control());
    pass.finish();
    ctx.out << "checked: " << s.checked << ", skipped: " << s.skipped << ", failed: " << s.failed;
    if (s.stopped && pass.interrupted()) {
        // Stopped by Ctrl+C between two workers (or while reconnecting): each one is checked
        // whole or not at all.
        ctx.out << ", not started: " << s.notStarted << "\n";
        ctx.err << "Interrupted.\n";
        return 130;
    }
    if (s.stopped) {
        ctx.out << ", not started: " << s.notStarted << "\n";
        ctx.err << s.stopCause << "\n";
        return 1;
    }
    ctx.out << "\n";
    return s.failed == 0 ? 0 : 1;
}

const CliRegistrar
    reg({QStringLiteral("check-all"),
         QStringLiteral("check-all --project NAME [--from EMPLOYEE_NO]   check the project's workers of the active "
                        "cycle and write their invoice lines"),
         {Roles::ClientAttChecker},
         true,
         &runCheckAll});
} // namespace
