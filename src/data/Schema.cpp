#include "Schema.h"
#include "Connection.h"
#include "DbError.h"
#include "SchemaCheck.h"
#include "Transaction.h"

#include <QRegularExpression>
#include <QSqlDatabase>

QString schemaText(Engine engine);

namespace Schema {

QStringList statements(Engine engine)
{
    QStringList out;
    static const QRegularExpression separator(QStringLiteral("\\n;\\s*\\n"));
    const QStringList parts = schemaText(engine).split(separator, Qt::SkipEmptyParts);
    for (QString part : parts) {
        QStringList lines = part.split(QLatin1Char('\n'));
        lines.removeIf([](const QString &l) { return l.trimmed().startsWith(QLatin1String("--")); });
        part = lines.join(QLatin1Char('\n')).trimmed();
        if (part.endsWith(QLatin1Char(';')))
            part.chop(1);
        if (!part.isEmpty())
            out << part;
    }
    return out;
}

const QStringList &tableNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const SchemaCheck::Table &t : SchemaCheck::requiredTables())
            n << t.name;
        return n;
    }();
    return names;
}

QStringList missingTables(Connection &connection)
{
    connection.ensureOpen();
    const QStringList present = connection.database().tables(QSql::Tables);
    QStringList missing;
    for (const QString &t : tableNames()) {
        bool found = false;
        for (const QString &p : present)
            if (p.compare(t, Qt::CaseInsensitive) == 0 || p.endsWith(QLatin1Char('.') + t, Qt::CaseInsensitive)) {
                found = true;
                break;
            }
        if (!found)
            missing << t;
    }
    return missing;
}

namespace {

bool isIndex(const QString &sql)
{
    return sql.startsWith(QLatin1String("CREATE INDEX"), Qt::CaseInsensitive) ||
           sql.startsWith(QLatin1String("CREATE UNIQUE INDEX"), Qt::CaseInsensitive);
}

// A table statement without its keys. SQLite's identity is its rowid, which only a column
// declared INTEGER PRIMARY KEY names, so that one stays (it is the row itself, not an index); a
// rowid key of any other column becomes a plain 64-bit integer.
QString bareTable(Engine engine, const QString &sql)
{
    static const QRegularExpression key(QStringLiteral("\\s+PRIMARY\\s+KEY\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sqliteRowid(QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY\\b(?!\\s+AUTOINCREMENT)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QStringList lines = sql.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (engine == Engine::SQLite) {
            if (line.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
                continue;
            line.replace(sqliteRowid, QStringLiteral("BIGINT"));
        }
        line.replace(key, QString());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QStringList statements(Engine engine, Objects which)
{
    QStringList out;
    for (const QString &sql : statements(engine)) {
        const bool index = isIndex(sql);
        if (which == Objects::All || (which == Objects::Indexes && index) || (which == Objects::Tables && !index))
            out << sql;
        else if (which == Objects::Bare && !index)
            out << bareTable(engine, sql);
    }
    return out;
}

void createIn(Connection &connection, Objects which)
{
    for (const QString &sql : statements(connection.engine(), which))
        connection.execDirect(sql);
}

void create(Connection &connection, Objects which)
{
    Transaction tx(connection);
    createIn(connection, which);
    tx.commit();
}

} // namespace Schema
