#include "CliCommand.h"
#include "Connection.h"
#include "DataModule1.h"
#include "DbError.h"
#include "DemoClientSheet.h"
#include "DemoData.h"
#include "ExportError.h"

#include <QFileInfo>

namespace {

int runDemoDb(CliContext &ctx)
{
    DemoOptions o;
    bool ok = true;
    auto intOption = [&](const QString &name, int def) {
        const QString v = ctx.option(name);
        if (v.isEmpty())
            return def;
        bool good = false;
        const int n = v.toInt(&good);
        if (!good) {
            ctx.err << name << " needs a whole number\n";
            ok = false;
        }
        return n;
    };
    o.workers = intOption(QStringLiteral("--workers"), o.workers);
    o.projects = intOption(QStringLiteral("--projects"), o.projects);
    o.months = intOption(QStringLiteral("--months"), o.months);
    o.seed = quint32(intOption(QStringLiteral("--seed"), int(o.seed)));
    if (!ok)
        return 2;
    TDataModule1 dm(ctx.iniPath);
    // The demo generator may create the SQLite file; the program itself never does.
    dm.ADOConnection1.beforeConnect = [&dm] {
        ConnectionParams p = dm.ADOConnection1BeforeConnect();
        p.createIfMissing = true;
        return p;
    };
    dm.ADOConnection1.afterConnect = nullptr;
    dm.ADOConnection1.open();
    const DemoSummary s = generateDemoData(dm.ADOConnection1, o, [&](const QString &step) {
        ctx.err << step << "\n";
        ctx.err.flush();
    });
    ctx.out << "workers: " << s.workers << "\ntimesheet rows: " << s.timesheetRows << "\nclient rows: " << s.clientRows
            << "\nchecked client rows: " << s.checkedRows << "\ndisputed client rows: " << s.disputedRows
            << "\ninvoice lines: " << s.invoiceLines << "\n";
    // A sheet as a client sends it, to try the import on; the database is complete without it.
    const QString folder = ctx.option(QStringLiteral("--client-sheet-dir"), QFileInfo(dm.iniPath()).absolutePath());
    try {
        const DemoClientSheet sheet = writeDemoClientSheet(dm.ADOConnection1, folder);
        if (!sheet.path.isEmpty())
            ctx.out << "client sheet: " << sheet.path << " (project " << sheet.project << ", "
                    << QStringLiteral("%1-%2").arg(sheet.year).arg(sheet.month, 2, 10, QLatin1Char('0')) << ")\n";
    } catch (const ExportError &e) {
        ctx.err << "The client sheet was not written: " << e.message() << "\n";
    }
    return 0;
}

const CliRegistrar reg(
    {QStringLiteral("demo-db"),
     QStringLiteral(
         "demo-db [--workers N] [--projects P] [--months M] [--seed S] [--client-sheet-dir DIR]   create and fill a "
         "demo database and a client sheet to import"),
     {},
     false,
     &runDemoDb});
} // namespace
