#pragma once

#include "Connection.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <initializer_list>
#include <memory>
#include <utility>

class QSqlQuery;

// Kinds of field a dataset can hold; they decide display and export.
enum class FieldKind { Text, Memo, Integer, LargeInt, AutoInc, Boolean, Float, Currency, Date, Time, DateTime, Bytes };

bool isNumericKind(FieldKind k);
bool isDateKind(FieldKind k);
// The kind of a value type the driver reports.
FieldKind fieldKindOf(QMetaType type);

struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::Text;
    QString displayLabel;  // empty: the name is shown
    QString displayFormat; // numeric or date display format, empty for the default
    bool visible = true;

    QString label() const { return displayLabel.isEmpty() ? name : displayLabel; }
};

// The display format of money: stored as computed, shown and exported as it will be billed.
inline const QString MoneyFormat = QStringLiteral("#,##0.00");

// Gives a field described as text the kind of its first non-null value; false for a null.
bool settleKind(FieldDef &field, const QVariant &value);
// A fetched value as a dataset holds it: dates of every engine as date-times.
QVariant storedValue(const FieldDef &field, QVariant value);
// Text as a grid shows a value of the field: display format applied, dates in the locale's short form.
QString displayTextOf(const FieldDef &field, const QVariant &value);

// SQL text with ":Name" parameters. Every occurrence is a parameter of its own, in order of
// appearance; the text sent to the driver has positional markers instead.
struct ParsedSql
{
    QString positionalSql;
    QStringList names;
};
ParsedSql parseParameters(const QString &sql);

// A statement on a connection. Opening it fetches every row into a static snapshot that can be
// walked, searched and read by field; executing it runs a command and reports affected rows.
class Query
{
public:
    explicit Query(Connection &connection, const QString &sql = {});
    ~Query();
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    // The component name (e.g. "InvoiceQ"); an export names its sheet after it.
    void setName(const QString &name) { m_name = name; }
    const QString &name() const { return m_name; }

    // Clear, add the new text and re-parse its parameters; the values are reset to null.
    void setSql(const QString &sql);
    const QString &sql() const { return m_sql; }

    int paramCount() const { return int(m_paramNames.size()); }
    const QStringList &paramNames() const { return m_paramNames; }
    void setParam(int index, const QVariant &value);
    // Sets the first occurrence of the name only.
    void setParam(const QString &name, const QVariant &value);
    // Sets every occurrence of the name.
    void setParamAll(const QString &name, const QVariant &value);
    QVariant param(int index) const { return m_params.value(index); }
    // Sets several parameters by name, in one call.
    void setParams(std::initializer_list<std::pair<QString, QVariant>> values)
    {
        for (const auto &v : values)
            setParam(v.first, v.second);
    }
    // Text for a text column: empty text stays empty, since the drivers bind a null QString as NULL.
    static QVariant text(const QString &s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

    // Persistent field definitions (label, format, visibility, kind); fields not declared get
    // their kind from the driver.
    void defineField(const FieldDef &def);
    void setFieldVisible(const QString &name, bool visible);

    // How long the statement may run on the server before it is cancelled (0: the connection's
    // default, Connection::DefaultStatementTimeoutMs).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    void open(); // throws DbError
    void close();
    void refresh(); // reopen with the same parameters, keeping the current row where it can
    bool isActive() const { return m_active; }
    int exec(); // command; returns the affected-row count; throws DbError

    Connection &connection() const { return m_conn; }

    // Cursor over the snapshot.
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    void first() { m_row = 0; }
    void next()
    {
        if (m_row < m_rows.size())
            ++m_row;
    }
    bool eof() const { return m_row >= m_rows.size(); }
    int row() const { return m_row; }
    void setRow(int row) { m_row = row; }
    // Moves to the first row whose field equals the value as a whole; false leaves the cursor.
    bool locate(const QString &field, const QVariant &value);

    // The fetched rows and fields, to hand to a query of another connection (another thread).
    struct Snapshot
    {
        QList<FieldDef> fields;
        QList<QList<QVariant>> rows;
    };
    Snapshot takeSnapshot();
    // Shows rows fetched elsewhere as if this query had fetched them.
    void adoptSnapshot(Snapshot snapshot);

    const QList<FieldDef> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const; // -1 when absent, names without regard to case
    const FieldDef &field(int index) const { return m_fields.at(index); }

    // Values of the current row. Unknown field names throw DbError.
    QVariant value(const QString &field) const;
    QVariant value(int column) const;
    QVariant valueAt(int row, int column) const { return m_rows.at(row).at(column); }
    bool isNull(const QString &field) const;
    QString asString(const QString &field) const;
    int asInt(const QString &field) const;
    qint64 asInt64(const QString &field) const;
    double asDouble(const QString &field) const;
    bool asBool(const QString &field) const;
    QDateTime asDateTime(const QString &field) const;
    QDate asDate(const QString &field) const { return asDateTime(field).date(); }
    // Text as a grid shows it: display format applied, dates in the locale's short form.
    QString displayText(int row, int column) const;

private:
    friend class QueryCursor;
    QSqlQuery &bindAndRun();
    // The fields of a result: declared definitions first, then the driver's types; typeFromValues
    // marks the fields whose kind the first non-null value decides.
    QList<FieldDef> describe(const QSqlRecord &rec, QList<bool> &typeFromValues) const;
    int requireField(const QString &name) const;

    Connection &m_conn;
    QString m_name;
    std::unique_ptr<class QSqlQuery> m_stmt; // prepared once, reused while the connection lasts
    int m_stmtGeneration = -1;
    QString m_sql;
    ParsedSql m_parsed;
    QStringList m_paramNames;
    QList<QVariant> m_params;
    QList<FieldDef> m_declared;
    QHash<QString, bool> m_visibility; // setFieldVisible, by lower-case name; wins over definitions
    QList<FieldDef> m_fields;
    QList<QList<QVariant>> m_rows;
    int m_row = 0;
    bool m_active = false;
    int m_timeoutMs = 0;
};

// Known date-time columns of the schema; SQLite hands them back as text.
bool isDateTimeColumnName(const QString &name);
