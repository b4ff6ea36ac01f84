#include "ActiveProjects.h"
#include "Query.h"

namespace ActiveProjects {

const QString Sql =
    QStringLiteral("Select Assignment From Assignments Where isActive = 1 And Billable = 1 Order by Assignment");

QStringList names(Connection &connection)
{
    Query q(connection, Sql);
    q.open();
    QStringList out;
    const int c = q.fieldIndex(QStringLiteral("Assignment"));
    for (int r = 0; r < q.recordCount(); ++r)
        out << q.valueAt(r, c).toString();
    return out;
}

bool contains(Connection &connection, const QString &project)
{
    Query q(connection, QStringLiteral("Select Assignment From Assignments Where isActive = 1 And Billable = 1 "
                                       "And Assignment = :Assignment"));
    q.setParam(QStringLiteral("Assignment"), project);
    q.open();
    return !q.isEmpty();
}

} // namespace ActiveProjects
