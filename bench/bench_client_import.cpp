// Importing a client's sheet on SQLite: a 10,000-worker project's month (about 300,000 days) as
// an .xlsx, previewed and applied, each in a fresh process so that its peak memory is its own;
// and a 1,000-worker sheet previewed. Optionally a first argument: the number of workers.
#include "BenchUtil.h"
#include "ClientSheetImport.h"
#include "Clock.h"
#include "Connection.h"
#include "DemoData.h"
#include "LocalTime.h"
#include "QueryCursor.h"
#include "RowSource.h"
#include "SheetExporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <ctime>

namespace {
// Processor time of this process, in seconds: on a shared machine the wall clock also counts
// the time other work held the processors.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

const int Year = 2026, Month = 11;

// The project's own rows of the cycle as the client would send them, the first `workers` of them.
void writeSheet(Connection &c, const QString &project, int workers, const QString &path)
{
    Query q(c, QStringLiteral(
                   "Select t.Employee_No As EmpNo, t.Col_Date As Date, CASE WHEN t.OurAtt_Code IN ('A', 'P', 'H') "
                   "THEN t.OurAtt_Code ELSE 'A' END As Code, t.Our_WH As Normal, t.Our_OT As OT, t.Our_HT As "
                   "Holiday From TimeSheets t Where t.Assignment = :A And t.Col_Year = :Y And t.Col_Month = :M And "
                   "t.Employee_No In (Select Employee_No From (Select Distinct Employee_No From TimeSheets Where "
                   "Assignment = :A2 Order By Employee_No Limit :N) w) Order By t.Employee_No, t.Col_Date"));
    q.setParams({{QStringLiteral("A"), project},
                 {QStringLiteral("Y"), Year},
                 {QStringLiteral("M"), Month},
                 {QStringLiteral("A2"), project},
                 {QStringLiteral("N"), workers}});
    FieldDef date;
    date.name = QStringLiteral("Date");
    date.kind = FieldKind::Date;
    date.displayFormat = QStringLiteral("dd/MM/yyyy");
    q.defineField(date);
    QueryCursor cur(q);
    CursorRowSource rows(cur);
    TSheetExporter::SaveWorkbookAs(path, {{&rows, QStringLiteral("Attendance")}});
}

// The child: preview (and apply) one sheet, printing its figures.
int importPhase(const QStringList &a)
{
    const QString db = a.at(0), sheet = a.at(1), project = a.at(2), prefix = a.at(3);
    const bool apply = a.value(4) == QLatin1String("apply");
    Connection c;
    openSqlite(c, db);
    const TestClock clock(QDate(2026, 12, 10));
    ClientSheet::Importer imp(c, clock);
    imp.userId = QStringLiteral("bench");
    ClientSheet::Options o;
    o.project = project;
    o.year = Year;
    o.month = Month;
    QElapsedTimer t;
    {
        t.start();
        double cpu = cpuSeconds();
        const ClientSheet::Preview p = imp.preview(sheet, o);
        printFigure(qPrintable(prefix + QStringLiteral("_preview_time")), t.elapsed() / 1000.0, "s");
        printFigure(qPrintable(prefix + QStringLiteral("_preview_cpu_time")), cpuSeconds() - cpu, "s");
        printFigure(qPrintable(prefix + QStringLiteral("_days")), p.rows.size(), "rows");
        printFigure(qPrintable(prefix + QStringLiteral("_refused")), p.count(ClientSheet::Outcome::Refused), "rows");
        if (apply) {
            t.restart();
            cpu = cpuSeconds();
            const ClientSheet::ApplyResult r = imp.apply(p, o);
            printFigure(qPrintable(prefix + QStringLiteral("_apply_time")), t.elapsed() / 1000.0, "s");
            printFigure(qPrintable(prefix + QStringLiteral("_apply_cpu_time")), cpuSeconds() - cpu, "s");
            printFigure(qPrintable(prefix + QStringLiteral("_written")), r.inserted + r.updated, "rows");
        }
        printFigure(qPrintable(prefix + QStringLiteral("_peak_memory")), peakMemoryMb(), "MB");
    }
    if (apply) {
        // The same sheet again: everything unchanged, nothing written.
        t.restart();
        const double cpu = cpuSeconds();
        const ClientSheet::Preview again = imp.preview(sheet, o);
        printFigure(qPrintable(prefix + QStringLiteral("_reimport_preview_time")), t.elapsed() / 1000.0, "s");
        printFigure(qPrintable(prefix + QStringLiteral("_reimport_preview_cpu_time")), cpuSeconds() - cpu, "s");
        printFigure(qPrintable(prefix + QStringLiteral("_reimport_unchanged")),
                    again.count(ClientSheet::Outcome::Unchanged), "rows");
    }
    return 0;
}

void runPhase(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--phase")} + args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        qFatal("the import phase failed");
}
} // namespace

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--phase"))
        return importPhase(args.mid(1));
    const int workers = args.isEmpty() ? 10000 : args.first().toInt();
    QTemporaryDir dir;
    // TALLIMAR_BENCH_KEEP keeps the database and sheets to profile a phase on its own.
    dir.setAutoRemove(!qEnvironmentVariableIsSet("TALLIMAR_BENCH_KEEP"));
    if (!dir.autoRemove())
        QTextStream(stdout) << "# kept in " << dir.path() << '\n';
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    const TestClock clock(QDate(2026, 12, 10));
    QString project;
    {
        Connection c;
        openSqlite(c, file, true);
        DemoOptions o;
        o.workers = workers;
        o.projects = 1; // one project, not moved: every day of the sheet is new
        o.months = 1;
        o.clock = &clock;
        QElapsedTimer t;
        t.start();
        generateDemoData(c, o);
        printFigure("client_import_fill_time", t.elapsed() / 1000.0, "s");
        Query q(c, QStringLiteral("Select Min(Assignment) As A From TimeSheets"));
        q.open();
        project = q.asString(QStringLiteral("A"));
        t.restart();
        writeSheet(c, project, workers, dir.filePath(QStringLiteral("all.xlsx")));
        writeSheet(c, project, qMin(1000, workers), dir.filePath(QStringLiteral("small.xlsx")));
        printFigure("client_import_sheet_write_time", t.elapsed() / 1000.0, "s");
        printFigure("client_import_sheet_size", QFileInfo(dir.filePath(QStringLiteral("all.xlsx"))).size() / 1048576.0,
                    "MB");
    }
    runPhase({file, dir.filePath(QStringLiteral("small.xlsx")), project, QStringLiteral("client_import_1000")});
    runPhase({file, dir.filePath(QStringLiteral("all.xlsx")), project, QStringLiteral("client_import_all"),
              QStringLiteral("apply")});
    return 0;
}
