#include "Connection.h"
#include "DbError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>

namespace {
QAtomicInt s_connectionCounter;

QString errorText(const QSqlError &e)
{
    QString text = e.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unknown database error");
    return text;
}

// libpq connection-option value: single-quoted, with quote and backslash escaped.
QString pgQuote(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}
} // namespace

QString odbcQuote(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

QString odbcConnectionString(const ConnectionParams &p)
{
    QStringList parts;
    parts << QStringLiteral("DRIVER=") + odbcQuote(p.odbcDriver) << QStringLiteral("SERVER=") + odbcQuote(p.host)
          << QStringLiteral("DATABASE=") + odbcQuote(p.database) << QStringLiteral("UID=") + odbcQuote(p.user)
          << QStringLiteral("PWD=") + odbcQuote(p.password) << QStringLiteral("APP=") + odbcQuote(p.workstationId)
          << QStringLiteral("WSID=") + odbcQuote(p.workstationId);
    return parts.join(QLatin1Char(';')) + QLatin1Char(';');
}

Connection::Connection(const QString &name)
    : m_name(name.isEmpty() ? QStringLiteral("tallimar-%1").arg(s_connectionCounter.fetchAndAddRelaxed(1)) : name)
{
}

Connection::~Connection()
{
    close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_name) && database().isOpen();
}

void Connection::open()
{
    if (!beforeConnect)
        throw DbError(QStringLiteral("No connection settings"));
    open(beforeConnect());
}

void Connection::ensureOpen()
{
    if (!isOpen())
        open();
}

void Connection::open(const ConnectionParams &p)
{
    close();
    m_engine = p.engine;
    QString driver;
    switch (p.engine) {
    case Engine::SQLServer: driver = QStringLiteral("QODBC"); break;
    case Engine::PostgreSQL: driver = QStringLiteral("QPSQL"); break;
    case Engine::SQLite: driver = QStringLiteral("QSQLITE"); break;
    }
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw DbError(QStringLiteral("The database driver %1 is not installed").arg(driver));
    if (QSqlDatabase::contains(m_name) && database().driverName() != driver)
        QSqlDatabase::removeDatabase(m_name);
    {
        QSqlDatabase db = QSqlDatabase::contains(m_name) ? database() : QSqlDatabase::addDatabase(driver, m_name);
        switch (p.engine) {
        case Engine::SQLServer:
            db.setDatabaseName(odbcConnectionString(p));
            break;
        case Engine::PostgreSQL: {
            db.setHostName(p.host);
            if (p.port > 0)
                db.setPort(p.port);
            db.setDatabaseName(p.database);
            db.setUserName(p.user);
            db.setPassword(p.password);
            db.setConnectOptions(QStringLiteral("application_name=%1;connect_timeout=10").arg(pgQuote(p.workstationId)));
            break;
        }
        case Engine::SQLite:
            if (p.database.isEmpty())
                throw DbError(QStringLiteral("No database file is configured (Catalog in [Database])"));
            if (!p.createIfMissing && !QFileInfo::exists(p.database))
                throw DbError(QStringLiteral("Database file not found: %1").arg(p.database));
            db.setDatabaseName(p.database);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
            break;
        }
        if (!db.open()) {
            throw DbError(errorText(db.lastError()));
        }
    }
    m_inTransaction = false;
    ++m_generation;
    try {
        switch (p.engine) {
        case Engine::SQLServer:
            execDirect(QStringLiteral("SET TRANSACTION ISOLATION LEVEL SERIALIZABLE"));
            break;
        case Engine::PostgreSQL:
            execDirect(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL SERIALIZABLE"));
            break;
        case Engine::SQLite:
            // SQLite transactions are serializable; WAL lets readers go on while a clerk writes.
            execDirect(QStringLiteral("PRAGMA journal_mode=WAL"));
            execDirect(QStringLiteral("PRAGMA synchronous=NORMAL"));
            break;
        }
        if (afterConnect)
            afterConnect();
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    QSqlDatabase db = database();
    if (db.isOpen()) {
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    m_inTransaction = false;
}

void Connection::execDirect(const QString &sql)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        throw DbError(errorText(q.lastError()));
}

void Connection::beginTrans()
{
    ensureOpen();
    if (m_inTransaction)
        throw DbError(QStringLiteral("A transaction is already active"));
    QSqlDatabase db = database();
    if (!db.transaction())
        throw DbError(errorText(db.lastError()));
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    QSqlDatabase db = database();
    if (!db.commit()) {
        // The transaction stays open; the caller's guard rolls it back.
        throw DbError(errorText(db.lastError()));
    }
    m_inTransaction = false;
}

void Connection::rollbackTrans()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlDatabase db = database();
    if (!db.rollback())
        throw DbError(errorText(db.lastError()));
}

QVariant Connection::bindDateTime(Engine engine, const QDateTime &dt)
{
    if (!dt.isValid())
        return QVariant(QMetaType::fromType<QString>());
    // Text in one fixed form on SQLite (stored as is) and PostgreSQL (read as a timestamp without
    // time zone, so no session time zone shifts it); a native value for ODBC.
    if (engine == Engine::SQLServer)
        return dt;
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant Connection::bindValue(const QVariant &value) const
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return bindDateTime(m_engine, value.toDateTime());
    case QMetaType::QDate:
        return bindDateTime(m_engine, value.toDate().startOfDay());
    case QMetaType::Bool:
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toBool() ? 1 : 0);
    default:
        return value;
    }
}

QDateTime toDateTime(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: return value.toDateTime();
    case QMetaType::QDate: return value.toDate().startOfDay();
    default: break;
    }
    QString s = value.toString().trimmed();
    if (s.isEmpty())
        return {};
    s.replace(QLatin1Char('T'), QLatin1Char(' '));
    static const char *const formats[] = {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"};
    for (const char *f : formats) {
        QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
        if (dt.isValid())
            return dt;
    }
    // Fractions of other lengths, or a zone suffix.
    QDateTime dt = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return dt;
}
