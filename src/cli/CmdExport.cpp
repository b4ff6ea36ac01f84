#include "CliCommand.h"
#include "DataModule1.h"
#include "ExportError.h"
#include "InvoiceLists.h"
#include "QueryCursor.h"
#include "Roles.h"
#include "RowSource.h"
#include "SheetExporter.h"

#include <QRegularExpression>

namespace {

// The lists of the invoice details window, saved as the window's "Export To Excel" saves them.
int runExport(CliContext &ctx)
{
    const QString list = ctx.option(QStringLiteral("--list"));
    const QString project = ctx.option(QStringLiteral("--project"));
    const QString outFile = ctx.option(QStringLiteral("--out"));
    const QString cycleText = ctx.option(QStringLiteral("--cycle"));
    if (list != QLatin1String("invoices") && list != QLatin1String("unchecked")) {
        ctx.err << "--list must be invoices or unchecked\n";
        return 2;
    }
    if (project.isEmpty() || outFile.isEmpty()) {
        ctx.err << "--project and --out are required\n";
        return 2;
    }
    const auto format = TSheetExporter::formatOf(outFile);
    if (!format) {
        ctx.err << "--out must name an .xls or .xlsx file\n";
        return 2;
    }
    CycleMonth cycle;
    if (cycleText.isEmpty()) {
        cycle = ctx.dm->activeCycle();
    } else {
        static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})$"));
        const QRegularExpressionMatch m = form.match(cycleText);
        cycle = {m.captured(1).toInt(), m.captured(2).toInt()};
        if (!m.hasMatch() || cycle.month < 1 || cycle.month > 12) {
            ctx.err << "--cycle must be YYYY-MM\n";
            return 2;
        }
    }
    Connection &connection = ctx.dm->ADOConnection1;
    // The window offers only these projects.
    if (!InvoiceLists::projects(connection).contains(project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 1;
    }

    const bool invoices = list == QLatin1String("invoices");
    Query q(connection);
    if (invoices)
        InvoiceLists::prepareInvoiceQ(q);
    else
        InvoiceLists::prepareNotCheckedQ(q);
    // Read as the file is written, never held whole: a list can be longer than memory allows.
    q.setParam(QStringLiteral("Col_Year"), cycle.year);
    q.setParam(QStringLiteral("Col_Month"), cycle.month);
    q.setParam(QStringLiteral("Assignment"), project);
    QueryCursor cursor(q);
    CursorRowSource rows(cursor);

    TSheetExporter exporter;
    exporter.setRowSource(&rows);
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

const CliRegistrar
    reg({QStringLiteral("export"),
         QStringLiteral("export --list invoices|unchecked --project NAME [--cycle YYYY-MM] --out FILE.xls|FILE.xlsx"
                        "   save an invoice details list as a spreadsheet"),
         {Roles::InvoiceDetails},
         true,
         &runExport});
} // namespace
