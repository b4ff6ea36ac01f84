#include "ActiveProjects.h"
#include "Query.h"

namespace ActiveProjects {

const QString Sql =
    QStringLiteral("Select Assignment From Assignments Where isActive = 1 And Billable = 1 Order by Assignment");

namespace {
const QString ContainsSql = QStringLiteral(
    "Select Assignment From Assignments Where isActive = 1 And Billable = 1 And Assignment = :Assignment");
} // namespace

QStringList names(Connection &connection)
{
    Query q(connection, Sql);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.asString(QStringLiteral("Assignment"));
    return out;
}

bool contains(Connection &connection, const QString &project)
{
    Query q(connection, ContainsSql);
    q.setParam(QStringLiteral("Assignment"), project);
    q.open();
    return !q.isEmpty();
}

} // namespace ActiveProjects
