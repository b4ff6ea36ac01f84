#include "DemoClientSheet.h"

#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "RowSource.h"
#include "SheetExporter.h"

#include <QDir>

namespace {
const QString CycleSql = QStringLiteral("Select Cycle_Year, Cycle_Month From PayrollActiveCycle Order By Rec_ID");
// Projects with own rows in the cycle, those without client rows first.
const QString ProjectsSql = QStringLiteral(
    "Select t.Assignment, (Select Count(*) From ClientTimeSheets c Where c.Assignment = t.Assignment And "
    "c.Col_Year = :Y1 And c.Col_Month = :M1) As ClientRows From TimeSheets t Where t.Col_Year = :Y2 And "
    "t.Col_Month = :M2 Group By t.Assignment Order By 2, 1");
const QString OwnRowsSql =
    QStringLiteral("Select Employee_No, Col_Date, OurAtt_Code, Our_WH, Our_OT, Our_HT From TimeSheets Where "
                   "Assignment = :A And Col_Year = :Y And Col_Month = :M Order By Employee_No, Col_Date");

// The own rows as the client would send them back.
class SheetRows : public RowSource
{
public:
    explicit SheetRows(Query &own) : m_own(own)
    {
        const char *titles[] = {"Emp No", "Date", "Code", "Normal", "OT", "Holiday"};
        const FieldKind kinds[] = {FieldKind::Text,    FieldKind::Date,    FieldKind::Text,
                                   FieldKind::Integer, FieldKind::Integer, FieldKind::Integer};
        for (int i = 0; i < 6; ++i) {
            FieldDef f;
            f.name = QStringLiteral("F%1").arg(i);
            f.displayLabel = QString::fromLatin1(titles[i]);
            f.kind = kinds[i];
            if (f.kind == FieldKind::Date)
                f.displayFormat = QStringLiteral("dd/MM/yyyy");
            m_fields << f;
        }
    }
    QString name() const override { return QStringLiteral("Attendance"); }
    bool isActive() const override { return true; }
    const QList<FieldDef> &fields() const override { return m_fields; }
    qint64 knownRowCount() const override { return m_own.recordCount() + 1; }
    void start() override { m_row = -1; }
    bool next() override { return ++m_row <= m_own.recordCount(); }
    QVariant value(int field) const override
    {
        // The last row: a worker the company does not have.
        if (m_row == m_own.recordCount()) {
            const QVariant d = m_own.valueAt(0, 1);
            const QVariant values[] = {QStringLiteral("X-99999"), d, QStringLiteral("P"), 8, 0, 0};
            return values[field];
        }
        QVariant v = m_own.valueAt(m_row, field);
        QString code = m_own.valueAt(m_row, 2).toString();
        if (code != QLatin1String("A") && code != QLatin1String("P") && code != QLatin1String("H"))
            code = QStringLiteral("A");
        if (field == 2)
            v = code;
        // A few differences: more overtime, a day absent, and one impossible day.
        if (m_row == 3 && field == 4)
            v = v.toInt() + 2;
        if (m_row == 10 && field == 3)
            v = v.toInt() + 1;
        if (m_row == 17 && code == QLatin1String("P") && field == 2)
            v = QStringLiteral("A");
        if (m_row == 17 && code == QLatin1String("P") && field >= 3)
            v = 0;
        if (m_row == 24 && field == 3)
            v = 30;
        if (field >= 3 && v.isNull())
            v = 0;
        return v;
    }
    QString displayText(int field) const override { return value(field).toString(); }

private:
    Query &m_own;
    QList<FieldDef> m_fields;
    int m_row = -1;
};
} // namespace

DemoClientSheet writeDemoClientSheet(Connection &connection, const QString &folder)
{
    DemoClientSheet s;
    Query cycle(connection, CycleSql);
    cycle.open();
    if (cycle.isEmpty())
        return s;
    s.year = cycle.asInt(QStringLiteral("Cycle_Year"));
    s.month = cycle.asInt(QStringLiteral("Cycle_Month"));
    Query projects(connection, ProjectsSql);
    projects.setParams({{QStringLiteral("Y1"), s.year},
                        {QStringLiteral("M1"), s.month},
                        {QStringLiteral("Y2"), s.year},
                        {QStringLiteral("M2"), s.month}});
    projects.open();
    if (projects.isEmpty())
        return s;
    s.project = projects.asString(QStringLiteral("Assignment"));
    Query own(connection, OwnRowsSql);
    own.setParams({{QStringLiteral("A"), s.project}, {QStringLiteral("Y"), s.year}, {QStringLiteral("M"), s.month}});
    own.open();
    if (own.isEmpty())
        return s;
    SheetRows rows(own);
    s.path = QDir(folder).filePath(
        QStringLiteral("Client Sheet %1 %2-%3.xlsx").arg(s.project).arg(s.year).arg(s.month, 2, 10, QLatin1Char('0')));
    TSheetExporter::SaveWorkbookAs(s.path, {{&rows, rows.name()}});
    s.rows = own.recordCount() + 1;
    return s;
}
