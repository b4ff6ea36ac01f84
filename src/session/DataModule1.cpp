#include "DataModule1.h"
#include "DbError.h"
#include "SchemaCheck.h"
#include "WorkersIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

const QString TDataModule1::CompiledPassword = QStringLiteral("Quorb8361");
const QString TDataModule1::DefaultStyle = QStringLiteral("Lavender Classico");
const QString TDataModule1::DefaultPhotoPath = QStringLiteral("\\\\hrfiles\\HR\\Backups\\All_Photos\\");

namespace {
// The shared datasets: the user's roles, the active payroll cycle and the clients list.
const QString UsersRolesSql =
    QStringLiteral("Select RoleName From UsersRoles Where UserName = :UserName Order By RoleName");
const QString ActiveCycleSql =
    QStringLiteral("Select Rec_ID, Cycle_Year, Cycle_Month From PayrollActiveCycle Order By Rec_ID");
const QString AllClientsSql =
    QStringLiteral("Select Rec_ID as Client_ID, Client_Name from Clients Order By Client_Name");
} // namespace

TDataModule1::TDataModule1(const QString &iniPath)
    : ADOConnection1(QStringLiteral("ADOConnection1-%1").arg(quintptr(this), 0, 16)),
      UsersRolesQ(ADOConnection1, UsersRolesSql), ActiveCycle(ADOConnection1, ActiveCycleSql),
      AllClientsQ(ADOConnection1, AllClientsSql),
      m_iniPath(iniPath.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Workers.ini"))
                                  : iniPath)
{
    ADOConnection1.beforeConnect = [this] { return ADOConnection1BeforeConnect(); };
    ADOConnection1.afterConnect = [this] { ADOConnection1AfterConnect(); };
    const WorkersIni ini(m_iniPath);
    PhotoShow = ini.readInteger(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), 0) != 0;
    PhotoPath = ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), DefaultPhotoPath);
}

TDataModule1::~TDataModule1() = default;

void TDataModule1::DataModuleCreate()
{
    ADOConnection1.open();
}

QString TDataModule1::GetAppVersionStr()
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(TALLIMAR_VERSION_MAJOR)
        .arg(TALLIMAR_VERSION_MINOR)
        .arg(TALLIMAR_VERSION_PATCH)
        .arg(TALLIMAR_VERSION_TWEAK);
}

QString TDataModule1::computerName()
{
    return qEnvironmentVariable("COMPUTERNAME");
}

QString TDataModule1::buildConnectionString(const QString &password, const QString &userName, const QString &catalog,
                                            const QString &source, const QString &version, const QString &computerName)
{
    // Values go in as they are: the suite's other modules build the same text.
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password + QStringLiteral(";") +
           QStringLiteral("Persist Security Info=True;") + QStringLiteral("User ID=") + userName + QStringLiteral(";") +
           QStringLiteral("Initial Catalog=") + catalog + QStringLiteral(";") + QStringLiteral("Data Source=") +
           source + QStringLiteral(";") + QStringLiteral("Use Procedure for Prepare=1;") +
           QStringLiteral("Auto Translate=True;") + QStringLiteral("Packet Size=4096;") +
           QStringLiteral("Workstation ID=") + QStringLiteral("Tallimar-V") + version + QStringLiteral(" ") +
           computerName + QStringLiteral(";") + QStringLiteral("Use Encryption for Data=False;") +
           QStringLiteral("Tag with column collation when possible=False;");
}

ConnectionParams TDataModule1::ADOConnection1BeforeConnect()
{
    Current_Version = GetAppVersionStr();
    WorkersIni ini(m_iniPath);
    const bool iniFound = ini.exists();
    const QString sec = QStringLiteral("Database");
    const QString userName = ini.readString(sec, QStringLiteral("UserName"));
    const QString catalog = ini.readString(sec, QStringLiteral("Catalog"));
    const QString source = ini.readString(sec, QStringLiteral("Source"));
    const QString engineText = ini.readString(sec, QStringLiteral("Engine"));
    const QString passwordOverride = ini.readString(sec, QStringLiteral("Password"));
    const QString odbcDriver = ini.readString(sec, QStringLiteral("OdbcDriver"));
    if (!ini.sectionExists(QStringLiteral("ChoosenStyle"))) {
        try {
            ini.appendSection(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"), DefaultStyle);
        } catch (const IniWriteError &e) {
            throw DbError(e.message());
        }
    }
    ChoosenStyle = ini.readString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"), DefaultStyle);
    const QString password = passwordOverride.isEmpty() ? CompiledPassword : passwordOverride;
    m_connectionString = buildConnectionString(password, userName, catalog, source, Current_Version, computerName());

    const auto engine = engineFromName(engineText);
    if (!engine)
        throw DbError(QStringLiteral("Unknown database engine '%1' in %2 (use SQLServer, PostgreSQL or SQLite)")
                          .arg(engineText, QFileInfo(m_iniPath).absoluteFilePath()));
    if (!iniFound && *engine == Engine::SQLServer && source.isEmpty())
        throw DbError(QStringLiteral("Configuration file not found: %1").arg(QFileInfo(m_iniPath).absoluteFilePath()));
    // Without the section every key reads empty and the driver's own complaint would not say why.
    if (iniFound && !ini.sectionExists(sec))
        throw DbError(QStringLiteral("No [Database] section in %1: the file does not say which database to use")
                          .arg(QFileInfo(m_iniPath).absoluteFilePath()));

    ConnectionParams p;
    p.engine = *engine;
    p.user = userName;
    p.password = password;
    p.workstationId = QStringLiteral("Tallimar-V") + Current_Version + QLatin1Char(' ') + computerName();
    switch (*engine) {
    case Engine::SQLServer:
        p.host = source;
        p.database = catalog;
#ifdef Q_OS_WIN
        p.odbcDriver = odbcDriver.isEmpty() ? QStringLiteral("ODBC Driver 17 for SQL Server") : odbcDriver;
#else
        p.odbcDriver = odbcDriver.isEmpty() ? QStringLiteral("FreeTDS") : odbcDriver;
#endif
        break;
    case Engine::PostgreSQL: {
        // Source is "host", "host:port" or "host,port" (the SQL Server way of naming a port).
        QString host = source;
        const int sep = qMax(host.lastIndexOf(QLatin1Char(',')), host.lastIndexOf(QLatin1Char(':')));
        if (sep > 0) {
            bool ok = false;
            const int port = host.mid(sep + 1).toInt(&ok);
            if (ok) {
                p.port = port;
                host = host.left(sep);
            }
        }
        p.host = host;
        p.database = catalog;
        break;
    }
    case Engine::SQLite:
        // A relative file name is taken from the configuration file's folder.
        p.database =
            catalog.isEmpty() ? QString() : QFileInfo(QFileInfo(m_iniPath).absoluteDir(), catalog).absoluteFilePath();
        break;
    }
    return p;
}

void TDataModule1::ADOConnection1AfterConnect()
{
    // A database of another program, an empty one or one without a column the program reads is
    // named as such, once, rather than by the first statement that trips over it.
    const QList<SchemaCheck::Finding> missing =
        SchemaCheck::missingObjects(SchemaCheck::readCatalog(ADOConnection1, false));
    if (!missing.isEmpty())
        throw DbError(SchemaCheck::missingMessage(missing));
    AllClientsQ.open();
}

void TDataModule1::openRoles(const QString &userName)
{
    UsersRolesQ.setParam(QStringLiteral("UserName"), userName);
    UsersRolesQ.open();
}

bool TDataModule1::hasRole(const QString &roleName) const
{
    if (!UsersRolesQ.isActive())
        return false;
    const int c = UsersRolesQ.fieldIndex(QStringLiteral("RoleName"));
    for (int r = 0; r < UsersRolesQ.recordCount(); ++r)
        if (UsersRolesQ.valueAt(r, c).toString() == roleName)
            return true;
    return false;
}

CycleMonth TDataModule1::activeCycle()
{
    if (!ActiveCycle.isActive())
        ActiveCycle.open();
    ActiveCycle.first();
    const QString invalid = QStringLiteral("Invalid argument to date encode");
    if (ActiveCycle.isEmpty())
        throw DbError(invalid);
    CycleMonth c{ActiveCycle.asInt(QStringLiteral("Cycle_Year")), ActiveCycle.asInt(QStringLiteral("Cycle_Month"))};
    if (!QDate(c.year, c.month, 1).isValid() || c.year < 1 || c.year > 9999)
        throw DbError(invalid);
    return c;
}
