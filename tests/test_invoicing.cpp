// Invoice lists, the invoice line edit and the dispute list and removal, on every engine.
#include "ClientAttendance.h"
#include "Disputes.h"
#include "InvoiceEdit.h"
#include "InvoiceLists.h"
#include "InvoicingFixture.h"

#include "DbError.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <cmath>
#include <thread>

using namespace AttFixture;
using InvoiceEdit::InvoiceLines;
using SaveResult = InvoiceEdit::InvoiceLines::SaveResult;

namespace {

double stored(Connection &c, const QString &column, qint64 ref)
{
    return TestDb::scalar(c, QStringLiteral("Select %1 From Invoices Where Ref_No = :R").arg(column), {ref}).toDouble();
}

QString storedText(Connection &c, const QString &column, qint64 ref)
{
    return TestDb::scalar(c, QStringLiteral("Select %1 From Invoices Where Ref_No = :R").arg(column), {ref}).toString();
}

// The client row as a text of every column but the dispute mark.
QString clientRowExceptDispute(Connection &c, qint64 id)
{
    Query q(c, QStringLiteral("Select * From ClientTimeSheets Where Rec_ID = :I"));
    q.setParam(0, id);
    q.open();
    QStringList parts;
    for (int i = 0; i < q.fields().size(); ++i)
        if (q.field(i).name.compare(QStringLiteral("Dispute"), Qt::CaseInsensitive) != 0)
            parts << q.value(i).toString();
    return parts.join(QLatin1Char('|'));
}

// Joins a thread when the scope ends however it ends: a std::thread destroyed while it runs
// calls std::terminate, which would end every remaining test function unreported.
struct JoinOnExit
{
    std::thread &thread;
    ~JoinOnExit()
    {
        if (thread.joinable())
            thread.join();
    }
};

// Two workers' lines on MARINA: E1 (ref 1) and E2 (ref 2).
void twoLines(Connection &c)
{
    seedBase(c);
    InvFixture::line(c, 2, QStringLiteral("E2"), 100, 10, 10, 15);
    InvFixture::line(c, 1, QStringLiteral("E1"), 20, 12.5, 4, 15);
    InvFixture::line(c, 3, QStringLiteral("E3"), 5, 10, 0, 0, Other);
    // E1's three rates all differ, so an amount shows which rate priced it.
    TestDb::exec(c, QStringLiteral("Update Invoices Set Earned_HT_Rate = 17.5 Where Ref_No = 1"));
}

} // namespace

class TestInvoicing : public QObject
{
    Q_OBJECT

private slots:
    void theListsOfAProject_data() { TESTDB_ENGINE_ROWS(); }
    void theListsOfAProject()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        // Client rows but no invoice lines yet; E2's unchecked rows entered by two users.
        clientRow(c, 1, QStringLiteral("E1"), day(2), QStringLiteral("P"), 8);
        clientRow(c, 1, QStringLiteral("E1"), day(3), QStringLiteral("P"), 8);
        clientRow(c, 2, QStringLiteral("E2"), day(2), QStringLiteral("P"), 8);
        clientRow(c, 2, QStringLiteral("E2"), day(3), QStringLiteral("P"), 8);
        clientRow(c, 4, QStringLiteral("E4"), day(2), QStringLiteral("P"), 8, 0, 0, Project, 1);
        clientRow(c, 5, QStringLiteral("E5"), day(2), QStringLiteral("P"), 8, 0, 0, Other);
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set Entered_By = 'sara' Where Employee_No = 'E2' "
                                       "And Col_Day = 3"));
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        QVERIFY(lines.isOpen());
        QCOMPARE(lines.lineCount(), 0);
        QCOMPARE(lines.totals().lines, 0);

        Query unchecked(c);
        InvoiceLists::prepareNotCheckedQ(unchecked);
        InvoiceLists::open(unchecked, Year, Month, Project);
        QStringList pairs;
        for (unchecked.first(); !unchecked.eof(); unchecked.next())
            pairs << unchecked.asString(QStringLiteral("Employee_No")) + QLatin1Char('/') +
                         unchecked.asString(QStringLiteral("Entered_By"));
        pairs.sort();
        QCOMPARE(pairs, QStringList({"E1/older", "E2/older", "E2/sara"}));

        // The window's list keeps the exported columns of the shared list; the reference is loaded, hidden.
        InvFixture::line(c, 1, QStringLiteral("E1"), 20, 12.5);
        lines.open(Year, Month, Project);
        Query shared(c);
        InvoiceLists::prepareInvoiceQ(shared);
        InvoiceLists::open(shared, Year, Month, Project);
        QStringList ours, theirs;
        for (const FieldDef &f : lines.InvoiceQ.fields())
            if (f.visible)
                ours << f.label();
        for (const FieldDef &f : shared.fields())
            if (f.visible)
                theirs << f.label();
        QCOMPARE(ours, theirs);
        QCOMPARE(lines.value(0, QStringLiteral("Ref_No")).toLongLong(), 1);
    }

    void anEditKeepsAmountsAndTotalConsistent_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("whAmount");
        QTest::addColumn<double>("otAmount");
        QTest::addColumn<double>("htAmount");
        QTest::addColumn<double>("total");
        // E1 is loaded with 20 normal hours at 12.5 (250), 4 overtime at 15 (60) and no holiday
        // hours at 17.5: total 310.
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name))) << e;
            };
            row("normal hours recompute their amount and the total")
                << QString("Earned_WH_Hours") << QString("24") << 300.0 << 60.0 << 0.0 << 360.0;
            row("overtime hours are priced at the line's overtime rate")
                << QString("Earned_OT_Hours") << QString("6") << 250.0 << 90.0 << 0.0 << 340.0;
            row("holiday hours are priced at the line's holiday rate")
                << QString("Earned_HT_Hours") << QString("3") << 250.0 << 60.0 << 52.5 << 362.5;
            row("a rate recomputes its amount and the total")
                << QString("Earned_OT_Rate") << QString("20.25") << 250.0 << 81.0 << 0.0 << 331.0;
            row("a credit rate gives a negative amount")
                << QString("Earned_OT_Rate") << QString("-15") << 250.0 << -60.0 << 0.0 << 190.0;
            row("an amount typed as a correction recomputes the total")
                << QString("Earned_WH_Amount") << QString("200.5") << 200.5 << 60.0 << 0.0 << 260.5;
            row("zero hours leave a zero amount")
                << QString("Earned_OT_Hours") << QString("0") << 250.0 << 0.0 << 0.0 << 250.0;
            row("a name changes no money")
                << QString("Employee_Name") << QString("O'Brien \"Jr\"; --") << 250.0 << 60.0 << 0.0 << 310.0;
        }
    }
    void anEditKeepsAmountsAndTotalConsistent()
    {
        QFETCH(QString, engine);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(double, whAmount);
        QFETCH(double, otAmount);
        QFETCH(double, htAmount);
        QFETCH(double, total);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        QCOMPARE(lines.lineCount(), 2);
        QCOMPARE(lines.value(0, QStringLiteral("Employee_No")).toString(), QStringLiteral("E1"));
        const int col = lines.InvoiceQ.fieldIndex(field);
        QCOMPARE(lines.setValue(0, col, text), QString());
        QCOMPARE(lines.value(0, QStringLiteral("Earned_Total")).toDouble(), total);
        // Until submitted, nothing is written.
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 1), 310.0);
        QCOMPARE(lines.submit(), SaveResult::Saved);
        QVERIFY(!lines.hasPending());

        QCOMPARE(stored(c, QStringLiteral("Earned_WH_Amount"), 1), whAmount);
        QCOMPARE(stored(c, QStringLiteral("Earned_OT_Amount"), 1), otAmount);
        QCOMPARE(stored(c, QStringLiteral("Earned_HT_Amount"), 1), htAmount);
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 1), total);
        if (InvoiceEdit::columnKind(field) == InvoiceEdit::ColumnKind::Text)
            QCOMPARE(storedText(c, field, 1), text);
        // The other lines, of this project and another, are untouched.
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 2), 1150.0);
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 3), 50.0);
        QCOMPARE(lines.totals().total, total + 1150.0);
        // A second edit of the saved line compares with what was written, so it is no conflict.
        QCOMPARE(lines.setValue(0, lines.InvoiceQ.fieldIndex(QStringLiteral("Days_Present")), QStringLiteral("21")),
                 QString());
        QCOMPARE(lines.submit(), SaveResult::Saved);
        QCOMPARE(stored(c, QStringLiteral("Days_Present"), 1), 21.0);
    }

    void badInputIsRefusedWithItsReason_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason"); // empty: accepted
        QTest::newRow("the year places the line") << "Col_Year"
                                                  << "2025"
                                                  << "cannot be changed";
        QTest::newRow("the month places the line") << "Col_Month"
                                                   << "4"
                                                   << "cannot be changed";
        QTest::newRow("the employee places the line") << "Employee_No"
                                                      << "E9"
                                                      << "cannot be changed";
        QTest::newRow("the total follows the amounts") << "Earned_Total"
                                                       << "1"
                                                       << "sum of the amounts";
        QTest::newRow("text in hours") << "Earned_WH_Hours"
                                       << "ten"
                                       << "whole number";
        QTest::newRow("an empty hours cell") << "Earned_WH_Hours"
                                             << ""
                                             << "whole number";
        QTest::newRow("negative hours") << "Earned_OT_Hours"
                                        << "-1"
                                        << "whole number from 0";
        QTest::newRow("fractional hours") << "Earned_OT_Hours"
                                          << "1.5"
                                          << "whole number";
        QTest::newRow("hours beyond the column") << "Earned_WH_Hours"
                                                 << "99999999999"
                                                 << "0 to 744";
        QTest::newRow("more hours than a month of 31 days holds") << "Earned_HT_Hours"
                                                                  << "745"
                                                                  << "0 to 744";
        QTest::newRow("every hour of a month of 31 days") << "Earned_OT_Hours"
                                                          << "744"
                                                          << "";
        QTest::newRow("negative days") << "Days_Present"
                                       << "-2"
                                       << "0 to 31";
        QTest::newRow("more days than a month") << "Days_Calander"
                                                << "32"
                                                << "0 to 31";
        QTest::newRow("a code longer than 2 characters") << "D05_Code"
                                                         << "ABC"
                                                         << "At most 2";
        QTest::newRow("day hours longer than 8 characters") << "D05_Hour"
                                                            << "10,10,10,1"
                                                            << "At most 8";
        QTest::newRow("a name longer than the column")
            << "Employee_Name" << QString(101, QLatin1Char('x')) << "At most 100";
        QTest::newRow("text in a rate") << "Earned_WH_Rate"
                                        << "12,5x"
                                        << "Enter a number";
        QTest::newRow("not a number") << "Earned_WH_Rate"
                                      << "nan"
                                      << "Enter a number";
        QTest::newRow("infinity in a rate") << "Earned_OT_Rate"
                                            << "inf"
                                            << "Enter a number";
        QTest::newRow("negative infinity in an amount") << "Earned_HT_Amount"
                                                        << "-inf"
                                                        << "Enter a number";
        QTest::newRow("a rate too large to keep its cents") << "Earned_WH_Rate"
                                                            << "1e15"
                                                            << "Enter a number";
        QTest::newRow("an amount that would overflow") << "Earned_WH_Rate"
                                                       << "999999999999"
                                                       << "beyond";
        QTest::newRow("a name of exactly 100 characters") << "Employee_Name" << QString(100, QLatin1Char('y')) << "";
        QTest::newRow("an empty day code") << "D05_Code"
                                           << ""
                                           << "";
        QTest::newRow("a negative amount (credit)") << "Earned_HT_Amount"
                                                    << "-12.75"
                                                    << "";
    }
    void badInputIsRefusedWithItsReason()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        const QString refused = lines.setValue(0, lines.InvoiceQ.fieldIndex(field), text);
        if (reason.isEmpty()) {
            QCOMPARE(refused, QString());
            QCOMPARE(lines.submit(), SaveResult::Saved);
            QCOMPARE(storedText(c, field, 1), text);
            return;
        }
        QVERIFY2(refused.contains(reason), qPrintable(refused));
        QVERIFY(!lines.hasPending());
        QCOMPARE(lines.submit(), SaveResult::NothingToSave);
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 1), 310.0);
    }

    void typedNumbersAreReadInTheGridsLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value"); // null: refused
        QTest::newRow("a decimal comma in German") << "de_DE"
                                                   << "Earned_WH_Rate"
                                                   << "1,25" << QVariant(1.25);
        QTest::newRow("three decimals after a German comma are no thousands") << "de_DE"
                                                                              << "Earned_WH_Rate"
                                                                              << "1,250" << QVariant(1.25);
        QTest::newRow("German grouping and decimals") << "de_DE"
                                                      << "Earned_OT_Amount"
                                                      << "1.250,5" << QVariant(1250.5);
        QTest::newRow("a decimal point in German is not a number") << "de_DE"
                                                                   << "Earned_WH_Rate"
                                                                   << "12.5" << QVariant();
        QTest::newRow("English grouping and decimals") << "en_US"
                                                       << "Earned_HT_Rate"
                                                       << "1,250.5" << QVariant(1250.5);
        QTest::newRow("a decimal comma in English is not a number") << "en_US"
                                                                    << "Earned_WH_Rate"
                                                                    << "1,25" << QVariant();
        QTest::newRow("German thousands of hours are read as such") << "de_DE"
                                                                    << "Days_Present"
                                                                    << "1.250" << QVariant();
        QTest::newRow("whole hours in German") << "de_DE"
                                               << "Earned_WH_Hours"
                                               << "160" << QVariant(160);
    }
    void typedNumbersAreReadInTheGridsLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const InvoiceEdit::Parsed p = InvoiceEdit::parse(field, text);
        QLocale::setDefault(before);
        if (value.isNull()) {
            QVERIFY2(!p.ok(), qPrintable(p.value.toString()));
            return;
        }
        QVERIFY2(p.ok(), qPrintable(p.error));
        QCOMPARE(p.value.toDouble(), value.toDouble());
    }

    void aLineChangedMeanwhileIsNotOverwritten_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("change");    // what the other clerk sets on E1's line
        QTest::addColumn<QString>("column");    // a column that change set
        QTest::addColumn<double>("theirs");     // its value, which must be kept
        QTest::addColumn<double>("totalAfter"); // after the normal rate is set to 50 on the fresh line
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name))) << e;
            };
            row("a new check rewrites hours, amount and total")
                << QString("Earned_WH_Hours = 22, Earned_WH_Amount = 275, Earned_Total = 335")
                << QString("Earned_WH_Hours") << 22.0 << 22 * 50.0 + 60;
            // One money column alone: its amount and the total do not move.
            row("the overtime rate alone changes")
                << QString("Earned_OT_Rate = 16") << QString("Earned_OT_Rate") << 16.0 << 20 * 50.0 + 60;
        }
    }
    void aLineChangedMeanwhileIsNotOverwritten()
    {
        QFETCH(QString, engine);
        QFETCH(QString, change);
        QFETCH(QString, column);
        QFETCH(double, theirs);
        QFETCH(double, totalAfter);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        auto other = InvFixture::otherUser(c);

        // Another clerk changes E1's line between load and save.
        TestDb::exec(*other, QStringLiteral("Update Invoices Set %1 Where Ref_No = 1").arg(change));
        QCOMPARE(lines.setValue(0, lines.InvoiceQ.fieldIndex(QStringLiteral("Earned_WH_Rate")), QStringLiteral("50")),
                 QString());
        QCOMPARE(lines.submit(), SaveResult::Conflict);
        QCOMPARE(stored(c, QStringLiteral("Earned_WH_Rate"), 1), 12.5);
        QCOMPARE(stored(c, column, 1), theirs);
        // The line now shows what is stored, and an edit of it is written.
        QCOMPARE(lines.value(0, column).toDouble(), theirs);
        QVERIFY(!c.inTransaction());
        QCOMPARE(lines.setValue(0, lines.InvoiceQ.fieldIndex(QStringLiteral("Earned_WH_Rate")), QStringLiteral("50")),
                 QString());
        QCOMPARE(lines.submit(), SaveResult::Saved);
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 1), totalAfter);
        QCOMPARE(stored(c, column, 1), theirs);

        // A line deleted meanwhile is dropped from the list, nothing is inserted back.
        TestDb::exec(*other, QStringLiteral("Delete From Invoices Where Ref_No = 2"));
        QCOMPARE(lines.setValue(1, lines.InvoiceQ.fieldIndex(QStringLiteral("Client_Job")), QStringLiteral("Mason")),
                 QString());
        QCOMPARE(lines.submit(), SaveResult::Gone);
        QCOMPARE(lines.lineCount(), 1);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select COUNT(*) From Invoices Where Ref_No = 2")).toInt(), 0);
    }

    // Another clerk's write still open when the line is saved: the save waits for it, loses the
    // race, runs again and reports the line as changed meanwhile, with the other clerk's values.
    void aRaceWithAnOpenWriteEndsAsAChangedLine()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("no PostgreSQL server in this run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        QCOMPARE(lines.setValue(0, lines.InvoiceQ.fieldIndex(QStringLiteral("Earned_WH_Rate")), QStringLiteral("50")),
                 QString());
        const ConnectionParams params = c.params();
        std::atomic<bool> holding{false};
        QString otherError;
        std::thread other([&] {
            // Nothing may leave the thread: an exception escaping it ends the test program.
            try {
                Connection o(QStringLiteral("racing-clerk"));
                o.open(params);
                o.beginTrans();
                TestDb::exec(o, QStringLiteral("Update Invoices Set Earned_WH_Hours = 22, Earned_WH_Amount = 275, "
                                               "Earned_Total = 335 Where Ref_No = 1"));
                holding = true;
                QThread::msleep(700);
                o.commitTrans();
            } catch (const DbError &e) {
                otherError = e.message();
            } catch (const std::exception &e) {
                otherError = QString::fromLocal8Bit(e.what());
            } catch (...) {
                otherError = QStringLiteral("unknown exception");
            }
            holding = true;
        });
        // Joined on every way out, a failed check or an exception of the save included.
        const JoinOnExit joinOther{other};
        while (!holding)
            QThread::msleep(5);
        // A failed save is reported as this function's failure and the other functions still run.
        SaveResult result = SaveResult::NothingToSave;
        try {
            result = lines.submit();
        } catch (const DbError &e) {
            QFAIL(qPrintable(e.message()));
        }
        other.join();
        QVERIFY2(otherError.isEmpty(), qPrintable(otherError));
        QCOMPARE(result, SaveResult::Conflict);
        QCOMPARE(stored(c, QStringLiteral("Earned_WH_Rate"), 1), 12.5);
        QCOMPARE(stored(c, QStringLiteral("Earned_Total"), 1), 335.0);
        QCOMPARE(lines.value(0, QStringLiteral("Earned_WH_Hours")).toInt(), 22);
        QVERIFY(!c.inTransaction());
    }

    void aFailedWriteKeepsTheLine_data() { TESTDB_ENGINE_ROWS(); }
    void aFailedWriteKeepsTheLine()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        c.execDirect(engine == QLatin1String("PostgreSQL")
                         ? QStringLiteral("ALTER TABLE Invoices ADD CONSTRAINT no_big_days CHECK (Days_Present < 25)")
                         : QStringLiteral("CREATE TRIGGER no_big_days BEFORE UPDATE ON Invoices WHEN NEW.Days_Present "
                                          ">= 25 BEGIN SELECT RAISE(ABORT, 'simulated failure'); END"));
        QCOMPARE(lines.setValue(0, lines.InvoiceQ.fieldIndex(QStringLiteral("Days_Present")), QStringLiteral("30")),
                 QString());
        QVERIFY_THROWS_EXCEPTION(DbError, lines.submit());
        QVERIFY(!c.inTransaction());
        QVERIFY(!lines.hasPending());
        QCOMPARE(stored(c, QStringLiteral("Days_Present"), 1), 20.0);
        QCOMPARE(lines.value(0, QStringLiteral("Days_Present")).toInt(), 20);
    }

    void totalsOfTheLoadedLines()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        twoLines(c);
        InvoiceLines lines(c);
        QCOMPARE(lines.totals().lines, 0); // nothing loaded
        lines.open(Year, Month, Project);
        InvoiceEdit::Totals t = lines.totals();
        QCOMPARE(t.lines, 2);
        QCOMPARE(t.whHours, 120);
        QCOMPARE(t.otHours, 14);
        QCOMPARE(t.whAmount, 1250.0);
        QCOMPARE(t.otAmount, 210.0);
        QCOMPARE(t.total, 1460.0);
        // A pending edit counts at once.
        lines.setValue(1, lines.InvoiceQ.fieldIndex(QStringLiteral("Earned_WH_Hours")), QStringLiteral("0"));
        t = lines.totals();
        QCOMPARE(t.whHours, 20);
        QCOMPARE(t.total, 460.0);
    }

    void theDisputeList_data() { TESTDB_ENGINE_ROWS(); }
    void theDisputeList()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        // E1 has own rows under two projects on the disputed 5th; E2's disputed 6th has no own row.
        ownRow(c, 11, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 8, 2);
        ownRow(c, 12, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 2, 0, 0, QStringLiteral("Mason"), Other);
        const qint64 e1 = clientRow(c, 1, QStringLiteral("E1"), day(5), QStringLiteral("A"), 0, 0, 0, Project, 1, 1);
        const qint64 e2 = clientRow(c, 2, QStringLiteral("E2"), day(6), QStringLiteral("P"), 8, 0, 0, Other, 0, 1);
        clientRow(c, 2, QStringLiteral("E2"), day(7), QStringLiteral("P"), 8); // not disputed
        clientRow(c, 3, QStringLiteral("E3"), QDate(Year, 2, 5), QStringLiteral("P"), 8, 0, 0, Project, 0,
                  1); // other month
        const qint64 e0 = clientRow(c, 9, QStringLiteral("A0"), day(9), QStringLiteral("H"), 0, 0, 8, Project, 0, 1);

        Query q(c);
        Disputes::prepareDisputeQ(q);
        Disputes::open(q, Year, Month);
        QCOMPARE(q.name(), QStringLiteral("DisputeQ"));
        QStringList lines;
        for (q.first(); !q.eof(); q.next())
            lines << QStringLiteral("%1 %2 %3 %4/%5 %6/%7")
                         .arg(q.asString(QStringLiteral("Employee_No")),
                              q.asDate(QStringLiteral("Col_Date")).toString(Qt::ISODate),
                              q.asString(QStringLiteral("Assignment")), q.asString(QStringLiteral("ClientAtt_Code")),
                              q.asString(QStringLiteral("OurAtt_Code")), q.asString(QStringLiteral("Client_WH")),
                              q.asString(QStringLiteral("Our_WH")));
        QCOMPARE(lines, QStringList({"A0 2026-03-09 MARINA H/ 0/", "E1 2026-03-05 MARINA A/P 0/8",
                                     "E1 2026-03-05 MARINA A/P 0/2", "E2 2026-03-06 TOWER P/ 8/"}));
        q.setRow(3);
        QVERIFY(q.isNull(QStringLiteral("OurRec_ID")));
        QCOMPARE(q.asInt64(QStringLiteral("ClientRec_ID")), e2);
        QCOMPARE(q.field(q.fieldIndex(QStringLiteral("Col_Date"))).label(), QStringLiteral("Att Date"));
        QCOMPARE(q.displayText(3, q.fieldIndex(QStringLiteral("Col_Date"))), QStringLiteral("06/03/2026"));

        // Exact, case-sensitive search for the first line of an employee.
        QCOMPARE(Disputes::findEmployee(q, QStringLiteral("E1")), 1);
        QCOMPARE(Disputes::findEmployee(q, QStringLiteral("e1")), -1);
        QCOMPARE(Disputes::findEmployee(q, QStringLiteral("E")), -1);

        // One removal clears the client row: both of its lines go; only the mark changed.
        const QString before = clientRowExceptDispute(c, e1);
        QVERIFY(Disputes::removeDispute(c, e1));
        QCOMPARE(clientRowExceptDispute(c, e1), before);
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select Dispute From ClientTimeSheets Where Rec_ID = :I"), {e1}).toInt(),
            0);
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select Checked From ClientTimeSheets Where Rec_ID = :I"), {e1}).toInt(),
            1);
        Disputes::open(q, Year, Month);
        QCOMPARE(q.recordCount(), 2);
        QCOMPARE(q.asInt64(QStringLiteral("ClientRec_ID")), e0);
        QVERIFY(!Disputes::removeDispute(c, 999999)); // no such row: nothing changes
    }

    void aFailedRemovalChangesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void aFailedRemovalChangesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        const qint64 id = clientRow(c, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 8, 0, 0, Project, 0, 1);
        failWhen(c, engine, QStringLiteral("UPDATE"), QStringLiteral("NEW.Dispute = 0"));
        QString text;
        try {
            Disputes::removeDispute(c, id);
        } catch (const DbError &e) {
            text = failureText(e);
        }
        QVERIFY2(text.startsWith(QStringLiteral("Something went wrong!, DbError: ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("simulated failure")), qPrintable(text));
        QVERIFY(!c.inTransaction());
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select Dispute From ClientTimeSheets Where Rec_ID = :I"), {id}).toInt(),
            1);
    }
};

QTEST_GUILESS_MAIN(TestInvoicing)
#include "test_invoicing.moc"
