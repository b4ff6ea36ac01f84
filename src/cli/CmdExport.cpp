#include "ActiveProjects.h"
#include "CliCommand.h"
#include "DataModule1.h"
#include "Disputes.h"
#include "ExportError.h"
#include "InvoiceLists.h"
#include "Projects.h"
#include "QueryCursor.h"
#include "Roles.h"
#include "RowSource.h"
#include "SheetExporter.h"

namespace {

// Saves a list as its window's "Export To Excel" does, in the format the file name asks for:
// a loaded list (dataSet) or rows read as the file is written (rows).
int saveList(CliContext &ctx, const QString &outFile, const Query *dataSet, RowSource *rows = nullptr)
{
    const auto format = TSheetExporter::formatOf(outFile);
    if (!format) {
        ctx.err << "--out must name an .xls or .xlsx file\n";
        return 2;
    }
    TSheetExporter exporter;
    if (rows)
        exporter.setRowSource(rows);
    else
        exporter.setDataSet(dataSet);
    exporter.setFormat(*format);
    qint64 written = 0;
    try {
        written = exporter.SaveAs(outFile);
    } catch (const ExportError &e) {
        ctx.err << e.message() << "\n";
        return 1;
    }
    ctx.out << "rows: " << written << "\nfile: " << outFile << "\n";
    return 0;
}

// The projects window's list (all, or active only) with the looked-up client names.
int runProjectsExport(CliContext &ctx)
{
    if (!ctx.dm->hasRole(Roles::ProjectListExport)) {
        ctx.err << "You Do Not Have Authority To Export Projects\n";
        return 3;
    }
    const QString outFile = ctx.option(QStringLiteral("--out"));
    if (outFile.isEmpty()) {
        ctx.err << "--out is required\n";
        return 2;
    }
    if (!TSheetExporter::formatOf(outFile)) {
        ctx.err << "--out must name an .xls or .xlsx file\n";
        return 2;
    }
    Query q(ctx.dm->ADOConnection1);
    Projects::prepareAssignmentQ(q);
    Projects::open(q, ctx.hasFlag(QStringLiteral("--active-only")) ? 0 : -1, ctx.dm->AllClientsQ);
    return saveList(ctx, outFile, &q);
}

// The lists of the invoice details and dispute windows, saved as their "Export To Excel" saves them.
int runExport(CliContext &ctx)
{
    const QString list = ctx.option(QStringLiteral("--list"));
    if (list == QLatin1String("projects"))
        return runProjectsExport(ctx);
    const bool disputes = list == QLatin1String("disputes");
    // Each list needs the role of the window that shows it.
    const QString role = disputes ? Roles::DisputeMgt : Roles::InvoiceDetails;
    if (!ctx.dm->hasRole(role)) {
        ctx.err << "You Do Not Have Authority To run export (role " << role << ")\n";
        return 3;
    }
    const QString project = ctx.option(QStringLiteral("--project"));
    const QString outFile = ctx.option(QStringLiteral("--out"));
    if (list != QLatin1String("invoices") && list != QLatin1String("unchecked") && !disputes) {
        ctx.err << "--list must be invoices, unchecked, disputes or projects\n";
        return 2;
    }
    if ((project.isEmpty() && !disputes) || outFile.isEmpty()) {
        ctx.err << "--project and --out are required\n";
        return 2;
    }
    if (!TSheetExporter::formatOf(outFile)) {
        ctx.err << "--out must name an .xls or .xlsx file\n";
        return 2;
    }
    CycleMonth cycle;
    if (!ctx.cycleOption(cycle))
        return 2;
    Connection &connection = ctx.dm->ADOConnection1;
    Query q(connection);
    if (disputes) {
        // Every project of the cycle, as the dispute window lists them.
        Disputes::prepareDisputeQ(q);
        Disputes::open(q, cycle.year, cycle.month);
        return saveList(ctx, outFile, &q);
    }
    // The window offers only these projects.
    if (!ActiveProjects::contains(connection, project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 1;
    }
    if (list == QLatin1String("invoices"))
        InvoiceLists::prepareInvoiceQ(q);
    else
        InvoiceLists::prepareNotCheckedQ(q);
    // Read as the file is written, never held whole: a list can be longer than memory allows.
    q.setParams({{QStringLiteral("Col_Year"), cycle.year},
                 {QStringLiteral("Col_Month"), cycle.month},
                 {QStringLiteral("Assignment"), project}});
    QueryCursor cursor(q);
    CursorRowSource rows(cursor);
    return saveList(ctx, outFile, nullptr, &rows);
}

const CliRegistrar
    reg({QStringLiteral("export"),
         QStringLiteral("export --list invoices|unchecked --project NAME [--cycle YYYY-MM] --out FILE.xls|FILE.xlsx"
                        "   save an invoice details list as a spreadsheet\n"
                        "  export --list disputes [--cycle YYYY-MM] --out FILE.xls|FILE.xlsx"
                        "   save the disputed attendance of a cycle (role DisputeMgt)\n"
                        "  export --list projects [--active-only] --out FILE.xls|FILE.xlsx"
                        "   save the projects list as a spreadsheet"),
         {}, // each list tests its own role
         true,
         &runExport});
} // namespace
