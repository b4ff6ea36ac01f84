// Reconciliation on SQLite: a 10,000-worker demo database brought through month-end by the real
// tallimar-cli (all projects), then the core's reconciliation of the whole cycle and the
// five-sheet workbook. Optionally a first argument: the number of workers.
#include "BenchUtil.h"
#include "Clock.h"
#include "Connection.h"
#include "DemoData.h"
#include "LocalTime.h"
#include "Reconciliation.h"
#include "ReconciliationSheets.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    const int workers = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    {
        QFile ini(dir.filePath(QStringLiteral("Workers.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            qFatal("cannot write Workers.ini");
        ini.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(file).toUtf8());
    }
    const TestClock clock(QDate(2026, 4, 10));
    const int year = 2026, month = 3;
    Connection c;
    openSqlite(c, file, true);
    DemoOptions o;
    o.workers = workers;
    o.months = 1;
    o.clock = &clock;
    QElapsedTimer t;
    t.start();
    generateDemoData(c, o);
    printFigure("reconcile_fill_time", t.elapsed() / 1000.0, "s");

    // Month-end of every active, billable project of the cycle, as a clerk runs it.
    t.restart();
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH),
            {QStringLiteral("--ini"), dir.filePath(QStringLiteral("Workers.ini")), QStringLiteral("--user"),
             QStringLiteral("demo"), QStringLiteral("month-end"), QStringLiteral("--out"),
             dir.filePath(QStringLiteral("month-end.xlsx"))});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        qFatal("month-end failed: %s", p.readAllStandardError().constData());
    printFigure("month_end_all_projects_time", t.elapsed() / 1000.0, "s");
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    QTextStream(stdout) << "# " << QString::fromUtf8(lines.last()) << '\n';

    Query count(c, QStringLiteral("Select (Select Count(*) From TimeSheets Where Col_Year = :Y And Col_Month = :M), "
                                  "(Select Count(*) From ClientTimeSheets Where Col_Year = :Y2 And Col_Month = :M2)"));
    count.setParams({{QStringLiteral("Y"), year},
                     {QStringLiteral("M"), month},
                     {QStringLiteral("Y2"), year},
                     {QStringLiteral("M2"), month}});
    count.open();
    printFigure("reconcile_own_rows", count.valueAt(0, 0).toDouble(), "rows");
    printFigure("reconcile_client_rows", count.valueAt(0, 1).toDouble(), "rows");

    // The best of three: the first run also warms the file cache.
    double best = 1e9;
    Reconcile::Result r;
    for (int i = 0; i < 3; ++i) {
        t.restart();
        r = Reconcile::reconcile(c, year, month);
        best = qMin(best, t.elapsed() / 1000.0);
    }
    printFigure("reconcile_cycle_time", best, "s");
    printFigure("reconcile_differences", r.differences.size(), "lines");
    printFigure("reconcile_workers", r.totals.deployed, "workers");

    t.restart();
    const qint64 rows = Reconcile::saveWorkbook(r, dir.filePath(QStringLiteral("recon.xlsx")));
    printFigure("reconcile_workbook_time", t.elapsed() / 1000.0, "s");
    printFigure("reconcile_workbook_rows", double(rows), "rows");
    printFigure("reconcile_peak_memory", peakMemoryMb(), "MB");
    return 0;
}
