#include "CliCommand.h"
#include "Dashboard.h"
#include "DataModule1.h"

#include <QMap>
#include <QRegularExpression>

namespace {

int runDashboard(CliContext &ctx)
{
    const QString cycle = ctx.option(QStringLiteral("--cycle"));
    static const QRegularExpression shape(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    const QRegularExpressionMatch m = shape.match(cycle);
    const int year = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int month = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (!m.hasMatch() || month < 1 || month > 12 || year < 1) {
        ctx.err << "dashboard needs --cycle YYYY-MM (for example --cycle 2024-03)\n";
        return 2;
    }
    CycleDashboard dashboard(ctx.dm->ADOConnection1);
    const DashboardData d = dashboard.refresh(year, month);

    // One line per day that either side has; a day missing on one side reads 0 there.
    QMap<QDate, std::pair<qint64, qint64>> days;
    for (const DashboardDay &day : d.deployed.days)
        days[day.date].first += day.hours;
    for (const DashboardDay &day : d.billed.days)
        days[day.date].second += day.hours;
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        ctx.out << it.key().toString(QStringLiteral("dd/MM/yyyy")) << ' ' << it.value().first << ' '
                << it.value().second << '\n';
    ctx.out << "total " << d.deployed.total << ' ' << d.billed.total << '\n';
    return 0;
}

const CliRegistrar reg({QStringLiteral("dashboard"),
                        QStringLiteral("dashboard --cycle YYYY-MM   hours deployed and billed per day of a cycle"),
                        {},
                        true,
                        &runDashboard});
} // namespace
