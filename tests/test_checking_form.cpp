// The attendance checker window, driven through its real controls.
#include "AttendanceTotalsPanel.h"
#include "ClientAttendanceCheckerForm.h"
#include "DataModule1.h"
#include "MessageRecording.h"
#include "Messages.h"
#include "PassProgress.h"
#include "Session.h"
#include "TestDb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <optional>

namespace {

const QString Project = QStringLiteral("MARINA");

// Five workers E1..E5 on MARINA in 03/2026; E4 has a disputed client row; E2's sides differ.
void fill(Connection &c)
{
    TestDb::exec(
        c, QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, 2026, 3)"));
    for (const QString &p : {QStringLiteral("ALPHA"), Project, QStringLiteral("EMPTY")})
        TestDb::exec(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values (:v, 1, 1)"),
                     {p});
    TestDb::exec(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values ('IDLE', 0, 1)"));
    TestDb::exec(c,
                 QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) Values "
                                "(:v, 'Mason', 10, 15, 20)"),
                 {Project});
    for (int i = 1; i <= 5; ++i) {
        const QString emp = QStringLiteral("E%1").arg(i);
        TestDb::exec(c,
                     QStringLiteral("Insert Into Workers (Rec_ID, Employee_No, FirstName, LastName, OurJob) Values "
                                    "(:v, :v, 'Sam', :v, 'Mason')"),
                     {i, emp, QStringLiteral("Worker%1").arg(i)});
        for (int d = 1; d <= 2; ++d) {
            const QDate date(2026, 3, d);
            TestDb::exec(
                c,
                QStringLiteral(
                    "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                    "Employee_Name, Assignment, OurJob, OurAtt_Code, Our_WH, Our_OT, Our_HT) "
                    "Values (:v, :v, 2026, 3, :v, :v, :v, 'Sam', :v, 'Mason', 'P', 8, 0, 0)"),
                {i * 100 + d, date, d, i, emp, Project});
            TestDb::exec(
                c,
                QStringLiteral(
                    "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                    "Employee_Name, Assignment, ClientJob, ClientAtt_Code, Client_WH, Client_OT, Client_HT, Dispute) "
                    "Values (:v, 2026, 3, :v, :v, :v, 'Sam', :v, 'Mason', 'P', :v, 0, 0, :v)"),
                {date, d, i, emp, Project, i == 2 ? 6 : 8, i == 4 && d == 2 ? 1 : 0});
        }
    }
}

int scalar(Connection &c, const QString &sql)
{
    return TestDb::scalar(c, sql).toInt();
}

} // namespace

class TestCheckingForm : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;

private slots:
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void lookupShowsBothSidesAndComparesTotals()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        fill(db.connection());
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = QStringLiteral("clerk");
        Session session(dm);
        TClientAttendanceCheckerForm f(session);
        f.show();
        f.FormActivate();
        f.FormActivate(); // activation again adds no project twice
        QCOMPARE(f.dtp_Cycle->date(), QDate(2026, 3, 1));
        QVERIFY(!f.dtp_Cycle->isEnabled());
        QCOMPARE(f.cb_Project->count(), 3);
        QCOMPARE(f.cb_Project->currentIndex(), -1);

        // A lookup before any project does nothing and says nothing.
        f.edt_SearchEmpNo->setText(QStringLiteral("E1"));
        f.FindEmployee();
        QVERIFY(m_recording->texts.isEmpty());

        f.cb_Project->setCurrentText(Project);
        QCOMPARE(f.dbg_Workers->model()->rowCount(), 5);
        QCOMPARE(f.lbl_TotalClientHours->text(), QStringLiteral("Total Hours: 0"));

        f.edt_SearchEmpNo->clear();
        QTest::keyClicks(f.edt_SearchEmpNo, QStringLiteral("e2"));
        QCOMPARE(f.edt_SearchEmpNo->text(), QStringLiteral("E2"));
        QTest::keyClick(f.edt_SearchEmpNo, Qt::Key_Return);
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(f.edt_RefNo->text(), QStringLiteral("2"));
        QCOMPARE(f.edt_LastName->text(), QStringLiteral("Worker2"));
        QCOMPARE(f.pnl_Totals->lbl_TotalOurHours->text(), QStringLiteral("Total Hours: 16"));
        QCOMPARE(f.lbl_TotalClientHours->text(), QStringLiteral("Total Hours: 12"));
        QCOMPARE(f.lbl_TotalClientHours->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        // The kind of value stays in place as the row titles while the 31 days scroll.
        QAbstractItemModel *grid = f.dbg_ClientTimeSheet->model();
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(grid->columnCount(), 31);
        QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("01"));
        QCOMPARE(grid->headerData(30, Qt::Horizontal).toString(), QStringLiteral("31"));
        QCOMPARE(grid->headerData(3, Qt::Vertical).toString(), QStringLiteral("Holiday Hours"));
        QVERIFY(f.dbg_ClientTimeSheet->verticalHeader()->isVisible());
        const QFontMetrics fm(f.dbg_ClientTimeSheet->verticalHeader()->font());
        QVERIFY(f.dbg_ClientTimeSheet->verticalHeader()->width() >=
                fm.horizontalAdvance(QStringLiteral("Overtime Hours")));
        QCOMPARE(grid->index(1, 0).data().toString(), QStringLiteral("6"));
        QCOMPARE(grid->index(0, 2).data().toString(), QStringLiteral("NA"));

        f.edt_SearchEmpNo->setText(QStringLiteral("E3"));
        QTest::mouseClick(f.btn_SearchEmpNo, Qt::LeftButton);
        QCOMPARE(f.lbl_TotalClientHours->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QCOMPARE(f.dbg_Workers->currentIndex().row(), 2);

        f.edt_SearchEmpNo->setText(QStringLiteral("E"));
        f.FindEmployee();
        QCOMPARE(m_recording->texts, QStringList{"Worker Not Found"});
        QCOMPARE(f.pnl_Totals->lbl_TotalOurHours->text(), QStringLiteral("Total Hours: 0"));
        QCOMPARE(f.edt_RefNo->text(), QString());
        // Nobody shown, nothing compared: E3's green does not stay on the zero total.
        QVERIFY(f.lbl_TotalClientHours->styleSheet().isEmpty());
        QVERIFY(f.lbl_TotalClientHours->palette().color(QPalette::WindowText) != QColor(0, 128, 0));

        // The list's title, and a real double-click on the empty list of a project without
        // own timesheets.
        QCOMPARE(f.dbg_Workers->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Workers"));
        QCOMPARE(f.dbg_Workers->horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
        f.cb_Project->setCurrentText(QStringLiteral("EMPTY"));
        QCOMPARE(f.dbg_Workers->model()->rowCount(), 0);
        m_recording->texts.clear();
        QTest::mouseDClick(f.dbg_Workers->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(m_recording->texts, QStringList{"Worker Not Found"});
    }

    // Closing the error box re-activates the window: the failure must not come back (it did,
    // forever), and the window must stay closable.
    void activationFailureShownOnce_data()
    {
        QTest::addColumn<QString>("breakIt");
        QTest::newRow("no active cycle") << "Delete From PayrollActiveCycle";
        QTest::newRow("the project list cannot be read") << "Drop Table Assignments";
    }
    void activationFailureShownOnce()
    {
        QFETCH(QString, breakIt);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        fill(db.connection());
        Session session(db.dataModule());
        TestDb::exec(db.connection(), breakIt);
        TClientAttendanceCheckerForm f(session);
        Messages::setRecorder([&](Messages::Kind, const QString &text) {
            m_recording->texts << text;
            QEvent again(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&f, &again);
            return true;
        });
        f.show();
        for (int i = 0; i < 3; ++i) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&f, &activate);
        }
        QCOMPARE(m_recording->texts.size(), 1);
        f.btn_Close->click();
        QVERIFY(!f.isVisible());
    }

    // Cancel while the second worker is checked: it finishes, the rest is not started; a click
    // on "Check All Employees" during the pass starts nothing.
    void checkAllCancelledBetweenWorkers_data() { TESTDB_ENGINE_ROWS(); }
    void checkAllCancelledBetweenWorkers()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        fill(c);
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = QStringLiteral("clerk");
        Session session(dm);
        TClientAttendanceCheckerForm f(session);
        f.show();
        f.FormActivate();
        f.cb_Project->setCurrentText(Project);
        QList<int> seen;
        PassProgress::setTestHook([&](PassProgress &p, int done) {
            seen << done;
            if (done == 0)
                f.btn_CheckAll->click();
            if (done == 1)
                p.cancel();
        });
        f.btn_CheckAll->click();
        PassProgress::setTestHook({});
        QCOMPARE(seen, (QList<int>{0, 1}));
        QCOMPARE(m_recording->texts, QStringList{"Checked: 2, skipped: 0, failed: 0, not started: 3"});
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices Where Ref_No In (1, 2)")), 2);
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices")), 2);
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1")), 4);
    }

    void checkButtons()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        fill(c);
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = QStringLiteral("clerk");
        Session session(dm);
        TClientAttendanceCheckerForm f(session);
        f.show();
        f.FormActivate();

        f.btn_CheckAll->click();
        QCOMPARE(m_recording->texts, QStringList{"There are no workers in this project!"});
        m_recording->texts.clear();
        f.cb_Project->setCurrentText(QStringLiteral("EMPTY"));
        f.btn_CheckAll->click();
        QCOMPARE(m_recording->texts, QStringList{"There are no workers in this project!"});
        m_recording->texts.clear();

        // Right after a project change no worker is shown: nothing happens.
        f.cb_Project->setCurrentText(Project);
        f.btn_Check->click();
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1")), 0);

        f.edt_SearchEmpNo->setText(QStringLiteral("E4"));
        f.FindEmployee();
        f.btn_Check->click();
        QCOMPARE(m_recording->texts, QStringList{"The attendance is Disputed!"});
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices")), 0);
        m_recording->texts.clear();

        // The third worker picked by double-click: the pass runs from it to the end.
        f.dbg_Workers->setCurrentIndex(f.dbg_Workers->model()->index(2, 0));
        f.dbg_WorkersDblClick();
        QCOMPARE(f.edt_EmployeeNo->text(), QStringLiteral("E3"));
        f.btn_CheckAll->click();
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY2(m_recording->texts.at(0).contains(QLatin1String("E4")), qPrintable(m_recording->texts.at(0)));
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices")), 2);
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices Where Ref_No In (3, 5)")), 2);
        QCOMPARE(scalar(c, QStringLiteral(
                               "Select COUNT(*) From ClientTimeSheets Where Checked = 1 And Checked_By = 'clerk'")),
                 4);
        QCOMPARE(f.edt_EmployeeNo->text(), QStringLiteral("E5"));
        m_recording->texts.clear();

        f.edt_SearchEmpNo->setText(QStringLiteral("E2"));
        f.FindEmployee();
        f.btn_Check->click();
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_Total From Invoices Where Ref_No = 2")).toDouble(),
                 120.0);
    }

    // E6 was rehired as record 60 and has the month's rows under both; E7's client job has no
    // rate. Neither is passed over in silence, by either button.
    void refusalsAndLinesPricedAtZeroAreSaid()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        fill(c);
        const QString worker = QStringLiteral("Insert Into Workers (Rec_ID, Employee_No, FirstName, LastName, OurJob) "
                                              "Values (:v, :v, 'Sam', 'X', 'Mason')");
        TestDb::exec(c, worker, {6, QStringLiteral("E6")});
        TestDb::exec(c, worker, {60, QStringLiteral("E6")});
        TestDb::exec(c, worker, {7, QStringLiteral("E7")});
        const QString own = QStringLiteral(
            "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Assignment, "
            "OurAtt_Code, Our_WH, Our_OT, Our_HT) Values (:v, :v, 2026, 3, 1, :v, :v, :v, 'P', 8, 0, 0)");
        TestDb::exec(c, own, {601, QDate(2026, 3, 1), 60, QStringLiteral("E6"), Project});
        TestDb::exec(c, own, {701, QDate(2026, 3, 1), 7, QStringLiteral("E7"), Project});
        const QString client = QStringLiteral(
            "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Assignment, "
            "ClientJob, ClientAtt_Code, Client_WH, Client_OT, Client_HT, Dispute) "
            "Values (:v, 2026, 3, :v, :v, :v, :v, :v, 'P', 8, 0, 0, 0)");
        TestDb::exec(c, client, {QDate(2026, 3, 1), 1, 6, QStringLiteral("E6"), Project, QStringLiteral("Mason")});
        TestDb::exec(c, client, {QDate(2026, 3, 2), 2, 60, QStringLiteral("E6"), Project, QStringLiteral("Mason")});
        TestDb::exec(c, client, {QDate(2026, 3, 1), 1, 7, QStringLiteral("E7"), Project, QStringLiteral("Painter")});
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = QStringLiteral("clerk");
        Session session(dm);
        TClientAttendanceCheckerForm f(session);
        f.show();
        f.FormActivate();
        f.cb_Project->setCurrentText(Project);
        const QString refused =
            QStringLiteral("the client rows of the month are filed under 2 worker references (6, 60)");
        const QString unpriced = QStringLiteral("E7: priced at 0: no rate for job Painter");

        f.edt_SearchEmpNo->setText(QStringLiteral("E6"));
        f.FindEmployee();
        QCOMPARE(f.lbl_TotalClientHours->text(), QStringLiteral("Total Hours: 16"));
        f.btn_Check->click();
        QCOMPARE(m_recording->texts,
                 QStringList{QStringLiteral("Employee E6 was not checked: ") + refused + QLatin1Char('.')});
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Checked = 1")), 0);
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From Invoices")), 0);
        m_recording->texts.clear();

        f.edt_SearchEmpNo->setText(QStringLiteral("E7"));
        f.FindEmployee();
        f.btn_Check->click();
        QCOMPARE(m_recording->texts, QStringList{unpriced});
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_WH_Hours From Invoices Where Ref_No = 7")).toInt(), 8);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_Total From Invoices Where Ref_No = 7")).toDouble(),
                 0.0);
        m_recording->texts.clear();

        // From E6 to the end: the closing summary names both.
        f.dbg_Workers->setCurrentIndex(f.dbg_Workers->model()->index(5, 0));
        f.dbg_WorkersDblClick();
        f.btn_CheckAll->click();
        QCOMPARE(m_recording->texts.size(), 1);
        const QStringList notes = m_recording->texts.at(0).split(QStringLiteral("\n\r"));
        QCOMPARE(notes, (QStringList{QStringLiteral("Checked: 1, skipped: 1, failed: 0, not started: 0"),
                                     QStringLiteral("Not checked: E6: ") + refused, unpriced}));
        QCOMPARE(scalar(c, QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Employee_No = 'E6' And "
                                          "Checked = 1")),
                 0);
    }
};

QTEST_MAIN(TestCheckingForm)
#include "test_checking_form.moc"
