// The invoice details and dispute management windows, driven through their real controls.
#include "DisputeMgtForm.h"
#include "ExportAction.h"
#include "FileDialog.h"
#include "FrozenTableView.h"
#include "GridCopy.h"
#include "GridTitles.h"
#include "InvoiceGridModel.h"
#include "InvoicesDetForm.h"
#include "InvoicingFixture.h"
#include "InvoicingModule.h"
#include "MessageRecording.h"
#include "ModuleTable.h"
#include "OpenpyxlReader.h"
#include "Session.h"
#include "TotalsGrid.h"
#include "XlrdReader.h"

#include "DataModule1.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
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

// The full titles (a grid may show them shortened).
QStringList titles(const QAbstractItemModel *m)
{
    QStringList out;
    for (int c = 0; c < m->columnCount(); ++c) {
        const QVariant full = m->headerData(c, Qt::Horizontal, GridTitles::FullTitleRole);
        out << (full.isValid() ? full : m->headerData(c, Qt::Horizontal)).toString();
    }
    return out;
}

// E1 and E2 on MARINA, E3 on TOWER; E1 has an unchecked row.
void invoices(Connection &c)
{
    seedBase(c);
    InvFixture::line(c, 2, QStringLiteral("E2"), 100, 10, 10, 15);
    InvFixture::line(c, 1, QStringLiteral("E1"), 20, 12.5, 4, 15);
    InvFixture::line(c, 3, QStringLiteral("E3"), 5, 10, 0, 0, Other);
    clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 8);
}

double storedTotal(Connection &c, qint64 ref)
{
    return TestDb::scalar(c, QStringLiteral("Select Earned_Total From Invoices Where Ref_No = :R"), {ref}).toDouble();
}

} // namespace

class TestInvoicingWindows : public QObject
{
    Q_OBJECT

    std::optional<MessageRecording> m_recording;
    QTemporaryDir m_dir;

private slots:
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void theWindowsAreInTheModuleTable()
    {
        ModuleTable table;
        registerInvoicingWindows(table);
        const QList<ModuleWindow> att = table.windowsOf(QStringLiteral("Attendance"));
        QCOMPARE(att.size(), 1);
        QCOMPARE(att[0].order, 20);
        QCOMPARE(att[0].objectName, QStringLiteral("btn_Func_DisputeManagement"));
        QCOMPARE(att[0].caption, QStringLiteral("Dispute Management"));
        QCOMPARE(att[0].role, QStringLiteral("DisputeMgt"));
        const QList<ModuleWindow> inv = table.windowsOf(QStringLiteral("Invoices"));
        QCOMPARE(inv.size(), 2); // the reconciliation comes second
        QCOMPARE(inv[0].order, 10);
        QCOMPARE(inv[0].objectName, QStringLiteral("btn_Func_InvoiceDetails"));
        QCOMPARE(inv[0].caption, QStringLiteral("Invoice Details"));
        QCOMPARE(inv[0].role, QStringLiteral("InvoiceDetails"));

        TestDb::Fresh db(QStringLiteral("SQLite"));
        Session session(db.dataModule());
        std::unique_ptr<QWidget> w(inv[0].factory(nullptr, session));
        QCOMPARE(w->windowTitle(), QStringLiteral("Clients Invoices Details"));
        std::unique_ptr<QWidget> d(att[0].factory(nullptr, session));
        QCOMPARE(d->windowTitle(), QStringLiteral("Dispute Management"));
    }

    void invoiceDetailsListsAndExports()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        invoices(db.connection());
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        QCOMPARE(f.dtp_Cycle->date(), QDate(Year, Month, 1));
        QVERIFY(!f.dtp_Cycle->isEnabled());
        QCOMPARE(f.cb_Project->count(), 2); // active and billable only
        QCOMPARE(f.cb_Project->currentText(), Project);

        QAbstractItemModel *grid = f.DBGrid2->model();
        QCOMPARE(grid->rowCount(), 0);
        QCOMPARE(grid->columnCount(), 80);
        const QStringList t = titles(grid);
        QCOMPARE(t.mid(0, 4), QStringList({"Year", "Month", "Employee No.", "Employee Name"}));
        QVERIFY(!t.contains(QStringLiteral("Project")));
        QCOMPARE(f.DBGrid2->verticalHeader()->defaultSectionSize(), 20);
        QCOMPARE(f.DBGrid2->horizontalHeader()->height(), 20);
        // The first three columns stay in place.
        QTableView *frozen = f.DBGrid2->frozenView();
        QVERIFY(!frozen->isColumnHidden(2));
        QVERIFY(frozen->isColumnHidden(3));

        QCOMPARE(f.lbl_InvoiceDetailsFor->text(), QStringLiteral("Not loaded"));
        QCOMPARE(f.lbl_UnCheckedFor->text(), QStringLiteral("Not loaded"));
        f.btn_InvoiceDetails->click();
        f.btn_FindUnChecked->click();
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(column(grid, 2), QStringList({"E1", "E2"}));
        QCOMPARE(column(f.DBGrid1->model(), 0), QStringList({"E1"}));
        QCOMPARE(titles(f.DBGrid1->model()), QStringList({"Employee Number", "Entered By"}));
        QVERIFY2(f.lbl_InvoiceTotals->text().contains(QStringLiteral("Total: 1,460.00")),
                 qPrintable(f.lbl_InvoiceTotals->text()));

        // The lists stay as loaded when the project changes, and say whose they are: the captions
        // and the proposed file names keep naming the loaded project; the export writes its lines.
        f.cb_Project->setCurrentText(Other);
        QCOMPARE(f.cb_Project->currentText(), Other);
        QCOMPARE(grid->rowCount(), 2);
        const QString loadedFor = QStringLiteral("Loaded for %1 - 03/2026").arg(Project);
        QCOMPARE(f.lbl_InvoiceDetailsFor->text(), loadedFor);
        QCOMPARE(f.lbl_UnCheckedFor->text(), loadedFor);
        const QString file = m_dir.filePath(QStringLiteral("invoice-details.xls"));
        FileDialog::setNextFileName(file);
        f.btn_ExportToExcel->click();
        QCOMPARE(FileDialog::lastRequest().fileName, QStringLiteral("Invoice Details - MARINA - 03-2026.xls"));
        const QJsonObject s = XlrdDump::sheet(XlrdDump::read(file));
        QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
        QCOMPARE(s.value("nrows").toInt(), 3);
        QCOMPARE(s.value("ncols").toInt(), 80);
        QCOMPARE(XlrdDump::value(s, 1, 2).toString(), QStringLiteral("E1"));
        QCOMPARE(XlrdDump::value(s, 2, 2).toString(), QStringLiteral("E2"));

        const QString unchecked = m_dir.filePath(QStringLiteral("unchecked.xls"));
        FileDialog::setNextFileName(unchecked);
        f.btn_ExportUnChecked->click();
        QCOMPARE(FileDialog::lastRequest().fileName, QStringLiteral("List Of Employees - MARINA - 03-2026.xls"));
        const QJsonObject u = XlrdDump::sheet(XlrdDump::read(unchecked));
        QCOMPARE(u.value("nrows").toInt(), 2);
        QCOMPARE(XlrdDump::value(u, 1, 1).toString(), QStringLiteral("older"));
        QVERIFY(m_recording->texts.isEmpty());
    }

    void anEditedLineIsWrittenWhenTheRowIsLeft_data() { TESTDB_ENGINE_ROWS(); }
    void anEditedLineIsWrittenWhenTheRowIsLeft()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        invoices(c);
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.btn_InvoiceDetails->click();
        InvoiceGridModel *m = f.invoiceModel();
        const int hours = m->gridColumn(QStringLiteral("Earned_WH_Hours"));
        const int amount = m->gridColumn(QStringLiteral("Earned_WH_Amount"));
        const int total = m->gridColumn(QStringLiteral("Earned_Total"));
        for (const char *key : {"Col_Year", "Col_Month", "Employee_No", "Earned_Total"})
            QVERIFY2(!(m->flags(m->index(0, m->gridColumn(QLatin1String(key)))) & Qt::ItemIsEditable), key);
        QVERIFY(m->flags(m->index(0, hours)) & Qt::ItemIsEditable);

        f.DBGrid2->setCurrentIndex(m->index(0, hours));
        QVERIFY(m->setData(m->index(0, hours), QStringLiteral("24")));
        QCOMPARE(m->index(0, amount).data().toString(), QStringLiteral("300.00"));
        QCOMPARE(m->index(0, total).data().toString(), QStringLiteral("360.00"));
        QVERIFY2(f.lbl_InvoiceTotals->text().contains(QStringLiteral("Normal Hours: 124")),
                 qPrintable(f.lbl_InvoiceTotals->text()));
        QCOMPARE(storedTotal(c, 1), 310.0);

        // A refused value says why and changes nothing.
        QVERIFY(!m->setData(m->index(0, hours), QStringLiteral("-3")));
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY(m_recording->texts[0].contains(QStringLiteral("whole number")));
        QCOMPARE(m->index(0, hours).data().toString(), QStringLiteral("24"));

        // Leaving the row writes it.
        f.DBGrid2->setCurrentIndex(m->index(1, hours));
        QCOMPARE(storedTotal(c, 1), 360.0);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_WH_Amount From Invoices Where Ref_No = 1")).toDouble(),
                 300.0);

        // Another user changes E2's line before this edit of it is written.
        auto other = InvFixture::otherUser(c);
        TestDb::exec(*other, QStringLiteral("Update Invoices Set Client_Job = 'Rigger' Where Ref_No = 2"));
        QVERIFY(m->setData(m->index(1, hours), QStringLiteral("1")));
        m_recording->texts.clear();
        f.DBGrid2->setCurrentIndex(m->index(0, hours));
        QCOMPARE(m_recording->texts,
                 QStringList{QStringLiteral("This line was changed by another user; it has been reloaded.")});
        QCOMPARE(storedTotal(c, 2), 1150.0);
        QCOMPARE(m->index(1, hours).data().toString(), QStringLiteral("100"));
        QCOMPARE(m->index(1, m->gridColumn(QStringLiteral("Client_Job"))).data().toString(), QStringLiteral("Rigger"));

        // A line deleted by another user meanwhile says so, and leaves the list.
        TestDb::exec(*other, QStringLiteral("Delete From Invoices Where Ref_No = 2"));
        f.DBGrid2->setCurrentIndex(m->index(1, hours));
        QVERIFY(m->setData(m->index(1, hours), QStringLiteral("2")));
        m_recording->texts.clear();
        f.DBGrid2->setCurrentIndex(m->index(0, hours));
        QCOMPARE(m_recording->texts, QStringList{QStringLiteral(
                                         "This line was deleted by another user; it has been removed from the list.")});
        QCOMPARE(column(m, m->gridColumn(QStringLiteral("Employee_No"))), QStringList{"E1"});
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select COUNT(*) From Invoices Where Ref_No = 2")).toInt(), 0);
    }

    void escTakesBackAnEditedLineAndKeepsTheWindow()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        invoices(c);
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.btn_InvoiceDetails->click();
        InvoiceGridModel *m = f.invoiceModel();
        const int hours = m->gridColumn(QStringLiteral("Earned_WH_Hours"));
        // Enter pressed and the cell left, the row not: the line waits to be written.
        f.DBGrid2->setCurrentIndex(m->index(0, hours));
        QVERIFY(m->setData(m->index(0, hours), QStringLiteral("24")));
        QVERIFY(f.lbl_InvoiceTotals->text().contains(QStringLiteral("Normal Hours: 124")));
        QTest::keyClick(f.DBGrid2, Qt::Key_Escape);
        QVERIFY(f.isVisible());
        QVERIFY(!f.lines().hasPending());
        QCOMPARE(m->index(0, hours).data().toString(), QStringLiteral("20"));
        QVERIFY2(f.lbl_InvoiceTotals->text().contains(QStringLiteral("Normal Hours: 120")),
                 qPrintable(f.lbl_InvoiceTotals->text()));
        QCOMPARE(storedTotal(c, 1), 310.0);
        QVERIFY(m_recording->texts.isEmpty());
        // With nothing pending, Esc closes the window as before, without a question.
        QTest::keyClick(f.DBGrid2, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(storedTotal(c, 1), 310.0);
    }

    void closingWithAnEditedLineAsks_data()
    {
        QTest::addColumn<bool>("titleBar"); // else the Close button
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("stillOpen");
        QTest::addColumn<double>("stored");
        QTest::newRow("Cancel keeps the window and the edit")
            << false << int(Messages::Choice::Cancel) << true << 310.0;
        QTest::newRow("Cancel from the title bar keeps the window open")
            << true << int(Messages::Choice::Cancel) << true << 310.0;
        QTest::newRow("Discard closes without writing") << true << int(Messages::Choice::Discard) << false << 310.0;
        QTest::newRow("Save writes the line and closes") << false << int(Messages::Choice::Save) << false << 360.0;
    }
    void closingWithAnEditedLineAsks()
    {
        QFETCH(bool, titleBar);
        QFETCH(int, choice);
        QFETCH(bool, stillOpen);
        QFETCH(double, stored);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        invoices(c);
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.btn_InvoiceDetails->click();
        InvoiceGridModel *m = f.invoiceModel();
        const int hours = m->gridColumn(QStringLiteral("Earned_WH_Hours"));
        f.DBGrid2->setCurrentIndex(m->index(0, hours));
        QVERIFY(m->setData(m->index(0, hours), QStringLiteral("24")));
        m_recording->choice = Messages::Choice(choice);
        if (titleBar)
            f.close();
        else
            f.btn_Close->click();
        QCOMPARE(m_recording->texts,
                 QStringList{QStringLiteral("The line you changed has not been saved yet. Save it?")});
        QCOMPARE(m_recording->kinds, QList<Messages::Kind>{Messages::Kind::SaveDiscardCancel});
        QCOMPARE(f.isVisible(), stillOpen);
        QCOMPARE(f.lines().hasPending(), stillOpen);
        QCOMPARE(storedTotal(c, 1), stored);
        if (stillOpen)
            QCOMPARE(m->index(0, hours).data().toString(), QStringLiteral("24"));
    }

    void moneyShowsAsItWillBeBilled_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");  // 4368.375 in the grid
        QTest::addColumn<QString>("edited"); // the same in its editor
        QTest::addColumn<QString>("typed");  // 1.25 typed as a rate
        QTest::addColumn<QString>("amount"); // 3 hours at 1.25 in the grid
        QTest::newRow("English") << "en_US"
                                 << "4,368.38"
                                 << "4,368.375"
                                 << "1.25"
                                 << "3.75";
        QTest::newRow("German") << "de_DE"
                                << "4.368,38"
                                << "4.368,375"
                                << "1,25"
                                << "3,75";
    }
    void moneyShowsAsItWillBeBilled()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QFETCH(QString, edited);
        QFETCH(QString, typed);
        QFETCH(QString, amount);
        struct LocaleGuard
        {
            QLocale before;
            ~LocaleGuard() { QLocale::setDefault(before); }
        } guard;
        QLocale::setDefault(QLocale(locale));
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        InvFixture::line(c, 1, QStringLiteral("E1"), 3, 1456.125); // 4368.375, stored as computed
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.btn_InvoiceDetails->click();
        InvoiceGridModel *m = f.invoiceModel();
        const int amountCol = m->gridColumn(QStringLiteral("Earned_WH_Amount"));
        const int totalCol = m->gridColumn(QStringLiteral("Earned_Total"));
        const int hoursCol = m->gridColumn(QStringLiteral("Earned_WH_Hours"));
        const int rateCol = m->gridColumn(QStringLiteral("Earned_WH_Rate"));
        QCOMPARE(m->index(0, amountCol).data().toString(), shown);
        QCOMPARE(m->index(0, totalCol).data().toString(), shown);
        QCOMPARE(m->index(0, amountCol).data(Qt::EditRole).toString(), edited);
        QCOMPARE(m->index(0, hoursCol).data().toString(), QStringLiteral("3"));
        QVERIFY2(f.lbl_InvoiceTotals->text().contains(QStringLiteral("Total: ") + shown),
                 qPrintable(f.lbl_InvoiceTotals->text()));
        // An editor closed on the whole value is no edit.
        QVERIFY(!m->setData(m->index(0, amountCol), edited));
        QVERIFY(!f.lines().hasPending());

        // Both sheet formats keep the stored value and show it with two decimals.
        for (const QString &filter : {ExportAction::XlsFilter, ExportAction::XlsxFilter}) {
            const bool xlsx = filter == ExportAction::XlsxFilter;
            const QString file = m_dir.filePath(QStringLiteral("money-%1.%2").arg(locale, xlsx ? "xlsx" : "xls"));
            FileDialog::setNextFileName(file, filter);
            f.btn_ExportToExcel->click();
            QVERIFY(m_recording->texts.isEmpty());
            QString amountFormat, hoursFormat;
            double value = 0;
            if (xlsx) {
                const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(file));
                value = OpenpyxlDump::value(s, 1, amountCol).toDouble();
                amountFormat = OpenpyxlDump::style(s, 1, amountCol).value(QStringLiteral("format")).toString();
                hoursFormat = OpenpyxlDump::style(s, 1, hoursCol).value(QStringLiteral("format")).toString();
                QCOMPARE(OpenpyxlDump::style(s, 1, rateCol).value(QStringLiteral("format")).toString(),
                         QStringLiteral("#,##0.00"));
                QCOMPARE(OpenpyxlDump::value(s, 1, totalCol).toDouble(), 4368.375);
            } else {
                const QJsonObject book = XlrdDump::read(file);
                const QJsonObject s = XlrdDump::sheet(book);
                value = XlrdDump::value(s, 1, amountCol).toDouble();
                amountFormat = XlrdDump::format(book, s, 1, amountCol).value(QStringLiteral("format")).toString();
                hoursFormat = XlrdDump::format(book, s, 1, hoursCol).value(QStringLiteral("format")).toString();
                QCOMPARE(XlrdDump::format(book, s, 1, rateCol).value(QStringLiteral("format")).toString(),
                         QStringLiteral("#,##0.00"));
                QCOMPARE(XlrdDump::value(s, 1, totalCol).toDouble(), 4368.375);
            }
            QCOMPARE(value, 4368.375);
            QCOMPARE(amountFormat, QStringLiteral("#,##0.00"));
            QVERIFY2(hoursFormat != amountFormat, qPrintable(hoursFormat));
        }

        // A rate typed as the grid shows numbers.
        QVERIFY(m->setData(m->index(0, rateCol), typed));
        QVERIFY(f.submitEdit());
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_WH_Rate From Invoices")).toDouble(), 1.25);
        QCOMPARE(storedTotal(c, 1), 3.75);
        QCOMPARE(m->index(0, amountCol).data().toString(), amount);
    }

    // Each total is one label "caption: value", so no wrap can part them; every column title is
    // shown whole.
    void totalsKeepEachCaptionWithItsFigureAndTitlesShowWhole()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        invoices(db.connection());
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.btn_InvoiceDetails->click();
        const QList<QLabel *> labels = f.lbl_InvoiceTotals->labels();
        QCOMPARE(labels.size(), 8);
        QStringList captions;
        for (QLabel *l : labels) {
            QVERIFY(!l->wordWrap());
            captions << l->text().section(QStringLiteral(": "), 0, 0);
        }
        QCOMPARE(captions, QStringList({"Lines", "Normal Hours", "Overtime Hours", "Holiday Hours", "Total",
                                        "Normal Amount", "Overtime Amount", "Holiday Amount"}));
        QCOMPARE(labels[4]->text(), QStringLiteral("Total: 1,460.00"));

        QHeaderView *h = f.DBGrid2->horizontalHeader();
        for (int c = 0; c < h->count(); ++c)
            QVERIFY2(h->sectionSize(c) >= h->sectionSizeHint(c),
                     qPrintable(f.DBGrid2->model()->headerData(c, Qt::Horizontal).toString()));
    }

    void theProposedNameNamesTheProjectAndCycle_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("name");
        QTest::newRow("a loaded project and its cycle follow the base")
            << QStringLiteral("MARINA TOWER") << QStringLiteral("Invoice Details - MARINA TOWER - 11-2026");
        QTest::newRow("characters no file name may hold are replaced")
            << QStringLiteral("A/B: C*?") << QStringLiteral("Invoice Details - A_B_ C__ - 11-2026");
        QTest::newRow("a list not loaded keeps the base alone") << QString() << QStringLiteral("Invoice Details");
    }
    void theProposedNameNamesTheProjectAndCycle()
    {
        QFETCH(QString, project);
        QFETCH(QString, name);
        QCOMPARE(TInvoicesDetForm::exportName(QStringLiteral("Invoice Details"), project, 2026, 11), name);
    }

    void aLoadFailureIsShownOnceAndTheWindowGoesOn()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        invoices(c);
        Session session(db.dataModule());
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        c.execDirect(QStringLiteral("Drop Table Invoices"));
        f.btn_InvoiceDetails->click();
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(f.DBGrid2->model()->rowCount(), 0);
        // Nothing was loaded: no project is named for the list.
        QCOMPARE(f.lbl_InvoiceDetailsFor->text(), QStringLiteral("Not loaded"));
        f.btn_FindUnChecked->click();
        QCOMPARE(m_recording->texts.size(), 1);
        QCOMPARE(f.DBGrid1->model()->rowCount(), 1);
    }

    void disputeManagement_data() { TESTDB_ENGINE_ROWS(); }
    void disputeManagement()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        ownRow(c, 11, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 8, 2);
        ownRow(c, 12, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 2, 0, 0, QStringLiteral("Mason"), Other);
        const qint64 e1 = clientRow(c, 1, QStringLiteral("E1"), day(5), QStringLiteral("A"), 0, 0, 0, Project, 0, 1);
        clientRow(c, 2, QStringLiteral("E2"), day(6), QStringLiteral("P"), 8, 0, 0, Other, 0, 1);
        clientRow(c, 0, QStringLiteral("A0"), day(9), QStringLiteral("H"), 0, 0, 8, Project, 0, 1);
        // E1's second disputed day in the cycle.
        ownRow(c, 13, 1, QStringLiteral("E1"), day(8), QStringLiteral("P"), 8);
        const qint64 e1Later =
            clientRow(c, 1, QStringLiteral("E1"), day(8), QStringLiteral("P"), 6, 0, 0, Project, 0, 1);
        Session session(db.dataModule());
        TDisputeMgtForm f(session);
        f.show();
        QVERIFY(!f.isSizeGripEnabled());
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&f, &activate);
        QCOMPARE(f.dtp_Cycle->date(), QDate(Year, Month, 1));
        QCOMPARE(f.dbg_Client->model()->rowCount(), 0);

        // A search before the list is loaded loads it first; typing is upper-cased; Enter is taken.
        QTest::keyClicks(f.edt_SearchEmpNo, QStringLiteral("e1"));
        QCOMPARE(f.edt_SearchEmpNo->text(), QStringLiteral("E1"));
        QTest::keyClick(f.edt_SearchEmpNo, Qt::Key_Return);
        QVERIFY(f.isVisible());
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(f.dbg_Client->model()->rowCount(), 5);
        QCOMPARE(f.currentLine(), 1);
        QCOMPARE(f.DBGrid1->currentIndex().row(), 1);
        QCOMPARE(titles(f.dbg_Client->model()),
                 QStringList({"Att Date", "Employee No.", "Employee Name", "Project", "Client Att. Code",
                              "Client Att. Desc", "Client WH", "Client OT", "Client HT"}));
        QCOMPARE(titles(f.DBGrid1->model()),
                 QStringList({"Our Att. Code", "Our Att. Desc", "Our WH", "Our OT", "Our HT"}));
        // Both sides fit the window: no column behind a scroll bar.
        for (QTableView *g : {f.dbg_Client, f.DBGrid1}) {
            int width = g->verticalHeader()->isVisible() ? g->verticalHeader()->width() : 0;
            for (int c = 0; c < g->model()->columnCount(); ++c)
                width += g->columnWidth(c);
            QVERIFY2(width <= g->viewport()->width(), qPrintable(g->objectName()));
        }
        QCOMPARE(column(f.dbg_Client->model(), 0).at(1), QStringLiteral("05/03/2026"));
        QCOMPARE(column(f.DBGrid1->model(), 2), QStringList({"", "8", "2", "8", ""}));

        // Moving in the right grid moves the left one.
        f.DBGrid1->setCurrentIndex(f.DBGrid1->model()->index(3, 0));
        QCOMPARE(f.currentLine(), 3);

        f.edt_SearchEmpNo->setText(QStringLiteral("E9"));
        f.btn_SearchEmpNo->click();
        QCOMPARE(m_recording->texts, QStringList{"Employee Not Found !"});
        QCOMPARE(f.currentLine(), 3);
        m_recording->texts.clear();

        // The popup copies as every grid does.
        QVERIFY(f.PopupMenu1->actions().contains(GridCopy::copyAction(f.dbg_Client)));
        // Removing the dispute of E1's 5th takes both of its lines away and leaves E1's 8th
        // disputed; the first line becomes current.
        f.dbg_Client->setCurrentIndex(f.dbg_Client->model()->index(2, 0));
        f.RemoveDispute1->trigger();
        QVERIFY(m_recording->texts.isEmpty());
        QCOMPARE(column(f.dbg_Client->model(), 1), QStringList({"A0", "E1", "E2"}));
        QCOMPARE(column(f.dbg_Client->model(), 0).at(1), QStringLiteral("08/03/2026"));
        QCOMPARE(f.currentLine(), 0);
        auto disputeOf = [&c](qint64 id) {
            return TestDb::scalar(c, QStringLiteral("Select Dispute From ClientTimeSheets Where Rec_ID = :I"), {id})
                .toInt();
        };
        QCOMPARE(disputeOf(e1), 0);
        QCOMPARE(disputeOf(e1Later), 1);

        // A failed removal shows the error and leaves the list as it was.
        failWhen(c, engine, QStringLiteral("UPDATE"), QStringLiteral("NEW.Dispute = 0"));
        f.RemoveDispute1->trigger();
        QCOMPARE(m_recording->texts.size(), 1);
        QVERIFY(m_recording->texts[0].startsWith(QStringLiteral("Something went wrong!, DbError: ")));
        QCOMPARE(f.dbg_Client->model()->rowCount(), 3);

        const QString file = m_dir.filePath(QStringLiteral("disputes.xls"));
        FileDialog::setNextFileName(file);
        f.btn_Export->click();
        QCOMPARE(FileDialog::lastRequest().fileName, QStringLiteral("Dispute Case.xls"));
        const QJsonObject s = XlrdDump::sheet(XlrdDump::read(file));
        QCOMPARE(s.value("name").toString(), QStringLiteral("DisputeQ"));
        QCOMPARE(s.value("nrows").toInt(), 4);
        QCOMPARE(XlrdDump::value(s, 0, 2).toString(), QStringLiteral("Att Date"));
        QCOMPARE(XlrdDump::value(s, 3, 6).toString(), Other);
    }
};

QTEST_MAIN(TestInvoicingWindows)
#include "test_invoicing_windows.moc"
