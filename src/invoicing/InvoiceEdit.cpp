#include "InvoiceEdit.h"

#include "Connection.h"
#include "DbError.h"
#include "InvoiceLists.h"
#include "Transaction.h"

#include <QLocale>
#include <cmath>

namespace InvoiceEdit {
namespace {

const QString KeyWhere = QStringLiteral(
    " Where Assignment = :Assignment And Ref_No = :Ref_No And Col_Year = :Col_Year And Col_Month = :Col_Month");

QStringList fieldNames()
{
    QStringList names;
    for (const FieldDef &f : fields())
        names << f.name;
    return names;
}

// InvoiceQ: the window's columns and the reference, of one project and cycle.
const QString &selectSql()
{
    static const QString sql = QStringLiteral("Select %1 From Invoices Where Col_Year = :Col_Year And Col_Month = "
                                              ":Col_Month And Assignment = :Assignment Order By Employee_No")
                                   .arg(fieldNames().join(QStringLiteral(", ")));
    return sql;
}

// The same columns of one line, by the key that the check writes it under.
const QString &lineSql()
{
    static const QString sql =
        QStringLiteral("Select %1 From Invoices").arg(fieldNames().join(QStringLiteral(", "))) + KeyWhere;
    return sql;
}

// Every column that an edit can change (the total follows the amounts).
QStringList writtenFields()
{
    QStringList names;
    for (const FieldDef &f : fields())
        if (isEditable(f.name) || columnKind(f.name) == ColumnKind::Total)
            names << f.name;
    return names;
}

const QString &updateSql()
{
    static const QString sql = [] {
        QStringList sets;
        for (const QString &n : writtenFields())
            sets << QStringLiteral("%1 = :%1").arg(n);
        return QStringLiteral("Update Invoices Set ") + sets.join(QStringLiteral(", ")) + KeyWhere;
    }();
    return sql;
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// Whether a stored value is still the loaded one, whatever type the driver handed back.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

// A null bound with the column's type, so that every engine accepts it.
QVariant bindable(const QString &field, const QVariant &v)
{
    if (!v.isNull())
        return v;
    switch (columnKind(field)) {
    case ColumnKind::Days:
    case ColumnKind::Hours:
        return QVariant(QMetaType::fromType<int>());
    case ColumnKind::Rate:
    case ColumnKind::Amount:
    case ColumnKind::Total:
        return QVariant(QMetaType::fromType<double>());
    default:
        return QVariant(QMetaType::fromType<QString>());
    }
}

// Typed numbers are read in the locale the grid shows them in, and in no other: in a
// comma-decimal locale "1,250" is 1.25, never 1250.
bool parseWhole(const QString &text, qint64 &out)
{
    bool ok = false;
    out = QLocale().toLongLong(text, &ok);
    return ok;
}

bool parseMoney(const QString &text, double &out)
{
    bool ok = false;
    out = QLocale().toDouble(text, &ok);
    return ok && std::isfinite(out);
}

const QString MoneyRange = QStringLiteral("-999,999,999,999.99 and 999,999,999,999.99");

} // namespace

ColumnKind columnKind(const QString &field)
{
    const QString f = field.toLower();
    if (f == QLatin1String("col_year") || f == QLatin1String("col_month") || f == QLatin1String("employee_no") ||
        f == QLatin1String("assignment") || f == QLatin1String("ref_no"))
        return ColumnKind::Key;
    if (f == QLatin1String("days_calander") || f == QLatin1String("days_present"))
        return ColumnKind::Days;
    if (f == QLatin1String("earned_total"))
        return ColumnKind::Total;
    if (f.startsWith(QLatin1String("earned_"))) {
        if (f.endsWith(QLatin1String("_hours")))
            return ColumnKind::Hours;
        if (f.endsWith(QLatin1String("_rate")))
            return ColumnKind::Rate;
        return ColumnKind::Amount;
    }
    return ColumnKind::Text;
}

bool isEditable(const QString &field)
{
    const ColumnKind k = columnKind(field);
    return k != ColumnKind::Key && k != ColumnKind::Total;
}

int maxLength(const QString &field)
{
    if (columnKind(field) != ColumnKind::Text)
        return 0;
    const QString f = field.toLower();
    if (f.endsWith(QLatin1String("_code")))
        return 2;
    if (f.endsWith(QLatin1String("_hour")))
        return 8;
    return 100; // names and jobs
}

Parsed parse(const QString &field, const QString &text)
{
    Parsed p;
    const QString t = text.trimmed();
    switch (columnKind(field)) {
    case ColumnKind::Key:
        p.error = QStringLiteral("This column places the line and cannot be changed.");
        break;
    case ColumnKind::Total:
        p.error = QStringLiteral("The employee total is the sum of the amounts and cannot be typed.");
        break;
    case ColumnKind::Days: {
        qint64 n = 0;
        if (!parseWhole(t, n) || n < 0 || n > 31)
            p.error = QStringLiteral("Days must be a whole number from 0 to 31.");
        else
            p.value = int(n);
        break;
    }
    case ColumnKind::Hours: {
        qint64 n = 0;
        if (!parseWhole(t, n) || n < 0 || n > MaxMonthHours)
            p.error = QStringLiteral("Hours must be a whole number from 0 to %1.").arg(MaxMonthHours);
        else
            p.value = int(n);
        break;
    }
    case ColumnKind::Rate:
    case ColumnKind::Amount: {
        double d = 0;
        if (!parseMoney(t, d) || std::fabs(d) > MaxMoney)
            p.error = QStringLiteral("Enter a number between %1.").arg(MoneyRange);
        else
            p.value = d;
        break;
    }
    case ColumnKind::Text: {
        const int max = maxLength(field);
        // Stored as typed, spaces and quotes included.
        if (text.size() > max)
            p.error = QStringLiteral("At most %1 characters fit in this column.").arg(max);
        else
            p.value = text;
        break;
    }
    }
    return p;
}

const QList<FieldDef> &fields()
{
    static const QList<FieldDef> list = [] {
        QList<FieldDef> f = InvoiceLists::invoiceFields();
        FieldDef ref;
        ref.name = QStringLiteral("Ref_No");
        ref.kind = FieldKind::LargeInt;
        ref.visible = false; // the worker's reference keys the line; not a column
        f << ref;
        return f;
    }();
    return list;
}

void prepareInvoiceQ(Query &q)
{
    q.setName(QStringLiteral("InvoiceQ"));
    q.setSql(selectSql());
    for (const FieldDef &f : fields())
        q.defineField(f);
}

InvoiceLines::InvoiceLines(Connection &connection)
    : InvoiceQ(connection), m_conn(connection), m_lineQ(connection, lineSql()), m_updateQ(connection, updateSql())
{
    prepareInvoiceQ(InvoiceQ);
    for (const FieldDef &f : fields())
        m_lineQ.defineField(f);
}

void InvoiceLines::open(int year, int month, const QString &project)
{
    revert();
    InvoiceLists::open(InvoiceQ, year, month, project);
}

bool InvoiceLines::isLineEditable(int row) const
{
    if (row < 0 || row >= lineCount())
        return false;
    for (const char *key : {"Assignment", "Ref_No", "Col_Year", "Col_Month"})
        if (InvoiceQ.valueAt(row, column(QLatin1String(key))).isNull())
            return false;
    return true;
}

QVariant InvoiceLines::value(int row, int col) const
{
    if (row == m_pendingRow)
        return m_pending.value(col);
    if (row < 0 || row >= lineCount() || col < 0 || col >= InvoiceQ.fields().size())
        return {};
    return InvoiceQ.valueAt(row, col);
}

QVariant InvoiceLines::value(int row, const QString &field) const
{
    return value(row, column(field));
}

QString InvoiceLines::setValue(int row, int col, const QString &text)
{
    if (!isLineEditable(row) || col < 0 || col >= InvoiceQ.fields().size())
        return QStringLiteral("This line cannot be changed.");
    if (hasPending() && m_pendingRow != row)
        return QStringLiteral("Another line is being changed.");
    const QString field = InvoiceQ.field(col).name;
    const Parsed p = parse(field, text);
    if (!p.ok())
        return p.error;

    QList<QVariant> line;
    if (hasPending())
        line = m_pending;
    else
        for (int c = 0; c < InvoiceQ.fields().size(); ++c)
            line << InvoiceQ.valueAt(row, c);
    line[col] = p.value;

    // The amounts follow their hours and rates; the total follows the amounts.
    const ColumnKind kind = columnKind(field);
    auto num = [&](const QString &f) { return line.at(column(f)).toDouble(); };
    double total = 0;
    for (const char *k : {"WH", "OT", "HT"}) {
        const QString prefix = QStringLiteral("Earned_%1_").arg(QLatin1String(k));
        const int amountCol = column(prefix + QStringLiteral("Amount"));
        if ((kind == ColumnKind::Hours || kind == ColumnKind::Rate) && field.startsWith(prefix, Qt::CaseInsensitive)) {
            const double amount = num(prefix + QStringLiteral("Hours")) * num(prefix + QStringLiteral("Rate"));
            if (!std::isfinite(amount) || std::fabs(amount) > MaxMoney)
                return QStringLiteral("The amount would be beyond %1.").arg(MoneyRange);
            line[amountCol] = amount;
        }
        total += line.at(amountCol).toDouble();
    }
    if (!std::isfinite(total) || std::fabs(total) > MaxMoney)
        return QStringLiteral("The employee total would be beyond %1.").arg(MoneyRange);
    line[column(QStringLiteral("Earned_Total"))] = total;

    m_pendingRow = row;
    m_pending = line;
    return {};
}

void InvoiceLines::bindKey(Query &q, const QList<QVariant> &line) const
{
    q.setParam(QStringLiteral("Assignment"), line.at(column(QStringLiteral("Assignment"))).toString());
    q.setParam(QStringLiteral("Ref_No"), line.at(column(QStringLiteral("Ref_No"))).toLongLong());
    q.setParam(QStringLiteral("Col_Year"), line.at(column(QStringLiteral("Col_Year"))).toInt());
    q.setParam(QStringLiteral("Col_Month"), line.at(column(QStringLiteral("Col_Month"))).toInt());
}

void InvoiceLines::replaceLine(int row, const QList<QVariant> *line)
{
    const int current = InvoiceQ.row();
    Query::Snapshot s = InvoiceQ.takeSnapshot();
    if (line)
        s.rows[row] = *line;
    else
        s.rows.removeAt(row);
    InvoiceQ.adoptSnapshot(std::move(s));
    InvoiceQ.setRow(qBound(0, current, InvoiceQ.recordCount()));
}

InvoiceLines::SaveResult InvoiceLines::submit()
{
    if (!hasPending())
        return SaveResult::NothingToSave;
    const int row = m_pendingRow;
    const QList<QVariant> edited = m_pending;
    revert();
    const int cols = int(InvoiceQ.fields().size());
    QList<QVariant> loaded;
    bool changed = false;
    for (int c = 0; c < cols; ++c) {
        loaded << InvoiceQ.valueAt(row, c);
        changed = changed || !sameValue(loaded.at(c), edited.at(c));
    }
    if (!changed)
        return SaveResult::NothingToSave;

    // A race lost to another clerk's write is run again: the second read sees that write, and
    // the line is reloaded as changed by another user instead of failing.
    SaveResult result = SaveResult::Saved;
    runRetrying(m_conn, [&] { result = writeLine(row, loaded, edited); });
    return result;
}

InvoiceLines::SaveResult InvoiceLines::writeLine(int row, const QList<QVariant> &loaded, const QList<QVariant> &edited)
{
    const int cols = int(InvoiceQ.fields().size());
    Transaction t(m_conn);
    bindKey(m_lineQ, loaded);
    m_lineQ.open();
    if (m_lineQ.isEmpty()) {
        replaceLine(row, nullptr);
        return SaveResult::Gone;
    }
    QList<QVariant> stored;
    bool same = true;
    for (int c = 0; c < cols; ++c) {
        stored << m_lineQ.valueAt(0, c);
        same = same && sameValue(loaded.at(c), stored.at(c));
    }
    if (!same) {
        replaceLine(row, &stored);
        return SaveResult::Conflict;
    }
    for (const QString &f : writtenFields())
        m_updateQ.setParam(f, bindable(f, edited.at(column(f))));
    bindKey(m_updateQ, loaded);
    m_updateQ.exec();
    m_lineQ.open(); // the line as stored, so that the next comparison uses the engine's own forms
    if (m_lineQ.isEmpty())
        throw DbError(QStringLiteral("The invoice line could not be read back after writing it"));
    QList<QVariant> fresh;
    for (int c = 0; c < cols; ++c)
        fresh << m_lineQ.valueAt(0, c);
    t.commit();
    replaceLine(row, &fresh);
    return SaveResult::Saved;
}

Totals InvoiceLines::totals() const
{
    Totals t;
    if (!isOpen())
        return t;
    const int wh = column(QStringLiteral("Earned_WH_Hours")), ot = column(QStringLiteral("Earned_OT_Hours")),
              ht = column(QStringLiteral("Earned_HT_Hours")), wha = column(QStringLiteral("Earned_WH_Amount")),
              ota = column(QStringLiteral("Earned_OT_Amount")), hta = column(QStringLiteral("Earned_HT_Amount")),
              tot = column(QStringLiteral("Earned_Total"));
    t.lines = lineCount();
    for (int r = 0; r < t.lines; ++r) {
        t.whHours += value(r, wh).toLongLong();
        t.otHours += value(r, ot).toLongLong();
        t.htHours += value(r, ht).toLongLong();
        t.whAmount += value(r, wha).toDouble();
        t.otAmount += value(r, ota).toDouble();
        t.htAmount += value(r, hta).toDouble();
        t.total += value(r, tot).toDouble();
    }
    return t;
}

} // namespace InvoiceEdit
