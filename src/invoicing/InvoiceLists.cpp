#include "InvoiceLists.h"
#include "ActiveProjects.h"

namespace InvoiceLists {
namespace {
FieldDef field(const QString &name, const QString &title, FieldKind kind, bool visible = true)
{
    FieldDef f;
    f.name = name;
    f.displayLabel = title;
    f.kind = kind;
    f.visible = visible;
    return f;
}

QList<FieldDef> buildInvoiceFields()
{
    const FieldKind I = FieldKind::Integer, F = FieldKind::Float, T = FieldKind::Text;
    QList<FieldDef> f{
        field(QStringLiteral("Col_Year"), QStringLiteral("Year"), I),
        field(QStringLiteral("Col_Month"), QStringLiteral("Month"), I),
        field(QStringLiteral("Assignment"), QStringLiteral("Project"), T, false), // loaded, not a column
        field(QStringLiteral("Employee_No"), QStringLiteral("Employee No."), T),
        field(QStringLiteral("Employee_Name"), QStringLiteral("Employee Name"), T),
        field(QStringLiteral("Our_Job"), QStringLiteral("Our Job"), T),
        field(QStringLiteral("Client_Job"), QStringLiteral("Client Job"), T),
        field(QStringLiteral("Days_Calander"), QStringLiteral("Calander Days"), I),
        field(QStringLiteral("Days_Present"), QStringLiteral("Present Days"), I),
        field(QStringLiteral("Earned_WH_Hours"), QStringLiteral("Normal Hours"), I),
        field(QStringLiteral("Earned_WH_Rate"), QStringLiteral("Normal Hours Rate"), F),
        field(QStringLiteral("Earned_WH_Amount"), QStringLiteral("Normal Hours Amount"), F),
        field(QStringLiteral("Earned_OT_Hours"), QStringLiteral("Overtime Hours"), I),
        field(QStringLiteral("Earned_OT_Rate"), QStringLiteral("Overtime Rate"), F),
        field(QStringLiteral("Earned_OT_Amount"), QStringLiteral("Overtime Amount"), F),
        field(QStringLiteral("Earned_HT_Hours"), QStringLiteral("Holiday Hours"), I),
        field(QStringLiteral("Earned_HT_Rate"), QStringLiteral("Holiday Rate"), F),
        field(QStringLiteral("Earned_HT_Amount"), QStringLiteral("Holiday Amount"), F),
        field(QStringLiteral("Earned_Total"), QStringLiteral("Employee Total"), F),
    };
    // Money is stored as computed and shown, on screen and in sheets, as it will be billed.
    for (FieldDef &money : f)
        if (money.kind == F)
            money.displayFormat = MoneyFormat;
    for (int d = 1; d <= 31; ++d) {
        const QString dd = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
        f << field(QStringLiteral("D%1_Code").arg(dd), QStringLiteral("D%1 Code").arg(dd), T);
    }
    for (int d = 1; d <= 31; ++d) {
        const QString dd = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
        // Day 7's title has always read "Hour".
        f << field(QStringLiteral("D%1_Hour").arg(dd),
                   (d == 7 ? QStringLiteral("D%1 Hour") : QStringLiteral("D%1 Hours")).arg(dd), T);
    }
    // Invoices has no row key: an edited line is written back by its project, worker and cycle.
    return f;
}

void define(Query &q, const QList<FieldDef> &fields)
{
    for (const FieldDef &f : fields)
        q.defineField(f);
}
} // namespace

// A reference, so that it is bound before any other file's static initialisation reads it.

const QString NotCheckedSql = QStringLiteral(
    "Select Distinct(Employee_No), Entered_By From ClientTimeSheets Where Checked = 0 And Col_Year = :Col_Year "
    "And Col_Month = :Col_Month AND Assignment = :Assignment");

const QList<FieldDef> &invoiceFields()
{
    static const QList<FieldDef> fields = buildInvoiceFields();
    return fields;
}

const QList<FieldDef> &notCheckedFields()
{
    static const QList<FieldDef> fields{
        field(QStringLiteral("Employee_No"), QStringLiteral("Employee Number"), FieldKind::Text),
        field(QStringLiteral("Entered_By"), QStringLiteral("Entered By"), FieldKind::Text)};
    return fields;
}

// The columns are named so that they come in the order the window shows them.
const QString &invoiceSql()
{
    static const QString sql = [] {
        QStringList names;
        for (const FieldDef &f : invoiceFields())
            names << f.name;
        return QStringLiteral("Select %1 from Invoices Where Col_Year = :Col_Year And Col_Month = :Col_Month "
                              "And Assignment = :Assignment Order By Employee_No")
            .arg(names.join(QStringLiteral(", ")));
    }();
    return sql;
}

void prepareInvoiceQ(Query &q)
{
    q.setName(QStringLiteral("InvoiceQ"));
    q.setSql(invoiceSql());
    define(q, invoiceFields());
}

void prepareNotCheckedQ(Query &q)
{
    q.setName(QStringLiteral("NotCheckedQ"));
    q.setSql(NotCheckedSql);
    define(q, notCheckedFields());
}

void open(Query &q, int year, int month, const QString &project)
{
    q.close();
    q.setParam(QStringLiteral("Col_Year"), year);
    q.setParam(QStringLiteral("Col_Month"), month);
    q.setParam(QStringLiteral("Assignment"), project);
    q.open();
}

} // namespace InvoiceLists
