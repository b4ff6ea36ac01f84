#include "Connection.h"
#include "DbError.h"

#include <QAtomicInt>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QThread>
#include <QTimeZone>

#if TALLIMAR_HAS_ODBC
#include <sql.h>
#include <sqlext.h>
#endif

namespace {
QAtomicInt s_connectionCounter;
QAtomicInt s_reconnectLimitMs = 30000;

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
    m_params = p;
    QString driver;
    switch (p.engine) {
    case Engine::SQLServer:
        driver = QStringLiteral("QODBC");
        break;
    case Engine::PostgreSQL:
        driver = QStringLiteral("QPSQL");
        break;
    case Engine::SQLite:
        driver = QStringLiteral("QSQLITE");
        break;
    }
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw DbError(QStringLiteral("The database driver %1 is not installed").arg(driver));
    // A new driver object at every open: statements prepared on an earlier session (a lost
    // server's) then free themselves against that closed session, never inside a transaction
    // of the new one, where the server would refuse them and abort the transaction.
    if (QSqlDatabase::contains(m_name))
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
            db.setConnectOptions(
                QStringLiteral("application_name=%1;connect_timeout=10;options='-c statement_timeout=%2'")
                    .arg(pgQuote(p.workstationId))
                    .arg(DefaultStatementTimeoutMs));
            break;
        }
        case Engine::SQLite:
            if (p.database.isEmpty())
                throw DbError(QStringLiteral("No database file is configured (Catalog in [Database])"));
            if (!p.createIfMissing && !QFileInfo::exists(p.database))
                throw DbError(QStringLiteral("Database file not found: %1").arg(p.database));
            db.setDatabaseName(p.database);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(sqliteBusyTimeoutMs()));
            break;
        }
        if (!db.open()) {
            throw DbError(errorText(db.lastError()));
        }
    }
    m_inTransaction = false;
    m_pgStatementTimeoutMs = DefaultStatementTimeoutMs; // from the connection's options
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
            // Month-long scans (dashboard, lists) read the file through the page cache of the
            // system instead of copying every page: about a third faster.
            execDirect(QStringLiteral("PRAGMA mmap_size=1073741824"));
            // An INSERT ... SELECT that reads its own target (the move's "days without a row")
            // stages its rows in a temporary table: in memory, not a file made for each worker.
            execDirect(QStringLiteral("PRAGMA temp_store=MEMORY"));
            // A pass commits once per worker: copying the log into the file every 1,000 pages (the
            // default) copied the same index pages again every few workers. 10,000 pages (40 MB at
            // 4 KB) leaves the log short enough for readers; the commits stay as durable.
            execDirect(QStringLiteral("PRAGMA wal_autocheckpoint=10000"));
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

namespace {
#if TALLIMAR_HAS_ODBC
// The ODBC statement of a prepared query, or null for another driver.
SQLHANDLE odbcStatement(const QSqlQuery &statement)
{
    const QVariant h = statement.result() ? statement.result()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "SQLHANDLE") != 0)
        return nullptr;
    return *static_cast<const SQLHANDLE *>(h.constData());
}
#endif
} // namespace

bool Connection::execWithTimeout(QSqlQuery &statement, int timeoutMs)
{
    const int limit = timeoutMs > 0 ? timeoutMs : DefaultStatementTimeoutMs;
    switch (m_engine) {
    case Engine::SQLServer: {
#if TALLIMAR_HAS_ODBC
        // A statement attribute, sent with each execution: no round trip of its own.
        if (SQLHANDLE stmt = odbcStatement(statement))
            SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN((limit + 999) / 1000)),
                           SQL_IS_UINTEGER);
#endif
        return statement.exec();
    }
    case Engine::PostgreSQL:
        // A session setting, changed only when a statement asks for another limit than the one
        // in force: setting it back right after this statement would discard the rows it is
        // still fetching.
        if (limit != m_pgStatementTimeoutMs) {
            QSqlQuery set(database());
            m_pgStatementTimeoutMs = set.exec(QStringLiteral("SET statement_timeout = %1").arg(limit)) ? limit : -1;
        }
        return statement.exec();
    case Engine::SQLite:
        break;
    }
    return statement.exec();
}

bool isStatementTimeout(const QString &message)
{
    // PostgreSQL's words; the ODBC state of an expired query time-out.
    return message.contains(QLatin1String("statement timeout"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("Query timeout expired"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("HYT00"));
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
    m_pgStatementTimeoutMs = -1; // a limit set inside the transaction is undone
    QSqlDatabase db = database();
    if (!db.rollback())
        throw DbError(errorText(db.lastError()));
}

DbFailureKind classifyDbFailure(const QString &message)
{
    // The drivers' words: libpq for PostgreSQL, the ODBC link-failure state, SQLite's lock.
    static const char *const lost[] = {
        "server closed the connection", "no connection to the server",   "terminating connection",
        "could not connect to server",  "could not send data to server", "could not receive data from server",
        "Connection refused",           "communication link failure",    "08S01"};
    static const char *const busy[] = {"database is locked", "database table is locked", "database is busy"};
    for (const char *mark : lost)
        if (message.contains(QLatin1String(mark), Qt::CaseInsensitive))
            return DbFailureKind::ConnectionLost;
    for (const char *mark : busy)
        if (message.contains(QLatin1String(mark), Qt::CaseInsensitive))
            return DbFailureKind::Busy;
    return DbFailureKind::Other;
}

namespace {

// Lost races are retried this many times in all before the failure is reported.
constexpr int ConflictAttempts = 10;

// A race lost to another clerk's transaction (serialization failure, deadlock victim, a line
// another clerk wrote first, SQLite's lock): running the unit of work again is the cure.
bool isConcurrencyConflict(const QString &m)
{
    // The driver hands over texts only; these are the servers' words for a lost race.
    static const char *const marks[] = {"could not serialize access", "deadlock detected", "deadlock victim",
                                        "database is locked",         "ux_invoices_line",  "lock request time out"};
    for (const char *mark : marks)
        if (m.contains(QLatin1String(mark), Qt::CaseInsensitive))
            return true;
    return false;
}

// How long to wait before retry number `attempt` (1, 2, ...): growing, and random so that two
// clerks who collided do not collide again in step.
int conflictBackoffMs(int attempt)
{
    const int base = 20 << qBound(0, attempt - 1, 5); // 20 ms doubling up to 640 ms
    return base / 2 + int(QRandomGenerator::global()->bounded(base));
}

} // namespace

void runRetrying(Connection &connection, const std::function<void()> &work, RetryLog *log)
{
    const int maxReconnects = 3;
    int reconnects = 0;
    for (int attempt = 1;; ++attempt) {
        QElapsedTimer took;
        took.start();
        try {
            work();
            return;
        } catch (const DbError &e) {
            const DbFailureKind kind = classifyDbFailure(e.message());
            if (kind == DbFailureKind::ConnectionLost && reconnects < maxReconnects) {
                ++reconnects;
                if (connection.reconnect(e.message()))
                    continue;
            }
            // A lock held for the whole busy timeout is another program's long write, not a
            // race: waiting that long again would only delay the message.
            const bool heldThroughout =
                kind == DbFailureKind::Busy && took.elapsed() >= Connection::sqliteBusyTimeoutMs();
            if (isConcurrencyConflict(e.message()) && attempt < ConflictAttempts && !heldThroughout) {
                if (log) {
                    ++log->conflicts;
                    log->lastConflict = e.message();
                }
                // Let the other transaction finish before trying again.
                QThread::msleep(ulong(conflictBackoffMs(attempt)));
                continue;
            }
            if (kind == DbFailureKind::Other)
                throw;
            // A reconnect the user stopped is not a server that stayed away.
            const bool interrupted = connection.stopReconnecting && connection.stopReconnecting();
            throw DbError(passStopCause(kind, e.message(), interrupted));
        }
    }
}

QString passStopCause(DbFailureKind kind, const QString &driverText, bool interrupted)
{
    const QString words = driverText.section(QLatin1Char('\n'), 0, 0).simplified();
    if (kind == DbFailureKind::Busy)
        return QStringLiteral("The database is busy: another program is writing to it (%1)").arg(words);
    if (interrupted)
        return QStringLiteral("The connection to the database server was lost; reconnecting was interrupted (%1)")
            .arg(words);
    return QStringLiteral(
               "The connection to the database server was lost and could not be restored within %1 seconds (%2)")
        .arg(qMax(1, (Connection::reconnectLimitMs() + 999) / 1000))
        .arg(words);
}

int Connection::sqliteBusyTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TALLIMAR_SQLITE_BUSY_TIMEOUT_MS", &ok);
    return ok && ms >= 0 ? ms : 10000;
}

void Connection::setReconnectLimitMs(int ms)
{
    s_reconnectLimitMs.storeRelaxed(ms);
}

int Connection::reconnectLimitMs()
{
    return s_reconnectLimitMs.loadRelaxed();
}

bool Connection::reconnect(const QString &cause, QString *lastError)
{
    if (reconnecting)
        reconnecting(cause);
    QElapsedTimer since;
    since.start();
    const int limit = reconnectLimitMs();
    for (;;) {
        try {
            open(m_params);
            return true;
        } catch (const DbError &e) {
            if (lastError)
                *lastError = e.message();
        }
        // A restarting server refuses connections for a few seconds: try about once a second,
        // and look for an interruption more often than that.
        const QDeadlineTimer nextTry(qMin<qint64>(1000, qMax<qint64>(1, limit - since.elapsed())));
        do {
            if (stopReconnecting && stopReconnecting())
                return false;
            if (since.elapsed() >= limit)
                return false;
            QThread::msleep(ulong(qBound(qint64(1), nextTry.remainingTime(), qint64(100))));
        } while (!nextTry.hasExpired());
    }
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

namespace {
// "yyyy-MM-dd[ T]HH:mm:ss[.zzz]" or "yyyy-MM-dd", the forms the engines hand back as text;
// parsed by hand because grids and exports read many thousands of them.
QDateTime parseStoredDateTime(QStringView s)
{
    auto digits = [&](int from, int count, int &out) {
        if (from + count > s.size())
            return false;
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = s[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            v = v * 10 + (c - u'0');
        }
        out = v;
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (!digits(0, 4, y) || s.size() < 10 || s[4] != u'-' || !digits(5, 2, mo) || s[7] != u'-' || !digits(8, 2, d))
        return {};
    if (s.size() > 10) {
        if ((s[10] != u' ' && s[10] != u'T') || !digits(11, 2, h) || s.size() < 16 || s[13] != u':' ||
            !digits(14, 2, mi))
            return {};
        if (s.size() > 16 && (s[16] != u':' || !digits(17, 2, sec)))
            return {};
        if (s.size() > 19) {
            if (s[19] != u'.')
                return {};
            int n = 0, frac = 0;
            for (int i = 20; i < s.size() && n < 9 && s[i].isDigit(); ++i, ++n)
                frac = frac * 10 + (s[i].unicode() - u'0');
            if (n == 0 || 20 + n != s.size())
                return {};
            while (n < 3) {
                frac *= 10;
                ++n;
            }
            while (n > 3) {
                frac /= 10;
                --n;
            }
            ms = frac;
        }
    }
    const QDate date(y, mo, d);
    const QTime time(h, mi, sec, ms);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}
} // namespace

QDateTime toDateTime(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return value.toDate().startOfDay();
    default:
        break;
    }
    const QString s = value.toString().trimmed();
    if (s.isEmpty())
        return {};
    const QDateTime dt = parseStoredDateTime(s);
    if (dt.isValid())
        return dt;
    // A zone suffix or another ISO variant.
    return QDateTime::fromString(s, Qt::ISODateWithMs);
}
