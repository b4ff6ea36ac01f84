#pragma once

#include "Query.h"

#include <QList>
#include <QString>
#include <QVariant>

class QueryCursor;

// The rows a sheet is written from, read forward only: a pass starts with start() and goes on
// while next() finds a row. Writers never hold more than the current row.
class RowSource
{
public:
    virtual ~RowSource() = default;

    // The dataset's name (a sheet is named after it).
    virtual QString name() const = 0;
    // False when there is nothing to read (a dataset not open).
    virtual bool isActive() const = 0;
    // The fields; for a database source, known once a pass has started.
    virtual const QList<FieldDef> &fields() const = 0;
    // The number of rows when known before reading them, else -1.
    virtual qint64 knownRowCount() const { return -1; }

    // Starts a pass before the first row. Throws ExportError.
    virtual void start() = 0;
    // Moves to the next row; false at the end. Throws ExportError.
    virtual bool next() = 0;
    virtual QVariant value(int field) const = 0;
    // The value as a grid shows it.
    virtual QString displayText(int field) const = 0;
    // Whether the field's cell of the current row stands out (a difference to look at).
    virtual bool highlighted(int field) const
    {
        Q_UNUSED(field);
        return false;
    }
};

// The rows of a dataset already loaded (a window's list).
class SnapshotRowSource : public RowSource
{
public:
    explicit SnapshotRowSource(const Query &dataSet) : m_q(dataSet) {}

    QString name() const override { return m_q.name(); }
    bool isActive() const override { return m_q.isActive(); }
    const QList<FieldDef> &fields() const override { return m_q.fields(); }
    qint64 knownRowCount() const override { return m_q.recordCount(); }
    void start() override { m_row = -1; }
    bool next() override { return ++m_row < m_q.recordCount(); }
    QVariant value(int field) const override { return m_q.valueAt(m_row, field); }
    QString displayText(int field) const override { return m_q.displayText(m_row, field); }

private:
    const Query &m_q;
    int m_row = -1;
};

// The rows of a query's statement as the database hands them over, never all held at once.
// Database failures become ExportError.
class CursorRowSource : public RowSource
{
public:
    explicit CursorRowSource(QueryCursor &cursor) : m_cursor(cursor) {}

    QString name() const override;
    bool isActive() const override { return true; }
    const QList<FieldDef> &fields() const override;
    void start() override;
    bool next() override;
    QVariant value(int field) const override;
    QString displayText(int field) const override;

private:
    QueryCursor &m_cursor;
};
