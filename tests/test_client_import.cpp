// Importing a client's sheet: both layouts, every refusal, the preview's comparison with stored
// days, and the one transaction that writes it; on every engine.
#include "AttendanceFixture.h"
#include "ClientSheetImport.h"
#include "DbError.h"
#include "HostileText.h"
#include "OpenpyxlReader.h"
#include "Reconciliation.h"
#include "SheetMaking.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace AttFixture;
using namespace ClientSheet;

namespace {
// E1 and E2 work on the project in March 2026 (own rows on days 1..10), E3 works elsewhere.
void seed(Connection &c)
{
    seedBase(c);
    worker(c, 1, "E1");
    worker(c, 2, "E2", "Helper");
    worker(c, 3, "E3");
    qint64 id = 1;
    for (int d = 1; d <= 10; ++d) {
        ownRow(c, id++, 1, "E1", day(d), "P", 8, 2);
        ownRow(c, id++, 2, "E2", day(d), d == 6 ? "H" : "P", d == 6 ? 0 : 8, 0, 0, "Helper");
    }
    ownRow(c, id++, 3, "E3", day(1), "P", 8, 0, 0, "Mason", Other);
}

Options options()
{
    Options o;
    o.project = Project;
    o.year = Year;
    o.month = Month;
    o.dayFirst = true;
    return o;
}

QString csv(const QString &dir, const QString &text)
{
    const QString p = dir + QStringLiteral("/sheet.csv");
    QFile f(p);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
    return p;
}

// Every client row, all columns that an import may change, in a stable order.
QStringList clientRows(Connection &c)
{
    Query q(c, QStringLiteral("Select Ref_No, Col_Date, Col_Year, Col_Month, Col_Day, Employee_No, Employee_Name, "
                              "Assignment, ClientJob, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, "
                              "Client_HT, Entered_By, Entered_Date, Checked, Dispute From ClientTimeSheets "
                              "Order By Ref_No, Col_Date"));
    q.open();
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < q.fields().size(); ++f) {
            const QVariant v = q.valueAt(r, f);
            cells << (f == 1 || f == 15 ? toDateTime(v).toString(Qt::ISODate) : v.toString());
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QString row(Connection &c, qint64 ref, int d)
{
    Query q(c, QStringLiteral("Select Assignment, ClientJob, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, "
                              "Client_HT, Entered_By, Checked, Dispute From ClientTimeSheets Where Ref_No = :R And "
                              "Col_Day = :D"));
    q.setParams({{QStringLiteral("R"), ref}, {QStringLiteral("D"), d}});
    q.open();
    if (q.recordCount() != 1)
        return QStringLiteral("%1 rows").arg(q.recordCount());
    QStringList cells;
    for (int f = 0; f < q.fields().size(); ++f)
        cells << q.valueAt(0, f).toString();
    return cells.join(QLatin1Char('|'));
}

const QString Header = QStringLiteral("Emp No,Date,Code,WH,OT,Holiday,Designation\n");
} // namespace

class TestClientImport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void oneRowPerWorkerAndDay_data() { TESTDB_ENGINE_ROWS(); }
    void oneRowPerWorkerAndDay()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        const QString path = csv(m_dir.path(), Header + "E1,02/03/2026,P,8,3,0,Helper\n"
                                                        "E1,2026-03-03,A,0,0,0,\n"
                                                        "E2,4-Mar-2026,h,0,0,8,HELPER\n");
        TestClock clock(Today);
        Importer imp(c, clock);
        imp.userId = User;
        const Preview p = imp.preview(path, options());
        QCOMPARE(p.mapping.layout, Layout::PerDay);
        QCOMPARE(p.rows.size(), 3);
        QCOMPARE(p.countsText(), QStringLiteral("3 new, 0 changed, 0 unchanged, 0 refused"));
        QCOMPARE(p.rows[0].dateText, QStringLiteral("02/03/2026"));
        const ApplyResult r = imp.apply(p, options());
        QCOMPARE(r.closingLine(), QStringLiteral("Imported: 3 new, 0 changed, 0 unchanged, 0 refused"));
        QCOMPARE(row(c, 1, 2), QStringLiteral("MARINA|Helper|P|Present|8|3|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 3), QStringLiteral("MARINA|Mason|A|Absent|0|0|0|clerk1|0|0")); // the worker's site job
        QCOMPARE(row(c, 2, 4), QStringLiteral("MARINA|Helper|H|Holiday|0|0|8|clerk1|0|0"));
        QCOMPARE(
            TestDb::scalar(c, "Select Employee_Name From ClientTimeSheets Where Ref_No = 1 And Col_Day = 2").toString(),
            QStringLiteral("FirstE1 LastE1"));
        QCOMPARE(toDateTime(TestDb::scalar(c, "Select Max(Entered_Date) From ClientTimeSheets")).date(), Today);
    }

    void oneColumnPerDay_data() { TESTDB_ENGINE_ROWS(); }
    void oneColumnPerDay()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        QJsonArray header{"Employee Number", "Name"};
        for (int d = 1; d <= 31; ++d)
            header.append(d);
        QJsonArray e1{"E1", "First"};
        const QJsonArray days{10, "A", "H", QJsonValue(), "p", 8, 0, 24};
        for (const auto &v : days)
            e1.append(v);
        QJsonArray e2{"hidden:", "E2", "Second", 7};
        const QString path = m_dir.filePath("days.xlsx");
        QVERIFY(SheetMaking::xlsx(path, {header, e1, e2}));
        Importer imp(c);
        imp.userId = User;
        const Preview p = imp.preview(path, options());
        QCOMPARE(p.mapping.layout, Layout::PerWorker);
        QCOMPARE(p.mapping.dayColumns.size(), 31);
        QCOMPARE(p.count(Outcome::New), 62); // every day of March for both, empty days absent
        QCOMPARE(p.hiddenRows, 31);
        QVERIFY(p.rows.last().hidden);
        imp.apply(p, options());
        QCOMPARE(row(c, 1, 1), QStringLiteral("MARINA|Mason|P|Present|8|2|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 2), QStringLiteral("MARINA|Mason|A|Absent|0|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 3), QStringLiteral("MARINA|Mason|H|Holiday|0|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 4), QStringLiteral("MARINA|Mason|A|Absent|0|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 5), QStringLiteral("MARINA|Mason|P|Present|8|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 6), QStringLiteral("MARINA|Mason|P|Present|8|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 7), QStringLiteral("MARINA|Mason|P|Present|0|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 8), QStringLiteral("MARINA|Mason|P|Present|8|16|0|clerk1|0|0"));
        QCOMPARE(row(c, 1, 31), QStringLiteral("MARINA|Mason|A|Absent|0|0|0|clerk1|0|0"));
        QCOMPARE(row(c, 2, 1), QStringLiteral("MARINA|Helper|P|Present|7|0|0|clerk1|0|0"));
    }

    void eachRefusal_data()
    {
        QTest::addColumn<QJsonArray>("rows");
        QTest::addColumn<QString>("reason");
        auto day = [](int d) { return QStringLiteral("date:2026-03-%1").arg(d, 2, 10, QLatin1Char('0')); };
        QTest::newRow("an unknown employee number")
            << QJsonArray{QJsonArray{"E9", day(5), "P", 8}} << Reason::unknownEmployee();
        QTest::newRow("a row without an employee number")
            << QJsonArray{QJsonArray{QJsonValue(), day(5), "P", 8}} << Reason::noEmployeeNo();
        QTest::newRow("a worker without own attendance in the project")
            << QJsonArray{QJsonArray{"E3", day(5), "P", 8}} << Reason::notDeployed();
        QTest::newRow("a date that is no date")
            << QJsonArray{QJsonArray{"E1", "someday", "P", 8}} << Reason::notADate();
        QTest::newRow("a date of another month")
            << QJsonArray{QJsonArray{"E1", "date:2026-04-05", "P", 8}} << Reason::outsideCycle();
        QTest::newRow("a code other than A, P or H")
            << QJsonArray{QJsonArray{"E1", day(5), "X", 8}} << Reason::badCode();
        QTest::newRow("hours with a fraction")
            << QJsonArray{QJsonArray{"E1", day(5), "P", 7.5}} << Reason::hoursNotWhole();
        QTest::newRow("negative hours") << QJsonArray{QJsonArray{"E1", day(5), "P", 8, -1}} << Reason::hoursNegative();
        QTest::newRow("more than 24 hours in one column")
            << QJsonArray{QJsonArray{"E1", day(5), "P", 8, 0, 25}} << Reason::hoursAbove24();
        QTest::newRow("a day of more than 24 hours")
            << QJsonArray{QJsonArray{"E1", day(5), "P", 16, 9}} << Reason::dayAbove24();
        QTest::newRow("a job without a rate in the project")
            << QJsonArray{QJsonArray{"E1", day(5), "P", 8, 0, 0, "Plumber"}} << Reason::jobWithoutRate();
        QTest::newRow("a formula without a stored value")
            << QJsonArray{QJsonArray{"E1", day(5), "P", "=4+4"}} << Reason::formulaWithoutValue();
        QTest::newRow("the same worker and day twice, both rows named")
            << QJsonArray{QJsonArray{"E1", day(5), "P", 8}, QJsonArray{"E2", day(5), "P", 8},
                          QJsonArray{"E1", day(5), "A", 0}}
            << Reason::twice({2, 4});
    }
    void eachRefusal()
    {
        QFETCH(QJsonArray, rows);
        QFETCH(QString, reason);
        for (const QString &engine : TestDb::engines()) {
            TestDb::Fresh db(engine);
            Connection &c = db.connection();
            seed(c);
            rows.prepend(QJsonArray{"Emp No", "Date", "Code", "Normal", "OT", "HT", "Job"});
            const QString path = m_dir.filePath("refused.xlsx");
            QFile::remove(path);
            QVERIFY(SheetMaking::xlsx(path, rows));
            rows.removeFirst();
            Importer imp(c);
            imp.userId = User;
            const Preview p = imp.preview(path, options());
            QStringList refused;
            for (const PreviewRow &r : p.rows)
                if (r.outcome == Outcome::Refused)
                    refused << QStringLiteral("%1: %2").arg(r.sheetRow).arg(r.reason);
            QVERIFY2(!refused.isEmpty(), qPrintable(engine));
            for (const QString &r : refused)
                QCOMPARE(r.section(QStringLiteral(": "), 1), reason);
            QCOMPARE(p.count(Outcome::Refused), reason.startsWith(QStringLiteral("The same")) ? 2 : 1);
            imp.apply(p, options());
            // Refused days are never written; the accepted one (E2 in the last case) is.
            QCOMPARE(TestDb::scalar(c, "Select Count(*) From ClientTimeSheets").toInt(), p.accepted());
        }
    }

    void aReimportChangesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void aReimportChangesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        QString text = Header;
        for (int d = 1; d <= 10; ++d)
            text += QStringLiteral("E1,%1/03/2026,P,8,2,0,\nE2,%1/03/2026,P,%2,0,0,Helper\n").arg(d).arg(d);
        const QString path = csv(m_dir.path(), text);
        TestClock clock(Today);
        Importer imp(c, clock);
        imp.userId = User;
        imp.apply(imp.preview(path, options()), options());
        TestDb::exec(c, "Update ClientTimeSheets Set Checked = 1 Where Col_Day < 4");
        const QStringList before = clientRows(c);
        QCOMPARE(before.size(), 20);
        clock.set(Today.addDays(3));
        imp.userId = QStringLiteral("someone else");
        const Preview again = imp.preview(path, options());
        QCOMPARE(again.countsText(), QStringLiteral("0 new, 0 changed, 20 unchanged, 0 refused"));
        QVERIFY(again.checkLost().isEmpty());
        const ApplyResult r = imp.apply(again, options());
        QCOMPARE(r.closingLine(), QStringLiteral("Imported: 0 new, 0 changed, 20 unchanged, 0 refused"));
        QCOMPARE(clientRows(c), before);
    }

    void anOverwrittenDayKeepsItsDisputeAndLosesItsCheck_data() { TESTDB_ENGINE_ROWS(); }
    void anOverwrittenDayKeepsItsDisputeAndLosesItsCheck()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        clientRow(c, 1, "E1", day(5), "P", 8, 0, 0, Project, 1, 1);
        clientRow(c, 1, "E1", day(6), "P", 8, 0, 0, Other, 1, 0); // the same day under another project
        const QString path =
            csv(m_dir.path(), Header + "E1,05/03/2026,P,10,0,0,Helper\nE1,06/03/2026,P,8,0,0,Helper\n");
        TestClock clock(Today);
        Importer imp(c, clock);
        imp.userId = User;
        const Preview p = imp.preview(path, options());
        QCOMPARE(p.countsText(), QStringLiteral("0 new, 2 changed, 0 unchanged, 0 refused"));
        QCOMPARE(p.checkLost().size(), 2);
        QCOMPARE(p.rows[0].stored.wh, 8);
        QCOMPARE(p.rows[0].sheet.wh, 10);
        QVERIFY(p.rows[0].disputed);
        QCOMPARE(p.rows[1].stored.project, Other);
        const ApplyResult r = imp.apply(p, options());
        QCOMPARE(r.updated, 2);
        QCOMPARE(row(c, 1, 5), QStringLiteral("MARINA|Helper|P|Present|10|0|0|clerk1|0|1"));
        QCOMPARE(row(c, 1, 6), QStringLiteral("MARINA|Helper|P|Present|8|0|0|clerk1|0|0"));
    }

    void aRefusedWriteLeavesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void aRefusedWriteLeavesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        clientRow(c, 1, "E1", day(1), "A", 0);
        const QStringList before = clientRows(c);
        failWhen(c, engine, QStringLiteral("INSERT"), QStringLiteral("NEW.Col_Day = 4"));
        QString text = Header;
        for (int d = 1; d <= 8; ++d)
            text += QStringLiteral("E1,%1/03/2026,P,8,0,0,\n").arg(d);
        Importer imp(c);
        imp.userId = User;
        const Preview p = imp.preview(csv(m_dir.path(), text), options());
        QCOMPARE(p.accepted(), 8);
        QVERIFY_THROWS_EXCEPTION(DbError, imp.apply(p, options()));
        QVERIFY(!c.inTransaction());
        QCOMPARE(clientRows(c), before);
    }

    void cancellingRollsBack_data() { TESTDB_ENGINE_ROWS(); }
    void cancellingRollsBack()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        QString text = Header;
        for (int d = 1; d <= 31; ++d)
            for (const char *e : {"E1", "E2"})
                text += QStringLiteral("%1,%2/03/2026,P,8,0,0,\n").arg(QLatin1String(e)).arg(d);
        // The control is asked before the first day and again once every day is written.
        Importer imp(c);
        imp.userId = User;
        const Preview p = imp.preview(csv(m_dir.path(), text), options());
        int asked = 0;
        PassControl control;
        QList<int> progress;
        control.starting = [&](int done, int total, const QString &) { progress << done << total; };
        control.stopRequested = [&] { return ++asked == 2; }; // after every day was written
        const ApplyResult r = imp.apply(p, options(), control);
        QVERIFY(r.cancelled);
        QCOMPARE(progress, QList<int>({0, 62, 62, 62}));
        QCOMPARE(TestDb::scalar(c, "Select Count(*) From ClientTimeSheets").toInt(), 0);
    }

    void fivePlantedDifferencesReconcileAsFive_data() { TESTDB_ENGINE_ROWS(); }
    void fivePlantedDifferencesReconcileAsFive()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seed(c);
        // The client's sheet as our own rows, but: E1 day 2 10 normal hours, E1 day 3 1 overtime,
        // E2 day 4 absent, E2 day 7 left out, E1 day 12 (no own row) present.
        QString text = Header;
        for (int d = 1; d <= 10; ++d) {
            const int wh = d == 2 ? 10 : 8, ot = d == 3 ? 1 : 2;
            text += QStringLiteral("E1,%1/03/2026,P,%2,%3,0,\n").arg(d).arg(wh).arg(ot);
            if (d == 7)
                continue;
            const QString code = d == 6 ? "H" : d == 4 ? "A" : "P";
            text += QStringLiteral("E2,%1/03/2026,%2,%3,0,0,\n").arg(d).arg(code).arg(code == "P" ? 8 : 0);
        }
        text += QStringLiteral("E1,12/03/2026,P,8,0,0,\n");
        Importer imp(c);
        imp.userId = User;
        imp.apply(imp.preview(csv(m_dir.path(), text), options()), options());
        const Reconcile::Result rec = Reconcile::reconcile(c, Year, Month, {Project});
        QStringList got;
        for (const Reconcile::Difference &d : rec.differences)
            got << QStringLiteral("%1 %2 %3").arg(d.employeeNo).arg(d.date.day()).arg(Reconcile::kindText(d.kind));
        QCOMPARE(got, QStringList({"E1 2 Hours Differ", "E1 3 Hours Differ", "E1 12 No Own Row", "E2 4 Code Differs",
                                   "E2 7 No Client Row"}));
    }

    void sheetsThatCannotBeImported_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("an empty sheet") << "\n\n"
                                        << "The sheet is empty";
        QTest::newRow("no header is recognised, the headers found are named")
            << "Worker,When,What\nE1,05/03/2026,P\n"
            << "No sheet has a recognisable header row (an employee number column and a date column or day "
               "columns). Headers found: sheet: Worker, When, What";
        QTest::newRow("a header without the code column") << "Emp No,Date,Normal\nE1,05/03/2026,8\n"
                                                          << "No column is mapped to Code";
    }
    void sheetsThatCannotBeImported()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        Importer imp(db.connection());
        QString got;
        try {
            imp.preview(csv(m_dir.path(), text), options());
        } catch (const ImportError &e) {
            got = e.message();
        }
        QCOMPARE(got, message);
    }

    void aMappingGivenByTheUserWins()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seed(c);
        const QString path = csv(m_dir.path(), "Worker,When,What,Hrs\nE1,05/03/2026,P,9\n");
        Importer imp(c);
        Options o = options();
        Mapping m;
        m.headers = QStringList{"Worker", "When", "What", "Hrs"};
        o.overrides = {{Field::EmployeeNo, columnFromText(m, "worker")},
                       {Field::Date, columnFromText(m, "B")},
                       {Field::Code, columnFromText(m, "What")},
                       {Field::Normal, 3}};
        const Preview p = imp.preview(path, o);
        QCOMPARE(p.countsText(), QStringLiteral("1 new, 0 changed, 0 unchanged, 0 refused"));
        QCOMPARE(p.rows[0].sheet.wh, 9);
    }

    void ambiguousTextDatesFollowTheLocale_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QDate>("date");
        QTest::newRow("day first where the locale writes the day first") << "05/03/2026" << true << QDate(2026, 3, 5);
        QTest::newRow("month first where the locale writes the month first")
            << "03/05/2026" << false << QDate(2026, 3, 5);
        QTest::newRow("a day above 12 decides whatever the locale") << "03/25/2026" << true << QDate(2026, 3, 25);
        QTest::newRow("ISO dates are never ambiguous") << "2026-03-05" << false << QDate(2026, 3, 5);
        QTest::newRow("month names") << "5-Mar-2026" << false << QDate(2026, 3, 5);
        QTest::newRow("not a date") << "35/03/2026" << true << QDate();
    }
    void ambiguousTextDatesFollowTheLocale()
    {
        QFETCH(QString, text);
        QFETCH(bool, dayFirst);
        QFETCH(QDate, date);
        QCOMPARE(parseTextDate(text, dayFirst), date);
    }

    // Each hostile text in each column a user types: every day refused with a reason (an unknown
    // worker, a bad code, a job without a rate), nothing written, and the preview saved.
    void hostileTextsAreRefusedNotWritten_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("reason");
        QTest::newRow("as employee numbers") << 0 << Reason::unknownEmployee();
        QTest::newRow("as dates") << 1 << Reason::notADate();
        QTest::newRow("as codes") << 2 << Reason::badCode();
        QTest::newRow("as hours") << 3 << Reason::hoursNotWhole();
        QTest::newRow("as jobs") << 6 << Reason::jobWithoutRate();
    }
    void hostileTextsAreRefusedNotWritten()
    {
        QFETCH(int, column);
        QFETCH(QString, reason);
        for (const QString &engine : TestDb::engines()) {
            TestDb::Fresh db(engine);
            Connection &c = db.connection();
            seed(c);
            QJsonArray rows{QJsonArray{"Emp No", "Date", "Code", "Normal", "OT", "HT", "Job"}};
            int d = 1;
            for (const HostileText::Case &h : HostileText::cases()) {
                QJsonArray r{"E1",   QStringLiteral("date:2026-03-%1").arg(d++, 2, 10, QLatin1Char('0')), "P", 8, 0, 0,
                             "Mason"};
                // An embedded NUL cannot be written into the XML of a sheet: the text ends there.
                r[column] = QString(h.text).remove(QChar(0));
                rows.append(r);
            }
            const QString path = m_dir.filePath("hostile.xlsx");
            QFile::remove(path);
            QVERIFY(SheetMaking::xlsx(path, rows));
            Importer imp(c);
            imp.userId = User;
            const Preview p = imp.preview(path, options());
            QCOMPARE(p.rows.size(), HostileText::cases().size());
            for (const PreviewRow &r : p.rows)
                QVERIFY2(r.outcome == Outcome::Refused && r.reason == reason,
                         qPrintable(QStringLiteral("row %1: %2").arg(r.sheetRow).arg(r.reason)));
            imp.apply(p, options());
            QCOMPARE(TestDb::scalar(c, "Select Count(*) From ClientTimeSheets").toInt(), 0);
            savePreview(p, m_dir.filePath("hostile-preview.xlsx"));
        }
    }

    void thePreviewIsSavedAsAWorkbook()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seed(c);
        clientRow(c, 1, "E1", day(5), "P", 8, 0, 0, Project, 1, 0);
        Importer imp(c);
        const Preview p =
            imp.preview(csv(m_dir.path(), Header + "E1,05/03/2026,P,9,0,0,Helper\nE9,05/03/2026,P,8,,,\n"), options());
        const QString out = m_dir.filePath("preview.xlsx");
        savePreview(p, out);
        const QJsonObject sheet = OpenpyxlDump::sheet(OpenpyxlDump::read(out));
        QCOMPARE(OpenpyxlDump::value(sheet, 0, 7).toString(), QStringLiteral("Outcome"));
        QCOMPARE(OpenpyxlDump::value(sheet, 1, 7).toString(), QStringLiteral("Changed"));
        QCOMPARE(OpenpyxlDump::value(sheet, 1, 10).toDouble(), 9.0);
        QCOMPARE(OpenpyxlDump::value(sheet, 1, 16).toDouble(), 8.0);
        QCOMPARE(OpenpyxlDump::value(sheet, 1, 20).toString(), QStringLiteral("Yes"));
        QCOMPARE(OpenpyxlDump::value(sheet, 2, 8).toString(), Reason::unknownEmployee());
    }
};

QTEST_GUILESS_MAIN(TestClientImport)
#include "test_client_import.moc"
