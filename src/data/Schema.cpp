#include "Schema.h"
#include "Connection.h"
#include "DbError.h"
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
    static const QStringList names = {QStringLiteral("Assignments"),
                                      QStringLiteral("AssignmentsRates"),
                                      QStringLiteral("Clients"),
                                      QStringLiteral("TimeSheets"),
                                      QStringLiteral("ClientTimeSheets"),
                                      QStringLiteral("Invoices"),
                                      QStringLiteral("PayrollActiveCycle"),
                                      QStringLiteral("SiteJobs"),
                                      QStringLiteral("UsersRoles"),
                                      QStringLiteral("Workers")};
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

void createIn(Connection &connection, Objects which)
{
    for (const QString &sql : statements(connection.engine())) {
        const bool isIndex = sql.startsWith(QLatin1String("CREATE INDEX"), Qt::CaseInsensitive) ||
                             sql.startsWith(QLatin1String("CREATE UNIQUE INDEX"), Qt::CaseInsensitive);
        if (which == Objects::All || (which == Objects::Indexes) == isIndex)
            connection.execDirect(sql);
    }
}

void create(Connection &connection, Objects which)
{
    Transaction tx(connection);
    createIn(connection, which);
    tx.commit();
}

} // namespace Schema
