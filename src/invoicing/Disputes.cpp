#include "Disputes.h"
#include "ClientAttendance.h"

#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

namespace Disputes {

// A date lies in one cycle, so the cycle terms of the join change no result; they let the
// worker's month index find the own rows instead of every worker's rows of that date. Disputed
// rows are few: "+ 0" keeps an index-only planner (SQLite has no statistics here) on the dispute
// index rather than walking the whole month.
const QString DisputeSql = QStringLiteral(
    "Select a.Rec_ID As ClientRec_ID, b.Rec_ID As OurRec_ID, a.Col_Date, a.Ref_No, a.Employee_No, a.Employee_Name, "
    "a.Assignment, a.ClientJob, b.OurJob, a.ClientAtt_Code, b.OurAtt_Code, a.ClientAtt_Desc, b.OurAtt_Desc, "
    "a.Client_WH, b.Our_WH, a.Client_OT, b.Our_OT, a.Client_HT, b.Our_HT "
    "From ClientTimeSheets a Left Join TimeSheets b On b.Ref_No = a.Ref_No And b.Col_Year = a.Col_Year "
    "And b.Col_Month = a.Col_Month And b.Col_Date = a.Col_Date "
    "Where a.Dispute = 1 And a.Col_Year + 0 = :Col_Year And a.Col_Month = :Col_Month "
    "Order By a.Employee_No, a.Col_Date, a.Rec_ID, b.Rec_ID");

namespace {
FieldDef field(const char *name, const char *title, FieldKind kind, const QString &format = {})
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    // Untitled fields keep their own name as title: the driver may hand names back in lower case.
    f.displayLabel = QString::fromLatin1(*title ? title : name);
    f.kind = kind;
    f.displayFormat = format;
    return f;
}
} // namespace

const QList<FieldDef> &disputeFields()
{
    const FieldKind T = FieldKind::Text, I = FieldKind::Integer, L = FieldKind::LargeInt;
    static const QList<FieldDef> fields{
        field("ClientRec_ID", "", L),
        field("OurRec_ID", "", L),
        field("Col_Date", "Att Date", FieldKind::Date, QStringLiteral("dd/MM/yyyy")),
        field("Ref_No", "", L),
        field("Employee_No", "Employee No.", T),
        field("Employee_Name", "Employee Name", T),
        field("Assignment", "Project", T),
        field("ClientJob", "Client Job", T),
        field("OurJob", "Our Job", T),
        field("ClientAtt_Code", "Client Att. Code", T),
        field("OurAtt_Code", "Our Att. Code", T),
        field("ClientAtt_Desc", "Client Att. Desc", T),
        field("OurAtt_Desc", "Our Att. Desc", T),
        field("Client_WH", "Client WH", I),
        field("Our_WH", "Our WH", I),
        field("Client_OT", "Client OT", I),
        field("Our_OT", "Our OT", I),
        field("Client_HT", "Client HT", I),
        field("Our_HT", "Our HT", I),
    };
    return fields;
}

void prepareDisputeQ(Query &q)
{
    q.setName(QStringLiteral("DisputeQ"));
    q.setSql(DisputeSql);
    for (const FieldDef &f : disputeFields())
        q.defineField(f);
}

void open(Query &q, int year, int month)
{
    q.close();
    q.setParam(QStringLiteral("Col_Year"), year);
    q.setParam(QStringLiteral("Col_Month"), month);
    q.open();
    q.first();
}

int findEmployee(const Query &q, const QString &employeeNo)
{
    if (!q.isActive())
        return -1;
    const int c = q.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = 0; r < q.recordCount(); ++r) {
        const QVariant v = q.valueAt(r, c);
        if (!v.isNull() && v.toString() == employeeNo)
            return r;
    }
    return -1;
}

bool setDispute(Connection &connection, qint64 clientRecId, bool disputed)
{
    // The same write as the attendance window's Mark/UnMark Dispute.
    return setClientRowDispute(connection, clientRecId, disputed);
}

} // namespace Disputes
