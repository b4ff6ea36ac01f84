// Check-all passes and the month grids on every engine: the core pass, tallimar-cli check-all,
// two passes at once.
#include "CheckerLookup.h"
#include "CheckingFixture.h"
#include "InvoiceCheck.h"

#include <QProcess>
#include <QTest>

using namespace CheckFixture;

class TestCheckingPass : public QObject
{
    Q_OBJECT

private slots:
    void monthGridsGiveTheSameCellsOnEveryEngine_data() { TESTDB_ENGINE_ROWS(); }
    void monthGridsGiveTheSameCellsOnEveryEngine()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.own(7, QStringLiteral("E1"), QDate(2026, 4, 1), QStringLiteral("P"), 8, 2);
        fx.own(7, QStringLiteral("E1"), QDate(2026, 4, 2), QStringLiteral("P"), 8);
        // Another job within the month: a second row of each kind on our side.
        fx.own(7, QStringLiteral("E1"), QDate(2026, 4, 30), QStringLiteral("H"), 0, 0, 8, QStringLiteral("Ali Khan"),
               QStringLiteral("Welder"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 4, 1), QStringLiteral("P"), 10);
        fx.client(7, QStringLiteral("E1"), QDate(2026, 4, 1), QStringLiteral("H"), 8);
        fx.client(7, QStringLiteral("E1"), QDate(2026, 4, 3), QStringLiteral("A"), QVariant());

        CheckerLookup lookup(db.connection());
        lookup.openWorkers(Project, 2026, 4);
        QVERIFY(!lookup.findEmployee(QStringLiteral("E"))); // whole value only
        QVERIFY(!lookup.employeeShown());
        QVERIFY(lookup.findEmployee(QStringLiteral("E1")));
        QCOMPARE(lookup.WorkerQ.asInt64(QStringLiteral("Rec_ID")), 7);
        QCOMPARE(lookup.fullName(), QStringLiteral("Ali Khan"));

        const QString na = naFrom(4);
        QCOMPARE(gridCells(lookup.ClientSpreadSheetQ),
                 (QStringList{"Attendance|P|NA|A|" + na, "Normal Hours|8|NA|NA|" + na, "Overtime Hours|0|NA|0|" + na,
                              "Holiday Hours|0|NA|0|" + na}));
        const QString mid = naFrom(3).section(QLatin1Char('|'), 0, 26); // days 03..29
        QCOMPARE(gridCells(lookup.OurSpreadSheetQ),
                 (QStringList{"Attendance|P|P|" + mid + "|NA|NA", "Attendance|NA|NA|" + mid + "|H|NA",
                              "Normal Hours|8|8|" + mid + "|NA|NA", "Normal Hours|NA|NA|" + mid + "|0|NA",
                              "Overtime Hours|2|0|" + mid + "|NA|NA", "Overtime Hours|NA|NA|" + mid + "|0|NA",
                              "Holiday Hours|0|0|" + mid + "|NA|NA", "Holiday Hours|NA|NA|" + mid + "|8|NA"}));
        const int label = lookup.ClientSpreadSheetQ.fieldIndex(QStringLiteral("Col01"));
        QCOMPARE(lookup.ClientSpreadSheetQ.field(label).label(), QStringLiteral("Description"));
        QVERIFY(!lookup.ClientSpreadSheetQ.field(lookup.ClientSpreadSheetQ.fieldIndex(QStringLiteral("Row_Order")))
                     .visible);

        QCOMPARE(lookup.ours.totalHours(), 26);
        QCOMPARE(lookup.client.presentDays, 2);
        QCOMPARE(lookup.client.totalHours(), 18);
        QVERIFY(!lookup.disputed());
        QCOMPARE(lookup.ClientAttHistory.row(), 2);
    }
    void checkAllCommand_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("project");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        const QString checker = QStringLiteral("ClientAttChecker");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": a checker checks and reports each worker")))
                << e << checker << Project << 0
                << QStringLiteral("E1: checked; priced at 0: no rate for job Mason\nE2: skipped: disputed "
                                  "attendance\nE3: skipped: no worker record\nE4: skipped: the client rows of the "
                                  "month are filed under 2 worker references (4, 40)\n"
                                  "checked: 1, skipped: 3, failed: 0\n")
                << QString();
            QTest::newRow(qPrintable(e + QStringLiteral(": another role is refused")))
                << e << QStringLiteral("ClientAttCreater") << Project << 3 << QString()
                << QStringLiteral("You Do Not Have Authority");
            for (const char *refused : {"OLD", "FREE", "NOPE"})
                QTest::newRow(qPrintable(e + QStringLiteral(": project %1 is not offered").arg(QLatin1String(refused))))
                    << e << checker << QString::fromLatin1(refused) << 2 << QString()
                    << QStringLiteral("Project '%1' is not an active, billable project").arg(QLatin1String(refused));
        }
    }
    void checkAllCommand()
    {
        QFETCH(QString, engine);
        QFETCH(QString, role);
        QFETCH(QString, project);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        TestDb::exec(
            db.connection(),
            QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, 2026, 1)"));
        const QString addProject =
            QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values (:v, :v, :v)");
        TestDb::exec(db.connection(), addProject, {Project, 1, 1});
        TestDb::exec(db.connection(), addProject, {QStringLiteral("OLD"), 0, 1});
        TestDb::exec(db.connection(), addProject, {QStringLiteral("FREE"), 1, 0});
        for (const QString &r : {QStringLiteral("Login_Tallimar"), role})
            TestDb::exec(db.connection(),
                         QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('clerk', :v)"), {r});
        for (int i = 1; i <= 3; ++i) {
            const QString emp = QStringLiteral("E%1").arg(i);
            if (i < 3)
                fx.worker(i, emp);
            fx.own(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8);
            fx.client(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), i == 2 ? 1 : 0);
            // The same workers in the projects the checker does not offer.
            for (const char *other : {"OLD", "FREE"}) {
                fx.project = QString::fromLatin1(other);
                fx.own(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8);
                fx.client(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8);
            }
            fx.project = Project;
        }
        // E4, rehired as 40, has the month's rows under both records.
        fx.worker(4, QStringLiteral("E4"));
        fx.worker(40, QStringLiteral("E4"));
        fx.own(40, QStringLiteral("E4"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        fx.client(4, QStringLiteral("E4"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        fx.client(40, QStringLiteral("E4"), QDate(2026, 1, 2), QStringLiteral("P"), 8);
        QProcess p;
        p.start(QStringLiteral(TALLIMAR_CLI_PATH),
                {QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"), QStringLiteral("clerk"),
                 QStringLiteral("check-all"), QStringLiteral("--project"), project});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), output);
        QVERIFY2(err.contains(error), qPrintable(err));
        QCOMPARE(fx.checkedRows(1), exitCode == 0 ? 1 : 0);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Employee_No = 'E4' And "
                                         "Checked = 1")),
                 0);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices Where Assignment <> :v"), {Project}), 0);
    }

    // Two clerks' check-all on one project at once: one line per worker, every row checked, and
    // a lost race shows on that worker's line instead of vanishing.
    void twoCheckAllRunsAtOnce()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("no PostgreSQL server in this run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Fx fx{db.connection()};
        const int workers = 40;
        TestDb::exec(
            db.connection(),
            QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, 2026, 1)"));
        TestDb::exec(db.connection(),
                     QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values (:v, 1, 1)"),
                     {Project});
        for (const char *r : {"Login_Tallimar", "ClientAttChecker"})
            TestDb::exec(db.connection(),
                         QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('clerk', :v)"),
                         {QString::fromLatin1(r)});
        fx.rate(QStringLiteral("Mason"), 10, 12.5, 15);
        for (int i = 1; i <= workers; ++i) {
            const QString emp = QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0'));
            fx.worker(i, emp);
            for (int d = 1; d <= 5; ++d) {
                fx.own(i, emp, QDate(2026, 1, d), QStringLiteral("P"), 8);
                fx.client(i, emp, QDate(2026, 1, d), QStringLiteral("P"), 8, 1);
            }
        }
        QProcess a, b;
        const QStringList args{QStringLiteral("--ini"),
                               db.iniPath(),
                               QStringLiteral("--user"),
                               QStringLiteral("clerk"),
                               QStringLiteral("check-all"),
                               QStringLiteral("--project"),
                               Project};
        a.start(QStringLiteral(TALLIMAR_CLI_PATH), args);
        b.start(QStringLiteral(TALLIMAR_CLI_PATH), args);
        QVERIFY(a.waitForFinished(120000));
        QVERIFY(b.waitForFinished(120000));
        const QString outA = QString::fromUtf8(a.readAllStandardOutput()),
                      outB = QString::fromUtf8(b.readAllStandardOutput());
        QVERIFY2(fx.count(QStringLiteral("Select COUNT(*) From Invoices")) == workers,
                 qPrintable(outA + QStringLiteral("\n---\n") + outB));
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(DISTINCT Ref_No) From Invoices")), workers);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 0")), 0);
        // Every line matches the rows: 5 days of 8 + 1 hours.
        QCOMPARE(
            fx.count(QStringLiteral("Select COUNT(*) From Invoices Where Days_Present = 5 And Earned_WH_Hours = 40 "
                                    "And Earned_OT_Hours = 5 And Earned_Total = 462.5")),
            workers);
        // Each process reports every worker; a worker either checked or failed with the reason.
        for (const QString &out : {outA, outB}) {
            for (int i = 1; i <= workers; ++i) {
                const QString emp = QStringLiteral("E%1: ").arg(i, 3, 10, QLatin1Char('0'));
                QVERIFY2(out.contains(emp + QStringLiteral("checked")) ||
                             out.contains(emp + QStringLiteral("failed: Something went wrong!")),
                         qPrintable(out));
            }
        }
        QVERIFY(a.exitCode() == 0 || outA.contains(QLatin1String("failed: ")));
        QVERIFY(b.exitCode() == 0 || outB.contains(QLatin1String("failed: ")));
    }
};

QTEST_GUILESS_MAIN(TestCheckingPass)
#include "test_checking_pass.moc"
