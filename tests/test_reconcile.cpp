// The reconciliation of a cycle on a real database: each kind of difference, the per-project
// counts and hours, the invoice totals, and the workbook read back with python3-openpyxl.
#include "AttendanceFixture.h"
#include "ExportError.h"
#include "InvoiceCheck.h"
#include "OpenpyxlReader.h"
#include "Reconciliation.h"
#include "ReconciliationSheets.h"
#include "TestDb.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace AttFixture;

namespace {

const QString Old = QStringLiteral("OLD");

QString line(const Reconcile::Difference &d)
{
    auto side = [](const Reconcile::Day &s) {
        return s.present ? QStringLiteral("%1 %2/%3/%4").arg(s.code).arg(s.wh).arg(s.ot).arg(s.ht)
                         : QStringLiteral("-");
    };
    return QStringLiteral("%1 %2 %3 %4: %5 | %6")
        .arg(d.project, d.employeeNo, d.date.toString(Qt::ISODate), Reconcile::kindText(d.kind), side(d.own),
             side(d.client));
}

// One worker per kind of difference in MARINA, a worker not moved, a worker whose own code the
// move turns into "A", a worker in TOWER whose views agree, and rows that must not count: an
// inactive project and another month. E1 and E6 are checked by the real check.
void seedKinds(Connection &c)
{
    seedBase(c);
    TestDb::exec(c, QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable) Values ('EMPTY', 1, 1)"));
    qint64 id = 0;
    for (int w = 1; w <= 7; ++w)
        worker(c, w, QStringLiteral("E%1").arg(w));
    // E1: day 1 equal, day 2 hours differ, day 3 code differs.
    for (int d = 1; d <= 3; ++d)
        ownRow(c, ++id, 1, QStringLiteral("E1"), day(d), QStringLiteral("P"), 8, 1);
    clientRow(c, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8, 1);
    clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 10, 1);
    clientRow(c, 1, QStringLiteral("E1"), day(3), QStringLiteral("H"), 8, 1);
    // E2: day 2 has no client row.
    ownRow(c, ++id, 2, QStringLiteral("E2"), day(1), QStringLiteral("P"), 8);
    ownRow(c, ++id, 2, QStringLiteral("E2"), day(2), QStringLiteral("P"), 8);
    clientRow(c, 2, QStringLiteral("E2"), day(1), QStringLiteral("P"), 8);
    // E3: day 5 has no own row.
    ownRow(c, ++id, 3, QStringLiteral("E3"), day(1), QStringLiteral("P"), 8);
    clientRow(c, 3, QStringLiteral("E3"), day(1), QStringLiteral("P"), 8);
    clientRow(c, 3, QStringLiteral("E3"), day(5), QStringLiteral("P"), 8);
    // E4: the same day on both sides, disputed.
    ownRow(c, ++id, 4, QStringLiteral("E4"), day(1), QStringLiteral("P"), 8);
    clientRow(c, 4, QStringLiteral("E4"), day(1), QStringLiteral("P"), 8, 0, 0, Project, 0, 1);
    // E5: not moved.
    ownRow(c, ++id, 5, QStringLiteral("E5"), day(1), QStringLiteral("P"), 8);
    ownRow(c, ++id, 5, QStringLiteral("E5"), day(2), QStringLiteral("P"), 8, 2, 1);
    // E6: sick by our code, absent by the client's: what a move makes of it. Day 2: only the
    // overtime differs.
    ownRow(c, ++id, 6, QStringLiteral("E6"), day(1), QStringLiteral("S"), 0);
    clientRow(c, 6, QStringLiteral("E6"), day(1), QStringLiteral("A"), 0);
    ownRow(c, ++id, 6, QStringLiteral("E6"), day(2), QStringLiteral("P"), 8, 1);
    clientRow(c, 6, QStringLiteral("E6"), day(2), QStringLiteral("P"), 8, 3);
    // E7 in TOWER: both views agree.
    ownRow(c, ++id, 7, QStringLiteral("E7"), day(1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), Other);
    clientRow(c, 7, QStringLiteral("E7"), day(1), QStringLiteral("P"), 8, 0, 0, Other, 1);
    // Not counted: an inactive project, and February.
    ownRow(c, ++id, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), Old);
    clientRow(c, 1, QStringLiteral("E1"), day(1), QStringLiteral("P"), 4, 0, 0, Old);
    ownRow(c, ++id, 2, QStringLiteral("E2"), QDate(Year, 2, 10), QStringLiteral("P"), 8);
    clientRow(c, 2, QStringLiteral("E2"), QDate(Year, 2, 11), QStringLiteral("P"), 8);
    const QString inv = QStringLiteral("Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, "
                                       "Earned_Total) Values (:Y, :M, :A, :R, :E, :T)");
    TestDb::exec(c, inv, {Year, Month, Old, 1, QStringLiteral("E1"), 999.0});
    TestDb::exec(c, inv, {Year, 2, Project, 2, QStringLiteral("E2"), 555.0});
    TestDb::exec(c, inv, {Year, Month, Other, 7, QStringLiteral("E7"), 12.25});

    InvoiceCheck check(c);
    for (const char *emp : {"E1", "E6"})
        QCOMPARE(check.checkWorker({Project, Year, Month}, QString::fromLatin1(emp), User).status,
                 CheckOutcome::Status::Checked);
}

QStringList sheetNames(const QJsonObject &book)
{
    QStringList out;
    for (const QJsonValue &s : book.value(QStringLiteral("sheets")).toArray())
        out << s.toObject().value(QStringLiteral("name")).toString();
    return out;
}

QStringList column(const QJsonObject &sheet, int col)
{
    QStringList out;
    for (int r = 1; r < sheet.value(QStringLiteral("nrows")).toInt(); ++r)
        out << OpenpyxlDump::value(sheet, r, col).toVariant().toString();
    return out;
}

bool filled(const QJsonObject &sheet, int row, int col)
{
    return !OpenpyxlDump::style(sheet, row, col).value(QStringLiteral("fill")).isNull();
}

} // namespace

class TestReconcile : public QObject
{
    Q_OBJECT

private slots:
    void eachKindOfDifferenceOnce_data() { TESTDB_ENGINE_ROWS(); }
    void eachKindOfDifferenceOnce()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedKinds(c);

        const Reconcile::Result r = Reconcile::reconcile(c, Year, Month);
        QVERIFY(r.hasRows);
        QStringList lines;
        for (const Reconcile::Difference &d : r.differences)
            lines << line(d);
        const QStringList expected{
            QStringLiteral("MARINA E1 2026-03-02 Hours Differ: P 8/1/0 | P 10/1/0"),
            QStringLiteral("MARINA E1 2026-03-03 Code Differs: P 8/1/0 | H 8/1/0"),
            QStringLiteral("MARINA E2 2026-03-02 No Client Row: P 8/0/0 | -"),
            QStringLiteral("MARINA E3 2026-03-05 No Own Row: - | P 8/0/0"),
            QStringLiteral("MARINA E4 2026-03-01 Disputed: P 8/0/0 | P 8/0/0"),
            QStringLiteral("MARINA E6 2026-03-02 Hours Differ: P 8/1/0 | P 8/3/0"),
        };
        QCOMPARE(lines, expected);

        // Every active, billable project, in name order, even one without rows; then the totals.
        QStringList projects;
        for (const Reconcile::ProjectSummary &s : r.projects)
            projects << s.project;
        QCOMPARE(projects, (QStringList{QStringLiteral("EMPTY"), Project, Other}));
        const Reconcile::ProjectSummary &m = r.projects.at(1);
        QCOMPARE(m.deployed, 6);
        QCOMPARE(m.withClientRows, 5);
        QCOMPARE(m.notMoved, 1);
        QCOMPARE(m.checked, 2);
        QCOMPARE(m.unchecked, 3);
        QCOMPARE(m.disputed, 1);
        QCOMPARE(m.differences, 6);
        QCOMPARE(m.ownWh, 24 + 16 + 8 + 8 + 16 + 8);
        QCOMPARE(m.clientWh, 26 + 8 + 16 + 8 + 8);
        QCOMPARE(m.ownOt, 3 + 2 + 1);
        QCOMPARE(m.clientOt, 3 + 3);
        QCOMPARE(m.ownHt, 1);
        QCOMPARE(m.clientHt, 0);
        QCOMPARE(r.notMoved.size(), 1);
        QCOMPARE(r.notMoved.first().employeeNo, QStringLiteral("E5"));
        QCOMPARE(r.notMoved.first().ownRows, 2);
        QStringList unchecked;
        for (const Reconcile::Worker &w : r.unchecked)
            unchecked << w.employeeNo;
        QCOMPARE(unchecked, (QStringList{QStringLiteral("E2"), QStringLiteral("E3"), QStringLiteral("E4")}));
        QCOMPARE(r.disputes.size(), 1);
        QCOMPARE(r.disputes.first().employeeNo, QStringLiteral("E4"));
        QCOMPARE(r.disputes.first().date, day(1));

        // The invoice lines of the cycle and the selected projects: the checked workers' lines as
        // the check wrote them, and nothing of the inactive project or another month.
        const double marina =
            TestDb::scalar(c,
                           QStringLiteral("Select Sum(Earned_Total) From Invoices Where Assignment = :A "
                                          "And Col_Year = :Y And Col_Month = :M"),
                           {Project, Year, Month})
                .toDouble();
        QVERIFY(marina > 0);
        QCOMPARE(m.invoiceLines, 2);
        QCOMPARE(m.invoiceTotal, marina);
        QCOMPARE(r.projects.at(2).invoiceLines, 1);
        QCOMPARE(r.totals.invoiceLines, 3);
        QCOMPARE(r.totals.invoiceTotal, marina + 12.25);
        QCOMPARE(r.totals.deployed, 7);
        QCOMPARE(r.totals.differences, 6);

        // One project: only its rows are read.
        const Reconcile::Result tower = Reconcile::reconcile(c, Year, Month, {Other});
        QCOMPARE(tower.projects.size(), 1);
        QCOMPARE(tower.totals.deployed, 1);
        QCOMPARE(tower.totals.checked, 1);
        QVERIFY(tower.differences.isEmpty());
        QCOMPARE(tower.totals.invoiceTotal, 12.25);
    }

    // Lines the check priced at 0 for want of a rate, counted per project in the summary. MARINA
    // rates "Helper", the fixture's client job; TOWER rates nothing.
    void linesPricedAtZeroPerProject_data() { TESTDB_ENGINE_ROWS(); }
    void linesPricedAtZeroPerProject()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        struct Case
        {
            const char *employee;
            QString project;
            const char *code;
            int wh, ot;
        };
        const Case cases[] = {
            {"E1", Project, "P", 8, 0}, // rated: not counted
            {"E2", Other, "P", 8, 1},   // hours at no rate
            {"E3", Other, "A", 0, 0},   // no hours: nothing is priced
            {"E4", Other, "P", 0, 2},   // overtime alone at no rate
            {"E5", Project, "P", 8, 0}, // a job MARINA has no rate for
        };
        qint64 ref = 0;
        for (const Case &k : cases) {
            const QString emp = QString::fromLatin1(k.employee);
            worker(c, ++ref, emp);
            ownRow(c, ref, ref, emp, day(1), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), k.project);
            clientRow(c, ref, emp, day(1), QString::fromLatin1(k.code), k.wh, k.ot, 0, k.project);
        }
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set ClientJob = 'Painter' Where Employee_No = 'E5'"));
        InvoiceCheck check(c);
        for (const Case &k : cases)
            QCOMPARE(check.checkWorker({k.project, Year, Month}, QString::fromLatin1(k.employee), User).status,
                     CheckOutcome::Status::Checked);

        const Reconcile::Result r = Reconcile::reconcile(c, Year, Month);
        QCOMPARE(r.projects.at(0).project, Project);
        QCOMPARE(r.projects.at(0).pricedAtZero, 1);
        QCOMPARE(r.projects.at(1).pricedAtZero, 2);
        QCOMPARE(r.totals.pricedAtZero, 3);
        QCOMPARE(r.totals.invoiceLines, 5);

        // A column of the summary grid and sheet, after the existing ones, marked where not 0.
        const Reconcile::Table t = Reconcile::summaryTable(r);
        const int col = int(t.fields.size()) - 1;
        QCOMPARE(t.fields.at(col - 1).displayLabel, QStringLiteral("Invoice Total"));
        QCOMPARE(t.fields.at(col).displayLabel, QStringLiteral("Lines Priced At 0"));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("recon.xlsx"));
        Reconcile::saveWorkbook(r, file);
        const QJsonObject summary = OpenpyxlDump::sheet(OpenpyxlDump::read(file), 0);
        QCOMPARE(OpenpyxlDump::value(summary, 0, col).toString(), QStringLiteral("Lines Priced At 0"));
        QCOMPARE(column(summary, col), (QStringList{"1", "2", "3"}));
        QVERIFY(filled(summary, 1, col) && filled(summary, 3, col));
    }

    void cycleWithNothingMovedListsEveryWorker_data() { TESTDB_ENGINE_ROWS(); }
    void cycleWithNothingMovedListsEveryWorker()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        qint64 id = 0;
        for (int w = 1; w <= 4; ++w)
            for (int d = 1; d <= 3; ++d)
                ownRow(c, ++id, w, QStringLiteral("E%1").arg(w), day(d), QStringLiteral("P"), 8, 1, w == 4 ? 2 : 0,
                       QStringLiteral("Mason"), w == 4 ? Other : Project);

        const Reconcile::Result r = Reconcile::reconcile(c, Year, Month);
        QVERIFY(r.hasRows);
        QStringList notMoved;
        for (const Reconcile::Worker &w : r.notMoved)
            notMoved << w.project + QLatin1Char(' ') + w.employeeNo;
        QCOMPARE(notMoved, (QStringList{QStringLiteral("MARINA E1"), QStringLiteral("MARINA E2"),
                                        QStringLiteral("MARINA E3"), QStringLiteral("TOWER E4")}));
        QVERIFY(r.differences.isEmpty());
        QVERIFY(r.unchecked.isEmpty());
        QCOMPARE(r.totals.deployed, 4);
        QCOMPARE(r.totals.notMoved, 4);
        QCOMPARE(r.totals.withClientRows, 0);
        QCOMPARE(r.totals.ownWh, 96);
        QCOMPARE(r.totals.ownHt, 6);
        QCOMPARE(r.totals.clientWh, 0);
    }

    void cycleWithoutRows_data() { TESTDB_ENGINE_ROWS(); }
    void cycleWithoutRows()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedKinds(c);
        const Reconcile::Result r = Reconcile::reconcile(c, Year, 7);
        QVERIFY(!r.hasRows);
        QCOMPARE(r.totals.invoiceLines, 0);
        QCOMPARE(Reconcile::noRowsMessage(Year, 7), QStringLiteral("There is no attendance in 07/2026"));
        // The inactive project's rows do not count as rows of the cycle.
        TestDb::exec(c, QStringLiteral("Update TimeSheets Set Col_Month = 7 Where Assignment = :A"), {Old});
        QVERIFY(!Reconcile::reconcile(c, Year, 7).hasRows);
    }

    void workbookReadBack_data() { TESTDB_ENGINE_ROWS(); }
    void workbookReadBack()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedKinds(c);
        const Reconcile::Result r = Reconcile::reconcile(c, Year, Month);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("recon.xlsx"));
        QCOMPARE(Reconcile::saveWorkbook(r, file, QLocale(QLocale::English, QLocale::UnitedStates)),
                 qint64(4 + 6 + 1 + 3 + 1));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("recon.xlsx")});

        const QJsonObject book = OpenpyxlDump::read(file);
        QCOMPARE(sheetNames(book),
                 (QStringList{QStringLiteral("Summary"), QStringLiteral("Differences"), QStringLiteral("Not Moved"),
                              QStringLiteral("Unchecked"), QStringLiteral("Disputes")}));
        const QJsonObject summary = OpenpyxlDump::sheet(book, 0);
        QCOMPARE(column(summary, 0), (QStringList{QStringLiteral("EMPTY"), Project, Other, QStringLiteral("Total")}));
        QVERIFY(OpenpyxlDump::style(summary, 0, 0).value(QStringLiteral("bold")).toBool());
        QVERIFY(!OpenpyxlDump::style(summary, 1, 0).value(QStringLiteral("bold")).toBool());
        QCOMPARE(OpenpyxlDump::type(summary, 2, 1), QStringLiteral("n"));
        QCOMPARE(OpenpyxlDump::value(summary, 2, 1).toInt(), 6);
        QCOMPARE(OpenpyxlDump::value(summary, 4, 15).toDouble(), r.totals.invoiceTotal);
        // Money shows as it will be billed, two decimals, whatever the stored value holds.
        for (int row = 1; row <= 4; ++row)
            QCOMPARE(OpenpyxlDump::style(summary, row, 15).value(QStringLiteral("format")).toString(),
                     QStringLiteral("#,##0.00"));
        // Hours deployed and billed differ in MARINA, agree in TOWER.
        QVERIFY(filled(summary, 2, 7) && filled(summary, 2, 8));
        QVERIFY(!filled(summary, 3, 7) && !filled(summary, 3, 8));

        const QJsonObject diffs = OpenpyxlDump::sheet(book, 1);
        QCOMPARE(column(diffs, 4), (QStringList{QStringLiteral("Hours Differ"), QStringLiteral("Code Differs"),
                                                QStringLiteral("No Client Row"), QStringLiteral("No Own Row"),
                                                QStringLiteral("Disputed"), QStringLiteral("Hours Differ")}));
        QCOMPARE(OpenpyxlDump::type(diffs, 1, 3), QStringLiteral("d"));
        QCOMPARE(OpenpyxlDump::value(diffs, 1, 3).toString(), QStringLiteral("2026-03-02T00:00:00"));
        QCOMPARE(OpenpyxlDump::type(diffs, 1, 10), QStringLiteral("n"));
        QCOMPARE(OpenpyxlDump::value(diffs, 1, 10).toInt(), 10);
        // Hours differ: the normal hours on both sides, nothing else.
        for (int col = 0; col < 13; ++col)
            QCOMPARE(filled(diffs, 1, col), col == 6 || col == 10);
        // Only the overtime differs: the overtime hours on both sides, nothing else.
        for (int col = 0; col < 13; ++col)
            QCOMPARE(filled(diffs, 6, col), col == 7 || col == 11);
        // Code differs: the codes.
        QVERIFY(filled(diffs, 2, 5) && filled(diffs, 2, 9) && !filled(diffs, 2, 6));
        // No client row: our side, whose client cells are blank.
        QVERIFY(filled(diffs, 3, 5) && filled(diffs, 3, 8) && !filled(diffs, 3, 9));
        QCOMPARE(OpenpyxlDump::type(diffs, 3, 9), QStringLiteral("blank"));

        QCOMPARE(column(OpenpyxlDump::sheet(book, 2), 1), QStringList{QStringLiteral("E5")});
        QCOMPARE(column(OpenpyxlDump::sheet(book, 3), 1),
                 (QStringList{QStringLiteral("E2"), QStringLiteral("E3"), QStringLiteral("E4")}));
        const QJsonObject disputes = OpenpyxlDump::sheet(book, 4);
        QCOMPARE(column(disputes, 1), QStringList{QStringLiteral("E4")});
        QCOMPARE(OpenpyxlDump::type(disputes, 1, 3), QStringLiteral("d"));
        // Columns fitted: the employee name column is wider than its title.
        const QJsonArray widths = diffs.value(QStringLiteral("widths")).toArray();
        QVERIFY2(widths.at(2).toDouble() >= QStringLiteral("Employee Name").size(),
                 qPrintable(QString::number(widths.at(2).toDouble())));
    }

    // A folder that is not there: one message, no file, nothing half-written.
    void unwritableWorkbook()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seedKinds(db.connection());
        const Reconcile::Result r = Reconcile::reconcile(db.connection(), Year, Month);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("missing/recon.xlsx"));
        try {
            Reconcile::saveWorkbook(r, file);
            QFAIL("saved into a missing folder");
        } catch (const ExportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot save \"")), qPrintable(e.message()));
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReconcile)
#include "test_reconcile.moc"
