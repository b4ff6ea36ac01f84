// The check: check-all speed on SQLite (the core pass as tallimar-cli runs it, the real
// tallimar-cli, and the window's "Check All Employees"), one worker's lookup on a
// 10,000-worker database, and with --pg PORT two tallimar-cli processes checking the same
// project at once on PostgreSQL.
#include "BenchUtil.h"
#include "CheckerLookup.h"
#include "ClientAttendanceCheckerForm.h"
#include "Connection.h"
#include "DataModule1.h"
#include "InvoiceCheck.h"
#include "Messages.h"
#include "Query.h"
#include "Schema.h"
#include "Session.h"
#include "Transaction.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QTableView>
#include <QTemporaryDir>

namespace {

const int Year = 2026;
const int Month = 3;

QString projectName(int p)
{
    return QStringLiteral("SITE%1").arg(p, 2, 10, QLatin1Char('0'));
}
QString employeeNo(int w)
{
    return QStringLiteral("E%1").arg(w, 6, 10, QLatin1Char('0'));
}

// `projects` projects of `perProject` workers each, 30 days of own and client rows in the cycle.
void fill(Connection &c, int projects, int perProject)
{
    Schema::create(c);
    Transaction t(c);
    Query cycle(c,
                QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, :Y, :M)"));
    cycle.setParam(0, Year);
    cycle.setParam(1, Month);
    cycle.exec();
    for (const char *role : {"Login_Tallimar", "ClientAttChecker"}) {
        Query r(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('bench', :R)"));
        r.setParam(0, QString::fromLatin1(role));
        r.exec();
    }
    Query project(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values (:A, 1, 1)"));
    Query rate(c, QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                                 "Values (:A, 'Mason', 12.5, 15, 20)"));
    Query worker(c, QStringLiteral("Insert Into Workers (Rec_ID, Employee_No, FirstName, LastName, OurJob, Assignment) "
                                   "Values (:R, :E, 'Sam', 'Worker', 'Mason', :A)"));
    Query own(c, QStringLiteral(
                     "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                     "Employee_Name, Assignment, OurJob, OurAtt_Code, Our_WH, Our_OT, Our_HT) "
                     "Values (:I, :D, :Y, :M, :Dd, :R, :E, 'Sam Worker', :A, 'Mason', :C, :WH, :OT, 0)"));
    Query client(
        c, QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                          "Employee_Name, Assignment, ClientJob, ClientAtt_Code, Client_WH, Client_OT, Client_HT) "
                          "Values (:D, :Y, :M, :Dd, :R, :E, 'Sam Worker', :A, 'Mason', :C, :WH, :OT, 0)"));
    qint64 id = 0;
    for (int p = 1; p <= projects; ++p) {
        project.setParam(0, projectName(p));
        project.exec();
        rate.setParam(0, projectName(p));
        rate.exec();
        for (int i = 0; i < perProject; ++i) {
            const int w = (p - 1) * perProject + i + 1;
            worker.setParam(0, w);
            worker.setParam(1, employeeNo(w));
            worker.setParam(2, projectName(p));
            worker.exec();
            for (int d = 1; d <= 30; ++d) {
                const QDate date(Year, Month, d);
                const bool off = date.dayOfWeek() == 5;
                const QVariantList v = {date,          Year,           Month,           d,           w,
                                        employeeNo(w), projectName(p), off ? "A" : "P", off ? 0 : 8, off ? 0 : 2};
                own.setParam(0, ++id);
                for (int k = 0; k < v.size(); ++k) {
                    own.setParam(k + 1, v[k]);
                    client.setParam(k, v[k]);
                }
                own.exec();
                client.exec();
            }
        }
    }
    t.commit();
}

void writeIni(const QString &path, const QString &body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(body.toUtf8());
}

int sqliteFigures(const QString &cli)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.db"));
    writeIni(dir.filePath(QStringLiteral("Workers.ini")),
             QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(file));
    {
        Connection c(QStringLiteral("bench-fill"));
        openSqlite(c, file, true);
        QElapsedTimer t;
        t.start();
        fill(c, 10, 1000);
        printFigure("check_fill_time", t.elapsed() / 1000.0, "s");
    }
    TDataModule1 dm(dir.filePath(QStringLiteral("Workers.ini")));
    dm.DataModuleCreate();
    dm.Current_UserID = QStringLiteral("bench");
    Connection &c = dm.ADOConnection1;

    auto lookupFigure = [&c](const char *name, int project) {
        CheckerLookup lookup(c);
        lookup.openWorkers(projectName(project), Year, Month);
        QElapsedTimer t;
        t.start();
        const int n = 100;
        for (int i = 0; i < n; ++i)
            if (!lookup.findEmployee(employeeNo((project - 1) * 1000 + i * 7 + 1)))
                qFatal("lookup failed");
        printFigure(name, double(t.nsecsElapsed()) / 1e6 / n, "ms");
        // Where the time goes: each dataset of the lookup reopened on its own.
        for (Query *q : {&lookup.WorkerQ, &lookup.OurAttHistory, &lookup.OurSpreadSheetQ, &lookup.ClientAttHistory,
                         &lookup.ClientSpreadSheetQ}) {
            t.restart();
            for (int i = 0; i < 20; ++i) {
                q->close();
                q->open();
            }
            QTextStream(stdout) << "  " << q->sql().left(40) << "...: " << double(t.nsecsElapsed()) / 1e6 / 20
                                << " ms\n";
        }
    };
    // The window's "Check All Employees" from the given row of the workers list to its end.
    Messages::setRecorder([](Messages::Kind, const QString &text) {
        qWarning("message: %s", qPrintable(text));
        return true;
    });
    auto windowFigure = [&](const char *name, int project, int fromRow) {
        Session session(dm);
        TClientAttendanceCheckerForm f(session);
        f.show();
        f.FormActivate();
        f.cb_Project->setCurrentText(projectName(project));
        f.dbg_Workers->setCurrentIndex(f.dbg_Workers->model()->index(fromRow, 0));
        QElapsedTimer t;
        t.start();
        f.btn_CheckAllClick();
        const double perWorker = t.elapsed() / double(1000 - fromRow);
        printFigure(name, 1000.0 / perWorker, "workers/s");
        Query lines(c, QStringLiteral("Select COUNT(*) From Invoices Where Assignment = :A"));
        lines.setParam(0, projectName(project));
        lines.open();
        if (lines.value(0).toInt() != 1000 - fromRow)
            qFatal("window wrote %d lines", lines.value(0).toInt());
        return perWorker;
    };

    // One worker's lookup: the workers list located, five queries, both grids, both totals.
    lookupFigure("check_lookup_per_worker", 7);

    // The pass as tallimar-cli runs it, in process.
    double corePerWorker = 0;
    {
        const CheckTarget target{projectName(1), Year, Month};
        QElapsedTimer t;
        t.start();
        InvoiceCheck check(c);
        const CheckAllSummary s = checkEmployees(check, target, workersOfProject(c, target), dm.Current_UserID);
        const double secs = t.elapsed() / 1000.0;
        if (s.checked != 1000)
            qFatal("check-all checked %d", s.checked);
        corePerWorker = secs;
        printFigure("check_all_core_1000_workers", secs, "s");
        printFigure("check_all_core_rate", 1000 / secs, "workers/s");
    }
    // The real tallimar-cli, as a clerk's script would run it.
    {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(cli,
                {QStringLiteral("--ini"), dir.filePath(QStringLiteral("Workers.ini")), QStringLiteral("--user"),
                 QStringLiteral("bench"), QStringLiteral("check-all"), QStringLiteral("--project"), projectName(2)});
        if (!p.waitForFinished(600000) || p.exitCode() != 0)
            qFatal("tallimar-cli check-all failed: %s", p.readAllStandardError().constData());
        const double secs = t.elapsed() / 1000.0;
        printFigure("check_all_cli_1000_workers", secs, "s");
        printFigure("check_all_cli_rate", 1000 / secs, "workers/s");
    }
    // The window's pass over a whole project.
    const double perWorker = windowFigure("check_all_window_rate", 3, 0);
    printFigure("check_all_window_vs_core", perWorker / corePerWorker, "x");

    return 0;
}

// Two tallimar-cli processes on one project at once: one line per worker, every row checked,
// and every worker reported by both processes (checked, or failed with its reason).
int postgresConcurrency(const QString &cli, int port, int workers)
{
    const QString dbName = QStringLiteral("bench_check_%1").arg(QCoreApplication::applicationPid());
    {
        Connection admin(QStringLiteral("bench-admin"));
        openPostgres(admin, port, QStringLiteral("postgres"));
        admin.execDirect(QStringLiteral("CREATE DATABASE ") + dbName);
        admin.close();
        Connection c(QStringLiteral("bench-pg-fill"));
        openPostgres(c, port, dbName);
        fill(c, 1, workers);
    }
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
    writeIni(ini, QStringLiteral("[Database]\nEngine=PostgreSQL\nSource=127.0.0.1:%1\nCatalog=%2\nUserName=postgres\n")
                      .arg(port)
                      .arg(dbName));
    QProcess a, b;
    const QStringList args = {QStringLiteral("--ini"),
                              ini,
                              QStringLiteral("--user"),
                              QStringLiteral("bench"),
                              QStringLiteral("check-all"),
                              QStringLiteral("--project"),
                              projectName(1)};
    QElapsedTimer t;
    t.start();
    a.start(cli, args);
    b.start(cli, args);
    a.waitForFinished(600000);
    b.waitForFinished(600000);
    printFigure("check_pg_two_processes_time", t.elapsed() / 1000.0, "s");
    int failedReported = 0;
    int conflictsRetried = 0;
    bool ok = true;
    for (QProcess *p : {&a, &b}) {
        const QStringList lines =
            QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        int reported = 0;
        for (const QString &l : lines) {
            if (l.startsWith(QLatin1String("E")))
                ++reported;
            if (l.contains(QLatin1String(": failed: ")))
                ++failedReported;
            if (l.contains(QLatin1String("concurrent-update failure")))
                ++conflictsRetried;
        }
        if (reported != workers) {
            QTextStream(stderr) << "a process reported " << reported << " of " << workers << " workers\n";
            ok = false;
        }
        QTextStream(stderr) << "exit " << p->exitCode() << ", last line: " << lines.value(lines.size() - 1) << "\n";
    }
    {
        Connection c(QStringLiteral("bench-pg-verify"));
        openPostgres(c, port, dbName);
        auto count = [&c](const QString &sql) {
            Query q(c, sql);
            q.open();
            return q.value(0).toInt();
        };
        const int lines = count(QStringLiteral("Select COUNT(*) From Invoices"));
        const int distinctLines = count(QStringLiteral("Select COUNT(DISTINCT Ref_No) From Invoices"));
        const int unchecked = count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 0"));
        const int wrongTotals = count(QStringLiteral("Select COUNT(*) From Invoices i Where Earned_WH_Hours <> (Select "
                                                     "COALESCE(SUM(Client_WH), 0) From ClientTimeSheets t "
                                                     "Where t.Ref_No = i.Ref_No And t.Assignment = i.Assignment And "
                                                     "t.Col_Year = i.Col_Year And t.Col_Month = i.Col_Month)"));
        printFigure("check_pg_invoice_lines", lines, "lines");
        printFigure("check_pg_distinct_workers", distinctLines, "workers");
        printFigure("check_pg_unchecked_rows", unchecked, "rows");
        printFigure("check_pg_lines_not_matching_rows", wrongTotals, "lines");
        printFigure("check_pg_failures_reported", failedReported, "workers");
        printFigure("check_pg_conflicts_retried_and_reported", conflictsRetried, "workers");
        ok = ok && lines == workers && distinctLines == workers && unchecked == 0 && wrongTotals == 0;
        c.close();
    }
    {
        Connection admin(QStringLiteral("bench-admin2"));
        openPostgres(admin, port, QStringLiteral("postgres"));
        admin.execDirect(QStringLiteral("DROP DATABASE ") + dbName);
    }
    QTextStream(stdout) << "check_pg_concurrency: " << (ok ? "ok" : "FAILED") << "\n";
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString cli = QStringLiteral(TALLIMAR_CLI_PATH);
    const int pg = args.indexOf(QStringLiteral("--pg"));
    if (pg > 0 && pg + 1 < args.size())
        return postgresConcurrency(cli, args.at(pg + 1).toInt(), args.value(pg + 2, QStringLiteral("300")).toInt());
    return sqliteFigures(cli);
}
