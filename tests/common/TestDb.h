#pragma once

// Test databases on every engine the run has: SQLite always, PostgreSQL when the test script
// started a server (TALLIMAR_TEST_PG_PORT). Each database is new and holds the schema.

#include "Connection.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TDataModule1;

namespace TestDb {

// "SQLite", plus "PostgreSQL" when a server is available; use as the rows of a _data() table.
QStringList engines();
bool postgresAvailable();

// Which schema a fresh database gets: ours with its recommended indexes, or the bare tables (the
// suite's columns and nothing else: no index, no key beyond what an identity column needs).
enum class Fixture { Recommended, Bare };
// Bare when the run asks for it (TALLIMAR_TEST_SCHEMA=bare: the suites registered again to run
// the program's main road on the bare tables), else Recommended.
Fixture defaultFixture();

// A fresh database with the schema; gone when the object is destroyed.
class Fresh
{
public:
    explicit Fresh(const QString &engine, Fixture fixture = defaultFixture());
    ~Fresh();
    Fresh(const Fresh &) = delete;
    Fresh &operator=(const Fresh &) = delete;

    Connection &connection() { return *m_conn; }
    // A Workers.ini naming this database (for the data module and tallimar-cli).
    QString iniPath() const { return m_iniPath; }
    // A data module connected to this database through its Workers.ini.
    TDataModule1 &dataModule();
    QString engine() const { return m_engine; }

private:
    QString m_engine;
    QString m_pgName;
    QTemporaryDir m_dir;
    QString m_iniPath;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<TDataModule1> m_dm;
};

// Runs a statement with positional values (fixtures only).
void exec(Connection &c, const QString &sql, const QVariantList &values = {});
QVariant scalar(Connection &c, const QString &sql, const QVariantList &values = {});

} // namespace TestDb

// Adds the "engine" column and one row per available engine.
#define TESTDB_ENGINE_ROWS()                                                                                           \
    QTest::addColumn<QString>("engine");                                                                               \
    for (const QString &e__ : TestDb::engines())                                                                       \
    QTest::newRow(qPrintable(e__)) << e__
