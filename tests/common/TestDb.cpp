#include "TestDb.h"
#include "DataModule1.h"
#include "DbError.h"
#include "Query.h"
#include "Schema.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace TestDb {

namespace {
QAtomicInt s_counter;

ConnectionParams pgParams(const QString &database)
{
    ConnectionParams p;
    p.engine = Engine::PostgreSQL;
    p.host = qEnvironmentVariable("TALLIMAR_TEST_PG_HOST", QStringLiteral("127.0.0.1"));
    p.port = qEnvironmentVariableIntValue("TALLIMAR_TEST_PG_PORT");
    p.user = qEnvironmentVariable("TALLIMAR_TEST_PG_USER", QStringLiteral("postgres"));
    p.database = database;
    p.workstationId = QStringLiteral("tallimar-tests");
    return p;
}

void adminExec(const QString &sql)
{
    Connection admin;
    admin.open(pgParams(QStringLiteral("postgres")));
    admin.execDirect(sql);
}
} // namespace

bool postgresAvailable()
{
    return qEnvironmentVariableIntValue("TALLIMAR_TEST_PG_PORT") > 0;
}

QStringList engines()
{
    QStringList e{QStringLiteral("SQLite")};
    if (postgresAvailable())
        e << QStringLiteral("PostgreSQL");
    return e;
}

Fixture defaultFixture()
{
    const QString v = qEnvironmentVariable("TALLIMAR_TEST_SCHEMA");
    if (v == QLatin1String("bare"))
        return Fixture::Bare;
    if (!v.isEmpty() && v != QLatin1String("recommended"))
        qFatal("TALLIMAR_TEST_SCHEMA is bare or recommended, not %s", qPrintable(v));
    return Fixture::Recommended;
}

Fresh::Fresh(const QString &engine, Fixture fixture) : m_engine(engine)
{
    if (!m_dir.isValid())
        qFatal("no temporary folder");
    m_iniPath = m_dir.filePath(QStringLiteral("Workers.ini"));
    QFile ini(m_iniPath);
    if (!ini.open(QIODevice::WriteOnly))
        qFatal("cannot write the test Workers.ini");
    ConnectionParams p;
    if (engine == QLatin1String("PostgreSQL")) {
        m_pgName =
            QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(s_counter.fetchAndAddRelaxed(1));
        adminExec(QStringLiteral("CREATE DATABASE %1").arg(m_pgName));
        p = pgParams(m_pgName);
        ini.write(QStringLiteral("[Database]\nEngine=PostgreSQL\nSource=%1:%2\nCatalog=%3\nUserName=%4\n[ChoosenStyle]"
                                 "\nStyle=Lavender Classico\n")
                      .arg(p.host)
                      .arg(p.port)
                      .arg(m_pgName, p.user)
                      .toUtf8());
    } else {
        p.engine = Engine::SQLite;
        p.database = m_dir.filePath(QStringLiteral("test.db"));
        p.createIfMissing = true;
        ini.write("[Database]\nEngine=SQLite\nCatalog=test.db\n[ChoosenStyle]\nStyle=Lavender Classico\n");
    }
    ini.close();
    m_conn = std::make_unique<Connection>();
    m_conn->open(p);
    Schema::create(*m_conn, fixture == Fixture::Bare ? Schema::Objects::Bare : Schema::Objects::All);
}

TDataModule1 &Fresh::dataModule()
{
    if (!m_dm) {
        m_dm = std::make_unique<TDataModule1>(m_iniPath);
        m_dm->DataModuleCreate();
    }
    return *m_dm;
}

Fresh::~Fresh()
{
    m_dm.reset();
    m_conn.reset();
    if (!m_pgName.isEmpty()) {
        try {
            adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgName));
        } catch (const DbError &e) {
            qWarning("could not drop %s: %s", qPrintable(m_pgName), e.what());
        }
    }
}

void exec(Connection &c, const QString &sql, const QVariantList &values)
{
    Query q(c, sql);
    for (int i = 0; i < values.size(); ++i)
        q.setParam(i, values.at(i));
    q.exec();
}

QVariant scalar(Connection &c, const QString &sql, const QVariantList &values)
{
    Query q(c, sql);
    for (int i = 0; i < values.size(); ++i)
        q.setParam(i, values.at(i));
    q.open();
    return q.isEmpty() ? QVariant() : q.value(0);
}

} // namespace TestDb
