// demo-db on SQLite: time and peak memory for a large generated database.
#include "BenchUtil.h"
#include "Connection.h"
#include "DemoData.h"
#include "LocalTime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    // As tallimar-cli does: every stored date converts through local time.
    pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    const int workers = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    Connection c;
    openSqlite(c, dir.filePath(QStringLiteral("bench.db")), true);
    DemoOptions o;
    o.workers = workers;
    o.months = 3;
    QElapsedTimer t;
    t.start();
    const DemoSummary s = generateDemoData(c, o);
    const double secs = t.elapsed() / 1000.0;
    printFigure("demo_db_workers", workers, "workers");
    printFigure("demo_db_rows", double(s.timesheetRows + s.clientRows), "rows");
    printFigure("demo_db_client_rows", double(s.clientRows), "rows");
    printFigure("demo_db_checked_rows", double(s.checkedRows), "rows");
    printFigure("demo_db_invoice_lines", double(s.invoiceLines), "lines");
    printFigure("demo_db_time", secs, "s");
    printFigure("demo_db_rows_per_second", (s.timesheetRows + s.clientRows + s.invoiceLines) / secs, "rows/s");
    printFigure("demo_db_peak_memory", peakMemoryMb(), "MB");
    return 0;
}
