#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class Engine { SQLServer, PostgreSQL, SQLite };

// Names as written in the Engine key of Workers.ini, compared without regard to case.
std::optional<Engine> engineFromName(const QString &name);
QString engineName(Engine engine);

// The few SQL fragments that have no form common to the three engines.
namespace Dialect {
// Day of the month (1..31) of a date-time expression, as an integer.
QString dayOfMonth(Engine engine, const QString &dateExpr);
// Text concatenation of the given expressions.
QString concat(Engine engine, const QStringList &exprs);
// The connection's own schema, as a catalog query compares it (PostgreSQL and SQL Server).
QString currentSchema(Engine engine);
} // namespace Dialect
