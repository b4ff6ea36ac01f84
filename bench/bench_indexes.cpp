// The program without any index and with the recommended ones (what db-check prints), on
// SQLite: a demo database of 10,000 workers (or the first argument), two copies of it, each
// taken through the same work: dashboard and reconciliation of the cycle, move-all and
// check-all of the first 100 workers (or the second argument) of one project, that project's
// invoice details.
#include "BenchUtil.h"
#include "ClientAttendance.h"
#include "Clock.h"
#include "Connection.h"
#include "Dashboard.h"
#include "DemoData.h"
#include "InvoiceCheck.h"
#include "InvoiceLists.h"
#include "LocalTime.h"
#include "Query.h"
#include "Reconciliation.h"
#include "SchemaCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

const int Year = 2026;
const int Month = 3;

void writeIni(const QString &path, const QString &file)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n[ChoosenStyle]\nStyle=Lavender Classico\n")
                .arg(file)
                .toUtf8());
}

// Every index of the database goes; with `recommended`, the recommended ones come back.
void setIndexes(Connection &c, bool recommended)
{
    Query q(c, QStringLiteral("Select name From sqlite_master Where type = 'index' And sql Is Not Null"));
    q.open();
    for (int r = 0; r < q.recordCount(); ++r)
        c.execDirect(QStringLiteral("DROP INDEX %1").arg(q.valueAt(r, 0).toString()));
    if (recommended)
        for (const SchemaCheck::Index &i : SchemaCheck::recommendedIndexes())
            c.execDirect(SchemaCheck::createIndexSql(c.engine(), i));
    c.execDirect(QStringLiteral("ANALYZE"));
}

QString scalarText(Connection &c, const QString &sql)
{
    Query q(c, sql);
    q.setParams({{QStringLiteral("Y"), Year}, {QStringLiteral("M"), Month}});
    q.open();
    return q.isEmpty() ? QString() : q.value(0).toString();
}

template <typename F> double bestOf3(F work)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = qMin(best, t.elapsed() / 1000.0);
    }
    return best;
}

void figures(const QString &dir, const QString &base, const char *variant, bool recommended, const QString &toMove,
             const QString &toCheck, int passWorkers)
{
    const QString file = dir + QStringLiteral("/%1.db").arg(QLatin1String(variant));
    const QString ini = dir + QStringLiteral("/%1.ini").arg(QLatin1String(variant));
    QFile::remove(file);
    if (!QFile::copy(base, file))
        qFatal("cannot copy the database");
    writeIni(ini, file);
    Connection c;
    openSqlite(c, file);
    setIndexes(c, recommended);
    auto name = [variant](const char *what) { return QByteArray(what) + '_' + variant; };

    printFigure(name("dashboard_time").constData(), bestOf3([&] {
                    CycleDashboard d(c);
                    d.refresh(Year, Month);
                }),
                "s");
    printFigure(name("reconcile_time").constData(), bestOf3([&] { Reconcile::reconcile(c, Year, Month); }), "s");
    // The passes over the first `passWorkers` workers of one project, as the windows run them.
    QElapsedTimer t;
    t.start();
    {
        ClientAttendance att(c);
        att.userId = QStringLiteral("demo");
        att.cycleYear = Year;
        att.cycleMonth = Month;
        att.openProject(toMove);
        int done = 0;
        PassControl control;
        control.stopRequested = [&done, passWorkers] { return done >= passWorkers; };
        att.moveAll([&done](const ClientAttendance::MoveAllLine &) { ++done; }, control);
        if (done != passWorkers)
            qFatal("moved %d workers", done);
    }
    printFigure(name("move_all_time").constData(), t.elapsed() / 1000.0, "s");
    t.restart();
    {
        InvoiceCheck check(c);
        const CheckTarget target{toCheck, Year, Month};
        const CheckAllSummary s =
            checkEmployees(check, target, workersOfProject(c, target).mid(0, passWorkers), QStringLiteral("demo"));
        if (s.checked + s.skipped != passWorkers)
            qFatal("checked %d workers", s.checked + s.skipped);
    }
    printFigure(name("check_all_time").constData(), t.elapsed() / 1000.0, "s");
    printFigure(name("invoice_details_time").constData(), bestOf3([&] {
                    Query invoices(c);
                    InvoiceLists::prepareInvoiceQ(invoices);
                    InvoiceLists::open(invoices, Year, Month, toCheck);
                    Query notChecked(c);
                    InvoiceLists::prepareNotCheckedQ(notChecked);
                    InvoiceLists::open(notChecked, Year, Month, toMove);
                }),
                "s");
    printFigure(name("invoice_lines").constData(),
                scalarText(c, QStringLiteral("Select Count(*) From Invoices Where Col_Year = :Y And Col_Month = :M"))
                    .toDouble(),
                "lines");
}

} // namespace

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    const int workers = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    // Without indexes a pass reads the whole month for every worker: a project's full pass
    // would take hours, so both variants time the same first workers of it.
    const int passWorkers = argc > 2 ? QByteArray(argv[2]).toInt() : 100;
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("base.db"));
    QString toMove;
    QString toCheck;
    {
        Connection c;
        openSqlite(c, base, true);
        const TestClock clock(QDate(2026, 4, 10));
        DemoOptions o;
        o.workers = workers;
        o.months = 2;
        o.clock = &clock;
        QElapsedTimer t;
        t.start();
        generateDemoData(c, o);
        printFigure("indexes_fill_time", t.elapsed() / 1000.0, "s");
        printFigure("indexes_workers", workers, "workers");
        printFigure("indexes_pass_workers", passWorkers, "workers");
        // Picked here, on the indexed database, so that the bench's own lookups time nothing.
        // A project with own rows of the cycle and no client rows yet, and one moved but not checked.
        toMove = scalarText(
            c, QStringLiteral("Select Min(Assignment) From TimeSheets t Where Col_Year = :Y And Col_Month = :M And Not "
                              "Exists (Select 1 From ClientTimeSheets c Where c.Assignment = t.Assignment And "
                              "c.Col_Year = t.Col_Year And c.Col_Month = t.Col_Month)"));
        toCheck = scalarText(c, QStringLiteral("Select Min(Assignment) From ClientTimeSheets Where Col_Year "
                                               "= :Y And Col_Month = :M And Checked = 0"));
        if (toMove.isEmpty() || toCheck.isEmpty())
            qFatal("the demo cycle has no project to move or to check");
    }
    figures(dir.path(), base, "recommended", true, toMove, toCheck, passWorkers);
    figures(dir.path(), base, "no_index", false, toMove, toCheck, passWorkers);
    return 0;
}
