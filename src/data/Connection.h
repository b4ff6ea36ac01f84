#pragma once

#include "DbError.h"
#include "Engine.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>

class QSqlQuery;

// How to reach one database, whatever the engine.
struct ConnectionParams
{
    Engine engine = Engine::SQLServer;
    QString host;     // SQL Server: the Source as written; PostgreSQL: host name or address
    int port = 0;     // PostgreSQL only; 0 = default
    QString database; // catalog, or the SQLite file
    QString user;
    QString password;
    QString workstationId;        // identifies program, version and computer to the server
    QString odbcDriver;           // SQL Server only
    bool createIfMissing = false; // SQLite only: the demo generator may create the file
};

// ODBC connection string for SQL Server, each value quoted so that ';', '{' or '}' cannot leak
// into another keyword.
QString odbcConnectionString(const ConnectionParams &p);
QString odbcQuote(const QString &value);

// One named database connection (never Qt's default one), with the open hooks and transaction
// state the screens rely on. Opening again after a failure runs the before-connect hook again.
class Connection
{
public:
    explicit Connection(const QString &name = {});
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Called before every attempt to open: fills the parameters (may throw DbError).
    std::function<ConnectionParams()> beforeConnect;
    // Called after every successful open (may throw DbError).
    std::function<void()> afterConnect;

    void open(const ConnectionParams &params); // throws DbError
    void open();                               // uses beforeConnect
    void ensureOpen();                         // opens when closed
    void close();
    bool isOpen() const;

    Engine engine() const { return m_engine; }
    // The parameters of the last open, for a second connection to the same database.
    const ConnectionParams &params() const { return m_params; }
    QSqlDatabase database() const;
    QString name() const { return m_name; }
    // Changes at every open, so that prepared statements of an earlier session are not reused.
    int generation() const { return m_generation; }

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

    // The one place that turns dates into bound values, so that every writer stores the same form.
    QVariant bindValue(const QVariant &value) const;
    static QVariant bindDateTime(Engine engine, const QDateTime &dt);

    // Runs a statement without parameters (session settings, schema).
    void execDirect(const QString &sql);

    // After a lost connection: opens again with the last parameters, trying until the retry
    // limit has passed. False when the server stayed away; *lastError then names why.
    bool reconnect(const QString &cause, QString *lastError = nullptr);
    // Told once per reconnect, before the first attempt, with the failure that lost the connection.
    std::function<void(const QString &cause)> reconnecting;
    // Asked between attempts: true gives up at once (the user interrupted the pass).
    std::function<bool()> stopReconnecting;
    // How long reconnect() keeps trying (30 s); tests shorten it.
    static void setReconnectLimitMs(int ms);
    static int reconnectLimitMs();
    // SQLite waits this long for another writer before a statement fails with "database is
    // locked": 10 s, or TALLIMAR_SQLITE_BUSY_TIMEOUT_MS (tests of a held database).
    static int sqliteBusyTimeoutMs();

    // How long the server lets one statement run before it cancels it (SQL Server, PostgreSQL),
    // so that a locked or overloaded server cannot hold a window for good. A query may ask for a
    // limit of its own (Query::setTimeoutMs). SQLite has none: it reads a local file, readers
    // never wait for a writer, and a writer waits the busy timeout above.
    static constexpr int DefaultStatementTimeoutMs = 60000;
    // Runs the prepared statement under the limit (0: the default).
    bool execWithTimeout(QSqlQuery &statement, int timeoutMs);

private:
    QString m_name;
    Engine m_engine = Engine::SQLServer;
    ConnectionParams m_params;
    bool m_inTransaction = false;
    int m_generation = 0;
    int m_pgStatementTimeoutMs = -1; // in force on the session; -1 when not known
};

// True when the server cancelled the statement because its time-out passed.
bool isStatementTimeout(const QString &message);

// The one message a pass stops with when the database as a whole failed it (kind Busy or
// ConnectionLost), naming the cause and the driver's words.
// What runRetrying() met on its way to the outcome.
struct RetryLog
{
    int conflicts = 0; // races lost to another transaction, rolled back and run again
    QString lastConflict;
};

// Runs one unit of work that is a transaction of its own, and runs it again after a lost
// connection (reconnecting first, up to three times) or a race lost to another clerk (after a
// growing random pause). On a failure that stays, throws DbError: the statement's own message,
// or for a database that failed as a whole (busy, server away) the cause the pass stops with.
void runRetrying(Connection &connection, const std::function<void()> &work, RetryLog *log = nullptr);

// `interrupted`: the user stopped the reconnecting.
QString passStopCause(DbFailureKind kind, const QString &driverText, bool interrupted = false);

// Parses a date-time as stored by any engine (native value or text).
QDateTime toDateTime(const QVariant &value);
