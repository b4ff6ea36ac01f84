#include "Engine.h"

std::optional<Engine> engineFromName(const QString &name)
{
    const QString n = name.trimmed();
    if (n.isEmpty() || n.compare(QLatin1String("SQLServer"), Qt::CaseInsensitive) == 0)
        return Engine::SQLServer;
    if (n.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return Engine::PostgreSQL;
    if (n.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        return Engine::SQLite;
    return std::nullopt;
}

QString engineName(Engine engine)
{
    switch (engine) {
    case Engine::SQLServer:
        return QStringLiteral("SQLServer");
    case Engine::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Engine::SQLite:
        return QStringLiteral("SQLite");
    }
    return {};
}

namespace Dialect {

QString dayOfMonth(Engine engine, const QString &dateExpr)
{
    switch (engine) {
    case Engine::SQLServer:
        return QStringLiteral("DAY(%1)").arg(dateExpr);
    case Engine::PostgreSQL:
        return QStringLiteral("CAST(EXTRACT(DAY FROM %1) AS INTEGER)").arg(dateExpr);
    case Engine::SQLite:
        return QStringLiteral("CAST(strftime('%d', %1) AS INTEGER)").arg(dateExpr);
    }
    return {};
}

QString concat(Engine engine, const QStringList &exprs)
{
    return exprs.join(engine == Engine::SQLServer ? QStringLiteral(" + ") : QStringLiteral(" || "));
}

QString currentSchema(Engine engine)
{
    switch (engine) {
    case Engine::SQLServer:
        return QStringLiteral("SCHEMA_NAME()");
    case Engine::PostgreSQL:
        return QStringLiteral("current_schema()");
    case Engine::SQLite:
        return QStringLiteral("'main'");
    }
    return {};
}

} // namespace Dialect
