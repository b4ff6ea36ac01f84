// The database layer on every engine the run has.
#include "DataModule1.h"
#include "DbError.h"
#include "DemoData.h"
#include "InvoiceCheck.h"
#include "Query.h"
#include "Schema.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QFile>
#include <QTest>

class TestData : public QObject
{
    Q_OBJECT

    static DemoOptions demoOptions(const Clock &clock)
    {
        DemoOptions o;
        o.workers = 40;
        o.projects = 4;
        o.months = 3;
        o.seed = 7;
        o.clock = &clock;
        return o;
    }

    // A table's rows as texts, in a fixed order, without the keys the database assigns.
    static QList<QStringList> tableRows(Connection &c, const char *table)
    {
        Query q(c, QStringLiteral("Select * From %1").arg(QLatin1String(table)));
        q.open();
        QList<QStringList> rows;
        for (int r = 0; r < q.recordCount(); ++r) {
            QStringList row;
            for (int f = 0; f < q.fields().size(); ++f)
                if (q.field(f).name.compare(QLatin1String("Rec_ID"), Qt::CaseInsensitive) != 0)
                    row << q.field(f).name.toLower() + QLatin1Char('=') + q.valueAt(r, f).toString();
            rows << row;
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

private slots:
    // On PostgreSQL every statement runs under the connection's limit; a query may ask for its
    // own, which holds for that query and then gives way to the default again, also after a
    // rolled-back transaction.
    void statementTimeouts()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("needs the PostgreSQL server of the test run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        QCOMPARE(TestDb::scalar(c, QStringLiteral("SELECT current_setting('statement_timeout')")).toString(),
                 QStringLiteral("1min"));
        Query slow(c, QStringLiteral("SELECT pg_sleep(3)"));
        slow.setTimeoutMs(500);
        try {
            slow.open();
            QFAIL("the statement outlived its time-out");
        } catch (const DbError &e) {
            QVERIFY2(isStatementTimeout(e.message()), qPrintable(e.message()));
        }
        QCOMPARE(TestDb::scalar(c, QStringLiteral("SELECT current_setting('statement_timeout')")).toString(),
                 QStringLiteral("1min"));
        Query own(c, QStringLiteral("SELECT current_setting('statement_timeout')"));
        own.setTimeoutMs(180000);
        c.beginTrans();
        own.open();
        QCOMPARE(own.value(0).toString(), QStringLiteral("3min"));
        c.rollbackTrans();
        QCOMPARE(TestDb::scalar(c, QStringLiteral("SELECT current_setting('statement_timeout')")).toString(),
                 QStringLiteral("1min"));
        own.open();
        QCOMPARE(own.value(0).toString(), QStringLiteral("3min"));
    }

    void parameters_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("positional");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a name used twice is two parameters")
            << "Select * From T Where A = :Y Or B = :Y And C = :M"
            << "Select * From T Where A = ? Or B = ? And C = ?" << QStringList{"Y", "Y", "M"};
        QTest::newRow("colons inside literals and identifiers stay")
            << "Select ':x', \"a:b\" From T Where D = :D And E = 'it''s :e'"
            << "Select ':x', \"a:b\" From T Where D = ? And E = 'it''s :e'" << QStringList{"D"};
        QTest::newRow("PostgreSQL casts are not parameters")
            << "Select x::text From T Where y = :Y_1"
            << "Select x::text From T Where y = ?" << QStringList{"Y_1"};
        QTest::newRow("comments are copied") << "Select 1 -- :not\nFrom T Where a = :A"
                                             << "Select 1 -- :not\nFrom T Where a = ?" << QStringList{"A"};
    }
    void parameters()
    {
        QFETCH(QString, sql);
        QFETCH(QString, positional);
        QFETCH(QStringList, names);
        const ParsedSql p = parseParameters(sql);
        QCOMPARE(p.positionalSql, positional);
        QCOMPARE(p.names, names);
    }

    void storedDateTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime t(QDate(2026, 2, 28), QTime(13, 5, 9));
        QTest::newRow("as we write it") << "2026-02-28 13:05:09" << t;
        QTest::newRow("ISO with T and milliseconds") << "2026-02-28T13:05:09.250" << t.addMSecs(250);
        QTest::newRow("microseconds are cut to milliseconds") << "2026-02-28 13:05:09.123456" << t.addMSecs(123);
        QTest::newRow("date only is midnight") << "2026-02-28" << QDate(2026, 2, 28).startOfDay();
        QTest::newRow("no seconds") << "2026-02-28 13:05" << QDateTime(QDate(2026, 2, 28), QTime(13, 5));
        QTest::newRow("impossible day") << "2026-02-30 00:00:00" << QDateTime();
        QTest::newRow("not a date") << "28/02/2026" << QDateTime();
    }
    void storedDateTexts()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(toDateTime(text), expected);
    }

    void roundTripOfEveryColumnType_data() { TESTDB_ENGINE_ROWS(); }
    void roundTripOfEveryColumnType()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const QDateTime entered(QDate(2026, 2, 28), QTime(23, 59, 58));
        const QString arabic = QStringLiteral("محمد العلي");
        const qint64 bigRef = Q_INT64_C(9007199254740993);
        Query ins(
            c,
            QStringLiteral(
                "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                "Employee_Name, Assignment, "
                "ClientJob, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, Entered_Date) "
                "Values (:Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, "
                ":Assignment, "
                ":ClientJob, :ClientAtt_Code, :ClientAtt_Desc, :Client_WH, :Client_OT, :Client_HT, :Entered_By, "
                ":Entered_Date)"));
        const QVariantList values = {QDate(2026, 2, 28),
                                     2026,
                                     2,
                                     28,
                                     bigRef,
                                     QStringLiteral("E10001"),
                                     arabic,
                                     QStringLiteral("MARINA"),
                                     QStringLiteral("Mason"),
                                     QStringLiteral("P"),
                                     QStringLiteral("Present"),
                                     8,
                                     QVariant(),
                                     0,
                                     QStringLiteral("demo"),
                                     entered};
        for (int i = 0; i < values.size(); ++i)
            ins.setParam(i, values[i]);
        QCOMPARE(ins.exec(), 1);

        Query q(c, QStringLiteral("Select * From ClientTimeSheets"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QVERIFY(q.asInt64(QStringLiteral("Rec_ID")) > 0);
        QCOMPARE(q.asInt64(QStringLiteral("Ref_No")), bigRef);
        QCOMPARE(q.asString(QStringLiteral("Employee_Name")), arabic);
        QCOMPARE(q.asDateTime(QStringLiteral("Col_Date")), QDate(2026, 2, 28).startOfDay());
        QCOMPARE(q.asDateTime(QStringLiteral("Entered_Date")), entered);
        QVERIFY(q.isNull(QStringLiteral("Client_OT")));
        QCOMPARE(q.asInt(QStringLiteral("Client_OT")), 0);
        // New rows are unchecked and undisputed without naming the flags.
        QCOMPARE(q.asInt(QStringLiteral("Checked")), 0);
        QCOMPARE(q.asInt(QStringLiteral("Dispute")), 0);
        QVERIFY(q.isNull(QStringLiteral("Checked_By")));
        QCOMPARE(q.fields().at(q.fieldIndex(QStringLiteral("Col_Date"))).kind, FieldKind::DateTime);

        // Flags bound as booleans, doubles kept exactly.
        TestDb::exec(
            c,
            QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable, WH) Values (:A, :Act, :B, :WH)"),
            {QStringLiteral("P1"), true, false, 8});
        TestDb::exec(c,
                     QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                                    "Values (:A, :J, :W, :O, :H)"),
                     {QStringLiteral("P1"), QStringLiteral("Mason"), 12.5, 0.1, 1e-9});
        Query a(c, QStringLiteral("Select A.isActive, A.Billable, R.WH_Rate, R.OT_Rate, R.HT_Rate From Assignments A "
                                  "Join AssignmentsRates R On R.Assignment = A.Assignment"));
        a.open();
        QCOMPARE(a.asBool(QStringLiteral("isActive")), true);
        QCOMPARE(a.asBool(QStringLiteral("Billable")), false);
        QCOMPARE(a.asDouble(QStringLiteral("WH_Rate")), 12.5);
        QCOMPARE(a.asDouble(QStringLiteral("OT_Rate")), 0.1);
        QCOMPARE(a.asDouble(QStringLiteral("HT_Rate")), 1e-9);
    }

    void datesCompareEqualWhoeverWroteThem_data() { TESTDB_ENGINE_ROWS(); }
    void datesCompareEqualWhoeverWroteThem()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        // The generator writes QDate, a screen may write a midnight QDateTime.
        DemoOptions o;
        o.workers = 2;
        o.projects = 1;
        o.months = 1;
        const TestClock clock(QDate(2026, 4, 10));
        o.clock = &clock;
        generateDemoData(c, o);
        TestDb::exec(c, QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Ref_No) Values (:D, 1)"),
                     {QDate(2026, 3, 5).startOfDay()});
        const QVariant n = TestDb::scalar(c, QStringLiteral("Select Count(*) From TimeSheets T Join ClientTimeSheets C "
                                                            "On C.Col_Date = T.Col_Date And C.Ref_No = T.Ref_No"));
        QCOMPARE(n.toInt(), 1);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From TimeSheets Where Col_Date = :D"),
                                {QDate(2026, 3, 5)})
                     .toInt(),
                 2);
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select Count(*) From TimeSheets Where Col_Date >= :A And Col_Date < :B"),
                           {QDate(2026, 3, 1), QDate(2026, 4, 1)})
                .toInt(),
            62);
        const QString day = Dialect::dayOfMonth(c.engine(), QStringLiteral("Col_Date"));
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Max(%1) From TimeSheets").arg(day)).toInt(), 31);
    }

    void invoiceKeyIsUnique_data() { TESTDB_ENGINE_ROWS(); }
    void invoiceKeyIsUnique()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        const QString sql =
            QStringLiteral("Insert Into Invoices (Assignment, Ref_No, Col_Year, Col_Month) Values (:A, :R, :Y, :M)");
        TestDb::exec(db.connection(), sql, {QStringLiteral("P1"), 7, 2026, 11});
        TestDb::exec(db.connection(), sql, {QStringLiteral("P2"), 7, 2026, 11});
        QVERIFY_THROWS_EXCEPTION(DbError, TestDb::exec(db.connection(), sql, {QStringLiteral("P1"), 7, 2026, 11}));
    }

    void failedWriteInsideTheGuardLeavesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void failedWriteInsideTheGuardLeavesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        try {
            Transaction tx(c);
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {QStringLiteral("a"), QStringLiteral("x")});
            TestDb::exec(c, QStringLiteral("Insert Into NoSuchTable (X) Values (1)"));
            tx.commit();
            QFAIL("the second statement should fail");
        } catch (const DbError &e) {
            QVERIFY(!e.message().isEmpty());
        }
        QVERIFY(!c.inTransaction());
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From UsersRoles")).toInt(), 0);
        // The connection goes on working, and a committed guard keeps its rows.
        {
            Transaction tx(c);
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {QStringLiteral("a"), QStringLiteral("x")});
            tx.commit();
        }
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From UsersRoles")).toInt(), 1);
    }

    void snapshotWalkAndLocate_data() { TESTDB_ENGINE_ROWS(); }
    void snapshotWalkAndLocate()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        for (const char *role : {"ClientsMgt", "ClientsMgtX", "Login_Tallimar"})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('u', :R)"),
                         {QString::fromLatin1(role)});
        Query q(c, QStringLiteral("Select RoleName From UsersRoles Where UserName = :UserName Order By RoleName"));
        q.setParam(QStringLiteral("UserName"), QStringLiteral("u"));
        q.open();
        QStringList seen;
        for (q.first(); !q.eof(); q.next())
            seen << q.asString(QStringLiteral("rolename"));
        QCOMPARE(seen, (QStringList{"ClientsMgt", "ClientsMgtX", "Login_Tallimar"}));
        QVERIFY(q.locate(QStringLiteral("RoleName"), QStringLiteral("ClientsMgtX")));
        QCOMPARE(q.row(), 1);
        QVERIFY(!q.locate(QStringLiteral("RoleName"), QStringLiteral("Clients")));
        QCOMPARE(q.row(), 1);
        QVERIFY_THROWS_EXCEPTION(DbError, q.asString(QStringLiteral("NoSuchField")));
        q.setParam(0, QStringLiteral("nobody"));
        q.open();
        QVERIFY(q.isEmpty());
        QVERIFY(q.eof());
    }

    // Rows fetched on another connection (the dashboard's second one) read as this query's own.
    // An error on a later row must not leave a shorter list that passes for the whole one.
    void failureWhileFetchingIsAnError_data() { TESTDB_ENGINE_ROWS(); }
    void failureWhileFetchingIsAnError()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        // The second row fails only when it is fetched (PostgreSQL raises it at once).
        const QString bad = engine == QLatin1String("SQLite") ? QStringLiteral("json('not json')")
                                                              : QStringLiteral("CAST('not a number' AS INTEGER)");
        Query q(db.connection(), QStringLiteral("Select N, CASE WHEN N = 2 THEN %1 ELSE '' END As V "
                                                "From (Select 1 As N Union All Select 2) t")
                                     .arg(bad));
        QVERIFY_THROWS_EXCEPTION(DbError, q.open());
        QVERIFY(!q.isActive());
        QCOMPARE(q.recordCount(), 0);
    }

    void snapshotMovesBetweenQueries()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        TestDb::exec(db.connection(),
                     QStringLiteral("Insert Into SiteJobs (Rec_ID, Job_Site) Values (1, 'Mason'), (2, 'Welder')"));
        Query from(db.connection(), QStringLiteral("Select Job_Site From SiteJobs Order By Rec_ID"));
        from.open();
        Query to(db.connection(), QStringLiteral("Select 1"));
        to.adoptSnapshot(from.takeSnapshot());
        QVERIFY(!from.isActive());
        QVERIFY(to.isActive());
        QCOMPARE(to.recordCount(), 2);
        to.setRow(1);
        QCOMPARE(to.asString(QStringLiteral("job_site")), QStringLiteral("Welder"));
    }

    // Grids hide columns before or after the query opens; a hidden column keeps its definition.
    void fieldVisibility()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Query q(db.connection(), QStringLiteral("Select Rec_ID, Job_Site From SiteJobs"));
        FieldDef job;
        job.name = QStringLiteral("Job_Site");
        job.displayLabel = QStringLiteral("Site Job");
        q.defineField(job);
        q.setFieldVisible(QStringLiteral("rec_id"), false);
        q.setFieldVisible(QStringLiteral("Job_Site"), false);
        q.open();
        QVERIFY(!q.field(0).visible);
        QVERIFY(!q.field(1).visible);
        QCOMPARE(q.field(1).label(), QStringLiteral("Site Job"));
        q.setFieldVisible(QStringLiteral("Job_Site"), true);
        QVERIFY(q.field(1).visible);
        q.open();
        QVERIFY(q.field(1).visible);
        QVERIFY(!q.field(0).visible);
    }

    void dataModuleConnectsRolesAndActiveCycle_data() { TESTDB_ENGINE_ROWS(); }
    void dataModuleConnectsRolesAndActiveCycle()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        DemoOptions o;
        o.workers = 3;
        o.projects = 1;
        o.months = 2;
        const TestClock clock(QDate(2027, 1, 15));
        o.clock = &clock;
        generateDemoData(db.connection(), o);
        TDataModule1 &dm = db.dataModule();
        QVERIFY(dm.ADOConnection1.isOpen());
        QVERIFY(dm.AllClientsQ.isActive());
        QVERIFY(!dm.AllClientsQ.isEmpty());
        dm.openRoles(QStringLiteral("clerk"));
        QVERIFY(dm.hasRole(QStringLiteral("Login_Tallimar")));
        QVERIFY(dm.hasRole(QStringLiteral("ClientAttCreater")));
        QVERIFY(!dm.hasRole(QStringLiteral("ClientAttChecker")));
        QVERIFY(!dm.hasRole(QStringLiteral("Login")));
        const CycleMonth cycle = dm.activeCycle();
        QCOMPARE(cycle.year, 2026);
        QCOMPARE(cycle.month, 12);
        // The active cycle has own rows and no client rows; the month before has both.
        Connection &c = db.connection();
        QCOMPARE(
            TestDb::scalar(
                c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Col_Year = 2026 And Col_Month = 12"))
                .toInt(),
            0);
        QCOMPARE(TestDb::scalar(
                     c, QStringLiteral("Select Count(*) From TimeSheets Where Col_Year = 2026 And Col_Month = 12"))
                     .toInt(),
                 3 * 31);
        QCOMPARE(
            TestDb::scalar(
                c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Col_Year = 2026 And Col_Month = 11"))
                .toInt(),
            3 * 30);
        QCOMPARE(
            TestDb::scalar(
                c, QStringLiteral("Select Count(*) From ClientTimeSheets Where ClientAtt_Code Not In ('A', 'P', 'H')"))
                .toInt(),
            0);
    }

    void activeCycleFailures_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::newRow("empty table") << QString();
        QTest::newRow("month 13")
            << "Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, 2026, 13)";
    }
    void activeCycleFailures()
    {
        QFETCH(QString, insert);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        if (!insert.isEmpty())
            TestDb::exec(db.connection(), insert);
        try {
            db.dataModule().activeCycle();
            QFAIL("an impossible cycle was accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid argument to date encode"));
        }
    }

    void demoDataRefusesFilledDatabase_data() { TESTDB_ENGINE_ROWS(); }
    void demoDataRefusesFilledDatabase()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        TestDb::exec(db.connection(), QStringLiteral("Insert Into SiteJobs (Rec_ID, Job_Site) Values (1, 'Mason')"));
        DemoOptions o;
        o.workers = 2;
        QVERIFY_THROWS_EXCEPTION(DbError, generateDemoData(db.connection(), o));
        QCOMPARE(TestDb::scalar(db.connection(), QStringLiteral("Select Count(*) From Workers")).toInt(), 0);
        QCOMPARE(TestDb::scalar(db.connection(), QStringLiteral("Select Count(*) From SiteJobs")).toInt(), 1);
    }

    // The demo opens on a month-end in progress: part of the active cycle moved, part of that
    // checked, disputes listed; earlier months closed except for disputed workers.
    void demoActiveCycleIsMidway_data() { TESTDB_ENGINE_ROWS(); }
    void demoActiveCycleIsMidway()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const TestClock clock(QDateTime(QDate(2026, 4, 2), QTime(9, 30)));
        const DemoSummary s = generateDemoData(c, demoOptions(clock));
        auto n = [&](const QString &sql, const QVariantList &values = {}) {
            return TestDb::scalar(c, sql, values).toInt();
        };
        auto rows = [&](const QString &where, const QVariantList &values = {}) {
            return n(QStringLiteral("Select Count(*) From ClientTimeSheets c Where ") + where, values);
        };
        const QString active = QStringLiteral("c.Col_Year = 2026 And c.Col_Month = 3");
        const QString earlier = QStringLiteral("(c.Col_Year < 2026 Or c.Col_Month < 3)");
        const QString disputedMonth = QStringLiteral(
            "Exists (Select 1 From ClientTimeSheets d Where d.Ref_No = c.Ref_No And d.Assignment = c.Assignment "
            "And d.Col_Year = c.Col_Year And d.Col_Month = c.Col_Month And d.Dispute = 1)");

        // Active cycle: two of the four projects moved, each with checked, unchecked and disputed rows.
        QCOMPARE(n(QStringLiteral("Select Count(Distinct Assignment) From ClientTimeSheets c Where ") + active), 2);
        for (const char *project : {"MARINA TOWER", "AIRPORT EXPANSION"}) {
            const QVariantList p = {QString::fromLatin1(project)};
            QVERIFY2(rows(active + QStringLiteral(" And c.Assignment = :A And c.Checked = 1"), p) > 0, project);
            QVERIFY2(rows(active + QStringLiteral(" And c.Assignment = :A And c.Checked = 0"), p) > 0, project);
            QVERIFY2(rows(active + QStringLiteral(" And c.Assignment = :A And c.Dispute = 1"), p) > 0, project);
            QVERIFY2(n(QStringLiteral("Select Count(*) From Invoices c Where Assignment = :A And ") + active, p) > 0,
                     project);
        }
        // Each disputed row stands beside its own row in the dispute list; some undisputed days differ.
        QCOMPARE(n(QStringLiteral("Select Count(*) From ClientTimeSheets c, TimeSheets b Where c.Ref_No = b.Ref_No "
                                  "And c.Col_Date = b.Col_Date And c.Dispute = 1 And ") +
                   active),
                 rows(active + QStringLiteral(" And c.Dispute = 1")));
        QVERIFY(n(QStringLiteral("Select Count(*) From ClientTimeSheets c Join TimeSheets b On c.Ref_No = b.Ref_No "
                                 "And c.Col_Date = b.Col_Date Where c.Dispute = 0 And (c.Client_OT <> b.Our_OT "
                                 "Or c.Client_WH <> b.Our_WH) And ") +
                  active) > 0);

        // Earlier months: every own row moved, every worker checked except the disputed ones.
        QCOMPARE(rows(earlier), n(QStringLiteral("Select Count(*) From TimeSheets c Where ") + earlier));
        QCOMPARE(rows(earlier + QStringLiteral(" And c.Checked = 0 And Not ") + disputedMonth), 0);
        QVERIFY(rows(earlier + QStringLiteral(" And c.Dispute = 1")) > 0);
        QCOMPARE(rows(earlier + QStringLiteral(" And c.Checked = 1 And ") + disputedMonth), 0);
        QCOMPARE(n(QStringLiteral("Select Count(*) From Invoices c Where ") + earlier),
                 n(QStringLiteral("Select Count(*) From (Select Distinct Ref_No, Assignment, Col_Year, Col_Month "
                                  "From ClientTimeSheets c Where ") +
                   earlier + QStringLiteral(" And Not ") + disputedMonth + QStringLiteral(") t")));

        // Checked rows carry who and when, unchecked ones neither.
        QCOMPARE(rows(QStringLiteral("c.Checked = 1 And (c.Checked_By Is Null Or c.Checked_Date Is Null)")), 0);
        QCOMPARE(rows(QStringLiteral("c.Checked = 0 And (c.Checked_By Is Not Null Or c.Checked_Date Is Not Null)")), 0);
        QCOMPARE(rows(QStringLiteral("c.Checked = 1")), int(s.checkedRows));
        QCOMPARE(n(QStringLiteral("Select Count(*) From Invoices")), int(s.invoiceLines));
        QCOMPARE(toDateTime(TestDb::scalar(c, QStringLiteral("Select Max(Checked_Date) From ClientTimeSheets"))),
                 clock.now());

        // The same seed and day give the same database.
        TestDb::Fresh again(engine);
        generateDemoData(again.connection(), demoOptions(clock));
        for (const char *table : {"TimeSheets", "ClientTimeSheets", "Invoices", "Workers", "AssignmentsRates"})
            QVERIFY2(tableRows(c, table) == tableRows(again.connection(), table), table);
    }

    // The demo writes its invoice lines directly; the check, run over the same rows, must write
    // the very same lines and refuse the disputed workers.
    void demoInvoiceLinesAreTheChecksLines_data() { TESTDB_ENGINE_ROWS(); }
    void demoInvoiceLinesAreTheChecksLines()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const TestClock clock(QDate(2026, 4, 20));
        generateDemoData(c, demoOptions(clock));
        const QList<QStringList> demoLines = tableRows(c, "Invoices");
        QVERIFY(demoLines.size() > 20);

        // Read before the lines go: the query holds its rows.
        Query q(c, QStringLiteral(
                       "Select i.Assignment, i.Employee_No, i.Col_Year, i.Col_Month, Count(*) As N From Invoices i "
                       "Join ClientTimeSheets c On c.Ref_No = i.Ref_No And c.Assignment = i.Assignment "
                       "And c.Col_Year = i.Col_Year And c.Col_Month = i.Col_Month And c.Checked = 1 "
                       "Group By i.Assignment, i.Employee_No, i.Col_Year, i.Col_Month"));
        q.open();
        QCOMPARE(q.recordCount(), demoLines.size());
        TestDb::exec(c, QStringLiteral("Delete From Invoices"));
        InvoiceCheck check(c, clock);
        for (q.first(); !q.eof(); q.next()) {
            const CheckTarget t{q.asString(QStringLiteral("Assignment")), q.asInt(QStringLiteral("Col_Year")),
                                q.asInt(QStringLiteral("Col_Month"))};
            const CheckOutcome o =
                check.checkWorker(t, q.asString(QStringLiteral("Employee_No")), QStringLiteral("demo"));
            QVERIFY2(o.status == CheckOutcome::Status::Checked, qPrintable(o.summary()));
            QCOMPARE(o.rowsMarked, q.asInt(QStringLiteral("N")));
        }
        const QList<QStringList> checkLines = tableRows(c, "Invoices");
        QCOMPARE(checkLines.size(), demoLines.size());
        for (int i = 0; i < demoLines.size(); ++i)
            QCOMPARE(checkLines[i], demoLines[i]); // column by column, so a failure names the column

        // Every worker month the demo left disputed is one the check refuses.
        Query disputed(
            c, QStringLiteral("Select Distinct Assignment, Employee_No, Col_Year, Col_Month From ClientTimeSheets "
                              "Where Dispute = 1"));
        disputed.open();
        QVERIFY(!disputed.isEmpty());
        for (disputed.first(); !disputed.eof(); disputed.next()) {
            const CheckTarget t{disputed.asString(QStringLiteral("Assignment")),
                                disputed.asInt(QStringLiteral("Col_Year")),
                                disputed.asInt(QStringLiteral("Col_Month"))};
            const CheckOutcome o =
                check.checkWorker(t, disputed.asString(QStringLiteral("Employee_No")), QStringLiteral("demo"));
            QVERIFY(o.status == CheckOutcome::Status::Disputed);
        }
    }

    // A refused connection is an error, never a crash, and the next attempt rebuilds from the file.
    void refusedConnectionThenCorrectedFile()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        const QString ini = db.iniPath();
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Database]\nEngine=SQLite\nCatalog=wrong.db\n[ChoosenStyle]\nStyle=Lavender Classico\n");
        f.close();
        TDataModule1 dm(ini);
        QVERIFY_THROWS_EXCEPTION(DbError, dm.DataModuleCreate());
        QVERIFY_THROWS_EXCEPTION(DbError, dm.openRoles(QStringLiteral("demo")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Database]\nEngine=SQLite\nCatalog=test.db\n[ChoosenStyle]\nStyle=Lavender Classico\n");
        f.close();
        dm.openRoles(QStringLiteral("demo")); // reconnects on first use
        QVERIFY(dm.ADOConnection1.isOpen());
        QVERIFY(dm.AllClientsQ.isActive());
    }

    void postgresRefusalIsAnError()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("no PostgreSQL server in this run");
        ConnectionParams p;
        p.engine = Engine::PostgreSQL;
        p.host = QStringLiteral("127.0.0.1");
        p.port = qEnvironmentVariableIntValue("TALLIMAR_TEST_PG_PORT");
        p.user = QStringLiteral("postgres");
        p.database = QStringLiteral("no_such_database");
        Connection c;
        try {
            c.open(p);
            QFAIL("connected to a database that does not exist");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QLatin1String("no_such_database")), qPrintable(e.message()));
        }
        QVERIFY(!c.isOpen());
    }

    void databaseWithoutTablesIsNamed_data() { TESTDB_ENGINE_ROWS(); }
    void databaseWithoutTablesIsNamed()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        QVERIFY(Schema::missingTables(db.connection()).isEmpty());
        db.connection().execDirect(QStringLiteral("Drop Table Invoices"));
        QCOMPARE(Schema::missingTables(db.connection()), QStringList{QStringLiteral("Invoices")});
        TDataModule1 dm(db.iniPath());
        try {
            dm.DataModuleCreate();
            QFAIL("connected to a database without its tables");
        } catch (const DbError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral("The database lacks what the program needs (missing: table Invoices). tallimar-cli "
                                    "db-check reports everything to add."));
        }
        QVERIFY(!dm.ADOConnection1.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
