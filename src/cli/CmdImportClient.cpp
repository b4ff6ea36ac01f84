#include "ActiveProjects.h"
#include "CliCommand.h"
#include "CliPass.h"
#include "ClientSheetImport.h"
#include "DataModule1.h"
#include "ExportError.h"
#include "Roles.h"

namespace {

using namespace ClientSheet;

QString whereText(const PreviewRow &r)
{
    QString w = QStringLiteral("row %1").arg(r.sheetRow);
    if (r.sheetColumn >= 0)
        w += QStringLiteral(", column %1").arg(columnLetters(r.sheetColumn));
    if (!r.employeeNo.isEmpty())
        w += QStringLiteral(", ") + r.employeeNo;
    if (r.date.isValid())
        w += QStringLiteral(", ") + r.date.toString(Qt::ISODate);
    return w;
}

// The client's sheet of a project and cycle, previewed and written as the window's import does.
int runImportClient(CliContext &ctx)
{
    QString file;
    static const QStringList valued = {"--project", "--cycle", "--sheet", "--map", "--report"};
    for (qsizetype i = 0; i < ctx.args.size(); ++i) {
        if (valued.contains(ctx.args.at(i))) {
            ++i;
        } else if (!ctx.args.at(i).startsWith(QLatin1String("--"))) {
            file = ctx.args.at(i);
            break;
        }
    }
    const QString project = ctx.option(QStringLiteral("--project"));
    if (file.isEmpty() || project.isEmpty()) {
        ctx.err << "import-client needs FILE and --project NAME\n";
        return 2;
    }
    Options o;
    o.project = project;
    o.sheetName = ctx.option(QStringLiteral("--sheet"));
    for (const QString &map : ctx.options(QStringLiteral("--map"))) {
        QString why;
        if (!parseMapOption(map, o.mapTexts, &why)) {
            ctx.err << "--map: " << why << "\n";
            return 2;
        }
    }
    CycleMonth cycle;
    if (!ctx.cycleOption(cycle))
        return 2;
    o.year = cycle.year;
    o.month = cycle.month;
    TDataModule1 &dm = *ctx.dm;
    if (!ActiveProjects::contains(dm.ADOConnection1, project)) {
        ctx.err << "Project '" << project << "' is not an active, billable project\n";
        return 2;
    }
    Importer imp(dm.ADOConnection1);
    imp.userId = dm.Current_UserID;
    Preview p;
    try {
        p = imp.preview(file, o);
    } catch (const ImportError &e) {
        ctx.err << oneLine(e.message()) << "\n";
        return 1;
    }
    ctx.out << "sheet: " << p.sheetName << "\n" << p.countsText() << "\n";
    if (p.hiddenRows > 0)
        ctx.out << "hidden rows read: " << p.hiddenRows << "\n";
    const QList<int> lost = p.checkLost();
    if (!lost.isEmpty())
        ctx.out << "checked days that would lose their check: " << lost.size() << "\n";
    const QString report = ctx.option(QStringLiteral("--report"));
    if (!report.isEmpty()) {
        try {
            savePreview(p, report);
        } catch (const ExportError &e) {
            ctx.err << oneLine(e.message()) << "\n";
            return 1;
        }
    }
    const int refused = p.count(Outcome::Refused);
    if (refused > 0) {
        int shown = 0;
        for (const PreviewRow &r : std::as_const(p.rows)) {
            if (r.outcome != Outcome::Refused)
                continue;
            if (++shown > 20) {
                ctx.err << "... and " << refused - 20 << " more refused"
                        << (report.isEmpty() ? QString() : QStringLiteral(" (all in the report)")) << "\n";
                break;
            }
            ctx.err << whereText(r) << ": " << oneLine(r.reason) << "\n";
        }
    }
    const bool skipRefused = ctx.hasFlag(QStringLiteral("--skip-refused"));
    if (ctx.hasFlag(QStringLiteral("--dry-run"))) {
        ctx.out << "dry run: nothing written\n";
        return refused == 0 || skipRefused ? 0 : 1;
    }
    if (refused > 0 && !skipRefused) {
        ctx.err << "Nothing written: " << refused << " refused (--skip-refused writes the others)\n";
        return 1;
    }
    CliPass pass(ctx.err);
    const ApplyResult r = imp.apply(p, o, p.accepted() > ProgressThreshold ? pass.control() : PassControl());
    pass.finish();
    if (r.cancelled) {
        ctx.err << "Interrupted: nothing written.\n";
        return 130;
    }
    ctx.out << r.closingLine() << "\n";
    return 0;
}

const CliRegistrar reg({QStringLiteral("import-client"),
                        QStringLiteral("import-client FILE --project NAME [--cycle YYYY-MM] [--sheet NAME] "
                                       "[--map FIELD=COLUMN,...] [--dry-run] [--skip-refused] [--report OUT.xlsx]   "
                                       "import the client's attendance sheet (.xlsx, .xls, .csv)"),
                        {Roles::ClientAttCreater},
                        true,
                        &runImportClient});
} // namespace
