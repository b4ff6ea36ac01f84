#include "ActiveProjects.h"
#include "CliCommand.h"
#include "CliInvoices.h"
#include "CliPass.h"
#include "ClientAttendance.h"
#include "DataModule1.h"
#include "ExportError.h"
#include "InvoiceCheck.h"
#include "InvoiceLists.h"
#include "Reconciliation.h"
#include "ReconciliationSheets.h"
#include "Roles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

namespace {

// The output file: an .xlsx in a folder that takes new files, known before any work is done.
bool checkOut(CliContext &ctx, const QString &out, const QString &command)
{
    if (out.isEmpty()) {
        ctx.err << command << " needs --out FILE.xlsx\n";
        return false;
    }
    if (QFileInfo(out).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) != 0) {
        ctx.err << "--out must name an .xlsx file\n";
        return false;
    }
    QTemporaryFile probe(QDir(QFileInfo(out).absolutePath()).filePath(QStringLiteral(".tallimar-XXXXXX.xlsx")));
    QString why;
    if (!probe.open())
        why = probe.errorString();
    else if (QFileInfo(out).exists() && !QFileInfo(out).isWritable())
        why = QStringLiteral("Permission denied");
    if (!why.isEmpty()) {
        ctx.err << "Cannot save \"" << QDir::toNativeSeparators(out) << "\": " << why << "\n";
        return false;
    }
    return true;
}

// The named projects, each one the attendance windows offer.
bool checkProjects(CliContext &ctx, const QStringList &projects)
{
    for (const QString &p : projects)
        if (!ActiveProjects::contains(ctx.dm->ADOConnection1, p)) {
            ctx.err << "Project '" << p << "' is not an active, billable project\n";
            return false;
        }
    return true;
}

QString money(double v)
{
    return QString::number(v, 'f', 2);
}

// Writes the workbook of a reconciliation; false (and the message) when the cycle has no rows or
// the file cannot be saved, and then nothing is left behind.
bool saveReconciliation(CliContext &ctx, const Reconcile::Result &r, const QStringList &projects, const QString &out)
{
    if (!r.hasRows) {
        ctx.err << Reconcile::noRowsMessage(r.year, r.month, projects) << "\n";
        return false;
    }
    try {
        Reconcile::saveWorkbook(r, out);
    } catch (const ExportError &e) {
        ctx.err << e.message() << "\n";
        return false;
    }
    return true;
}

void printReconciliation(CliContext &ctx, const Reconcile::Result &r)
{
    const Reconcile::ProjectSummary &t = r.totals;
    ctx.out << "projects: " << r.projects.size() << ", workers deployed: " << t.deployed
            << ", with client rows: " << t.withClientRows << ", not moved: " << t.notMoved << ", checked: " << t.checked
            << ", unchecked: " << t.unchecked << ", disputed: " << t.disputed << "\n"
            << "differences: " << t.differences << ", invoice lines: " << t.invoiceLines
            << ", invoice total: " << money(t.invoiceTotal) << "\n";
}

int runReconcile(CliContext &ctx)
{
    const QString out = ctx.option(QStringLiteral("--out"));
    const QString project = ctx.option(QStringLiteral("--project"));
    CycleMonth cycle;
    if (!checkOut(ctx, out, QStringLiteral("reconcile")) || !ctx.cycleOption(cycle))
        return 2;
    const QStringList projects = project.isEmpty() ? QStringList() : QStringList{project};
    if (!checkProjects(ctx, projects))
        return 2;
    const Reconcile::Result r = Reconcile::reconcile(ctx.dm->ADOConnection1, cycle.year, cycle.month, projects);
    if (!saveReconciliation(ctx, r, projects, out))
        return 1;
    printReconciliation(ctx, r);
    ctx.out << "file: " << out << "\n";
    return 0;
}

struct MonthEndCounts
{
    int moved = 0, alreadyMoved = 0, checked = 0, skipped = 0, failed = 0;
};

// Moves and checks every worker of the projects; a worker already moved, or whose rows are all
// checked, is left as it is, so a second run changes nothing.
int runMonthEnd(CliContext &ctx)
{
    const QString out = ctx.option(QStringLiteral("--out"));
    CycleMonth cycle;
    if (!checkOut(ctx, out, QStringLiteral("month-end")) || !ctx.cycleOption(cycle))
        return 2;
    const QString invoices = ctx.option(QStringLiteral("--invoices"));
    if (ctx.hasFlag(QStringLiteral("--invoices")) && invoices.isEmpty()) {
        ctx.err << "--invoices needs a folder\n";
        return 2;
    }
    if (!invoices.isEmpty() && !CliInvoices::checkFolder(ctx, invoices))
        return 2;
    TDataModule1 &dm = *ctx.dm;
    Connection &conn = dm.ADOConnection1;
    QStringList projects = ctx.options(QStringLiteral("--project"));
    if (!checkProjects(ctx, projects))
        return 2;
    projects.removeDuplicates();
    if (projects.isEmpty())
        projects = ActiveProjects::names(conn);

    MonthEndCounts n;
    CliPass pass(ctx.err);
    const ReconnectNotice notice(conn, ctx.err);
    ClientAttendance att(conn);
    att.userId = dm.Current_UserID;
    att.cycleYear = cycle.year;
    att.cycleMonth = cycle.month;
    InvoiceCheck check(conn);
    Query unchecked(conn);
    InvoiceLists::prepareNotCheckedQ(unchecked);
    QString stopCause;

    for (const QString &project : std::as_const(projects)) {
        if (pass.interrupted())
            break;
        // Move: every employee with own rows and no client rows yet.
        att.openProject(project);
        const int employees = att.WorkersInOurAttQ.recordCount();
        int moved = 0, already = 0, moveFailed = 0;
        const auto lines = att.moveAll(
            [&](const ClientAttendance::MoveAllLine &l) {
                switch (l.outcome) {
                case ClientAttendance::MoveAllLine::Moved:
                    ++moved;
                    break;
                case ClientAttendance::MoveAllLine::Skipped:
                    ++already;
                    break;
                case ClientAttendance::MoveAllLine::Failed:
                    ++moveFailed;
                    pass.finish();
                    ctx.out << project << " " << l.employeeNo << ": move failed: " << oneLine(l.message) << "\n";
                    break;
                }
            },
            pass.control());
        n.moved += moved;
        n.alreadyMoved += already;
        n.failed += moveFailed;
        if (lines.size() < employees && !pass.interrupted()) {
            stopCause = lines.isEmpty() ? QString() : lines.last().message;
            break;
        }
        if (pass.interrupted())
            break;

        // Check: the employees with unchecked client rows, in employee order.
        InvoiceLists::open(unchecked, cycle.year, cycle.month, project);
        QStringList toCheck;
        for (unchecked.first(); !unchecked.eof(); unchecked.next())
            toCheck << unchecked.asString(QStringLiteral("Employee_No"));
        std::sort(toCheck.begin(), toCheck.end());
        toCheck.erase(std::unique(toCheck.begin(), toCheck.end()), toCheck.end());
        const CheckAllSummary s = checkEmployees(
            check, CheckTarget{project, cycle.year, cycle.month}, toCheck, dm.Current_UserID, {},
            [&](const QString &emp, const CheckOutcome &o) {
                if (o.status == CheckOutcome::Status::Checked && !o.noRate)
                    return;
                pass.finish();
                ctx.out << project << " " << emp << ": " << oneLine(o.summary()) << "\n";
            },
            pass.control());
        n.checked += s.checked;
        n.skipped += s.skipped;
        n.failed += s.failed;
        pass.finish();
        ctx.out << project << ": moved " << moved << ", already moved " << already << ", move failed " << moveFailed
                << "; checked " << s.checked << ", skipped " << s.skipped << ", check failed " << s.failed << "\n";
        ctx.out.flush();
        if (s.stopped) {
            stopCause = s.stopCause;
            break;
        }
    }
    pass.finish();
    const bool interrupted = pass.interrupted();
    auto summary = [&](const QString &total) {
        ctx.out << "moved: " << n.moved << ", checked: " << n.checked << ", skipped: " << n.skipped
                << ", failed: " << n.failed << ", invoice total: " << total << "\n";
    };
    if (interrupted || !stopCause.isEmpty()) {
        // Each worker is moved and checked whole or not at all; no workbook of a pass cut short.
        summary(QStringLiteral("not reckoned"));
        ctx.err << (interrupted ? QStringLiteral("Interrupted.") : stopCause) << "\n";
        return interrupted ? 130 : 1;
    }
    const Reconcile::Result r = Reconcile::reconcile(conn, cycle.year, cycle.month, projects);
    const bool saved = saveReconciliation(ctx, r, ctx.options(QStringLiteral("--project")), out);
    if (saved)
        ctx.out << "file: " << out << "\n";
    // The documents of the projects checked, from the lines just written.
    const bool documents =
        !saved || invoices.isEmpty() || CliInvoices::writeAll(ctx, projects, cycle.year, cycle.month, invoices);
    summary(money(r.totals.invoiceTotal));
    return saved && documents && n.failed == 0 ? 0 : 1;
}

const CliRegistrar reconcileReg({QStringLiteral("reconcile"),
                                 QStringLiteral("reconcile [--cycle YYYY-MM] [--project NAME] --out FILE.xlsx"
                                                "   save where the client's attendance differs from ours"),
                                 {Roles::InvoiceDetails},
                                 true,
                                 &runReconcile});

const CliRegistrar monthEndReg(
    {QStringLiteral("month-end"),
     QStringLiteral("month-end [--cycle YYYY-MM] [--project NAME]... --out FILE.xlsx [--invoices DIR]   move and check "
                    "every worker of the active, billable projects, then save the reconciliation (and each project's "
                    "invoice document)"),
     {Roles::ClientAttCreater, Roles::ClientAttChecker},
     true,
     &runMonthEnd,
     [](const QStringList &args) { return args.contains(QStringLiteral("--invoices")); }});
} // namespace
