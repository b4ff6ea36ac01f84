#pragma once

#include "Query.h"

#include <QList>
#include <QString>
#include <QVariant>

class Connection;

// Editing the invoice lines of one project and cycle: the list (InvoiceQ, the columns of the
// invoice details window plus the line's worker reference), a checked edit of one line at a time
// that keeps the amounts and the total consistent, and an optimistic write of the edited line.
namespace InvoiceEdit {

// What a column holds, which decides whether and how it may be edited.
enum class ColumnKind {
    Key,    // cycle, employee, project, worker reference: they place the line
    Text,   // names, jobs, day codes and hours, up to the column's length
    Days,   // whole days 0..31
    Hours,  // whole hours, 0 up to every hour of a month
    Rate,   // money per hour, may be negative (credits)
    Amount, // hours x rate, may be edited as a correction
    Total,  // the sum of the three amounts, never typed
};
ColumnKind columnKind(const QString &field);
bool isEditable(const QString &field);
// Longest text a Text column holds; 0 for other columns.
int maxLength(const QString &field);
// One column's hours in one month cannot exceed every hour of its longest month.
constexpr int MaxMonthHours = 31 * 24;
// Money values are refused beyond this size, where a double no longer keeps every cent.
constexpr double MaxMoney = 999999999999.99;

// A typed cell: the value to store, or why it is refused.
struct Parsed
{
    QVariant value;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
Parsed parse(const QString &field, const QString &text);

// The window's invoice list: InvoiceQ's columns, each with its title, and Ref_No (not shown).
const QList<FieldDef> &fields();
void prepareInvoiceQ(Query &q);

// Sums of the loaded lines.
struct Totals
{
    int lines = 0;
    qint64 whHours = 0, otHours = 0, htHours = 0;
    double whAmount = 0, otAmount = 0, htAmount = 0, total = 0;
};

// The invoice list of one project and cycle, with at most one line being edited. The edit is
// written when submitted (the window submits when the row is left) in one transaction, and only
// if the stored line still holds what was loaded.
class InvoiceLines
{
public:
    explicit InvoiceLines(Connection &connection);
    InvoiceLines(const InvoiceLines &) = delete;
    InvoiceLines &operator=(const InvoiceLines &) = delete;

    Query InvoiceQ;

    // Loads the lines; a pending edit is dropped. Throws DbError.
    void open(int year, int month, const QString &project);
    bool isOpen() const { return InvoiceQ.isActive(); }
    int lineCount() const { return InvoiceQ.recordCount(); }

    // A line can be edited when its key is complete.
    bool isLineEditable(int row) const;
    // The value shown: the pending edit's on the edited line, else the loaded one.
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &field) const;

    // Checks the typed text and applies it to the line with the recomputed amounts and total.
    // Returns the reason when refused (nothing changes). A pending edit of another line must be
    // submitted first.
    QString setValue(int row, int column, const QString &text);

    bool hasPending() const { return m_pendingRow >= 0; }
    int pendingRow() const { return m_pendingRow; }
    void revert()
    {
        m_pendingRow = -1;
        m_pending.clear();
    }

    enum class SaveResult {
        NothingToSave,
        Saved,
        Conflict, // the stored line differed from the loaded one: nothing written, the line reloaded
        Gone,     // the line was deleted meanwhile: nothing written, the line dropped from the list
    };
    // Writes the pending edit. On DbError the edit is dropped and the error passed on.
    SaveResult submit();

    Totals totals() const;

private:
    int column(const QString &field) const { return InvoiceQ.fieldIndex(field); }
    void bindKey(Query &q, const QList<QVariant> &line) const;
    void replaceLine(int row, const QList<QVariant> *line); // null: remove it
    // One transaction: the line is written only if it still holds what was loaded.
    SaveResult writeLine(int row, const QList<QVariant> &loaded, const QList<QVariant> &edited);

    Connection &m_conn;
    Query m_lineQ;   // one line by its key
    Query m_updateQ; // the write of one line by its key
    int m_pendingRow = -1;
    QList<QVariant> m_pending;
};

} // namespace InvoiceEdit
