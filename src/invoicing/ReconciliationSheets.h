#pragma once

#include "ExportError.h"
#include "Query.h"
#include "Reconciliation.h"
#include "RowSource.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

// The reconciliation as five lists, the same for the window's grids and the workbook's sheets:
// "Summary" (one row per project and a totals row), "Differences" (one row per worker and day),
// "Not Moved", "Unchecked" and "Disputes". Each cell that differs from the other side is marked.
namespace Reconcile {

struct Table
{
    QString name;
    QList<FieldDef> fields;
    QList<QList<QVariant>> rows;
    QList<quint32> marks; // per row, bit f set: field f differs

    bool marked(int row, int field) const { return (marks.at(row) >> field) & 1u; }
    // The fields and rows, for a query that shows them (Query::adoptSnapshot).
    Query::Snapshot snapshot() const { return {fields, rows}; }
};

Table summaryTable(const Result &result);
// Only the project's lines when one is given.
Table differencesTable(const Result &result, const QString &project = {});
Table notMovedTable(const Result &result);
Table uncheckedTable(const Result &result);
Table disputesTable(const Result &result);

// The five, in the workbook's order.
QList<Table> workbookTables(const Result &result);

// A table read as the rows of a sheet, its marked cells highlighted.
class TableRowSource : public RowSource
{
public:
    explicit TableRowSource(const Table &table) : m_table(table) {}

    QString name() const override { return m_table.name; }
    bool isActive() const override { return true; }
    const QList<FieldDef> &fields() const override { return m_table.fields; }
    qint64 knownRowCount() const override { return m_table.rows.size(); }
    void start() override { m_row = -1; }
    bool next() override { return ++m_row < m_table.rows.size(); }
    QVariant value(int field) const override { return m_table.rows.at(m_row).at(field); }
    QString displayText(int field) const override;
    bool highlighted(int field) const override { return m_table.marked(m_row, field); }

private:
    const Table &m_table;
    qint64 m_row = -1;
};

// Writes the five sheets to an .xlsx file: a temporary file renamed into place, nothing left
// behind on failure. Returns the data rows written. Throws ExportError.
qint64 saveWorkbook(const Result &result, const QString &fileName, const QLocale &locale = QLocale(),
                    const ExportProgress &progress = {});

} // namespace Reconcile
