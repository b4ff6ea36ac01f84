// Client attendance corrections on every engine the run has: base hours, job, dispute, delete.
#include "AttendanceOps.h"
#include "DbError.h"

#include <QTest>

using namespace AttFixture;

class TestAttendanceCorrections : public QObject
{
    Q_OBJECT

private slots:
    void calculateBase_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("asTen");
        QTest::addColumn<QList<int>>("before"); // normal, overtime
        QTest::addColumn<QList<int>>("once");   // normal, overtime, stamped
        QTest::addColumn<QList<int>>("twice");
        const struct
        {
            const char *name;
            bool ten;
            QList<int> before, once, twice;
        } cases[] = {
            {"as 8: 10/0 becomes 8/2", false, {10, 0}, {8, 2, 1}, {8, 2, 0}},
            {"as 8: 12/3 becomes 8/7", false, {12, 3}, {8, 7, 1}, {8, 7, 0}},
            {"as 8: 8/0 unchanged", false, {8, 0}, {8, 0, 0}, {8, 0, 0}},
            {"as 8: 8/5 unchanged", false, {8, 5}, {8, 5, 0}, {8, 5, 0}},
            {"as 8: 6/4 unchanged", false, {6, 4}, {6, 4, 0}, {6, 4, 0}},
            {"as 10: 10/0 unchanged", true, {10, 0}, {10, 0, 0}, {10, 0, 0}},
            {"as 10: 12/3 unchanged", true, {12, 3}, {12, 3, 0}, {12, 3, 0}},
            {"as 10: 8/0 stays 8/0 but is stamped, twice", true, {8, 0}, {8, 0, 1}, {8, 0, 1}},
            {"as 10: 8/1 becomes 9/0", true, {8, 1}, {9, 0, 1}, {9, 0, 0}},
            {"as 10: 8/2 becomes 10/0", true, {8, 2}, {10, 0, 1}, {10, 0, 0}},
            {"as 10: 8/5 becomes 10/3", true, {8, 5}, {10, 3, 1}, {10, 3, 0}},
            {"as 10: 6/4 unchanged", true, {6, 4}, {6, 4, 0}, {6, 4, 0}},
        };
        addEngineRows([&](const QString &e) {
            for (const auto &k : cases)
                QTest::addRow("%s: %s", qPrintable(e), k.name) << e << k.ten << k.before << k.once << k.twice;
        });
    }
    void calculateBase()
    {
        QFETCH(QString, engine);
        QFETCH(bool, asTen);
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, once);
        QFETCH(QList<int>, twice);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        // An absent row shifts like any other; a checked row loses its check when stamped.
        const qint64 id =
            clientRow(c, 7, QStringLiteral("E7"), day(9), QStringLiteral("A"), before[0], before[1], 0, Project, 1);
        auto ops = openOps(c);
        QVERIFY(ops->findEmployee(QStringLiteral("E7")));
        const auto check = [&](const QList<int> &want) {
            const ClientRow r = clientRows(c, 7).first();
            QCOMPARE(r.recId, id);
            QCOMPARE((QList<int>{r.wh, r.ot}), want.mid(0, 2));
            QCOMPARE(r.enteredBy, want[2] ? User : QStringLiteral("older"));
            QCOMPARE(r.checked, want[2] ? 0 : 1);
        };
        const NormalBase base = asTen ? NormalBase::Ten : NormalBase::Eight;
        QCOMPARE(ops->calculateBase(base), once[2]);
        check(once);
        QCOMPARE(ops->clientTotals().normalHours, once[0]);
        // Restore the stamp so that the second run shows whether it stamps again.
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set Entered_By = 'older', Checked = 1"));
        QCOMPARE(ops->calculateBase(base), twice[2]);
        check(twice);
    }

    void calculateBaseDecidesOnStoredValues_data() { TESTDB_ENGINE_ROWS(); }
    void calculateBaseDecidesOnStoredValues()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        const qint64 a = clientRow(c, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 12, 0);
        const qint64 b = clientRow(c, 7, QStringLiteral("E7"), day(10), QStringLiteral("P"), 8, 3);
        auto ops = openOps(c);
        QVERIFY(ops->findEmployee(QStringLiteral("E7")));
        // Another clerk corrects both days after this window loaded them.
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set Client_WH = 8, Client_OT = 4 Where Rec_ID = :I"),
                     {a});
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set Client_WH = 11 Where Rec_ID = :I"), {b});
        ops->calculateBase(NormalBase::Eight);
        const auto rows = clientRows(c, 7);
        QCOMPARE((QList<int>{rows[0].wh, rows[0].ot}), (QList<int>{8, 4})); // not 8/8 from the stale 12
        QCOMPARE((QList<int>{rows[1].wh, rows[1].ot}), (QList<int>{8, 6}));
        QCOMPARE(ops->clientTotals().totalHours(), 26);
    }

    void calculateBaseFailureChangesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void calculateBaseFailureChangesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        clientRow(c, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 10);
        clientRow(c, 7, QStringLiteral("E7"), day(10), QStringLiteral("P"), 12);
        failWhen(c, engine, QStringLiteral("UPDATE"), QStringLiteral("NEW.Col_Day = 10"));
        auto ops = openOps(c);
        QVERIFY(ops->findEmployee(QStringLiteral("E7")));
        QVERIFY_THROWS_EXCEPTION(DbError, ops->calculateBase(NormalBase::Eight));
        QVERIFY(!c.inTransaction());
        const auto rows = clientRows(c, 7);
        QCOMPARE((QList<int>{rows[0].wh, rows[0].ot, rows[1].wh, rows[1].ot}), (QList<int>{10, 0, 12, 0}));
        QVERIFY(ops->employeeLoaded());
        QCOMPARE(ops->clientTotals().normalHours, 22);
    }

    void changeJobDisputeAndDelete_data() { TESTDB_ENGINE_ROWS(); }
    void changeJobDisputeAndDelete()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        const qint64 a = clientRow(c, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8, 2, 0, Project, 1);
        const qint64 b = clientRow(c, 7, QStringLiteral("E7"), day(10), QStringLiteral("H"), 0, 0, 8, Project, 1);
        const qint64 other = clientRow(c, 7, QStringLiteral("E7"), day(11), QStringLiteral("P"), 8, 0, 0, Other, 1);
        auto ops = openOps(c);
        QVERIFY(ops->findEmployee(QStringLiteral("E7")));

        QCOMPARE(ops->changeJob(QStringLiteral("Mason")), 2);
        auto rows = clientRows(c, 7);
        for (int i : {0, 1}) {
            QCOMPARE(rows[i].job, QStringLiteral("Mason"));
            QCOMPARE(rows[i].checked, 0);
            QCOMPARE(rows[i].enteredBy, User);
        }
        QCOMPARE(rows[2].recId, other);
        QCOMPARE(rows[2].job, QStringLiteral("Helper")); // another project's row is not this window's
        QCOMPARE(rows[2].checked, 1);

        // A dispute mark changes nothing else in the row and keeps the current row.
        TestDb::exec(c, QStringLiteral("Update ClientTimeSheets Set Checked = 1, Entered_By = 'older'"));
        ops->setDispute(b, true);
        rows = clientRows(c, 7);
        QCOMPARE((QList<int>{rows[1].dispute, rows[1].checked}), (QList<int>{1, 1}));
        QCOMPARE(rows[1].enteredBy, QStringLiteral("older"));
        QCOMPARE(ops->ClientAttHistory.asInt64(QStringLiteral("Rec_ID")), b);
        ops->setDispute(b, false);
        QCOMPARE(clientRows(c, 7)[1].dispute, 0);

        QCOMPARE(ops->clientTotals().totalHours(), 18);
        ops->deleteRow(a);
        QCOMPARE(ops->clientTotals().totalHours(), 8);
        QCOMPARE(ops->clientTotals().presentDays, 1);
        ops->deleteRow(b);
        QCOMPARE(ops->clientTotals().totalHours(), 0);
        QVERIFY(ops->employeeLoaded());
        QCOMPARE(clientRows(c, 7).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAttendanceCorrections)
#include "test_attendance_corrections.moc"
