#pragma once

#include "Engine.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// What the program needs of the suite's database (tables, columns, widths) and the indexes it
// recommends for speed; compared with what the connected database's catalog holds.
namespace SchemaCheck {

enum class ColumnType { Int32, Int64, Bit, DateTime, Double, Text };

struct Column
{
    QString name;
    ColumnType type = ColumnType::Text;
    int width = 0; // characters, text columns only
};

struct Table
{
    QString name;
    bool written = false; // the program writes rows of it, so its text widths matter
    QList<Column> columns;
};

// Every table and column the program's statements name, with the types and widths it writes.
const QList<Table> &requiredTables();
QString typeName(const Column &column);

// An index that makes the program's lists and passes fast; never needed for correctness.
struct Index
{
    QString name;
    QString table;
    QStringList columns;
};
const QList<Index> &recommendedIndexes();
// The statement that creates it; the same text serves the three engines.
QString createIndexSql(Engine engine, const Index &index);

// A column as the connected database's catalog describes it.
struct CatalogColumn
{
    QString name;
    QString type;
    int width = 0; // text: its characters, -1 without a limit; 0 for other types
};

struct Catalog
{
    // Keys are lower-case table names, then lower-case column names.
    QHash<QString, QHash<QString, CatalogColumn>> tables;
    // Lower-case table name -> the key columns (lower-case, in order) of each of its indexes.
    QHash<QString, QList<QStringList>> indexes;

    bool hasTable(const QString &table) const { return tables.contains(table.toLower()); }
    const CatalogColumn *column(const QString &table, const QString &column) const;
    // An index whose leading key columns are these, in this order.
    bool hasIndexOn(const QString &table, const QStringList &columns) const;
};

// Reads columns (and indexes when asked) of the connected database's own schema. Throws DbError.
Catalog readCatalog(Connection &connection, bool withIndexes);

struct Finding
{
    enum class Kind {
        MissingTable,
        MissingColumn,
        NarrowColumn,
        EmptyActiveCycle,
        BadActiveCycle,
        NoLoginUser,
        MissingIndex
    };
    Kind kind;
    QString table;
    QString column;
    QString detail; // what is wrong, in words, without the table's name
    QString sql;    // MissingIndex: the statement that creates it

    bool isWarning() const { return kind == Kind::MissingIndex; }
};

// Missing tables and columns only: what start-up refuses to go on without.
QList<Finding> missingObjects(const Catalog &catalog);
// Everything the program needs (tables, columns, widths, the active cycle, a user who may log
// in) and, as warnings, the absent recommended indexes. Reads only. Throws DbError.
QList<Finding> check(Connection &connection, const QString &loginRole);

bool hasMissing(const QList<Finding> &findings);
// The report, table by table, in the order of requiredTables(), with a closing summary line.
QString reportText(const QList<Finding> &findings);
// The CREATE INDEX statements of the absent indexes, each ending with ';' on its own line.
QString indexStatements(const QList<Finding> &findings);
// One message naming every missing table and column (start-up).
QString missingMessage(const QList<Finding> &missing);

// The width of a text column as the database declares it; 0 when unknown. Throws DbError.
int columnWidth(Connection &connection, const QString &table, const QString &column);
// Table and column named by SQL Server's truncation error 2628 ("... in table 'db.dbo.T',
// column 'C'. Truncated value: ..."); false when the text names none.
bool truncatedColumn(const QString &databaseText, QString &table, QString &column);

} // namespace SchemaCheck
