// The program on the suite's own database: our schema files hold exactly the suite's columns,
// and the rules that one index could keep (one project per name, one invoice line per project,
// worker and month) hold on bare tables without any index, also with two clerks at once.
#include "CheckingFixture.h"
#include "Clock.h"
#include "DbError.h"
#include "InvoiceCheck.h"
#include "Projects.h"
#include "Query.h"
#include "Schema.h"
#include "SuiteColumns.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <barrier>
#include <thread>

using SuiteColumns::Type;
using TestDb::Fixture;

namespace {

const QString User = QStringLiteral("clerk");

QString lower(const QVariant &v)
{
    return v.toString().toLower();
}

// The columns of a database as described by SuiteColumns::describe, read from its catalog.
QStringList catalogColumns(Connection &c)
{
    QStringList out;
    if (c.engine() == Engine::SQLite) {
        Query tables(c, QStringLiteral("Select name, sql From sqlite_master Where type = 'table' And name Not Like "
                                       "'sqlite%' Order By name"));
        tables.open();
        for (int t = 0; t < tables.recordCount(); ++t) {
            const QString table = tables.valueAt(t, 0).toString(), sql = tables.valueAt(t, 1).toString();
            Query cols(c, QStringLiteral("Select name, type, pk From pragma_table_info(:T)"));
            cols.setParam(QStringLiteral("T"), table);
            cols.open();
            for (int r = 0; r < cols.recordCount(); ++r) {
                const QString name = cols.valueAt(r, 0).toString(), type = cols.valueAt(r, 1).toString().toUpper();
                const bool pk = cols.valueAt(r, 2).toInt() > 0;
                const bool identity =
                    QRegularExpression(QStringLiteral("\\b%1\\s+INTEGER\\s+PRIMARY\\s+KEY\\s+AUTOINCREMENT\\b")
                                           .arg(QRegularExpression::escape(name)),
                                       QRegularExpression::CaseInsensitiveOption)
                        .match(sql)
                        .hasMatch();
                const QRegularExpressionMatch text =
                    QRegularExpression(QStringLiteral("^VARCHAR\\((\\d+)\\)$")).match(type);
                if (text.hasMatch())
                    out << SuiteColumns::describe(table, name, Type::Text, text.captured(1).toInt(), identity);
                else if (type == QLatin1String("INTEGER")) // a rowid key is 64-bit
                    out << SuiteColumns::describe(table, name, pk ? Type::Int64 : Type::Int32, 0, identity);
                else if (type == QLatin1String("BIGINT"))
                    out << SuiteColumns::describe(table, name, Type::Int64, 0, identity);
                else if (type == QLatin1String("SMALLINT"))
                    out << SuiteColumns::describe(table, name, Type::Bit, 0, identity);
                else if (type == QLatin1String("DATETIME"))
                    out << SuiteColumns::describe(table, name, Type::DateTime, 0, identity);
                else if (type == QLatin1String("REAL"))
                    out << SuiteColumns::describe(table, name, Type::Double, 0, identity);
                else
                    out << (table + QLatin1Char('.') + name).toLower() + QStringLiteral(" unknown type ") + type;
            }
        }
    } else {
        Query cols(c, QStringLiteral("Select table_name, column_name, data_type, character_maximum_length, "
                                     "is_identity From information_schema.columns Where table_schema = 'public'"));
        cols.open();
        for (int r = 0; r < cols.recordCount(); ++r) {
            const QString table = lower(cols.valueAt(r, 0)), name = lower(cols.valueAt(r, 1)),
                          type = lower(cols.valueAt(r, 2));
            const int width = cols.valueAt(r, 3).toInt();
            const bool identity = cols.valueAt(r, 4).toString() == QLatin1String("YES");
            static const QHash<QString, Type> types = {{QStringLiteral("character varying"), Type::Text},
                                                       {QStringLiteral("integer"), Type::Int32},
                                                       {QStringLiteral("bigint"), Type::Int64},
                                                       {QStringLiteral("smallint"), Type::Bit},
                                                       {QStringLiteral("timestamp without time zone"), Type::DateTime},
                                                       {QStringLiteral("double precision"), Type::Double}};
            if (types.contains(type))
                out << SuiteColumns::describe(table, name, types.value(type), width, identity);
            else
                out << table + QLatin1Char('.') + name + QStringLiteral(" unknown type ") + type;
        }
    }
    out.sort();
    return out;
}

// The columns of the SQL Server text, read from its CREATE TABLE statements.
QStringList sqlServerColumns(const QStringList &statements)
{
    QStringList out;
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+) \\((.*)\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression column(
        QStringLiteral("^(\\w+) (N?VARCHAR\\((\\d+)\\)|INT|BIGINT|BIT|DATETIME|FLOAT)"
                       "( IDENTITY\\(1,1\\))?( PRIMARY KEY)?( NOT NULL)?"
                       "( DEFAULT 0)?,?$"));
    for (const QString &sql : statements) {
        const QRegularExpressionMatch t = table.match(sql);
        if (!t.hasMatch())
            continue;
        for (const QString &line : t.captured(2).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = column.match(line.trimmed());
            if (!m.hasMatch()) {
                out << t.captured(1).toLower() + QStringLiteral(" cannot read: ") + line.trimmed();
                continue;
            }
            const QString type = m.captured(2);
            Type kind = Type::Text;
            if (type == QLatin1String("INT"))
                kind = Type::Int32;
            else if (type == QLatin1String("BIGINT"))
                kind = Type::Int64;
            else if (type == QLatin1String("BIT"))
                kind = Type::Bit;
            else if (type == QLatin1String("DATETIME"))
                kind = Type::DateTime;
            else if (type == QLatin1String("FLOAT"))
                kind = Type::Double;
            else if (!type.startsWith(QLatin1Char('N'))) // the suite's text is Unicode
                out << t.captured(1).toLower() + QStringLiteral(" not Unicode: ") + line.trimmed();
            out << SuiteColumns::describe(t.captured(1), m.captured(1), kind, m.captured(3).toInt(),
                                          !m.captured(4).isEmpty());
        }
    }
    out.sort();
    return out;
}

// What differs, worded for the failure message.
QString difference(const QStringList &actual, const QStringList &expected)
{
    const QSet<QString> a(actual.begin(), actual.end()), e(expected.begin(), expected.end());
    QStringList extra = (a - e).values(), missing = (e - a).values();
    extra.sort();
    missing.sort();
    return QStringLiteral("not the suite's: %1\nmissing: %2")
        .arg(extra.join(QStringLiteral(", ")), missing.join(QStringLiteral(", ")));
}

void fixtureRows()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("bare");
    for (const QString &e : TestDb::engines()) {
        QTest::newRow(qPrintable(e + QStringLiteral(" with the recommended indexes"))) << e << false;
        QTest::newRow(qPrintable(e + QStringLiteral(" bare"))) << e << true;
    }
}

int count(Connection &c, const QString &sql, const QVariantList &values = {})
{
    return TestDb::scalar(c, sql, values).toInt();
}

// Lines stored more than once under one project, worker and month.
int doubledLines(Connection &c)
{
    return count(c, QStringLiteral("Select Count(*) From (Select Assignment, Ref_No, Col_Year, Col_Month From Invoices "
                                   "Group By Assignment, Ref_No, Col_Year, Col_Month Having Count(*) > 1) d"));
}

} // namespace

class TestSuiteDb : public QObject
{
    Q_OBJECT

private slots:
    void catalogHoldsExactlyTheSuiteColumns_data() { fixtureRows(); }
    void catalogHoldsExactlyTheSuiteColumns()
    {
        QFETCH(QString, engine);
        QFETCH(bool, bare);
        TestDb::Fresh db(engine, bare ? Fixture::Bare : Fixture::Recommended);
        const QStringList actual = catalogColumns(db.connection()), expected = SuiteColumns::described();
        QVERIFY2(actual == expected, qPrintable(difference(actual, expected)));
    }

    void sqlServerTextHoldsExactlyTheSuiteColumns_data()
    {
        QTest::addColumn<bool>("bare");
        QTest::newRow("with the recommended indexes") << false;
        QTest::newRow("bare") << true;
    }
    void sqlServerTextHoldsExactlyTheSuiteColumns()
    {
        QFETCH(bool, bare);
        const QStringList statements =
            Schema::statements(Engine::SQLServer, bare ? Schema::Objects::Bare : Schema::Objects::All);
        const QStringList actual = sqlServerColumns(statements), expected = SuiteColumns::described();
        QVERIFY2(actual == expected, qPrintable(difference(actual, expected)));
        if (bare)
            for (const QString &sql : statements)
                QVERIFY2(!sql.contains(QLatin1String("INDEX")) && !sql.contains(QLatin1String("KEY")) &&
                             !sql.contains(QLatin1String("UNIQUE")),
                         qPrintable(sql));
    }

    // Tables first, then only indexes, and the same indexes for every engine.
    void indexesFollowTheTablesAlikeOnEveryEngine()
    {
        QMap<QString, QStringList> indexes;
        for (Engine e : {Engine::SQLite, Engine::PostgreSQL, Engine::SQLServer}) {
            const QStringList all = Schema::statements(e);
            bool inIndexes = false;
            QStringList names;
            for (const QString &sql : all) {
                const QRegularExpressionMatch index =
                    QRegularExpression(QStringLiteral("^CREATE (UNIQUE )?INDEX (\\w+) ON (\\w+) \\(([^)]*)\\)$"))
                        .match(sql);
                if (index.hasMatch()) {
                    inIndexes = true;
                    names << index.captured(0);
                } else {
                    QVERIFY2(!inIndexes, qPrintable(QStringLiteral("after the indexes: ") + sql));
                    QVERIFY2(sql.startsWith(QLatin1String("CREATE TABLE ")), qPrintable(sql));
                }
            }
            QVERIFY(!names.isEmpty());
            names.sort();
            indexes.insert(engineName(e), names);
            QCOMPARE(Schema::statements(e, Schema::Objects::Tables) + Schema::statements(e, Schema::Objects::Indexes),
                     all);
        }
        QCOMPARE(indexes.value(QStringLiteral("PostgreSQL")), indexes.value(QStringLiteral("SQLite")));
        QCOMPARE(indexes.value(QStringLiteral("SQLServer")), indexes.value(QStringLiteral("SQLite")));
    }

    void bareTablesHaveNoIndexAndNoKey_data() { TESTDB_ENGINE_ROWS(); }
    void bareTablesHaveNoIndexAndNoKey()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine, Fixture::Bare);
        Connection &c = db.connection();
        if (c.engine() == Engine::SQLite) {
            QCOMPARE(count(c, QStringLiteral("Select Count(*) From sqlite_master Where type = 'index'")), 0);
            // Only the identity columns are keys: SQLite's rowid, not an index.
            QCOMPARE(count(c, QStringLiteral("Select Count(*) From sqlite_master m, pragma_table_info(m.name) p "
                                             "Where m.type = 'table' And m.name Not Like 'sqlite%' And p.pk > 0")),
                     4);
        } else {
            QCOMPARE(count(c, QStringLiteral("Select Count(*) From pg_indexes Where schemaname = 'public'")), 0);
            QCOMPARE(count(c, QStringLiteral("Select Count(*) From pg_constraint k Join pg_namespace n On n.oid = "
                                             "k.connamespace Where n.nspname = 'public'")),
                     0);
        }
        // The recommended schema has its unique indexes, so the bare one is not bare by accident.
        TestDb::Fresh full(engine, Fixture::Recommended);
        const QString indexes = c.engine() == Engine::SQLite
                                    ? QStringLiteral("Select Count(*) From sqlite_master Where type = 'index'")
                                    : QStringLiteral("Select Count(*) From pg_indexes Where schemaname = 'public'");
        QVERIFY(count(full.connection(), indexes) > 10);
    }

    // An insert that names no Rec_ID still gets one, distinct per row.
    void identityColumnsAssignRecId_data() { fixtureRows(); }
    void identityColumnsAssignRecId()
    {
        QFETCH(QString, engine);
        QFETCH(bool, bare);
        TestDb::Fresh db(engine, bare ? Fixture::Bare : Fixture::Recommended);
        Connection &c = db.connection();
        const QList<QPair<QString, QString>> inserts = {
            {QStringLiteral("Assignments"), QStringLiteral("Insert Into Assignments (Assignment) Values (:v)")},
            {QStringLiteral("AssignmentsRates"), QStringLiteral("Insert Into AssignmentsRates (Site_Job) Values (:v)")},
            {QStringLiteral("Clients"), QStringLiteral("Insert Into Clients (Client_Name) Values (:v)")},
            {QStringLiteral("ClientTimeSheets"),
             QStringLiteral("Insert Into ClientTimeSheets (Employee_No) Values (:v)")}};
        for (const auto &[table, sql] : inserts) {
            TestDb::exec(c, sql, {QStringLiteral("a")});
            TestDb::exec(c, sql, {QStringLiteral("b")});
            QCOMPARE(count(c, QStringLiteral("Select Count(Distinct Rec_ID) From %1").arg(table)), 2);
        }
    }

    // Two clerks adding one project name at the same moment: one project, and the other clerk
    // told plainly that the name is used.
    void twoClerksAddingOneProjectNameAtOnce_data() { TESTDB_ENGINE_ROWS(); }
    void twoClerksAddingOneProjectNameAtOnce()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine, Fixture::Bare);
        const ConnectionParams params = db.connection().params();
        constexpr int Rounds = 6;
        std::barrier sync(2);
        QStringList results[2];
        auto clerk = [&](int who) {
            Connection c;
            c.open(params);
            for (int i = 0; i < Rounds; ++i) {
                Projects::Record r;
                r.assignment = QStringLiteral("SITE %1").arg(i);
                r.clientId = who + 1;
                sync.arrive_and_wait();
                try {
                    Projects::insert(c, r);
                    results[who] << QStringLiteral("added");
                } catch (const DbError &e) {
                    results[who] << e.message();
                }
            }
        };
        std::thread a(clerk, 0), b(clerk, 1);
        a.join();
        b.join();
        Connection &c = db.connection();
        for (int i = 0; i < Rounds; ++i) {
            const QString name = QStringLiteral("SITE %1").arg(i);
            QCOMPARE(count(c, QStringLiteral("Select Count(*) From Assignments Where Assignment = :A"), {name}), 1);
            const QStringList both = {results[0].value(i), results[1].value(i)};
            QVERIFY2(both.count(QStringLiteral("added")) == 1, qPrintable(both.join(QLatin1String(" / "))));
            QVERIFY2(
                both.contains(QStringLiteral("The project name \"%1\" is already used by another project.").arg(name)),
                qPrintable(both.join(QLatin1String(" / "))));
        }
    }

    // Two clerks checking the same workers at the same moment, with and without client rows:
    // every check succeeds (a lost race runs again) and each worker has one line.
    void twoClerksCheckingOneWorkerAtOnce_data() { TESTDB_ENGINE_ROWS(); }
    void twoClerksCheckingOneWorkerAtOnce()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine, Fixture::Bare);
        constexpr int Workers = 6;
        CheckFixture::Fx fx{db.connection()};
        fx.rate(QStringLiteral("Mason"), 10, 15, 20);
        for (int w = 1; w <= Workers; ++w) {
            const QString emp = QStringLiteral("E%1").arg(w);
            fx.worker(w, emp);
            for (int d = 1; w % 2 == 1 && d <= 3; ++d)
                fx.client(w, emp, QDate(2026, 3, d), QStringLiteral("P"), 8, w);
        }
        const ConnectionParams params = db.connection().params();
        const TestClock clock(QDate(2026, 4, 2));
        std::barrier sync(2);
        QStringList outcomes[2];
        auto clerk = [&](int who) {
            Connection c;
            c.open(params);
            InvoiceCheck check(c, clock);
            for (int w = 1; w <= Workers; ++w) {
                sync.arrive_and_wait();
                const CheckOutcome o = check.checkWorker({CheckFixture::Project, 2026, 3}, QStringLiteral("E%1").arg(w),
                                                         User + QString::number(who));
                outcomes[who] << (o.status == CheckOutcome::Status::Checked ? QStringLiteral("checked") : o.summary());
            }
        };
        std::thread a(clerk, 0), b(clerk, 1);
        a.join();
        b.join();
        QCOMPARE(outcomes[0], QStringList(Workers, QStringLiteral("checked")));
        QCOMPARE(outcomes[1], QStringList(Workers, QStringLiteral("checked")));
        Connection &c = db.connection();
        QCOMPARE(doubledLines(c), 0);
        QCOMPARE(count(c, QStringLiteral("Select Count(*) From Invoices")), Workers);
        QCOMPARE(count(c, QStringLiteral("Select Count(*) From Invoices Where Ref_No = 3 And Earned_WH_Hours = 24 And "
                                         "Earned_OT_Hours = 9")),
                 1);
    }

    // On PostgreSQL a check does not wait for another clerk's open line without a unique index:
    // serializability alone decides. The check commits first; the other clerk's transaction fails
    // with a serialization failure, and the data layer's retry then updates the one line.
    void aLineWrittenMeanwhileByAnotherClerkStaysOne()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("no PostgreSQL server in this run");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"), Fixture::Bare);
        CheckFixture::Fx fx{db.connection()};
        fx.worker(8, QStringLiteral("E8")); // no client rows: nothing but the line is shared
        const TestClock clock(QDate(2026, 4, 2));
        InvoiceCheck check(db.connection(), clock);
        Connection other;
        other.open(db.connection().params());
        const QString key = QStringLiteral(" Where Assignment = 'MARINA' And Ref_No = 8 And Col_Year = 2026 And "
                                           "Col_Month = 3");
        int attempts = 0;
        CheckOutcome first;
        RetryLog log;
        runRetrying(
            other,
            [&] {
                Transaction t(other);
                Query update(other, QStringLiteral("Update Invoices Set Earned_Total = 5") + key);
                if (update.exec() == 0)
                    TestDb::exec(other, QStringLiteral("Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, "
                                                       "Earned_Total) Values (2026, 3, 'MARINA', 8, 5)"));
                if (++attempts == 1)
                    first = check.checkWorker({CheckFixture::Project, 2026, 3}, QStringLiteral("E8"), User);
                t.commit();
            },
            &log);
        QCOMPARE(first.status, CheckOutcome::Status::Checked);
        QCOMPARE(attempts, 2);
        QCOMPARE(log.conflicts, 1);
        QVERIFY2(log.lastConflict.contains(QLatin1String("could not serialize access")), qPrintable(log.lastConflict));
        Connection &c = db.connection();
        QCOMPARE(count(c, QStringLiteral("Select Count(*) From Invoices") + key), 1);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Earned_Total From Invoices") + key).toDouble(), 5.0);
    }
};

QTEST_GUILESS_MAIN(TestSuiteDb)
#include "test_suite_db.moc"
