// Dashboard refresh (both queries, both charts filled) for the fullest month of a 10,000-worker
// demo database on SQLite, and with --pg PORT on PostgreSQL; cold start of tallimar up to the
// drawn dashboard on the demo database. Generated databases are kept in --data DIR (default:
// beside this program) and reused by later runs.
#include "BenchUtil.h"
#include "Dashboard.h"
#include "DataModule1.h"
#include "DbError.h"
#include "DemoData.h"
#include "MainForm.h"
#include "Messages.h"
#include "ModuleTable.h"
#include "Query.h"
#include "Session.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

void writeIni(const QString &path, const QString &databaseLines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write("[Database]\n" + databaseLines.toUtf8() + "\n[ChoosenStyle]\nStyle=Lavender Classico\n");
}

// Creates the demo database named by the ini unless it already holds workers.
void ensureDemo(const QString &ini, int workers)
{
    TDataModule1 dm(ini);
    dm.ADOConnection1.beforeConnect = [&dm] {
        ConnectionParams p = dm.ADOConnection1BeforeConnect();
        p.createIfMissing = true;
        return p;
    };
    dm.ADOConnection1.afterConnect = nullptr;
    dm.ADOConnection1.open();
    try {
        Query q(dm.ADOConnection1, QStringLiteral("Select Count(*) As N From Workers"));
        q.open();
        if (q.asInt64(QStringLiteral("N")) >= workers)
            return;
    } catch (const DbError &) {
        // No tables yet.
    }
    QTextStream(stderr) << "generating a " << workers << "-worker demo database (once)...\n";
    DemoOptions o;
    o.workers = workers;
    generateDemoData(dm.ADOConnection1, o);
}

void dashboardFigures(const QString &ini, const char *engine)
{
    TDataModule1 dm(ini);
    dm.DataModuleCreate();
    Query fullest(dm.ADOConnection1, QStringLiteral("Select Col_Year, Col_Month, Count(*) As N From ClientTimeSheets "
                                                    "Group By Col_Year, Col_Month Order By N Desc"));
    fullest.open();
    const int year = fullest.asInt(QStringLiteral("Col_Year")), month = fullest.asInt(QStringLiteral("Col_Month"));
    const qint64 clientRows = fullest.asInt64(QStringLiteral("N"));

    CycleDashboard dashboard(dm.ADOConnection1);
    dashboard.refresh(year, month); // warm the caches: the figure is a refresh, not a first read
    QList<double> queries;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        const DashboardData d = dashboard.refresh(year, month);
        queries << t.nsecsElapsed() / 1e6;
        if (d.deployed.days.isEmpty() || d.billed.days.isEmpty())
            qFatal("the month has no rows");
    }

    dm.Current_UserID = QStringLiteral("demo");
    dm.openRoles(QStringLiteral("demo"));
    const TestClock clock(QDate(year, month, 1).addMonths(1));
    Session session(dm, clock);
    TMainForm form(session, ModuleTable(), {QStringLiteral("demo")});
    form.resize(1366, 768);
    form.FormActivate();
    form.show();
    QCoreApplication::processEvents();
    QList<double> refresh;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        form.UpdateCharts();
        form.repaint();
        refresh << t.nsecsElapsed() / 1e6;
    }
    const QByteArray prefix = QByteArray("dashboard_") + engine;
    printFigure(prefix + "_month_client_rows", double(clientRows), "rows");
    printFigure(prefix + "_queries_time", median(queries), "ms");
    printFigure(prefix + "_refresh_time", median(refresh), "ms");
}

// Runs a copy of tallimar beside its own Workers.ini until the dashboard is drawn.
void coldStart(const QString &dataDir, const QString &name, const QString &dbFile)
{
    QDir dir(dataDir + QStringLiteral("/start-") + name);
    dir.mkpath(QStringLiteral("."));
    const QString exe = dir.filePath(QStringLiteral("tallimar"));
    QFile::remove(exe);
    if (!QFile::copy(QStringLiteral(TALLIMAR_EXE), exe))
        qFatal("cannot copy tallimar");
    writeIni(dir.filePath(QStringLiteral("Workers.ini")), QStringLiteral("Engine=SQLite\nCatalog=%1\n").arg(dbFile));
    QList<double> times;
    for (int i = 0; i < 5; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TALLIMAR_QUIT_AFTER_LOGIN"), QStringLiteral("1"));
        if (!env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(exe, {QStringLiteral("demo"), QStringLiteral("demo")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            p.kill();
            qFatal("tallimar did not start cleanly (exit %d): %s", p.exitCode(), p.readAllStandardError().constData());
        }
        times << t.nsecsElapsed() / 1e6;
    }
    printFigure(QByteArray("cold_start_") + name.toUtf8() + "_time", median(times), "ms");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Messages::setRecorder([](Messages::Kind, const QString &text) {
        QTextStream(stderr) << "message: " << text << '\n';
        return true;
    });
    const QStringList args = app.arguments();
    auto option = [&](const QString &name) {
        const int i = args.indexOf(name);
        return i > 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
    };
    QString dataDir = option(QStringLiteral("--data"));
    if (dataDir.isEmpty())
        dataDir = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-data");
    QDir().mkpath(dataDir);
    dataDir = QDir(dataDir).absolutePath();
    try {
        const QString big = dataDir + QStringLiteral("/Workers-10k.ini");
        writeIni(big, QStringLiteral("Engine=SQLite\nCatalog=demo10k.db\n"));
        ensureDemo(big, 10000);
        dashboardFigures(big, "sqlite_10k");

        const QString pgPort = option(QStringLiteral("--pg"));
        if (!pgPort.isEmpty()) {
            const QString pgIni = dataDir + QStringLiteral("/Workers-pg10k.ini");
            writeIni(
                pgIni,
                QStringLiteral("Engine=PostgreSQL\nSource=127.0.0.1:%1\nCatalog=tallimar_bench10k\nUserName=postgres\n")
                    .arg(pgPort));
            {
                Connection admin(QStringLiteral("bench-admin"));
                openPostgres(admin, pgPort.toInt(), QStringLiteral("postgres"));
                Query exists(admin,
                             QStringLiteral("Select 1 As X From pg_database Where datname = 'tallimar_bench10k'"));
                exists.open();
                if (exists.isEmpty())
                    admin.execDirect(QStringLiteral("CREATE DATABASE tallimar_bench10k"));
            }
            ensureDemo(pgIni, 10000);
            dashboardFigures(pgIni, "postgresql_10k");
        }

        const QString small = dataDir + QStringLiteral("/Workers-demo.ini");
        writeIni(small, QStringLiteral("Engine=SQLite\nCatalog=demo.db\n"));
        ensureDemo(small, 200);
        coldStart(dataDir, QStringLiteral("demo"), dataDir + QStringLiteral("/demo.db"));
        coldStart(dataDir, QStringLiteral("10k"), dataDir + QStringLiteral("/demo10k.db"));
    } catch (const DbError &e) {
        QTextStream(stderr) << e.message() << '\n';
        return 1;
    }
    return 0;
}
