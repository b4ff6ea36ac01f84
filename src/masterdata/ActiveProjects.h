#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The projects that attendance, checks and invoice lists work on: active and billable, in name
// order. One statement for every window and command that lists them.
namespace ActiveProjects {

// Column "Assignment".
extern const QString Sql;

// The names, in order. Throws DbError.
QStringList names(Connection &connection);
// Whether the name is one of them (exact match). Throws DbError.
bool contains(Connection &connection, const QString &project);

} // namespace ActiveProjects
