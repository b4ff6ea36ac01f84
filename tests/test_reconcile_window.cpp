// The reconciliation window, driven through its real controls, and the way it opens the client
// attendance window through the module table.
#include "AttendanceFixture.h"
#include "AttendanceModule.h"
#include "ClientAttendanceForm.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "FileDialog.h"
#include "GridCopy.h"
#include "GridTitles.h"
#include "InvoicingModule.h"
#include "MessageRecording.h"
#include "ModuleTable.h"
#include "OpenpyxlReader.h"
#include "QueryTableModel.h"
#include "ReconciliationForm.h"
#include "Session.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace AttFixture;

namespace {

QStringList column(const QAbstractItemModel *m, int col)
{
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, col).data().toString();
    return out;
}

// By the full title, which the window may show shortened.
int columnTitled(const QAbstractItemModel *m, const QString &title)
{
    for (int c = 0; c < m->columnCount(); ++c)
        if (m->headerData(c, Qt::Horizontal, GridTitles::FullTitleRole).toString() == title)
            return c;
    return -1;
}

// MARINA: E1's second day differs in hours. TOWER: E3's first day in code.
void seed(Connection &c)
{
    seedBase(c);
    worker(c, 1, QStringLiteral("E1"));
    worker(c, 3, QStringLiteral("E3"));
    ownRow(c, 1, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8);
    ownRow(c, 2, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 8);
    clientRow(c, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8);
    clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 6);
    ownRow(c, 3, 3, QStringLiteral("E3"), day(1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), Other);
    clientRow(c, 3, QStringLiteral("E3"), day(1), QStringLiteral("H"), 8, 0, 0, Other);
}

void activate(QWidget *w)
{
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}

void doubleClickRow(QTableView *g, int row)
{
    const QModelIndex at = g->model()->index(row, 0);
    g->setCurrentIndex(at);
    const QPoint p = g->visualRect(at).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
}

// The session's user, holding these roles.
void logIn(TestDb::Fresh &db, const QStringList &roles)
{
    for (const QString &r : roles)
        TestDb::exec(db.connection(),
                     QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('clerk', :R)"), {r});
    db.dataModule().Current_UserID = QStringLiteral("clerk");
    db.dataModule().openRoles(QStringLiteral("clerk"));
}

} // namespace

class TestReconcileWindow : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;

private slots:
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void theWindowIsInTheModuleTable()
    {
        ModuleTable table;
        registerInvoicingWindows(table);
        const QList<ModuleWindow> inv = table.windowsOf(QStringLiteral("Invoices"));
        QCOMPARE(inv.size(), 2);
        QCOMPARE(inv[1].objectName, QStringLiteral("btn_Func_Reconciliation"));
        QCOMPARE(inv[1].caption, QStringLiteral("Reconciliation"));
        QCOMPARE(inv[1].role, QStringLiteral("InvoiceDetails"));
        QVERIFY(!table.hasOpener(Openers::ClientAttendance));
        registerAttendanceWindows(table);
        QVERIFY(table.hasOpener(Openers::ClientAttendance));
    }

    void listsExportsAndFilters()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        Session session(db.dataModule());
        QList<WindowTarget> opened;
        TReconciliationForm f(session, [&opened](QWidget *, Session &, const WindowTarget &t) { opened << t; });
        f.show();
        activate(&f);
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
        QCOMPARE(f.windowTitle(), QStringLiteral("Reconciliation"));
        QCOMPARE(f.dtp_Cycle->date(), QDate(Year, Month, 1));
        QVERIFY(f.dtp_Cycle->isEnabled());
        QCOMPARE(f.cb_Project->itemText(0), QStringLiteral("All Projects"));
        QCOMPARE(f.cb_Project->itemText(1), Project);
        QCOMPARE(f.cb_Project->itemText(2), Other);

        const QAbstractItemModel *summary = f.dbg_Summary->model();
        QCOMPARE(column(summary, 0), (QStringList{Project, Other, QStringLiteral("Total")}));
        const int billed = columnTitled(summary, QStringLiteral("Normal Hours Billed"));
        QCOMPARE(summary->index(0, billed).data().toString(), QStringLiteral("14"));
        QCOMPARE(summary->index(0, billed).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
        QVERIFY(!summary->index(1, billed).data(Qt::BackgroundRole).isValid());

        const QAbstractItemModel *diffs = f.dbg_Differences->model();
        const int kind = columnTitled(diffs, QStringLiteral("Difference"));
        QCOMPARE(column(diffs, kind), (QStringList{QStringLiteral("Hours Differ"), QStringLiteral("Code Differs")}));
        const int clientWh = columnTitled(diffs, QStringLiteral("Client Normal Hours"));
        QVERIFY(diffs->index(0, clientWh).data(Qt::BackgroundRole).isValid());
        QVERIFY(!diffs->index(1, clientWh).data(Qt::BackgroundRole).isValid());

        // The project list filters the differences; the summary stays whole.
        f.cb_Project->setCurrentIndex(2);
        QCOMPARE(column(diffs, 1), QStringList{QStringLiteral("E3")});
        QCOMPARE(summary->rowCount(), 3);
        doubleClickRow(f.dbg_Differences, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].project, Other);
        QCOMPARE(opened[0].employeeNo, QStringLiteral("E3"));

        // Export To Excel: the five sheets of the whole cycle, whatever the project list shows.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("recon.xlsx"));
        FileDialog::setNextFileName(file);
        QTest::mouseClick(f.btn_Export, Qt::LeftButton);
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
        QCOMPARE(FileDialog::lastRequest().filter, QStringLiteral("Excel Workbook (*.xlsx)"));
        const QJsonObject book = OpenpyxlDump::read(file);
        QCOMPARE(book.value(QStringLiteral("sheets")).toArray().size(), 5);
        QCOMPARE(OpenpyxlDump::sheet(book, 1).value(QStringLiteral("nrows")).toInt(), 3);
        // The workbook keeps the full titles that the window shortens.
        const QJsonObject summarySheet = OpenpyxlDump::sheet(book, 0);
        QCOMPARE(OpenpyxlDump::value(summarySheet, 0, billed).toString(), QStringLiteral("Normal Hours Billed"));
        const int pricedAtZero = columnTitled(summary, QStringLiteral("Lines Priced At 0"));
        QVERIFY(pricedAtZero > 0);
        QCOMPARE(OpenpyxlDump::value(summarySheet, 0, pricedAtZero).toString(), QStringLiteral("Lines Priced At 0"));

        // An earlier cycle without attendance: said once, lists emptied, nothing to export.
        f.dtp_Cycle->setDate(QDate(Year, Month - 1, 1));
        QCOMPARE(m_recording->texts, QStringList{QStringLiteral("There is no attendance in 02/2026")});
        QCOMPARE(diffs->rowCount(), 0);
        QTest::mouseClick(f.btn_Export, Qt::LeftButton);
        QCOMPARE(m_recording->texts.size(), 2);
        // Later cycles have no attendance yet.
        QCOMPARE(f.dtp_Cycle->maximumDate(), QDate(Year, Month, 1));
        // Activation again (back from another window) does not read or say anything again.
        activate(&f);
        QCOMPARE(m_recording->texts.size(), 2);
    }

    // The client attendance window is for its own role: a user who may reconcile but not enter
    // attendance is told so, and nothing opens.
    void doubleClickWithoutTheAttendanceRoleOpensNothing()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        logIn(db, {"Login_Tallimar", "InvoiceDetails"});
        Session session(db.dataModule());
        ModuleTable table;
        registerInvoicingWindows(table);
        registerAttendanceWindows(table);
        std::unique_ptr<QWidget> w(table.windowsOf(QStringLiteral("Invoices"))[1].factory(nullptr, session));
        auto *f = qobject_cast<TReconciliationForm *>(w.get());
        QVERIFY(f);
        f->show();
        activate(f);
        f->cb_Project->setCurrentIndex(1);
        QVERIFY(f->dbg_Differences->model()->rowCount() > 0);
        m_recording->texts.clear();
        int opened = 0;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, [&] {
            if (auto *att = qobject_cast<TClientAttendanceForm *>(QApplication::activeModalWidget())) {
                ++opened;
                att->reject();
            }
        });
        watch.start();
        doubleClickRow(f->dbg_Differences, 0);
        QCoreApplication::processEvents();
        QCOMPARE(opened, 0);
        QCOMPARE(m_recording->texts, QStringList{"You Do Not Have Permission To Open Client Attendance"});
        QCOMPARE(TestDb::scalar(db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), 3);
    }

    // Through the module table, a double-click opens the real client attendance window on the
    // project and employee of the difference.
    void doubleClickOpensTheClientAttendanceWindow()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        logIn(db, {"Login_Tallimar", "InvoiceDetails", "ClientAttCreater"});
        Session session(db.dataModule());
        ModuleTable table;
        registerInvoicingWindows(table);
        registerAttendanceWindows(table);
        std::unique_ptr<QWidget> w(table.windowsOf(QStringLiteral("Invoices"))[1].factory(nullptr, session));
        auto *f = qobject_cast<TReconciliationForm *>(w.get());
        QVERIFY(f);
        f->show();
        activate(f);
        f->cb_Project->setCurrentIndex(1);
        QString project, employee;
        QDate shownDay;
        bool loaded = false;
        // The attendance window runs modally: looked at and closed from its own event loop.
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, [&] {
            auto *att = qobject_cast<TClientAttendanceForm *>(QApplication::activeModalWidget());
            if (!att)
                return;
            watch.stop();
            project = att->cb_Project->currentText();
            employee = att->attendance().employeeNo();
            loaded = att->attendance().employeeLoaded();
            shownDay = att->dtp_AttDate->date();
            att->reject();
        });
        watch.start();
        doubleClickRow(f->dbg_Differences, 0);
        QVERIFY(!watch.isActive());
        QCOMPARE(project, Project);
        QCOMPARE(employee, QStringLiteral("E1"));
        QVERIFY(loaded);
        // On the difference's day.
        const QAbstractItemModel *grid = f->dbg_Differences->model();
        int dateColumn = -1;
        for (int c = 0; c < grid->columnCount(); ++c)
            if (grid->headerData(c, Qt::Horizontal).toString() == QLatin1String("Date"))
                dateColumn = c;
        QVERIFY(dateColumn >= 0);
        const QDate day = grid->index(0, dateColumn).data(QueryTableModel::RawValueRole).toDate();
        QVERIFY(day.isValid());
        QCOMPARE(shownDay, day);
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
    }

    // A difference fixed in the attendance window that the double-click opened leaves the list
    // when that window closes, without "Refresh".
    void aDifferenceFixedThroughTheDoubleClickLeavesTheList()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        Session session(db.dataModule());
        // Opened as the module table opens it, but run through the Dialogs seam.
        TReconciliationForm f(session, [](QWidget *parent, Session &s, const WindowTarget &t) {
            TClientAttendanceForm form(s, parent);
            form.openOn(t.project, t.employeeNo, t.day);
            Dialogs::exec(form);
        });
        f.show();
        activate(&f);
        const QAbstractItemModel *diffs = f.dbg_Differences->model();
        QCOMPARE(column(diffs, 1), (QStringList{QStringLiteral("E1"), QStringLiteral("E3")}));
        const int billed = columnTitled(f.dbg_Summary->model(), QStringLiteral("Normal Hours Billed"));
        QCOMPARE(f.dbg_Summary->model()->index(0, billed).data().toString(), QStringLiteral("14"));

        QDate shownDay;
        bool answered = false;
        Dialogs::setAnswerer([&](QWidget &w) {
            auto *att = qobject_cast<TClientAttendanceForm *>(&w);
            if (!att)
                return 0;
            answered = true;
            shownDay = att->dtp_AttDate->date();
            // The client's 6 hours of the second day become our 8.
            att->edt_WH->setValue(8);
            att->btn_Post->click();
            return 0;
        });
        doubleClickRow(f.dbg_Differences, 0);
        Dialogs::setAnswerer({});
        QVERIFY(answered);
        QCOMPARE(shownDay, day(2));
        QVERIFY2(m_recording->texts.isEmpty(), qPrintable(m_recording->texts.join(QLatin1Char('\n'))));
        QCOMPARE(TestDb::scalar(db.connection(), QStringLiteral("Select Count(*) From ClientTimeSheets "
                                                                "Where Employee_No = 'E1' And Client_WH = 8"))
                     .toInt(),
                 2);
        QCOMPARE(column(diffs, 1), QStringList{QStringLiteral("E3")});
        QCOMPARE(f.dbg_Differences->currentIndex().row(), 0); // the next difference, ready for its own fix
        QCOMPARE(f.dbg_Summary->model()->index(0, billed).data().toString(), QStringLiteral("16"));
        QVERIFY(!f.dbg_Summary->model()->index(0, billed).data(Qt::BackgroundRole).isValid());
    }

    // The grids show short titles on two lines, with the full title as the tooltip and in copies;
    // at the window's width for a 1366x768 screen, no column is left beyond the summary's edge.
    void shortTitlesFitTheSummaryOnTheScreen()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        Session session(db.dataModule());
        TReconciliationForm f(session, {});
        f.resize(1366, 740);
        f.show();
        activate(&f);
        const QHeaderView *h = f.dbg_Summary->horizontalHeader();
        QVERIFY2(h->length() <= f.dbg_Summary->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(h->length()).arg(f.dbg_Summary->viewport()->width())));
        const QAbstractItemModel *summary = f.dbg_Summary->model();
        const int billed = columnTitled(summary, QStringLiteral("Normal Hours Billed"));
        QVERIFY(billed > 0);
        QCOMPARE(summary->headerData(billed, Qt::Horizontal).toString(), QStringLiteral("Normal\nBilled"));
        QCOMPARE(summary->headerData(billed, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("Normal Hours Billed"));
        const int priced = columnTitled(summary, QStringLiteral("Lines Priced At 0"));
        QCOMPARE(priced, summary->columnCount() - 1);
        QCOMPARE(summary->headerData(priced, Qt::Horizontal).toString(), QStringLiteral("Priced\nAt 0"));
        const QAbstractItemModel *diffs = f.dbg_Differences->model();
        const int clientWh = columnTitled(diffs, QStringLiteral("Client Normal Hours"));
        QCOMPARE(diffs->headerData(clientWh, Qt::Horizontal).toString(), QStringLiteral("Client Normal\nHours"));

        f.dbg_Summary->setCurrentIndex(summary->index(0, billed));
        // A row copies under the full titles, each on the one title line.
        const QStringList copied = GridCopy::selectionText(f.dbg_Summary).split(QLatin1Char('\n'));
        const QStringList copiedTitles = copied.value(0).split(QLatin1Char('\t'));
        QCOMPARE(copiedTitles.size(), summary->columnCount());
        QCOMPARE(copiedTitles.value(billed), QStringLiteral("Normal Hours Billed"));
        QCOMPARE(copiedTitles.value(priced), QStringLiteral("Lines Priced At 0"));
        QCOMPARE(copied.value(1).split(QLatin1Char('\t')).value(billed), QStringLiteral("14"));
    }
};

QTEST_MAIN(TestReconcileWindow)
#include "test_reconcile_window.moc"
