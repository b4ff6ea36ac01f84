#pragma once

#include "Query.h"

#include <QList>
#include <QVariant>

class QSqlQuery;

// Runs a query's statement with its parameters and field definitions and reads the result
// forward only, one row at a time, without keeping the rows: for lists too long to hold.
// The query itself stays closed; its prepared statement is borrowed while the cursor runs.
class QueryCursor
{
public:
    explicit QueryCursor(Query &query) : m_query(query) {}
    ~QueryCursor() { finish(); }
    QueryCursor(const QueryCursor &) = delete;
    QueryCursor &operator=(const QueryCursor &) = delete;

    // Runs the statement (again) and stands before the first row. Fields described as text whose
    // kind the values decide are settled first by a look at the result. Throws DbError.
    void exec();
    // Moves to the next row; false at the end. Throws DbError.
    bool next();
    // Releases the result (done by the destructor too).
    void finish();

    const QList<FieldDef> &fields() const { return m_fields; }
    const QVariant &value(int column) const { return m_values.at(column); }
    // The position of a result column by its name (letter case ignored), after exec; -1 when absent.
    int column(const QString &name) const;
    const QString &name() const { return m_query.name(); }

private:
    QSqlQuery &run(QList<bool> &typeFromValues);

    Query &m_query;
    QSqlQuery *m_stmt = nullptr;
    QList<FieldDef> m_fields;
    QList<QVariant> m_values;
};
