// The client attendance window under offscreen Qt on a real database.
#include "AttendanceFixture.h"
#include "AttendanceTotalsPanel.h"
#include "AuditForm.h"
#include "BaseCalcForm.h"
#include "ClientAttendanceForm.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "MessageRecording.h"
#include "Messages.h"
#include "PassProgress.h"
#include "Session.h"
#include "TestDb.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace AttFixture;

namespace {

// Two workers of MARINA: E1 with own 8+2 on the 2nd and a client row of 10 on the 2nd (a
// disputed one), E2 with own rows only. A third number lives in another project.
void seedWindow(Connection &c)
{
    seedBase(c);
    worker(c, 1, QStringLiteral("E1"));
    worker(c, 2, QStringLiteral("E2"), QStringLiteral("Helper"));
    worker(c, 3, QStringLiteral("E3"));
    ownRow(c, 1, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 8, 2);
    ownRow(c, 2, 1, QStringLiteral("E1"), day(6), QStringLiteral("H"), 0);
    ownRow(c, 3, 2, QStringLiteral("E2"), day(2), QStringLiteral("P"), 8);
    ownRow(c, 4, 2, QStringLiteral("E2"), day(3), QStringLiteral("S"), 8);
    ownRow(c, 5, 3, QStringLiteral("E3"), day(2), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), Other);
    clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 10, 0, 0, Project, 0, 1);
}

using Recorded = MessageRecording;

struct Window
{
    TestDb::Fresh db;
    TestClock clock{Today};
    std::unique_ptr<Session> session;
    std::unique_ptr<TClientAttendanceForm> form;
    explicit Window(const QString &engine) : db(engine)
    {
        seedWindow(db.connection());
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = User;
        session = std::make_unique<Session>(dm, clock);
        form = std::make_unique<TClientAttendanceForm>(*session);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void chooseProject(const QString &name) { form->cb_Project->setCurrentIndex(form->cb_Project->findText(name)); }
    void search(const QString &typed)
    {
        form->edt_SearchEmpNo->clear();
        QTest::keyClicks(form->edt_SearchEmpNo, typed);
        QTest::keyClick(form->edt_SearchEmpNo, Qt::Key_Return);
    }
    QStringList clientTotals() const
    {
        return {form->pnl_Totals->lbl_TotalClientPresentDays->text(),
                form->pnl_Totals->lbl_TotalClientNormalHours->text(),
                form->pnl_Totals->lbl_TotalClientOverTimeHours->text(),
                form->pnl_Totals->lbl_TotalClientHolidayHours->text(), form->pnl_Totals->lbl_TotalClientHours->text()};
    }
    QColor clientTotalColour() const
    {
        form->pnl_Totals->lbl_TotalClientHours->ensurePolished();
        return form->pnl_Totals->lbl_TotalClientHours->palette().color(QPalette::WindowText);
    }
    QList<bool> employeeButtons() const
    {
        return {form->btn_Post->isEnabled(), form->btn_Move->isEnabled(), form->btn_ChangeJob->isEnabled(),
                form->btn_CalcBase->isEnabled(), form->btn_Move_All->isEnabled()};
    }
};

} // namespace

class TestAttendanceWindow : public QObject
{
    Q_OBJECT

private slots:
    void openingAndSearch_data() { TESTDB_ENGINE_ROWS(); }
    void openingAndSearch()
    {
        QFETCH(QString, engine);
        Recorded rec;
        Window w(engine);
        TClientAttendanceForm &f = *w.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Client Attendance Form"));
        QCOMPARE(f.dtp_Cycle->date(), day(1));
        QCOMPARE(f.cb_Project->count(), 2);
        QCOMPARE(f.cb_Project->currentIndex(), -1);
        QCOMPARE(w.employeeButtons(), (QList<bool>{false, false, false, false, true}));
        QCOMPARE(f.pnl_Totals->lbl_TotalClientHours->text(), QStringLiteral("Total Hours:"));

        // Searching before a project is chosen does nothing.
        w.search(QStringLiteral("E1"));
        QVERIFY(rec.texts.isEmpty());

        w.chooseProject(Project);
        QCOMPARE(f.dbg_Workers->model()->rowCount(), 2);
        QCOMPARE(f.dbg_Workers->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Employees"));
        QCOMPARE(f.cb_ClientJob->count(), 2);
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 0"));

        w.search(QStringLiteral("e1"));
        QCOMPARE(f.edt_SearchEmpNo->text(), QStringLiteral("E1"));
        QVERIFY(rec.texts.isEmpty());
        QCOMPARE(w.employeeButtons(), (QList<bool>{true, true, true, true, true}));
        QCOMPARE(f.pnl_Totals->lbl_TotalOurHours->text(), QStringLiteral("Total Hours: 10"));
        QCOMPARE(f.pnl_Totals->lbl_TotalOurPresentDays->text(), QStringLiteral("Total Present Days: 2"));
        QCOMPARE(w.clientTotals(),
                 (QStringList{"Total Present Days: 1", "Total Normal Hours: 10", "Total Overtime Hours: 0",
                              "Total Holiday Hours: 0", "Total Hours: 10"}));
        // 8 + 2 against 10: the grand totals agree although the split differs.
        QCOMPARE(w.clientTotalColour(), QColor(0, 128, 0));
        QCOMPARE(f.cb_ClientJob->currentText(), QStringLiteral("Mason"));
        QCOMPARE(f.dtp_AttDate->minimumDate(), day(1));
        QCOMPARE(f.dtp_AttDate->maximumDate(), day(31));

        // The grid: seven centred columns, the disputed row pale green.
        QAbstractItemModel *m = f.dbg_ClientAttendance->model();
        QCOMPARE(m->columnCount(), 7);
        QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Client Att Desc"));
        QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("02/03/2026"));
        QCOMPARE(m->index(0, 4).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(m->index(0, 6).data(Qt::BackgroundRole).value<QColor>(), QColor(192, 220, 192));

        // An employee without client rows: red zero total.
        w.search(QStringLiteral("E2"));
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 0"));
        QCOMPARE(w.clientTotalColour(), QColor(255, 0, 0));
        QCOMPARE(f.cb_ClientJob->currentText(), QStringLiteral("Helper"));

        // Another project's worker is not found here.
        w.search(QStringLiteral("E3"));
        QCOMPARE(rec.texts, QStringList{QStringLiteral("Worker Not Found")});
        QCOMPARE(w.employeeButtons(), (QList<bool>{false, false, false, false, true}));
        QCOMPARE(w.clientTotals().first(), QStringLiteral("Total Present Days: 0"));

        // Changing the project drops the employee and zeroes the labels.
        w.search(QStringLiteral("E1"));
        w.chooseProject(Other);
        QCOMPARE(f.pnl_Totals->lbl_TotalOurHours->text(), QStringLiteral("Total Hours: 0"));
        QCOMPARE(f.dbg_ClientAttendance->model()->rowCount(), 0);
        QVERIFY(!f.attendance().employeeLoaded());
    }

    // Real double-clicks: on the empty list it says so, on a row it loads that employee.
    void pickFromTheEmployeeList()
    {
        Recorded rec;
        Window w(QStringLiteral("SQLite"));
        TClientAttendanceForm &f = *w.form;
        QWidget *list = f.dbg_Workers->viewport();
        QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(rec.texts, QStringList{QStringLiteral("Table is empty!")});
        w.chooseProject(Project);
        const QRect second = f.dbg_Workers->visualRect(f.dbg_Workers->model()->index(1, 0));
        QTest::mouseClick(list, Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list, Qt::LeftButton, {}, second.center());
        QCOMPARE(f.edt_SearchEmpNo->text(), QStringLiteral("E2"));
        QCOMPARE(f.attendance().employeeNo(), QStringLiteral("E2"));
        QCOMPARE(rec.texts.size(), 1);
    }

    // States that would invite a wrong post: the entry row, Post, the cycle, the list's selection.
    void statesFollowTheLoadedEmployee()
    {
        Recorded rec;
        Window w(QStringLiteral("SQLite"));
        TClientAttendanceForm &f = *w.form;
        // The window works on the active cycle only.
        QVERIFY(!f.dtp_Cycle->isEnabled());
        QCOMPARE(f.dbg_ClientAttendance->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(f.cb_AttDesc->lineEdit()->maxLength(), 50);

        w.chooseProject(Project);
        w.search(QStringLiteral("E1"));
        f.dtp_AttDate->setDate(day(2));
        f.dtp_AttDateExit();
        f.edt_OT->setValue(2);
        QCOMPARE(f.edt_WH->value(), 10);
        // Another employee: the entry row is what the shown day proposes for them (the 1st, a
        // Sunday without rows: P 8/0), not E1's P 10/2.
        w.search(QStringLiteral("E2"));
        QCOMPARE(f.dtp_AttDate->date(), day(1));
        QCOMPARE(f.cb_AttCode->currentText(), QStringLiteral("P"));
        QCOMPARE((QList<int>{f.edt_WH->value(), f.edt_OT->value(), f.edt_HT->value()}), (QList<int>{8, 0, 0}));
        QCOMPARE(f.currentClientRowId(), 0);

        // Not found: nothing compared, so no green for zero against zero.
        w.search(QStringLiteral("E1"));
        QCOMPARE(w.clientTotalColour(), QColor(0, 128, 0));
        w.search(QStringLiteral("NOBODY"));
        QCOMPARE(rec.texts, QStringList{QStringLiteral("Worker Not Found")});
        QVERIFY(w.form->pnl_Totals->lbl_TotalClientHours->styleSheet().isEmpty());
        QVERIFY(w.clientTotalColour() != QColor(0, 128, 0));

        // A project change drops the employee: Post stays disabled until one is loaded again.
        w.search(QStringLiteral("E1"));
        QVERIFY(f.btn_Post->isEnabled());
        w.chooseProject(Other);
        QVERIFY(!f.btn_Post->isEnabled());
        w.chooseProject(Project);
        QVERIFY(!f.btn_Post->isEnabled());
        w.search(QStringLiteral("E2"));
        QVERIFY(f.btn_Post->isEnabled());

        // Enter on a focused button presses it; Enter in the search box presses none.
        const int before =
            TestDb::scalar(w.db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt();
        QTest::keyClick(f.edt_SearchEmpNo, Qt::Key_Return);
        QCOMPARE(TestDb::scalar(w.db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(),
                 before);
        QTest::keyClick(f.btn_Post, Qt::Key_Return);
        QCOMPARE(TestDb::scalar(w.db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(),
                 before + 1);
        QTest::keyClick(f.btn_Post, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(TestDb::scalar(w.db.connection(),
                                QStringLiteral("Select Count(*) From ClientTimeSheets Where Employee_No = 'E2'"))
                     .toInt(),
                 1); // the same day posted again: overwritten, not doubled
        QCOMPARE(rec.texts.size(), 1);
    }

    void leavingTheDateAndPosting_data() { TESTDB_ENGINE_ROWS(); }
    void leavingTheDateAndPosting()
    {
        QFETCH(QString, engine);
        Recorded rec;
        Window w(engine);
        TClientAttendanceForm &f = *w.form;
        w.chooseProject(Project);
        w.search(QStringLiteral("E1"));

        f.dtp_AttDate->setDate(day(6));
        f.dtp_AttDateExit();
        QCOMPARE(f.lbl_Day->text(), QStringLiteral("Friday"));
        QCOMPARE(f.cb_AttCode->currentText(), QStringLiteral("H"));
        QCOMPARE(f.cb_AttDesc->currentText(), QStringLiteral("Holiday"));
        QCOMPARE((QList<bool>{f.edt_WH->isEnabled(), f.edt_OT->isEnabled(), f.edt_HT->isEnabled()}),
                 (QList<bool>{false, false, true}));

        f.dtp_AttDate->setDate(day(2));
        f.dtp_AttDateExit();
        QVERIFY(f.currentClientRowId() > 0);
        QCOMPARE(f.edt_WH->value(), 10);
        QCOMPARE(f.dbg_ClientAttendance->currentIndex().row(), 0);

        // Switch to E2 without leaving the date: the post writes E2's day, not E1's row.
        w.search(QStringLiteral("E2"));
        f.dtp_AttDate->setDate(day(2));
        f.cb_AttCode->setCurrentIndex(0);
        QCOMPARE((QList<bool>{f.edt_WH->isEnabled(), f.edt_OT->isEnabled(), f.edt_HT->isEnabled()}),
                 (QList<bool>{false, false, false}));
        f.cb_AttCode->setCurrentIndex(1);
        QCOMPARE(f.cb_AttDesc->currentText(), QStringLiteral("Present"));
        QCOMPARE(f.edt_WH->value(), 8);
        f.edt_OT->setValue(1);
        f.btn_Post->click();
        QVERIFY(rec.texts.isEmpty());
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 9"));
        QCOMPARE(f.dbg_ClientAttendance->currentIndex().row(), 0);
        Connection &c = w.db.connection();
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Client_WH From ClientTimeSheets Where Ref_No = 1")).toInt(),
                 10);
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select ClientJob From ClientTimeSheets Where Ref_No = 2")).toString(),
            QStringLiteral("Helper"));

        // A failing post says so, and the window shows what is stored.
        failWhen(c, engine, QStringLiteral("UPDATE"), QStringLiteral("NEW.Client_OT = 5"));
        f.edt_OT->setValue(5);
        f.btn_Post->click();
        QCOMPARE(rec.texts.size(), 1);
        QVERIFY2(rec.texts[0].startsWith(QStringLiteral("Something went wrong!, DbError: ")), qPrintable(rec.texts[0]));
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 9"));
        QVERIFY(f.btn_Post->isEnabled());
    }

    void correctionsThroughTheWindow()
    {
        Recorded rec;
        Window w(QStringLiteral("SQLite"));
        TClientAttendanceForm &f = *w.form;
        w.chooseProject(Project);
        w.search(QStringLiteral("E2"));
        f.btn_ChangeJobClick();
        QCOMPARE(rec.texts, QStringList{QStringLiteral("No Attendance For This Employee!")});

        f.btn_Move->click();
        QCOMPARE(w.clientTotals(),
                 (QStringList{"Total Present Days: 1", "Total Normal Hours: 16", "Total Overtime Hours: 0",
                              "Total Holiday Hours: 0", "Total Hours: 16"}));
        QCOMPARE(w.clientTotalColour(), QColor(0, 128, 0));

        f.cb_ClientJob->setCurrentIndex(-1);
        f.btn_ChangeJob->click();
        QCOMPARE(rec.texts.last(), QStringLiteral("No Client Job!"));
        f.cb_ClientJob->setCurrentIndex(f.cb_ClientJob->findText(QStringLiteral("Mason")));
        f.btn_ChangeJob->click();
        QCOMPARE(rec.texts.size(), 2);
        QCOMPARE(TestDb::scalar(
                     w.db.connection(),
                     QStringLiteral("Select Count(*) From ClientTimeSheets Where Ref_No = 2 And ClientJob = 'Mason'"))
                     .toInt(),
                 2);
        QCOMPARE(f.cb_ClientJob->currentText(), QStringLiteral("Helper")); // back to the worker's own

        // "Calculate Base" as 10 through the dialog: 8/0 rows stay 8/0.
        w.search(QStringLiteral("E1"));
        Dialogs::setAnswerer([](QWidget &w) {
            auto *d = qobject_cast<TBaseCalcForm *>(&w);
            if (!d)
                return int(QDialog::Rejected);
            d->show();
            [&] { QVERIFY(d->rb_As8->isChecked()); }();
            d->rb_As10->setChecked(true);
            d->btn_OK->click();
            return d->result();
        });
        f.btn_CalcBase->click();
        QCOMPARE(w.clientTotals()[1], QStringLiteral("Total Normal Hours: 10")); // 10 normal is untouched by base 10
        Dialogs::setAnswerer([](QWidget &w) {
            auto *d = qobject_cast<TBaseCalcForm *>(&w);
            d->show();
            d->btn_OK->click();
            return d->result();
        });
        f.btn_CalcBase->click();
        Dialogs::setAnswerer({});
        QCOMPARE(w.clientTotals().mid(1, 2), (QStringList{"Total Normal Hours: 8", "Total Overtime Hours: 2"}));

        // Dispute marks keep the current row; delete empties the grid.
        f.dbg_ClientAttendance->setCurrentIndex(f.dbg_ClientAttendance->model()->index(0, 0));
        f.UnMarkDispute1->trigger();
        QVERIFY(!f.dbg_ClientAttendance->model()->index(0, 0).data(Qt::BackgroundRole).isValid());
        QCOMPARE(f.dbg_ClientAttendance->currentIndex().row(), 0);
        f.MarkDespute1->trigger();
        QCOMPARE(f.dbg_ClientAttendance->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(192, 220, 192));
        // The audit popup shows the stamps of the current row as the grid displays them.
        QStringList audit;
        Dialogs::setAnswerer([&audit](QWidget &w) {
            if (auto *a = qobject_cast<TAuditForm *>(&w))
                audit << a->edt_EnteredBy->text() << a->edt_EnteredDate->text() << a->edt_Checked->text()
                      << a->edt_CheckedBy->text();
            return int(QDialog::Rejected);
        });
        f.AuditForm1->trigger();
        Dialogs::setAnswerer({});
        QCOMPARE(audit,
                 (QStringList{User, QStringLiteral("02/04/2026"), QStringLiteral("False"), QStringLiteral("checker")}));
        // Delete asks first: Cancel keeps the row.
        rec.answer = false;
        f.Delete1->trigger();
        QCOMPARE(rec.texts.last(), QStringLiteral("Do You Want To Delete The Row Of 02/03/2026 ?"));
        QCOMPARE(f.dbg_ClientAttendance->model()->rowCount(), 1);
        rec.answer = true;
        f.Delete1->trigger();
        QCOMPARE(f.dbg_ClientAttendance->model()->rowCount(), 0);
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 0"));
        QCOMPARE(w.clientTotalColour(), QColor(255, 0, 0));
        QCOMPARE(rec.texts.size(), 4);
    }

    // Closing the error box re-activates the window: the failure must not come back, and the
    // window must stay closable.
    void activationFailureShownOnce_data()
    {
        QTest::addColumn<QString>("breakIt");
        QTest::addColumn<QString>("message");
        QTest::newRow("no active cycle") << "Delete From PayrollActiveCycle"
                                         << "Invalid argument to date encode";
        QTest::newRow("the project list cannot be read") << "Drop Table Assignments"
                                                         << "";
    }
    void activationFailureShownOnce()
    {
        QFETCH(QString, breakIt);
        QFETCH(QString, message);
        Recorded rec;
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seedWindow(db.connection());
        Session session(db.dataModule());
        TestDb::exec(db.connection(), breakIt);
        TClientAttendanceForm f(session);
        QWidget *window = &f;
        rec.answer = true;
        Messages::setRecorder([&](Messages::Kind, const QString &text) {
            rec.texts << text;
            QEvent again(QEvent::WindowActivate);
            QCoreApplication::sendEvent(window, &again);
            return true;
        });
        f.show();
        for (int i = 0; i < 3; ++i) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&f, &activate);
        }
        QCOMPARE(rec.texts.size(), 1);
        if (!message.isEmpty())
            QCOMPARE(rec.texts.first(), message);
        f.btn_Close->click();
        QVERIFY(!f.isVisible());
    }

    void moveAllThroughTheWindow()
    {
        Recorded rec;
        Window w(QStringLiteral("SQLite"));
        TClientAttendanceForm &f = *w.form;
        f.btn_Move_All->click();
        QCOMPARE(rec.texts, QStringList{QStringLiteral("No Employees In This Project!")});
        w.chooseProject(Project);
        failWhen(w.db.connection(), QStringLiteral("SQLite"), QStringLiteral("INSERT"),
                 QStringLiteral("NEW.Col_Day = 3"));
        // While the summary is read, grid, search box and totals show one and the same employee.
        QStringList shownAtSummary;
        Messages::setRecorder([&](Messages::Kind, const QString &text) {
            rec.texts << text;
            if (text.startsWith(QStringLiteral("Moved:")))
                shownAtSummary << f.edt_SearchEmpNo->text() << f.attendance().employeeNo()
                               << f.pnl_Totals->lbl_TotalOurHours->text()
                               << QString::number(f.dbg_ClientAttendance->model()->rowCount());
            return true;
        });
        f.btn_Move_All->click();
        QCOMPARE(shownAtSummary, (QStringList{"E2", "E2", "Total Hours: 16", "0"}));
        QCOMPARE(rec.texts.size(), 3);
        QVERIFY2(rec.texts[1].startsWith(QStringLiteral("Something went wrong!, \n\rsimulated failure")),
                 qPrintable(rec.texts[1]));
        QCOMPARE(rec.texts[2], QStringLiteral("Moved: 0, skipped: 1, failed: 1, not started: 0"));
        QCOMPARE(f.edt_SearchEmpNo->text(), QStringLiteral("E2"));
        QCOMPARE(f.attendance().employeeNo(), QStringLiteral("E2"));
        QCOMPARE(w.clientTotals().last(), QStringLiteral("Total Hours: 0"));
        QCOMPARE(w.employeeButtons(), (QList<bool>{true, true, true, true, true}));
    }

    // Cancel stops between two employees: the ones before are done, the rest untouched. A Cancel
    // already pressed when the pass starts moves nobody.
    void moveAllCancelled_data()
    {
        QTest::addColumn<bool>("beforeTheFirst");
        QTest::addColumn<QStringList>("seenWant");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("Cancel while the first is moved: it finishes, the next is not started")
            << false << QStringList{"0 / 2, employee E1"}
            << QStringLiteral("Moved: 0, skipped: 1, failed: 0, not started: 1") << QStringLiteral("E1");
        QTest::newRow("Cancel pressed before the pass starts: nobody is moved")
            << true << QStringList{} << QStringLiteral("Moved: 0, skipped: 0, failed: 0, not started: 2") << QString();
    }
    void moveAllCancelled()
    {
        QFETCH(bool, beforeTheFirst);
        QFETCH(QStringList, seenWant);
        QFETCH(QString, summary);
        QFETCH(QString, loaded);
        Recorded rec;
        Window w(QStringLiteral("SQLite"));
        w.chooseProject(Project);
        const int clientRowsBefore =
            TestDb::scalar(w.db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt();
        QStringList seen;
        if (beforeTheFirst) {
            // The progress window takes a click that was waiting when it opened, before any worker.
            QTimer::singleShot(0, [] {
                for (QWidget *top : QApplication::topLevelWidgets())
                    if (auto *dialog = qobject_cast<QProgressDialog *>(top))
                        for (QPushButton *b : dialog->findChildren<QPushButton *>())
                            if (b->text() == QLatin1String("Cancel"))
                                b->click();
            });
        } else {
            PassProgress::setTestHook([&](PassProgress &p, int done) {
                seen << p.text().section(QLatin1Char('\n'), 0, 0);
                if (done == 0) {
                    w.form->btn_Move_All->click(); // a second pass while one runs: refused
                    p.cancel();                    // while the first is moved: it finishes, the next is not started
                }
            });
        }
        w.form->btn_Move_All->click();
        PassProgress::setTestHook({});
        QCOMPARE(seen, seenWant);
        QCOMPARE(rec.texts, QStringList{summary});
        QCOMPARE(TestDb::scalar(w.db.connection(),
                                QStringLiteral("Select Count(*) From ClientTimeSheets Where Employee_No = 'E2'"))
                     .toInt(),
                 0);
        QCOMPARE(TestDb::scalar(w.db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(),
                 clientRowsBefore);
        QCOMPARE(w.form->edt_SearchEmpNo->text(), loaded);
    }
};

QTEST_MAIN(TestAttendanceWindow)
#include "test_attendance_window.moc"
