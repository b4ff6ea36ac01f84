// What the program needs of the database: tallimar-cli db-check, the start-up refusal that names
// a missing table or column, and the width of a column read from the database.
#include "DataModule1.h"
#include "DbError.h"
#include "Query.h"
#include "Schema.h"
#include "SchemaCheck.h"
#include "TestDb.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QString &ini, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini} + args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The rows an administrator's database holds before the program is first used.
void fillUsable(Connection &c)
{
    TestDb::exec(
        c, QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, 2026, 3)"));
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('rev', 'Login_Tallimar')"));
}

// Index statements of the schema files: name, table and key columns.
struct FileIndex
{
    QString name;
    QString table;
    QStringList columns;
};

QList<FileIndex> schemaFileIndexes(Engine engine)
{
    static const QRegularExpression form(
        QStringLiteral("^CREATE\\s+(?:UNIQUE\\s+)?INDEX\\s+(\\w+)\\s+ON\\s+(\\w+)\\s*\\(([^)]*)\\)"),
        QRegularExpression::CaseInsensitiveOption);
    QList<FileIndex> out;
    for (const QString &sql : Schema::statements(engine)) {
        const QRegularExpressionMatch m = form.match(sql);
        if (!m.hasMatch())
            continue;
        QStringList cols;
        for (const QString &c : m.captured(3).split(QLatin1Char(',')))
            cols << c.trimmed();
        out << FileIndex{m.captured(1), m.captured(2), cols};
    }
    return out;
}

void dropAllIndexes(Connection &c)
{
    for (const FileIndex &i : schemaFileIndexes(c.engine()))
        c.execDirect(QStringLiteral("DROP INDEX %1").arg(i.name));
}

// Makes the table again from the schema file's statement with one text replaced.
void recreateTable(Connection &c, const QString &table, const QString &from, const QString &to)
{
    for (const QString &sql : Schema::statements(c.engine()))
        if (sql.startsWith(QStringLiteral("CREATE TABLE %1 (").arg(table))) {
            QVERIFY2(sql.contains(from), qPrintable(from));
            c.execDirect(QStringLiteral("DROP TABLE %1").arg(table));
            QString changed = sql;
            c.execDirect(changed.replace(from, to));
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no table ") + table));
}

QString key(const QString &table, const QStringList &columns)
{
    return (table + QLatin1Char('(') + columns.join(QLatin1Char(',')) + QLatin1Char(')')).toLower();
}

} // namespace

class TestDbCheck : public QObject
{
    Q_OBJECT

private slots:
    // The schema files and the recommended list in code name the same indexes, so a fresh
    // database made from the files reports none absent (checked on a real database below).
    void recommendedIndexesAreTheSchemaFilesIndexes_data()
    {
        QTest::addColumn<int>("engine");
        QTest::newRow("SQLite") << int(Engine::SQLite);
        QTest::newRow("PostgreSQL") << int(Engine::PostgreSQL);
        QTest::newRow("SQL Server") << int(Engine::SQLServer);
    }
    void recommendedIndexesAreTheSchemaFilesIndexes()
    {
        QFETCH(int, engine);
        QSet<QString> files;
        for (const FileIndex &i : schemaFileIndexes(Engine(engine)))
            files << key(i.table, i.columns);
        QSet<QString> list;
        for (const SchemaCheck::Index &i : SchemaCheck::recommendedIndexes())
            list << key(i.table, i.columns);
        QVERIFY(!files.isEmpty());
        QCOMPARE(list, files);
    }

    void completeDatabaseIsReportedWhole_data() { TESTDB_ENGINE_ROWS(); }
    void completeDatabaseIsReportedWhole()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fillUsable(db.connection());
        const Run r = cli(db.iniPath(), {QStringLiteral("db-check")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QLatin1String("The database holds everything the program needs; every recommended "
                                              "index is present.")),
                 qPrintable(r.out));
        for (const SchemaCheck::Table &t : SchemaCheck::requiredTables())
            QVERIFY2(r.out.contains(t.name + QStringLiteral(": ok\n")), qPrintable(t.name));
        const Run p = cli(db.iniPath(), {QStringLiteral("db-check"), QStringLiteral("--print-indexes")});
        QCOMPARE(p.code, 0);
        QCOMPARE(p.out, QString());
    }

    // Each thing the program needs and the database lacks, listed under its table.
    void lackingDatabaseIsReported_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("defect");
        QTest::addColumn<QStringList>("expected"); // lines of the report, in order
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name, const char *defect, const QStringList &expected) {
                QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name)))
                    << e << QString::fromLatin1(defect) << expected;
            };
            row("a missing column is named under its table", "column",
                {"ClientTimeSheets:\n  missing: column Dispute (bit) is missing\n"});
            row("a missing table is named", "table", {"SiteJobs:\n  missing: the table is missing\n"});
            row("two missing columns of two tables are listed at once", "two columns",
                {"Invoices:\n  missing: column D31_Hour (text 8) is missing\n",
                 "Workers:\n  missing: column Arrival_Date (date-time) is missing\n",
                 "The database lacks 2 things the program needs"});
            row("a text column narrower than the program writes", "narrow",
                {"Clients:\n  missing: column Client_Name holds 30 characters; the program writes up to 50\n"});
            row("an empty active cycle", "no cycle",
                {"PayrollActiveCycle:\n  missing: the table is empty: the program needs the active payroll cycle "
                 "in its first row\n"});
            row("an active cycle that is no month", "month 13",
                {"PayrollActiveCycle:\n  missing: the first row's cycle (year 2026, month 13) is not a month\n"});
            row("no user may log in", "no login",
                {"UsersRoles:\n  missing: no user holds the role Login_Tallimar, so nobody can log in\n"});
        }
    }
    void lackingDatabaseIsReported()
    {
        QFETCH(QString, engine);
        QFETCH(QString, defect);
        QFETCH(QStringList, expected);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        fillUsable(c);
        if (defect == QLatin1String("column")) {
            // SQLite drops no indexed column.
            c.execDirect(QStringLiteral("DROP INDEX IX_ClientTimeSheets_Dispute"));
            c.execDirect(QStringLiteral("ALTER TABLE ClientTimeSheets DROP COLUMN Dispute"));
        } else if (defect == QLatin1String("table")) {
            c.execDirect(QStringLiteral("DROP TABLE SiteJobs"));
        } else if (defect == QLatin1String("two columns")) {
            c.execDirect(QStringLiteral("ALTER TABLE Invoices DROP COLUMN D31_Hour"));
            c.execDirect(QStringLiteral("ALTER TABLE Workers DROP COLUMN Arrival_Date"));
        } else if (defect == QLatin1String("narrow")) {
            recreateTable(c, QStringLiteral("Clients"), QStringLiteral("Client_Name VARCHAR(50)"),
                          QStringLiteral("Client_Name VARCHAR(30)"));
        } else if (defect == QLatin1String("no cycle")) {
            c.execDirect(QStringLiteral("DELETE FROM PayrollActiveCycle"));
        } else if (defect == QLatin1String("month 13")) {
            c.execDirect(QStringLiteral("UPDATE PayrollActiveCycle SET Cycle_Month = 13"));
        } else if (defect == QLatin1String("no login")) {
            c.execDirect(QStringLiteral("UPDATE UsersRoles SET RoleName = 'ClientsMgt'"));
        }
        const Run r = cli(db.iniPath(), {QStringLiteral("db-check")});
        QCOMPARE(r.code, 1);
        qsizetype from = 0;
        for (const QString &line : expected) {
            const qsizetype at = r.out.indexOf(line, from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("wanted\n%1\nin\n%2").arg(line, r.out)));
            from = at + line.size();
        }
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    }

    // Indexes are for speed: none at all is a warning per index, each with the statement that
    // makes it, and running the printed statements leaves nothing to warn about.
    void databaseWithoutIndexesWarnsAndPrintsTheFix_data() { TESTDB_ENGINE_ROWS(); }
    void databaseWithoutIndexesWarnsAndPrintsTheFix()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        fillUsable(c);
        dropAllIndexes(c);
        const Run r = cli(db.iniPath(), {QStringLiteral("db-check")});
        QCOMPARE(r.code, 0);
        const qsizetype n = SchemaCheck::recommendedIndexes().size();
        QCOMPARE(r.out.count(QLatin1String("  warning: ")), n);
        QVERIFY2(r.out.contains(QLatin1String(
                     "TimeSheets:\n  warning: no index on (Col_Year, Col_Month, Assignment, Ref_No, Col_Date), "
                     "recommended for speed: CREATE INDEX IX_TimeSheets_Month ON TimeSheets (Col_Year, Col_Month, "
                     "Assignment, Ref_No, Col_Date);\n")),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("The database holds everything the program needs; %1 recommended "
                                               "indexes are absent.")
                                    .arg(n)),
                 qPrintable(r.out));

        const Run p = cli(db.iniPath(), {QStringLiteral("db-check"), QStringLiteral("--print-indexes")});
        QCOMPARE(p.code, 0);
        const QStringList statements = p.out.split(QStringLiteral(";\n"), Qt::SkipEmptyParts);
        QCOMPARE(statements.size(), n);
        for (const QString &sql : statements) {
            QVERIFY2(sql.startsWith(QLatin1String("CREATE INDEX ")), qPrintable(sql));
            c.execDirect(sql);
        }
        const Run again = cli(db.iniPath(), {QStringLiteral("db-check")});
        QCOMPARE(again.code, 0);
        QCOMPARE(again.out.count(QLatin1String("warning")), 0);
    }

    // An index of the suite's own, under another name, whose leading columns are the recommended
    // ones serves as well.
    void anIndexUnderAnotherNameCounts_data() { TESTDB_ENGINE_ROWS(); }
    void anIndexUnderAnotherNameCounts()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        dropAllIndexes(c);
        c.execDirect(QStringLiteral("CREATE INDEX Suite_Workers ON Workers (employee_no, Rec_ID)"));
        c.execDirect(QStringLiteral("CREATE INDEX Suite_Rates ON AssignmentsRates (Site_Job, Assignment)"));
        const SchemaCheck::Catalog catalog = SchemaCheck::readCatalog(c, true);
        QVERIFY(catalog.hasIndexOn(QStringLiteral("Workers"), {QStringLiteral("Employee_No")}));
        QVERIFY(!catalog.hasIndexOn(QStringLiteral("AssignmentsRates"),
                                    {QStringLiteral("Assignment"), QStringLiteral("Site_Job")}));
        // The order of the key columns counts.
        QVERIFY(
            !catalog.hasIndexOn(QStringLiteral("Workers"), {QStringLiteral("Rec_ID"), QStringLiteral("Employee_No")}));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("an unknown option") << QStringList{"db-check", "--fix"};
        QTest::newRow("a stray argument") << QStringList{"db-check", "Invoices"};
        QTest::newRow("an unknown option beside --print-indexes")
            << QStringList{"db-check", "--print-indexes", "--verbose"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        const Run r = cli(db.iniPath(), args);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.contains(QLatin1String("db-check takes no argument but --print-indexes")));
    }

    // db-check only reads: the database is the same afterwards, rows and indexes.
    void checkChangesNothing_data() { TESTDB_ENGINE_ROWS(); }
    void checkChangesNothing()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        dropAllIndexes(c);
        c.execDirect(QStringLiteral("ALTER TABLE Workers DROP COLUMN Nationality"));
        const SchemaCheck::Catalog before = SchemaCheck::readCatalog(c, true);
        QCOMPARE(cli(db.iniPath(), {QStringLiteral("db-check")}).code, 1);
        QCOMPARE(cli(db.iniPath(), {QStringLiteral("db-check"), QStringLiteral("--print-indexes")}).code, 1);
        const SchemaCheck::Catalog after = SchemaCheck::readCatalog(c, true);
        QCOMPARE(after.tables.keys(), before.tables.keys());
        QCOMPARE(after.indexes, before.indexes);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From PayrollActiveCycle")).toInt(), 0);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From UsersRoles")).toInt(), 0);
    }

    // At start the program names what is missing, table and column, in one message; the
    // commands of tallimar-cli stop with the same message.
    void startNamesTheMissingColumn_data() { TESTDB_ENGINE_ROWS(); }
    void startNamesTheMissingColumn()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        fillUsable(c);
        c.execDirect(QStringLiteral("ALTER TABLE Invoices DROP COLUMN Employee_Name"));
        c.execDirect(QStringLiteral("DROP TABLE SiteJobs"));
        const QString message =
            QStringLiteral("The database lacks what the program needs (missing: column Employee_Name of table "
                           "Invoices, table SiteJobs). tallimar-cli db-check reports everything to add.");
        TDataModule1 dm(db.iniPath());
        try {
            dm.DataModuleCreate();
            QFAIL("connected to a database without a column the program reads");
        } catch (const DbError &e) {
            QCOMPARE(e.message(), message);
        }
        QVERIFY(!dm.ADOConnection1.isOpen());
        const Run r = cli(db.iniPath(), {QStringLiteral("--user"), QStringLiteral("rev"), QStringLiteral("export"),
                                         QStringLiteral("--list"), QStringLiteral("invoices")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, message + QLatin1Char('\n'));
    }

    // A text longer than a column narrower than the program expects: refused plainly with the
    // width the database has (PostgreSQL says it; SQLite keeps no widths).
    void narrowColumnRefusalGivesTheDatabasesWidth()
    {
        if (!TestDb::postgresAvailable())
            QSKIP("needs PostgreSQL");
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        c.execDirect(QStringLiteral("ALTER TABLE Clients ALTER COLUMN Client_Name TYPE VARCHAR(30)"));
        QCOMPARE(SchemaCheck::columnWidth(c, QStringLiteral("Clients"), QStringLiteral("Client_Name")), 30);
        Query q(c, QStringLiteral("Insert Into Clients (Client_Name) Values (:Client_Name)"));
        q.setParam(QStringLiteral("Client_Name"), QString(40, QLatin1Char('c')));
        try {
            q.exec();
            QFAIL("stored 40 characters in a column of 30");
        } catch (const DbError &e) {
            QCOMPARE(e.message(), QStringLiteral("A text is longer than the 30 characters its field holds."));
        }
    }

    // SQL Server's error 2628 names table and column, whose width its catalog then gives.
    void truncationErrorNamesTheColumn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::newRow("a table named with database and schema")
            << "String or binary data would be truncated in table 'HRDB.dbo.Clients', column 'Client_Name'. "
               "Truncated value: 'Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'."
            << "clients"
            << "Client_Name";
        QTest::newRow("the older error without a column") << "String or binary data would be truncated."
                                                          << ""
                                                          << "";
    }
    void truncationErrorNamesTheColumn()
    {
        QFETCH(QString, text);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QString t;
        QString col;
        QCOMPARE(SchemaCheck::truncatedColumn(text, t, col), !table.isEmpty());
        QCOMPARE(t, table);
        QCOMPARE(col, column);
    }

    // The widths the catalog gives, declared or enforced, on every engine.
    void catalogWidths_data() { TESTDB_ENGINE_ROWS(); }
    void catalogWidths()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        QCOMPARE(SchemaCheck::columnWidth(c, QStringLiteral("Invoices"), QStringLiteral("D07_Hour")), 8);
        QCOMPARE(SchemaCheck::columnWidth(c, QStringLiteral("CLIENTTIMESHEETS"), QStringLiteral("clientatt_code")), 2);
        QCOMPARE(SchemaCheck::columnWidth(c, QStringLiteral("Invoices"), QStringLiteral("Days_Present")), 0);
        QCOMPARE(SchemaCheck::columnWidth(c, QStringLiteral("Invoices"), QStringLiteral("No_Such_Column")), 0);
        const SchemaCheck::Catalog catalog = SchemaCheck::readCatalog(c, false);
        for (const SchemaCheck::Table &t : SchemaCheck::requiredTables())
            for (const SchemaCheck::Column &col : t.columns) {
                const SchemaCheck::CatalogColumn *have = catalog.column(t.name, col.name);
                QVERIFY2(have, qPrintable(t.name + QLatin1Char('.') + col.name));
                if (col.type == SchemaCheck::ColumnType::Text)
                    QCOMPARE(have->width, col.width);
                else
                    QCOMPARE(have->width, 0);
            }
    }
};

QTEST_GUILESS_MAIN(TestDbCheck)
#include "test_dbcheck.moc"
