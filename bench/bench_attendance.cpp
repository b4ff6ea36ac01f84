// Client attendance: "Move All Employees" for a project of 1,000 workers x 30 days on SQLite
// (the core pass, the real tallimar-cli and the window), and loading one employee in the
// window on a 10,000-worker database.
#include "BenchUtil.h"
#include "ClientAttendance.h"
#include "ClientAttendanceForm.h"
#include "Connection.h"
#include "DataModule1.h"
#include "DemoData.h"
#include "Messages.h"
#include "Session.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

QString makeDb(const QString &dir, const QString &name, int workers, int projects)
{
    const QString path = dir + QLatin1Char('/') + name;
    Connection c(QStringLiteral("bench-fill"));
    openSqlite(c, path, true);
    DemoOptions o;
    o.workers = workers;
    o.projects = projects;
    o.months = 1;
    generateDemoData(c, o);
    c.close();
    return path;
}

QString copyDb(const QString &from, const QString &to)
{
    QFile::remove(to);
    QFile::copy(from, to);
    return to;
}

QString iniFor(const QString &dir, const QString &db)
{
    const QString ini = dir + QStringLiteral("/Workers-") + QFileInfo(db).baseName() + QStringLiteral(".ini");
    QFile f(ini);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n[ChoosenStyle]\nStyle=Lavender Classico\n")
                .arg(db)
                .toUtf8());
    return ini;
}

QString firstProject(TDataModule1 &dm)
{
    ClientAttendance a(dm.ADOConnection1);
    return a.projectNames().value(0);
}

void run(const QString &dir, const QString &base1k, const QString &base10k)
{
    auto name = [](const char *n) { return QByteArray(n); };

    // Core pass, as tallimar-cli runs it.
    {
        const QString db = copyDb(base1k, dir + QStringLiteral("/core.db"));
        TDataModule1 dm(iniFor(dir, db));
        dm.DataModuleCreate();
        const CycleMonth cycle = dm.activeCycle();
        ClientAttendance a(dm.ADOConnection1);
        a.userId = QStringLiteral("demo");
        a.cycleYear = cycle.year;
        a.cycleMonth = cycle.month;
        a.openProject(firstProject(dm));
        QElapsedTimer t;
        t.start();
        const auto lines = a.moveAll();
        const double s = t.nsecsElapsed() / 1e9;
        printFigure(name("move_all_core_1000x30_sqlite"), s, "s");
        printFigure(name("move_all_core_rate"), lines.size() / s, "employees/s");
    }
    // The real command line.
    {
        const QString db = copyDb(base1k, dir + QStringLiteral("/cli.db"));
        const QString ini = iniFor(dir, db);
        QString project;
        {
            TDataModule1 dm(ini);
            dm.DataModuleCreate();
            project = firstProject(dm);
        }
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(TALLIMAR_CLI_PATH),
                {QStringLiteral("--ini"), ini, QStringLiteral("--user"), QStringLiteral("demo"),
                 QStringLiteral("move-all"), QStringLiteral("--project"), project});
        p.waitForFinished(-1);
        const double s = t.nsecsElapsed() / 1e9;
        const QByteArray out = p.readAllStandardOutput().trimmed();
        printFigure(name("move_all_cli_1000x30_sqlite"), s, "s");
        printFigure(name("move_all_cli_rate"), 1000 / s, "employees/s");
        if (p.exitCode() != 0 || !out.endsWith("moved: 1000, skipped: 0, failed: 0"))
            QTextStream(stderr) << "tallimar-cli did not move everything: " << out.right(200) << "\n";
    }
    // The window's "Move All Employees".
    {
        const QString db = copyDb(base1k, dir + QStringLiteral("/window.db"));
        TDataModule1 dm(iniFor(dir, db));
        dm.DataModuleCreate();
        dm.Current_UserID = QStringLiteral("demo");
        Session session(dm);
        TClientAttendanceForm f(session);
        f.show();
        f.cb_Project->setCurrentIndex(0);
        QElapsedTimer t;
        t.start();
        f.btn_Move_All->click();
        const double s = t.nsecsElapsed() / 1e9;
        printFigure(name("move_all_window_1000x30_sqlite"), s, "s");
    }
    // One employee, search to totals shown, on 10,000 workers.
    {
        const QString db = copyDb(base10k, dir + QStringLiteral("/load.db"));
        TDataModule1 dm(iniFor(dir, db));
        dm.DataModuleCreate();
        dm.Current_UserID = QStringLiteral("demo");
        Session session(dm);
        TClientAttendanceForm f(session);
        f.show();
        f.cb_Project->setCurrentIndex(0);
        const Query &list = f.attendance().WorkersInOurAttQ;
        const int n = qMin(200, list.recordCount());
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < n; ++i) {
            f.edt_SearchEmpNo->setText(list.valueAt(i * list.recordCount() / n, 0).toString());
            f.FindEmployee();
        }
        printFigure(name("load_one_employee_10000_workers"), t.nsecsElapsed() / 1e6 / n, "ms");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Messages::setRecorder([](Messages::Kind, const QString &text) {
        QTextStream(stderr) << "message: " << text << "\n";
        return true;
    });
    QTemporaryDir dir;
    const QString base1k = makeDb(dir.path(), QStringLiteral("base1k.db"), 1000, 1);
    const QString base10k = makeDb(dir.path(), QStringLiteral("base10k.db"), 10000, 4);
    run(dir.path(), base1k, base10k);
    return 0;
}
