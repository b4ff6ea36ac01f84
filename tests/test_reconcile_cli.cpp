// tallimar-cli reconcile and month-end, run as the real program on a real database.
#include "AttendanceFixture.h"
#include "Clock.h"
#include "DemoData.h"
#include "OpenpyxlReader.h"
#include "Query.h"
#include "TestDb.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace AttFixture;

namespace {

int run(const QString &ini, const QStringList &args, QString *out, QString *err = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini} + args);
    if (!p.waitForFinished(300000))
        return -1;
    *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

// A table's rows as texts, in a fixed order.
QStringList tableRows(Connection &c, const QString &table)
{
    Query q(c, QStringLiteral("Select * From %1").arg(table));
    q.open();
    QStringList rows;
    for (int r = 0; r < q.recordCount(); ++r) {
        QStringList row;
        for (int f = 0; f < q.fields().size(); ++f)
            row << q.valueAt(r, f).toString();
        rows << row.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestReconcileCli : public QObject
{
    Q_OBJECT

private slots:
    // month-end on the demo database: every worker of the active cycle's active, billable
    // projects moved, every one without a disputed day checked; a second run changes nothing.
    void monthEndOnDemoDatabase_data() { TESTDB_ENGINE_ROWS(); }
    void monthEndOnDemoDatabase()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const TestClock clock(QDate(2026, 4, 10));
        DemoOptions o;
        o.workers = 60;
        o.projects = 4;
        o.months = 2;
        o.seed = 3;
        o.clock = &clock;
        generateDemoData(c, o);
        const QString inCycle =
            QStringLiteral(" Col_Year = 2026 And Col_Month = 3 And Assignment In (Select Assignment "
                           "From Assignments Where isActive = 1 And Billable = 1)");
        auto count = [&c](const QString &sql) { return TestDb::scalar(c, sql).toInt(); };
        const QString notMovedSql =
            QStringLiteral(
                "Select Count(*) From (Select Distinct Assignment, Employee_No From TimeSheets t Where %1 And Not "
                "Exists "
                "(Select 1 From ClientTimeSheets x Where x.Assignment = t.Assignment And x.Employee_No = t.Employee_No "
                "And x.Col_Year = t.Col_Year And x.Col_Month = t.Col_Month)) n")
                .arg(inCycle);
        const QString uncheckedSql =
            QStringLiteral(
                "Select Count(*) From ClientTimeSheets t Where Checked = 0 And %1 And Not Exists (Select 1 From "
                "ClientTimeSheets x Where x.Assignment = t.Assignment And x.Ref_No = t.Ref_No And x.Col_Year = "
                "t.Col_Year And x.Col_Month = t.Col_Month And x.Dispute = 1)")
                .arg(inCycle);
        QVERIFY(count(notMovedSql) > 0);
        QVERIFY(count(uncheckedSql) > 0);
        const int disputedWorkers =
            count(QStringLiteral("Select Count(*) From (Select Distinct Assignment, Ref_No From ClientTimeSheets "
                                 "Where Dispute = 1 And %1) d")
                      .arg(inCycle));
        QVERIFY(disputedWorkers > 0);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("month-end.xlsx"));
        QString out, err;
        QCOMPARE(run(db.iniPath(), {"--user", "demo", "month-end", "--out", file}, &out, &err), 0);
        QCOMPARE(count(notMovedSql), 0);
        QCOMPARE(count(uncheckedSql), 0);
        const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
        const double total =
            TestDb::scalar(c, QStringLiteral("Select Sum(Earned_Total) From Invoices Where") + inCycle).toDouble();
        const QString last = lines.last();
        QVERIFY2(last.startsWith(QStringLiteral("moved: ")) &&
                     last.endsWith(QStringLiteral(", skipped: %1, failed: 0, invoice total: %2")
                                       .arg(disputedWorkers)
                                       .arg(QString::number(total, 'f', 2))),
                 qPrintable(out + err));
        QVERIFY(!last.startsWith(QStringLiteral("moved: 0, checked: 0")));
        const QJsonObject book = OpenpyxlDump::read(file);
        QCOMPARE(book.value(QStringLiteral("sheets")).toArray().size(), 5);
        // Not moved: nobody now.
        QCOMPARE(OpenpyxlDump::sheet(book, 2).value(QStringLiteral("nrows")).toInt(), 1);

        const QStringList clientRows = tableRows(c, QStringLiteral("ClientTimeSheets"));
        const QStringList invoices = tableRows(c, QStringLiteral("Invoices"));
        QCOMPARE(run(db.iniPath(), {"--user", "demo", "month-end", "--out", file}, &out, &err), 0);
        QCOMPARE(out.trimmed().split(QLatin1Char('\n')).last(),
                 QStringLiteral("moved: 0, checked: 0, skipped: %1, failed: 0, invoice total: %2")
                     .arg(disputedWorkers)
                     .arg(QString::number(total, 'f', 2)));
        QCOMPARE(tableRows(c, QStringLiteral("ClientTimeSheets")), clientRows);
        QCOMPARE(tableRows(c, QStringLiteral("Invoices")), invoices);

        // The reconciliation of the same cycle agrees with what month-end saved.
        const QString again = dir.filePath(QStringLiteral("again.xlsx"));
        QCOMPARE(run(db.iniPath(), {"--user", "demo", "reconcile", "--cycle", "2026-03", "--out", again}, &out, &err),
                 0);
        QVERIFY2(out.contains(QStringLiteral("not moved: 0, ")) &&
                     out.contains(QStringLiteral(", unchecked: %1, ").arg(disputedWorkers)),
                 qPrintable(out));
        QCOMPARE(OpenpyxlDump::read(again), book);
    }

    // Bad input: one clear message each, a non-zero exit, no file and nothing left behind.
    void badInput_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        for (const QString &e : TestDb::engines()) {
            auto row = [&e](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QLatin1String(": ") + name));
            };
            row("a cycle without rows") << e << QStringList{"reconcile", "--cycle", "2025-07"} << 1
                                        << "There is no attendance in 07/2025";
            row("a project that does not exist") << e << QStringList{"reconcile", "--project", "NOWHERE"} << 2
                                                 << "Project 'NOWHERE' is not an active, billable project";
            row("an inactive project") << e << QStringList{"reconcile", "--project", "OLD"} << 2
                                       << "Project 'OLD' is not an active, billable project";
            row("a malformed cycle") << e << QStringList{"reconcile", "--cycle", "2026-13"} << 2
                                     << "--cycle must be YYYY-MM";
            row("month-end of a project that does not exist")
                << e << QStringList{"month-end", "--project", Project, "--project", "NOWHERE"} << 2
                << "Project 'NOWHERE' is not an active, billable project";
            row("month-end of a cycle without rows")
                << e << QStringList{"month-end", "--cycle", "2025-07"} << 1 << "There is no attendance in 07/2025";
            row("a user without the role") << e << QStringList{"--as-viewer", "reconcile"} << 3
                                           << "You Do Not Have Authority To run reconcile (role InvoiceDetails)";
        }
    }
    void badInput()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        for (const char *role : {"InvoiceDetails", "ClientAttChecker"})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {User, QString::fromLatin1(role)});
        TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('viewer', "
                                       "'Login_Tallimar')"));
        worker(c, 1, QStringLiteral("E1"));
        ownRow(c, 1, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8);
        QString user = User;
        if (args.first() == QLatin1String("--as-viewer")) {
            user = QStringLiteral("viewer");
            args.removeFirst();
        }
        QTemporaryDir dir;
        QString out, err;
        const int rc =
            run(db.iniPath(),
                QStringList{"--user", user} + args + QStringList{"--out", dir.filePath(QStringLiteral("recon.xlsx"))},
                &out, &err);
        QCOMPARE(rc, exitCode);
        QCOMPARE(err.trimmed(), message);
        QVERIFY2(entries(dir.path()).isEmpty(), qPrintable(entries(dir.path()).join(QLatin1Char(' '))));
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), 0);
    }

    // An output that cannot be written is refused before any work is done.
    void unwritableOutput_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("message");
        QTest::newRow("reconcile into a missing folder") << "reconcile"
                                                         << "missing/recon.xlsx"
                                                         << "Cannot save \"%1\": ";
        QTest::newRow("month-end into a missing folder") << "month-end"
                                                         << "missing/recon.xlsx"
                                                         << "Cannot save \"%1\": ";
        QTest::newRow("another format") << "reconcile"
                                        << "recon.xls"
                                        << "--out must name an .xlsx file";
        QTest::newRow("no output") << "month-end"
                                   << ""
                                   << "month-end needs --out FILE.xlsx";
    }
    void unwritableOutput()
    {
        QFETCH(QString, command);
        QFETCH(QString, out);
        QFETCH(QString, message);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        for (const char *role : {"InvoiceDetails", "ClientAttChecker"})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {User, QString::fromLatin1(role)});
        worker(c, 1, QStringLiteral("E1"));
        ownRow(c, 1, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8);
        QTemporaryDir dir;
        const QString path = out.isEmpty() ? QString() : dir.filePath(out);
        QStringList args{"--user", User, command};
        if (!path.isEmpty())
            args << "--out" << path;
        QString stdOut, err;
        QCOMPARE(run(db.iniPath(), args, &stdOut, &err), 2);
        QVERIFY2(err.startsWith(message.contains(QLatin1String("%1")) ? message.arg(path) : message), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(entries(dir.path()).isEmpty());
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReconcileCli)
#include "test_reconcile_cli.moc"
