// Several clerks at month-end at once on one server: four check-all runs and a move-all on
// overlapping projects. Lost races are retried or reported; no line is doubled or stale.
#include "AttendanceFixture.h"
#include "TestDb.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace AttFixture;

namespace {

constexpr int Workers = 60;
constexpr int Days = 8;

QString empNo(int w)
{
    return QStringLiteral("E%1").arg(w, 4, 10, QLatin1Char('0'));
}

// Workers 1-40 work on MARINA (already moved), workers 21-60 on TOWER later in the month (not
// moved yet): 21-40 are on both.
void seed(Connection &c)
{
    seedBase(c);
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, 'ClientAttChecker')"),
                 {User});
    TestDb::exec(c,
                 QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                                "Values (:A, 'Mason', 11, 16, 21)"),
                 {Other});
    c.beginTrans();
    qint64 id = 0;
    for (int w = 1; w <= Workers; ++w) {
        const QString no = empNo(w);
        worker(c, w, no);
        for (int d = 1; d <= Days; ++d) {
            if (w <= 40) {
                ownRow(c, ++id, w, no, day(d), QStringLiteral("P"), 8, d % 3);
                clientRow(c, w, no, day(d), QStringLiteral("P"), 8 - d % 2, d % 3);
            }
            if (w > 20)
                ownRow(c, ++id, w, no, day(d + 10), QStringLiteral("P"), 9, d % 2, 0, QStringLiteral("Mason"), Other);
        }
    }
    c.commitTrans();
}

struct Run
{
    QString command, project;
    QProcess *process = nullptr;
};

} // namespace

class TestClerks : public QObject
{
    Q_OBJECT

private slots:
    void checkAndMoveAtOnce()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("no PostgreSQL server in this run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        seed(c);

        QList<Run> runs = {{QStringLiteral("check-all"), Project},
                           {QStringLiteral("check-all"), Other},
                           {QStringLiteral("move-all"), Other},
                           {QStringLiteral("check-all"), Project},
                           {QStringLiteral("check-all"), Other}};
        for (Run &r : runs) {
            r.process = new QProcess(this);
            r.process->start(QStringLiteral(TALLIMAR_CLI_PATH),
                             {QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"), User, r.command,
                              QStringLiteral("--project"), r.project});
        }
        for (Run &r : runs) {
            QVERIFY(r.process->waitForFinished(300000));
            const QString out = QString::fromUtf8(r.process->readAllStandardOutput());
            const QString err = QString::fromUtf8(r.process->readAllStandardError());
            // Each run accounts for every worker it was given: done, skipped or failed with the reason.
            const int from = r.project == Project ? 1 : 21, to = r.project == Project ? 40 : Workers;
            if (r.command == QLatin1String("move-all")) {
                for (int w = from; w <= to; ++w)
                    QVERIFY2(QRegularExpression(QStringLiteral("(^|\n)%1: (moved|skipped|failed: .+)\n").arg(empNo(w)))
                                 .match(out)
                                 .hasMatch(),
                             qPrintable(out + err));
            } else {
                // A check-all that began before the move finds only the workers already moved.
                for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                    QVERIFY2(
                        QRegularExpression(QStringLiteral("^(E\\d{4}: (checked( \\(.+\\))?|skipped: .+|failed: .+)|"
                                                          "checked: \\d+, skipped: \\d+, failed: \\d+)$"))
                            .match(line)
                            .hasMatch(),
                        qPrintable(line + QLatin1Char('\n') + err));
            }
            QVERIFY2(r.process->exitCode() == 0 || out.contains(QLatin1String("failed: ")) ||
                         err.contains(QLatin1String("No Employees")),
                     qPrintable(out + err));
        }

        // One line per worker, project and month, each equal to its marked rows.
        const auto count = [&c](const QString &sql) { return TestDb::scalar(c, sql).toInt(); };
        QCOMPARE(count(QStringLiteral("Select Count(*) From (Select Assignment, Ref_No, Col_Year, Col_Month From "
                                      "Invoices Group By Assignment, Ref_No, Col_Year, Col_Month Having Count(*) > 1) "
                                      "t")),
                 0);
        const QString staleLines = QStringLiteral(
            "Select Count(*) From Invoices i Where Earned_WH_Hours <> (Select Coalesce(Sum(Client_WH), 0) From "
            "ClientTimeSheets t Where t.Checked = 1 And t.Ref_No = i.Ref_No And t.Assignment = i.Assignment And "
            "t.Col_Year = i.Col_Year And t.Col_Month = i.Col_Month) Or Earned_OT_Hours <> (Select "
            "Coalesce(Sum(Client_OT), 0) From ClientTimeSheets t Where t.Checked = 1 And t.Ref_No = i.Ref_No And "
            "t.Assignment = i.Assignment And t.Col_Year = i.Col_Year And t.Col_Month = i.Col_Month)");
        QCOMPARE(count(staleLines), 0);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Invoices Where Assignment = 'MARINA'")), 40);
        QCOMPARE(count(QStringLiteral("Select Count(*) From ClientTimeSheets Where Assignment = 'MARINA' And "
                                      "Checked = 0")),
                 0);
        // The move itself: every TOWER worker whole, no day twice.
        QCOMPARE(count(QStringLiteral("Select Count(*) From ClientTimeSheets Where Assignment = 'TOWER'")), 40 * Days);
        QCOMPARE(count(QStringLiteral("Select Count(*) From (Select Ref_No, Col_Date From ClientTimeSheets Group "
                                      "By Ref_No, Col_Date Having Count(*) > 1) t")),
                 0);

        // One more check after everyone is done completes TOWER from the rows as they now are.
        QProcess last;
        last.start(QStringLiteral(TALLIMAR_CLI_PATH),
                   {QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"), User, QStringLiteral("check-all"),
                    QStringLiteral("--project"), Other});
        QVERIFY(last.waitForFinished(300000));
        QCOMPARE(last.exitCode(), 0);
        QCOMPARE(count(QStringLiteral("Select Count(*) From ClientTimeSheets Where Checked = 0")), 0);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Invoices")), 80);
        QCOMPARE(count(staleLines), 0);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Invoices Where Assignment = 'TOWER' And Earned_WH_Hours "
                                      "= %1 And Earned_WH_Rate = 11")
                           .arg(9 * Days)),
                 40);
    }
};

QTEST_GUILESS_MAIN(TestClerks)
#include "test_clerks.moc"
