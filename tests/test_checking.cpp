// The checker's lookup, month grids and the check that writes invoice lines, on every engine.
#include "AttendanceFixture.h"
#include "CheckerLookup.h"
#include "ClientAttendance.h"
#include "InvoiceCheck.h"
#include "Query.h"
#include "TestDb.h"

#include <QTest>

#include "CheckingFixture.h"

using namespace CheckFixture;

class TestChecking : public QObject
{
    Q_OBJECT

private slots:
    void linePricedAtTheClientJobsRates_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("holidayHours");    // on an "H" day, the 4th
        QTest::addColumn<bool>("otherProject");   // the worker also has rows of another project that month
        QTest::addColumn<QList<int>>("days");     // present days, rows marked
        QTest::addColumn<QList<double>>("money"); // WH, OT, HT amounts, total
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": 20 normal and 4 overtime hours at 12.5 and 15")))
                << e << 0 << false << QList<int>{2, 3} << QList<double>{250, 60, 0, 310};
            QTest::newRow(qPrintable(e + QStringLiteral(": holiday hours are billed at the holiday rate")))
                << e << 8 << false << QList<int>{3, 4} << QList<double>{250, 60, 160, 470};
            QTest::newRow(qPrintable(e + QStringLiteral(": another project's rows stay unchecked and unbilled")))
                << e << 0 << true << QList<int>{2, 3} << QList<double>{250, 60, 0, 310};
        }
    }
    void linePricedAtTheClientJobsRates()
    {
        QFETCH(QString, engine);
        QFETCH(int, holidayHours);
        QFETCH(bool, otherProject);
        QFETCH(QList<int>, days);
        QFETCH(QList<double>, money);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.own(7, QStringLiteral("E1"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 1), QStringLiteral("P"), 8, 2, 0);
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 2), QStringLiteral("P"), 8, 2, 0);
        // An absence code adds its hours but no present day.
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 3), QStringLiteral("A"), 4, 0, 0);
        if (holidayHours > 0)
            fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 4), QStringLiteral("H"), 0, 0, holidayHours);
        fx.rate(QStringLiteral("Mason"), 12.5, 15, 20);
        fx.rate(QStringLiteral("Welder"), 99, 99, 99);
        if (otherProject) {
            fx.project = QStringLiteral("TOWER");
            fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 4), QStringLiteral("P"), 9, 1, 3);
            fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 5), QStringLiteral("H"), 0, 0, 8);
            fx.rate(QStringLiteral("Mason"), 50, 50, 50);
        }

        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(o.status, CheckOutcome::Status::Checked);
        QCOMPARE(o.summary(), QStringLiteral("checked"));
        QCOMPARE(o.rowsMarked, days[1]);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices")), 1);

        auto l = fx.line(7, 2026, 1);
        QCOMPARE(l->recordCount(), 1);
        QCOMPARE(l->asString(QStringLiteral("Assignment")), Project);
        QCOMPARE(l->asString(QStringLiteral("Employee_No")), QStringLiteral("E1"));
        QCOMPARE(l->asString(QStringLiteral("Employee_Name")), QStringLiteral("Ali Khan"));
        QCOMPARE(l->asString(QStringLiteral("Our_Job")), QStringLiteral("Mason"));
        QCOMPARE(l->asString(QStringLiteral("Client_Job")), QStringLiteral("Mason"));
        QCOMPARE(l->asInt(QStringLiteral("Days_Calander")), 31);
        QCOMPARE(l->asInt(QStringLiteral("Days_Present")), days[0]);
        QCOMPARE(l->asInt(QStringLiteral("Earned_WH_Hours")), 20);
        QCOMPARE(l->asInt(QStringLiteral("Earned_OT_Hours")), 4);
        QCOMPARE(l->asInt(QStringLiteral("Earned_HT_Hours")), holidayHours);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_WH_Rate")), 12.5);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_HT_Rate")), 20.0);
        QCOMPARE((QList<double>{
                     l->asDouble(QStringLiteral("Earned_WH_Amount")), l->asDouble(QStringLiteral("Earned_OT_Amount")),
                     l->asDouble(QStringLiteral("Earned_HT_Amount")), l->asDouble(QStringLiteral("Earned_Total"))}),
                 money);
        QCOMPARE(l->asString(QStringLiteral("D01_Code")), QStringLiteral("P"));
        QCOMPARE(l->asString(QStringLiteral("D01_Hour")), QStringLiteral("8,2,0"));
        QCOMPARE(l->asString(QStringLiteral("D03_Code")), QStringLiteral("A"));
        QCOMPARE(l->asString(QStringLiteral("D03_Hour")), QStringLiteral("4,0,0"));
        QCOMPARE(l->asString(QStringLiteral("D04_Code")), holidayHours ? QStringLiteral("H") : QStringLiteral("NA"));
        QCOMPARE(l->asString(QStringLiteral("D04_Hour")),
                 holidayHours ? QStringLiteral("0,0,8") : QStringLiteral("NA"));
        QCOMPARE(l->asString(QStringLiteral("D05_Code")), QStringLiteral("NA"));
        QCOMPARE(l->asString(QStringLiteral("D31_Hour")), QStringLiteral("NA"));

        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Assignment = :v And Checked = 1 "
                                         "And Checked_By = 'clerk' And Checked_Date Is Not Null"),
                          {Project}),
                 days[1]);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Assignment <> :v And Checked = 0 "
                                         "And Checked_By Is Null And Checked_Date Is Null"),
                          {Project}),
                 otherProject ? 2 : 0);
        QCOMPARE(fx.checkedRows(7), days[1]);
    }

    void noRateRowGivesZerosAndStillMarks_data() { TESTDB_ENGINE_ROWS(); }
    void noRateRowGivesZerosAndStillMarks()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 4, 1), QStringLiteral("P"), 8, 1, 0, QStringLiteral("Painter"));
        fx.rate(QStringLiteral("Mason"), 12.5, 15, 20);
        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 4}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(o.status, CheckOutcome::Status::Checked);
        // Written, and said.
        QVERIFY(o.noRate);
        QCOMPARE(o.summary(), QStringLiteral("checked; priced at 0: no rate for job Painter"));
        auto l = fx.line(7, 2026, 4);
        QCOMPARE(l->asInt(QStringLiteral("Days_Calander")), 30);
        QCOMPARE(l->asInt(QStringLiteral("Earned_WH_Hours")), 8);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_WH_Rate")), 0.0);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_Total")), 0.0);
        QCOMPARE(l->asString(QStringLiteral("D31_Code")), QStringLiteral("NA"));
        QCOMPARE(fx.checkedRows(7), 1);
    }

    void checkingTwiceKeepsOneLineAndItsFirstNames_data() { TESTDB_ENGINE_ROWS(); }
    void checkingTwiceKeepsOneLineAndItsFirstNames()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 5), QStringLiteral("P"), 8);
        fx.rate(QStringLiteral("Mason"), 10, 15, 20);
        InvoiceCheck check(db.connection());
        QCOMPARE(check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("first")).status,
                 CheckOutcome::Status::Checked);
        TestDb::exec(db.connection(),
                     QStringLiteral("Update Workers Set FirstName = 'Omar', OurJob = 'Foreman' Where Rec_ID = 7"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 6), QStringLiteral("P"), 8);
        QCOMPARE(check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("second")).status,
                 CheckOutcome::Status::Checked);

        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices")), 1);
        auto l = fx.line(7, 2026, 1);
        QCOMPARE(l->asString(QStringLiteral("Employee_Name")), QStringLiteral("Ali Khan"));
        QCOMPARE(l->asString(QStringLiteral("Our_Job")), QStringLiteral("Mason"));
        QCOMPARE(l->asInt(QStringLiteral("Earned_WH_Hours")), 16);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_Total")), 160.0);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked_By = 'second'")), 2);
    }

    void twoRowsOnOneDayInALeapFebruary_data() { TESTDB_ENGINE_ROWS(); }
    void twoRowsOnOneDayInALeapFebruary()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 5), QStringLiteral("H"), 10);
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 5), QStringLiteral("P"), 8, 1);
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 29), QStringLiteral("P"), QVariant(), 2);
        // Rows without a code: alone on the 7th, beside a coded row on the 9th.
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 7), QString(), 4);
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 9), QString(), 1);
        fx.client(7, QStringLiteral("E1"), QDate(2024, 2, 9), QStringLiteral("A"), 0);
        fx.own(7, QStringLiteral("E1"), QDate(2024, 2, 5), QStringLiteral("P"), 8);
        InvoiceCheck check(db.connection());
        QCOMPARE(check.checkWorker({Project, 2024, 2}, QStringLiteral("E1"), QStringLiteral("clerk")).status,
                 CheckOutcome::Status::Checked);
        auto l = fx.line(7, 2024, 2);
        QCOMPARE(l->asInt(QStringLiteral("Days_Calander")), 29);
        QCOMPARE(l->asInt(QStringLiteral("Days_Present")), 3);
        QCOMPARE(l->asString(QStringLiteral("D07_Code")), QStringLiteral("NA"));
        QCOMPARE(l->asString(QStringLiteral("D07_Hour")), QStringLiteral("4,0,0"));
        QCOMPARE(l->asString(QStringLiteral("D09_Code")), QStringLiteral("A"));
        // Every day's code as the checker's client grid shows it.
        CheckerLookup lookup(db.connection());
        lookup.openWorkers(Project, 2024, 2);
        QVERIFY(lookup.findEmployee(QStringLiteral("E1")));
        QStringList codes;
        for (int d = 1; d <= 31; ++d)
            codes << l->asString(QStringLiteral("D%1_Code").arg(d, 2, 10, QLatin1Char('0')));
        QCOMPARE(QStringLiteral("Attendance|") + codes.join(QLatin1Char('|')),
                 gridCells(lookup.ClientSpreadSheetQ).value(0));
        QCOMPARE(l->asInt(QStringLiteral("Earned_WH_Hours")), 23);
        QCOMPARE(l->asInt(QStringLiteral("Earned_OT_Hours")), 3);
        // The greater text of the day's two rows: "P" over "H", "8,1,0" over "10,0,0".
        QCOMPARE(l->asString(QStringLiteral("D05_Code")), QStringLiteral("P"));
        QCOMPARE(l->asString(QStringLiteral("D05_Hour")), QStringLiteral("8,1,0"));
        QCOMPARE(l->asString(QStringLiteral("D29_Hour")), QStringLiteral(",2,0"));
        for (const char *c : {"D30_Code", "D30_Hour", "D31_Code", "D31_Hour"})
            QCOMPARE(l->asString(QLatin1String(c)), QStringLiteral("NA"));
    }

    void workerWithoutClientRowsGetsAnEmptyLine_data() { TESTDB_ENGINE_ROWS(); }
    void workerWithoutClientRowsGetsAnEmptyLine()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.own(7, QStringLiteral("E1"), QDate(2026, 1, 5), QStringLiteral("P"), 8);
        fx.rate(QStringLiteral(""), 5, 5, 5);
        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(o.status, CheckOutcome::Status::Checked);
        QCOMPARE(o.rowsMarked, 0);
        QCOMPARE(o.summary(), QStringLiteral("checked"));
        auto l = fx.line(7, 2026, 1);
        QCOMPARE(l->recordCount(), 1);
        QCOMPARE(l->asInt(QStringLiteral("Days_Calander")), 31);
        QCOMPARE(l->asInt(QStringLiteral("Days_Present")), 0);
        // A rate row with an empty site job does not price a month without rows.
        for (const char *f : {"Earned_WH_Rate", "Earned_OT_Rate", "Earned_HT_Rate", "Earned_Total"})
            QCOMPARE(l->asDouble(QLatin1String(f)), 0.0);
        // Empty text, not null: an empty client job and empty codes; "NA" only for the hours.
        QString emptyCodes = QStringLiteral("Client_Job = ''");
        for (int d = 1; d <= 31; ++d)
            emptyCodes += QStringLiteral(" And D%1_Code = '' And D%1_Hour = 'NA'").arg(d, 2, 10, QLatin1Char('0'));
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices Where ") + emptyCodes), 1);
    }

    // The program's clock stamps both dates, so an entry and its check made around midnight fall
    // on the days the clerk saw, on every engine.
    void checkedOnTheLocalDayTheClockShows_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QDateTime>("now");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": half a minute before midnight")))
                << e << QDateTime(QDate(2026, 4, 2), QTime(23, 59, 30));
            QTest::newRow(qPrintable(e + QStringLiteral(": five seconds after midnight")))
                << e << QDateTime(QDate(2026, 4, 3), QTime(0, 0, 5));
        }
    }
    void checkedOnTheLocalDayTheClockShows()
    {
        QFETCH(QString, engine);
        QFETCH(QDateTime, now);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        AttFixture::seedBase(c);
        AttFixture::worker(c, 7, QStringLiteral("E7"));
        AttFixture::ownRow(c, 1, 7, QStringLiteral("E7"), AttFixture::day(9), QStringLiteral("P"), 8);
        const TestClock clock(now);
        ClientAttendance att(c, clock);
        att.userId = AttFixture::User;
        att.cycleYear = AttFixture::Year;
        att.cycleMonth = AttFixture::Month;
        att.openProject(AttFixture::Project);
        QVERIFY(att.findEmployee(QStringLiteral("E7")));
        QVERIFY(att.moveEmployee());
        InvoiceCheck check(c, clock);
        const CheckTarget t{AttFixture::Project, AttFixture::Year, AttFixture::Month};
        QCOMPARE(check.checkWorker(t, QStringLiteral("E7"), AttFixture::User).status, CheckOutcome::Status::Checked);
        Query q(c, QStringLiteral("Select Entered_Date, Checked_Date From ClientTimeSheets"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.asDateTime(QStringLiteral("Entered_Date")), now.date().startOfDay());
        QCOMPARE(q.asDateTime(QStringLiteral("Checked_Date")), now);
        QCOMPARE(q.asDate(QStringLiteral("Checked_Date")), q.asDate(QStringLiteral("Entered_Date")));
    }

    // The month's last row by date names the job, whatever order the rows were entered in.
    void clientJobIsTheLastRowsJob_data() { TESTDB_ENGINE_ROWS(); }
    void clientJobIsTheLastRowsJob()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 20), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Welder"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 2), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"));
        fx.rate(QStringLiteral("Mason"), 10, 0, 0);
        fx.rate(QStringLiteral("Welder"), 20, 0, 0);
        InvoiceCheck check(db.connection());
        QCOMPARE(check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk")).status,
                 CheckOutcome::Status::Checked);
        auto l = fx.line(7, 2026, 1);
        QCOMPARE(l->asString(QStringLiteral("Client_Job")), QStringLiteral("Welder"));
        QCOMPARE(l->asDouble(QStringLiteral("Earned_Total")), 320.0);
    }

    // Which rate row prices the line: the project's first one (by Rec_ID) for the last row's job,
    // a row without a job taking the rate row of the empty site job.
    void rateRowThatPricesTheLine_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("lastJob"); // a null text: the row has no job
        QTest::addColumn<QStringList>("rateJobs");
        QTest::addColumn<double>("whRate");
        QTest::addColumn<bool>("noRate");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": of two rate rows for the job the first prices")))
                << e << QStringLiteral("Welder") << QStringList{"Mason", "Welder", "Welder"} << 20.0 << false;
            QTest::newRow(qPrintable(e + QStringLiteral(": a row without a job takes the empty site job's rate")))
                << e << QString() << QStringList{"Mason", ""} << 20.0 << false;
            QTest::newRow(qPrintable(e + QStringLiteral(": an empty job takes the empty site job's rate")))
                << e << QStringLiteral("") << QStringList{"", "Mason"} << 10.0 << false;
            QTest::newRow(qPrintable(e + QStringLiteral(": a row without a job and no empty site job is unpriced")))
                << e << QString() << QStringList{"Mason"} << 0.0 << true;
            QTest::newRow(qPrintable(e + QStringLiteral(": the earlier rows' job does not price the line")))
                << e << QStringLiteral("Welder") << QStringList{"Mason"} << 0.0 << true;
        }
    }
    void rateRowThatPricesTheLine()
    {
        QFETCH(QString, engine);
        QFETCH(QString, lastJob);
        QFETCH(QStringList, rateJobs);
        QFETCH(double, whRate);
        QFETCH(bool, noRate);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 2), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 3), QStringLiteral("P"), 8, 0, 0, lastJob);
        // Rates 10, 20, 30... in the order listed; another project's rate row for every job too.
        double r = 0;
        for (const QString &job : rateJobs)
            fx.rate(job, r += 10, 1, 1);
        fx.project = QStringLiteral("TOWER");
        for (const QString &job : rateJobs)
            fx.rate(job, 99, 99, 99);
        fx.project = Project;
        QCOMPARE(
            fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where ClientJob Is Null And Col_Day = :v"),
                     {3}),
            lastJob.isNull() ? 1 : 0);
        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(o.status, CheckOutcome::Status::Checked);
        QCOMPARE(o.noRate, noRate);
        auto l = fx.line(7, 2026, 1);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_WH_Rate")), whRate);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_OT_Rate")), noRate ? 0.0 : 1.0);
        QCOMPARE(l->asDouble(QStringLiteral("Earned_Total")), whRate * 16);
    }

    void refusedWorkersAreNotChecked_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("disputed");
        QTest::addColumn<int>("status");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": a disputed row keeps the month unchecked")))
                << e << true << int(CheckOutcome::Status::Disputed);
            QTest::newRow(qPrintable(e + QStringLiteral(": an employee without a Workers row is refused")))
                << e << false << int(CheckOutcome::Status::NoWorker);
        }
    }
    void refusedWorkersAreNotChecked()
    {
        QFETCH(QString, engine);
        QFETCH(bool, disputed);
        QFETCH(int, status);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        if (disputed)
            fx.worker(7, QStringLiteral("E1"));
        fx.client(disputed ? 7 : 0, QStringLiteral("E1"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        fx.client(disputed ? 7 : 0, QStringLiteral("E1"), QDate(2026, 1, 2), QStringLiteral("P"), 8, 0, 0,
                  QStringLiteral("Mason"), disputed ? 1 : 0);
        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(int(o.status), status);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1")), 0);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices")), 0);
        QVERIFY(o.summary().startsWith(QLatin1String("skipped: ")));
    }

    // E1 was hired as Workers row 7 and rehired as row 12; the month's client rows are read by
    // employee number, as the checker window shows them. A line of 208 hours stands under 7.
    void rehiredWorkerIsCheckedOnTheRowsTheWindowShows_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("rehired");
        QTest::addColumn<QList<int>>("rowRefs"); // Ref_No of the client rows of the 1st, 2nd, ...
        QTest::addColumn<int>("lineRef");        // where the line is written, 0 when refused
        QTest::addColumn<QString>("reason");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": the rows under the newer record are marked and billed")))
                << e << true << QList<int>{12, 12} << 12 << QString();
            QTest::newRow(qPrintable(e + QStringLiteral(": rows under both records are refused")))
                << e << true << QList<int>{7, 12} << 0
                << QStringLiteral("skipped: the client rows of the month are filed under 2 worker references (7, 12)");
            QTest::newRow(
                qPrintable(e + QStringLiteral(": rows under a reference of nobody of that number are refused")))
                << e << true << QList<int>{30, 30} << 0
                << QStringLiteral("skipped: the client rows of the month are filed under reference 30, which is not a "
                                  "worker record of E1");
            QTest::newRow(qPrintable(e + QStringLiteral(": no rows and two records are refused")))
                << e << true << QList<int>{} << 0
                << QStringLiteral("skipped: no client rows in the month and 2 worker records (7, 12)");
            QTest::newRow(qPrintable(e + QStringLiteral(": no rows never empty a line that bills")))
                << e << false << QList<int>{} << 0
                << QStringLiteral("skipped: no client rows in the month; its invoice line (20 present days, 208 "
                                  "hours) was kept");
        }
    }
    void rehiredWorkerIsCheckedOnTheRowsTheWindowShows()
    {
        QFETCH(QString, engine);
        QFETCH(bool, rehired);
        QFETCH(QList<int>, rowRefs);
        QFETCH(int, lineRef);
        QFETCH(QString, reason);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        fx.worker(7, QStringLiteral("E1"));
        if (rehired)
            fx.worker(12, QStringLiteral("E1"), QStringLiteral("Ali"), QStringLiteral("Khan"),
                      QStringLiteral("Welder"));
        fx.own(rehired ? 12 : 7, QStringLiteral("E1"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        for (int i = 0; i < rowRefs.size(); ++i)
            fx.client(rowRefs[i], QStringLiteral("E1"), QDate(2026, 1, i + 1), QStringLiteral("P"), 8, 1);
        fx.rate(QStringLiteral("Mason"), 10, 15, 20);
        TestDb::exec(db.connection(),
                     QStringLiteral("Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, "
                                    "Client_Job, Days_Calander, Days_Present, Earned_WH_Hours, Earned_WH_Rate, "
                                    "Earned_WH_Amount, Earned_Total) Values (2026, 1, :v, 7, 'E1', 'Mason', 31, 20, "
                                    "208, 19.0673, 3965.75, 3965.75)"),
                     {Project});

        InvoiceCheck check(db.connection());
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        const int marked = fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1"));
        if (lineRef == 0) {
            QCOMPARE(o.status, CheckOutcome::Status::Refused);
            QCOMPARE(o.summary(), reason);
            QCOMPARE(marked, 0);
            QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices")), 1);
        } else {
            QCOMPARE(o.status, CheckOutcome::Status::Checked);
            // The rows shown are the rows marked and the rows billed.
            QCOMPARE(o.rowsMarked, int(rowRefs.size()));
            QCOMPARE(marked, int(rowRefs.size()));
            auto l = fx.line(lineRef, 2026, 1);
            QCOMPARE(l->recordCount(), 1);
            QCOMPARE(l->asInt(QStringLiteral("Earned_WH_Hours")), 8 * int(rowRefs.size()));
            QCOMPARE(l->asInt(QStringLiteral("Days_Present")), int(rowRefs.size()));
            QCOMPARE(l->asString(QStringLiteral("Client_Job")), QStringLiteral("Mason"));
            QCOMPARE(l->asString(QStringLiteral("Our_Job")), QStringLiteral("Welder")); // of the newer record
            QCOMPARE(l->asDouble(QStringLiteral("Earned_Total")), 8.0 * 10 * rowRefs.size() + 15.0 * rowRefs.size());
        }
        // The line of the first hire stays as it was.
        auto first = fx.line(7, 2026, 1);
        QCOMPARE(first->asInt(QStringLiteral("Earned_WH_Hours")), 208);
        QCOMPARE(first->asDouble(QStringLiteral("Earned_Total")), 3965.75);
        QCOMPARE(first->asString(QStringLiteral("Client_Job")), QStringLiteral("Mason"));
    }

    void failureWritingTheLineLeavesRowsUnmarked_data() { TESTDB_ENGINE_ROWS(); }
    void failureWritingTheLineLeavesRowsUnmarked()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Fx fx{c};
        fx.worker(7, QStringLiteral("E1"));
        fx.client(7, QStringLiteral("E1"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        if (engine == QLatin1String("SQLite")) {
            c.execDirect(QStringLiteral("CREATE TRIGGER no_lines BEFORE INSERT ON Invoices BEGIN SELECT RAISE(ABORT, "
                                        "'lines are frozen'); END"));
        } else {
            c.execDirect(QStringLiteral("CREATE FUNCTION no_lines() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'lines "
                                        "are frozen'; END $$ LANGUAGE plpgsql"));
            c.execDirect(QStringLiteral(
                "CREATE TRIGGER no_lines BEFORE INSERT ON Invoices FOR EACH ROW EXECUTE FUNCTION no_lines()"));
        }
        InvoiceCheck check(c);
        const CheckOutcome o = check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk"));
        QCOMPARE(o.status, CheckOutcome::Status::Failed);
        QVERIFY2(o.message.startsWith(QLatin1String("Something went wrong!, DbError: ")), qPrintable(o.message));
        QVERIFY2(o.message.contains(QLatin1String("lines are frozen")), qPrintable(o.message));
        QVERIFY(!c.inTransaction());
        QCOMPARE(fx.checkedRows(7), 0);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked_By Is Not Null")), 0);
        // The connection is usable for the next worker.
        c.execDirect(QStringLiteral("DROP TRIGGER no_lines") +
                     (engine == QLatin1String("SQLite") ? QString() : QStringLiteral(" ON Invoices")));
        QCOMPARE(check.checkWorker({Project, 2026, 1}, QStringLiteral("E1"), QStringLiteral("clerk")).status,
                 CheckOutcome::Status::Checked);
        QCOMPARE(fx.checkedRows(7), 1);
    }

    void checkAllFromTheThirdWorkerSkipsDisputed_data() { TESTDB_ENGINE_ROWS(); }
    void checkAllFromTheThirdWorkerSkipsDisputed()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Fx fx{db.connection()};
        for (int i = 1; i <= 5; ++i) {
            const QString emp = QStringLiteral("E%1").arg(i);
            fx.worker(i, emp);
            fx.own(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8);
            fx.client(i, emp, QDate(2026, 1, 1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), i == 4 ? 1 : 0);
        }
        // Listed through own rows, but never registered as a worker.
        fx.own(0, QStringLiteral("E6"), QDate(2026, 1, 1), QStringLiteral("P"), 8);
        const CheckTarget t{Project, 2026, 1};
        const QStringList all = workersOfProject(db.connection(), t);
        QCOMPARE(all, (QStringList{"E1", "E2", "E3", "E4", "E5", "E6"}));
        InvoiceCheck check(db.connection());
        QStringList seen;
        const CheckAllSummary s =
            checkEmployees(check, t, all.mid(2), QStringLiteral("clerk"), [&](const QString &e) { seen << e; });
        QCOMPARE(seen, (QStringList{"E3", "E4", "E5", "E6"}));
        QCOMPARE(s.checked, 2);
        QCOMPARE(s.skipped, 2);
        QCOMPARE(s.failed, 0);
        QCOMPARE(s.disputed, QStringList{"E4"});
        QCOMPARE(s.noWorker, QStringList{"E6"});
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices")), 2);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1")), 2);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices Where Ref_No In (3, 5)")), 2);
        QCOMPARE(fx.count(QStringLiteral("Select COUNT(*) From Invoices Where Ref_No = 0")), 0);
    }
};

QTEST_GUILESS_MAIN(TestChecking)
#include "test_checking.moc"
