#include "CliCommand.h"
#include "DataModule1.h"
#include "Roles.h"
#include "SchemaCheck.h"

namespace {

// For the administrator, before any user may exist: no login, and it only reads.
int runDbCheck(CliContext &ctx)
{
    const QString printIndexes = QStringLiteral("--print-indexes");
    for (const QString &a : ctx.args)
        if (a != printIndexes) {
            ctx.err << "db-check takes no argument but " << printIndexes << " ('" << a << "' given)\n";
            return 2;
        }
    TDataModule1 dm(ctx.iniPath);
    // Connected as the program connects, without the start-up refusal of a database that lacks
    // tables: listing what it lacks is this command's work.
    dm.ADOConnection1.afterConnect = nullptr;
    dm.DataModuleCreate();
    const QList<SchemaCheck::Finding> findings = SchemaCheck::check(dm.ADOConnection1, Roles::Login);
    ctx.out << (ctx.hasFlag(printIndexes) ? SchemaCheck::indexStatements(findings) : SchemaCheck::reportText(findings));
    return SchemaCheck::hasMissing(findings) ? 1 : 0;
}

const CliRegistrar reg({QStringLiteral("db-check"),
                        QStringLiteral("db-check [--print-indexes]   report what the database lacks for the program "
                                       "(no --user needed); --print-indexes prints only the CREATE INDEX statements"),
                        {},
                        false,
                        &runDbCheck});
} // namespace
