#include "SchemaCheck.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"

#include <QDate>
#include <QRegularExpression>

namespace SchemaCheck {

namespace {

Column text(const char *name, int width)
{
    return {QString::fromLatin1(name), ColumnType::Text, width};
}

Column col(const char *name, ColumnType type)
{
    return {QString::fromLatin1(name), type, 0};
}

constexpr auto I32 = ColumnType::Int32;
constexpr auto I64 = ColumnType::Int64;
constexpr auto Bit = ColumnType::Bit;
constexpr auto Dt = ColumnType::DateTime;
constexpr auto Dbl = ColumnType::Double;

QList<Table> buildTables()
{
    QList<Table> t;
    t << Table{QStringLiteral("Assignments"),
               true,
               {col("Rec_ID", I64),
                text("Assignment", 50),
                col("isActive", Bit),
                col("isProtected", Bit),
                col("Billable", Bit),
                col("Night_Shift", Bit),
                col("Trans_To", Bit),
                col("Trans_From", Bit),
                col("WH", I32),
                col("OT", I32),
                col("HT", I32),
                col("Client_ID", I64),
                text("Project_Description", 255),
                text("Site_Location", 255),
                text("Remarks", 255),
                text("Map_Latitude", 50),
                text("Map_Longitude", 50),
                text("Project_Manager_Name", 50),
                text("Timekeeper_Name", 50),
                text("Accountant_Name", 50),
                text("HSE_Manager_Name", 50),
                text("Project_Manager_Mobile", 20),
                text("Timekeeper_Mobile", 20),
                text("Accountant_Mobile", 20),
                text("HSE_Manager_Mobile", 20),
                text("Project_Manager_Email", 50),
                text("Timekeeper_Email", 50),
                text("Accountant_Email", 50),
                text("HSE_Manager_Email", 50),
                text("Payment_Terms", 50),
                text("ERP_Account_No", 50)}};
    t << Table{QStringLiteral("AssignmentsRates"),
               true,
               {col("Rec_ID", I64), text("Assignment", 50), text("Site_Job", 100), col("WH_Rate", Dbl),
                col("OT_Rate", Dbl), col("HT_Rate", Dbl)}};
    t << Table{QStringLiteral("Clients"),
               true,
               {col("Rec_ID", I64), text("Client_Name", 50), text("Client_Kind", 50), text("Client_Size", 50),
                text("Payment_Terms", 50), text("Web_Site", 50), text("HO_Address", 255), col("isActive", Bit),
                text("Manager_Name", 50), text("Manager_Title", 50), text("Manager_Email", 50),
                text("Manager_Mobile", 20), text("Purchasing_Manager_Name", 50), text("Purchasing_Manager_Email", 50),
                text("Purchasing_Manager_Mobile", 20), text("Finance_Manager_Name", 50),
                text("Finance_Manager_Email", 50), text("Finance_Manager_Mobile", 20)}};
    t << Table{QStringLiteral("TimeSheets"),
               false,
               {col("Rec_ID", I64),      col("Col_Date", Dt),     col("Col_Year", I32),    col("Col_Month", I32),
                col("Col_Day", I32),     col("Ref_No", I64),      text("Employee_No", 50), text("Employee_Name", 100),
                text("Assignment", 32),  text("OurJob", 100),     text("SiteJob", 100),    text("OurAtt_Code", 2),
                text("OurAtt_Desc", 50), col("Our_WH", I32),      col("Our_OT", I32),      col("Our_HT", I32),
                text("Entered_By", 50),  col("Entered_Date", Dt), col("Checked", Bit),     text("Checked_By", 50),
                col("Checked_Date", Dt)}};
    t << Table{QStringLiteral("ClientTimeSheets"),
               true,
               {col("Rec_ID", I64),      col("Col_Date", Dt),    col("Col_Year", I32),      col("Col_Month", I32),
                col("Col_Day", I32),     col("Ref_No", I64),     text("Employee_No", 50),   text("Employee_Name", 100),
                text("Assignment", 32),  text("ClientJob", 100), text("ClientAtt_Code", 2), text("ClientAtt_Desc", 50),
                col("Client_WH", I32),   col("Client_OT", I32),  col("Client_HT", I32),     text("Entered_By", 50),
                col("Entered_Date", Dt), col("Checked", Bit),    text("Checked_By", 50),    col("Checked_Date", Dt),
                col("Dispute", Bit),     col("Closed", Bit)}};
    Table invoices{QStringLiteral("Invoices"),
                   true,
                   {col("Col_Year", I32),         col("Col_Month", I32),        text("Assignment", 32),
                    col("Ref_No", I64),           text("Employee_No", 50),      text("Employee_Name", 100),
                    text("Our_Job", 100),         text("Client_Job", 100),      col("Days_Calander", I32),
                    col("Days_Present", I32),     col("Earned_WH_Hours", I32),  col("Earned_OT_Hours", I32),
                    col("Earned_HT_Hours", I32),  col("Earned_WH_Rate", Dbl),   col("Earned_OT_Rate", Dbl),
                    col("Earned_HT_Rate", Dbl),   col("Earned_WH_Amount", Dbl), col("Earned_OT_Amount", Dbl),
                    col("Earned_HT_Amount", Dbl), col("Earned_Total", Dbl)}};
    for (int d = 1; d <= 31; ++d)
        invoices.columns << Column{QStringLiteral("D%1_Code").arg(d, 2, 10, QLatin1Char('0')), ColumnType::Text, 2};
    for (int d = 1; d <= 31; ++d)
        invoices.columns << Column{QStringLiteral("D%1_Hour").arg(d, 2, 10, QLatin1Char('0')), ColumnType::Text, 8};
    t << invoices;
    t << Table{QStringLiteral("PayrollActiveCycle"),
               false,
               {col("Rec_ID", I64), col("Cycle_Year", I32), col("Cycle_Month", I32)}};
    t << Table{QStringLiteral("SiteJobs"), false, {col("Rec_ID", I64), text("Job_Site", 100)}};
    t << Table{QStringLiteral("UsersRoles"), false, {text("UserName", 50), text("RoleName", 50)}};
    t << Table{QStringLiteral("Workers"),
               false,
               {col("Rec_ID", I64), text("Employee_No", 50), text("FirstName", 50), text("SecondName", 50),
                text("LastName", 50), text("Nationality", 100), text("OurJob", 100), text("SiteJob", 100),
                text("Assignment", 32), col("Arrival_Date", Dt)}};
    return t;
}

Index index(const char *name, const char *table, const char *columns)
{
    return {QString::fromLatin1(name), QString::fromLatin1(table),
            QString::fromLatin1(columns).split(QStringLiteral(", "))};
}

// The catalog's own columns, read by position (PostgreSQL names them in lower case).
const QString SqliteColumnsSql =
    QStringLiteral("Select m.name, p.name, p.type From sqlite_master m Join pragma_table_info(m.name) p "
                   "Where m.type = 'table'");
const QString SqliteIndexesSql =
    QStringLiteral("Select m.tbl_name, m.name, i.name From sqlite_master m Join pragma_index_info(m.name) i "
                   "Where m.type = 'index' Order By m.name, i.seqno");
// One text for PostgreSQL and SQL Server; the schema is the connection's own.
const QString ColumnsSql = QStringLiteral(
    "Select TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH From INFORMATION_SCHEMA.COLUMNS "
    "Where TABLE_SCHEMA = %1");
const QString PostgresIndexesSql =
    QStringLiteral("Select t.relname, i.relname, a.attname From pg_index x "
                   "Join pg_class t On t.oid = x.indrelid Join pg_class i On i.oid = x.indexrelid "
                   "Join pg_namespace ns On ns.oid = t.relnamespace "
                   "Join generate_series(0, 31) s(n) On s.n < x.indnkeyatts "
                   "Join pg_attribute a On a.attrelid = t.oid And a.attnum = x.indkey[s.n] "
                   "Where ns.nspname = current_schema() Order By t.relname, i.relname, s.n");
const QString SqlServerIndexesSql =
    QStringLiteral("Select t.name, i.name, c.name From sys.indexes i "
                   "Join sys.tables t On t.object_id = i.object_id "
                   "Join sys.index_columns ic On ic.object_id = i.object_id And ic.index_id = i.index_id "
                   "Join sys.columns c On c.object_id = ic.object_id And c.column_id = ic.column_id "
                   "Where ic.key_ordinal > 0 And t.schema_id = SCHEMA_ID() Order By t.name, i.name, ic.key_ordinal");

const QString ActiveCycleCountSql = QStringLiteral("Select Count(*) As N From PayrollActiveCycle");
const QString ActiveCycleSql =
    QStringLiteral("Select Rec_ID, Cycle_Year, Cycle_Month From PayrollActiveCycle Order By Rec_ID");
const QString LoginUsersSql =
    QStringLiteral("Select Count(Distinct UserName) As N From UsersRoles Where RoleName = :RoleName");

// Width of a text type as a declared type reads ("NVARCHAR(50)", "TEXT"); 0 for other types.
int declaredWidth(const QString &type)
{
    const QString t = type.toUpper();
    if (!t.contains(QLatin1String("CHAR")) && !t.contains(QLatin1String("TEXT")) && !t.contains(QLatin1String("CLOB")))
        return 0;
    static const QRegularExpression n(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const QRegularExpressionMatch m = n.match(t);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString tableKey(const QString &name)
{
    // SQL Server and PostgreSQL may name the schema; the program's tables are the connection's own.
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot >= 0 ? name.mid(dot + 1) : name).toLower();
}

bool hasColumns(const Catalog &c, const QString &table, const QStringList &columns)
{
    for (const QString &col : columns)
        if (!c.column(table, col))
            return false;
    return true;
}

QString plural(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

const QList<Table> &requiredTables()
{
    static const QList<Table> tables = buildTables();
    return tables;
}

QString typeName(const Column &column)
{
    switch (column.type) {
    case ColumnType::Int32:
        return QStringLiteral("int32");
    case ColumnType::Int64:
        return QStringLiteral("int64");
    case ColumnType::Bit:
        return QStringLiteral("bit");
    case ColumnType::DateTime:
        return QStringLiteral("date-time");
    case ColumnType::Double:
        return QStringLiteral("double");
    case ColumnType::Text:
        return QStringLiteral("text %1").arg(column.width);
    }
    return {};
}

const QList<Index> &recommendedIndexes()
{
    // The month of a project (lists, move, check), a worker's month (checker), the dashboard's
    // day sums, disputes, and the lookups by name; kept as one list with src/data/schema/.
    static const QList<Index> list = {
        index("IX_TimeSheets_Month", "TimeSheets", "Col_Year, Col_Month, Assignment, Ref_No, Col_Date"),
        index("IX_TimeSheets_RefMonth", "TimeSheets", "Ref_No, Col_Year, Col_Month"),
        index("IX_TimeSheets_Date", "TimeSheets", "Col_Date"),
        index("IX_TimeSheets_Employee", "TimeSheets", "Employee_No, Assignment, Col_Year, Col_Month, Col_Date"),
        index("IX_TimeSheets_Dashboard", "TimeSheets",
              "Col_Year, Col_Month, Col_Date, OurAtt_Code, Our_WH, Our_OT, Our_HT"),
        // A worker's days are found by reference first: an index ordered by date takes a page of
        // every day into every worker's move, so only the dashboard's keeps that order.
        index("IX_ClientTimeSheets_Month", "ClientTimeSheets",
              "Col_Year, Col_Month, Assignment, Ref_No, Col_Date, ClientAtt_Code, Client_WH, Client_OT, Client_HT"),
        index("IX_ClientTimeSheets_RefDate", "ClientTimeSheets", "Ref_No, Col_Date"),
        index("IX_ClientTimeSheets_Dispute", "ClientTimeSheets", "Dispute"),
        index("IX_ClientTimeSheets_Employee", "ClientTimeSheets",
              "Employee_No, Assignment, Col_Year, Col_Month, Col_Date"),
        // The dashboard's billed hours read in day order; it costs the move some pages per worker.
        index("IX_ClientTimeSheets_Dashboard", "ClientTimeSheets",
              "Col_Year, Col_Month, Col_Date, ClientAtt_Code, Client_WH, Client_OT, Client_HT"),
        index("IX_Invoices_Line", "Invoices", "Assignment, Ref_No, Col_Year, Col_Month"),
        index("IX_Invoices_Month", "Invoices", "Col_Year, Col_Month, Assignment, Employee_No"),
        index("IX_AssignmentsRates_Job", "AssignmentsRates", "Assignment, Site_Job"),
        index("IX_Assignments_Name", "Assignments", "Assignment"),
        index("IX_Workers_EmployeeNo", "Workers", "Employee_No"),
        index("IX_UsersRoles_User", "UsersRoles", "UserName, RoleName"),
    };
    return list;
}

QString createIndexSql(Engine, const Index &index)
{
    // Plain, not unique: a suite database may hold rows that a unique index would refuse, and
    // the program keeps its rules inside its transactions anyway.
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(index.name, index.table, index.columns.join(QStringLiteral(", ")));
}

const CatalogColumn *Catalog::column(const QString &table, const QString &column) const
{
    const auto t = tables.constFind(table.toLower());
    if (t == tables.constEnd())
        return nullptr;
    const auto c = t->constFind(column.toLower());
    return c == t->constEnd() ? nullptr : &*c;
}

bool Catalog::hasIndexOn(const QString &table, const QStringList &columns) const
{
    QStringList want;
    for (const QString &c : columns)
        want << c.toLower();
    for (const QStringList &have : indexes.value(table.toLower()))
        if (have.mid(0, want.size()) == want)
            return true;
    return false;
}

Catalog readCatalog(Connection &connection, bool withIndexes)
{
    connection.ensureOpen();
    const Engine engine = connection.engine();
    Catalog catalog;
    Query cols(connection,
               engine == Engine::SQLite ? SqliteColumnsSql : ColumnsSql.arg(Dialect::currentSchema(engine)));
    cols.open();
    for (int r = 0; r < cols.recordCount(); ++r) {
        CatalogColumn c;
        c.name = cols.valueAt(r, 1).toString();
        c.type = cols.valueAt(r, 2).toString();
        c.width = declaredWidth(c.type);
        if (engine != Engine::SQLite && c.width != 0) {
            // The catalog's length: null for unlimited text, -1 for SQL Server's (max).
            const QVariant len = cols.valueAt(r, 3);
            c.width = len.isNull() || len.toInt() <= 0 ? -1 : len.toInt();
        }
        catalog.tables[tableKey(cols.valueAt(r, 0).toString())].insert(c.name.toLower(), c);
    }
    if (!withIndexes)
        return catalog;
    Query idx(connection, engine == Engine::SQLite       ? SqliteIndexesSql
                          : engine == Engine::PostgreSQL ? PostgresIndexesSql
                                                         : SqlServerIndexesSql);
    idx.open();
    QString lastKey;
    for (int r = 0; r < idx.recordCount(); ++r) {
        const QString table = tableKey(idx.valueAt(r, 0).toString());
        const QString key = table + QLatin1Char('\n') + idx.valueAt(r, 1).toString();
        QList<QStringList> &list = catalog.indexes[table];
        if (key != lastKey)
            list << QStringList();
        list.last() << idx.valueAt(r, 2).toString().toLower();
        lastKey = key;
    }
    return catalog;
}

QList<Finding> missingObjects(const Catalog &catalog)
{
    QList<Finding> out;
    for (const Table &t : requiredTables()) {
        if (!catalog.hasTable(t.name)) {
            out << Finding{Finding::Kind::MissingTable, t.name, {}, QStringLiteral("the table is missing"), {}};
            continue;
        }
        for (const Column &c : t.columns)
            if (!catalog.column(t.name, c.name))
                out << Finding{Finding::Kind::MissingColumn,
                               t.name,
                               c.name,
                               QStringLiteral("column %1 (%2) is missing").arg(c.name, typeName(c)),
                               {}};
    }
    return out;
}

QList<Finding> check(Connection &connection, const QString &loginRole)
{
    const Catalog catalog = readCatalog(connection, true);
    QList<Finding> out = missingObjects(catalog);
    for (const Table &t : requiredTables()) {
        if (!t.written)
            continue;
        for (const Column &c : t.columns) {
            const CatalogColumn *have = catalog.column(t.name, c.name);
            if (c.type == ColumnType::Text && have && have->width > 0 && have->width < c.width)
                out << Finding{Finding::Kind::NarrowColumn,
                               t.name,
                               c.name,
                               QStringLiteral("column %1 holds %2 characters; the program writes up to %3")
                                   .arg(c.name)
                                   .arg(have->width)
                                   .arg(c.width),
                               {}};
        }
    }
    const QString cycle = QStringLiteral("PayrollActiveCycle");
    if (hasColumns(catalog, cycle,
                   {QStringLiteral("Rec_ID"), QStringLiteral("Cycle_Year"), QStringLiteral("Cycle_Month")})) {
        Query q(connection, ActiveCycleSql);
        q.open();
        if (q.isEmpty()) {
            out << Finding{Finding::Kind::EmptyActiveCycle,
                           cycle,
                           {},
                           QStringLiteral("the table is empty: the program needs the active payroll cycle in its "
                                          "first row"),
                           {}};
        } else {
            const int y = q.asInt(QStringLiteral("Cycle_Year"));
            const int m = q.asInt(QStringLiteral("Cycle_Month"));
            if (!QDate(y, m, 1).isValid() || y < 1 || y > 9999)
                out << Finding{Finding::Kind::BadActiveCycle,
                               cycle,
                               {},
                               QStringLiteral("the first row's cycle (year %1, month %2) is not a month").arg(y).arg(m),
                               {}};
        }
    }
    const QString roles = QStringLiteral("UsersRoles");
    if (hasColumns(catalog, roles, {QStringLiteral("UserName"), QStringLiteral("RoleName")})) {
        Query q(connection, LoginUsersSql);
        q.setParam(QStringLiteral("RoleName"), loginRole);
        q.open();
        if (q.asInt(QStringLiteral("N")) == 0)
            out << Finding{Finding::Kind::NoLoginUser,
                           roles,
                           {},
                           QStringLiteral("no user holds the role %1, so nobody can log in").arg(loginRole),
                           {}};
    }
    for (const Index &i : recommendedIndexes()) {
        // An index on a missing column cannot be made; the missing column is reported already.
        if (!hasColumns(catalog, i.table, i.columns) || catalog.hasIndexOn(i.table, i.columns))
            continue;
        out << Finding{
            Finding::Kind::MissingIndex,
            i.table,
            {},
            QStringLiteral("no index on (%1), recommended for speed").arg(i.columns.join(QStringLiteral(", "))),
            createIndexSql(connection.engine(), i)};
    }
    return out;
}

bool hasMissing(const QList<Finding> &findings)
{
    for (const Finding &f : findings)
        if (!f.isWarning())
            return true;
    return false;
}

QString reportText(const QList<Finding> &findings)
{
    QString out;
    qsizetype missing = 0;
    qsizetype warnings = 0;
    for (const Table &t : requiredTables()) {
        QStringList lines;
        for (const Finding &f : findings) {
            if (f.table.compare(t.name, Qt::CaseInsensitive) != 0)
                continue;
            if (f.isWarning()) {
                ++warnings;
                lines << QStringLiteral("  warning: %1: %2;").arg(f.detail, f.sql);
            } else {
                ++missing;
                lines << QStringLiteral("  missing: %1").arg(f.detail);
            }
        }
        out += t.name + (lines.isEmpty() ? QStringLiteral(": ok\n")
                                         : QStringLiteral(":\n") + lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    out += missing == 0
               ? QStringLiteral("The database holds everything the program needs")
               : QStringLiteral("The database lacks %1 the program needs").arg(plural(missing, "thing", "things"));
    out += warnings == 0 ? QStringLiteral("; every recommended index is present.\n")
                         : QStringLiteral("; %1.\n").arg(
                               plural(warnings, "recommended index is absent", "recommended indexes are absent"));
    return out;
}

QString indexStatements(const QList<Finding> &findings)
{
    QString out;
    for (const Finding &f : findings)
        if (f.kind == Finding::Kind::MissingIndex)
            out += f.sql + QStringLiteral(";\n");
    return out;
}

QString missingMessage(const QList<Finding> &missing)
{
    QStringList names;
    for (const Finding &f : missing) {
        if (f.kind == Finding::Kind::MissingTable)
            names << QStringLiteral("table %1").arg(f.table);
        else if (f.kind == Finding::Kind::MissingColumn)
            names << QStringLiteral("column %1 of table %2").arg(f.column, f.table);
    }
    return QStringLiteral("The database lacks what the program needs (missing: %1). tallimar-cli db-check reports "
                          "everything to add.")
        .arg(names.join(QStringLiteral(", ")));
}

int columnWidth(Connection &connection, const QString &table, const QString &column)
{
    const Catalog catalog = readCatalog(connection, false);
    const CatalogColumn *c = catalog.column(tableKey(table), column);
    return c && c->width > 0 ? c->width : 0;
}

bool truncatedColumn(const QString &databaseText, QString &table, QString &column)
{
    static const QRegularExpression named(QStringLiteral("in table '([^']+)', column '([^']+)'"));
    const QRegularExpressionMatch m = named.match(databaseText);
    if (!m.hasMatch())
        return false;
    table = tableKey(m.captured(1));
    column = m.captured(2);
    return true;
}

} // namespace SchemaCheck
