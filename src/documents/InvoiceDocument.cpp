#include "InvoiceDocument.h"

#include "AppInfo.h"
#include "Query.h"

#include <QLocale>
#include <algorithm>

namespace InvoiceDocument {

namespace {

// The line is named by project, worker and cycle; no row key of Invoices is read.
const QString LinesSql = QStringLiteral(
    "Select Employee_No, Employee_Name, Client_Job, Days_Present, Earned_WH_Hours, Earned_OT_Hours, "
    "Earned_HT_Hours, Earned_WH_Rate, Earned_OT_Rate, Earned_HT_Rate, Earned_WH_Amount, Earned_OT_Amount, "
    "Earned_HT_Amount, Earned_Total From Invoices "
    "Where Col_Year = :Col_Year And Col_Month = :Col_Month And Assignment = :Assignment Order By Employee_No");

// Nothing keeps project names unique but the writing transaction: the first row speaks.
const QString ProjectSql = QStringLiteral("Select Assignment, Site_Location, ERP_Account_No, Payment_Terms, Client_ID "
                                          "From Assignments Where Assignment = :Assignment");

const QString ClientSql = QStringLiteral("Select Client_Name, HO_Address From Clients Where Rec_ID = :Client_ID");

// A row with no employee number still counts as a worker not checked.
const QString UncheckedSql = QStringLiteral(
    "Select Count(Distinct COALESCE(Employee_No, '')) As Workers From ClientTimeSheets "
    "Where Checked = 0 And Col_Year = :Col_Year And Col_Month = :Col_Month And Assignment = :Assignment");

// Days, not rows: two rows of one worker's day count once.
const QString DisputedSql =
    QStringLiteral("Select Count(*) As Days From (Select Distinct COALESCE(Employee_No, '') As Employee, Col_Date "
                   "From ClientTimeSheets Where Dispute = 1 And Col_Year = :Col_Year And Col_Month = :Col_Month "
                   "And Assignment = :Assignment) d");

void bindCycle(Query &q, const QString &project, int year, int month)
{
    q.setParam(QStringLiteral("Col_Year"), year);
    q.setParam(QStringLiteral("Col_Month"), month);
    q.setParam(QStringLiteral("Assignment"), project);
}

qint64 count(Connection &c, const QString &sql, const QString &project, int year, int month)
{
    Query q(c, sql);
    bindCycle(q, project, year, month);
    q.open();
    q.first();
    return q.eof() ? 0 : q.value(0).toLongLong();
}

} // namespace

void Sums::add(const Line &l)
{
    ++lines;
    daysPresent += l.daysPresent;
    whHours += l.whHours;
    otHours += l.otHours;
    htHours += l.htHours;
    whAmount += l.whAmount;
    otAmount += l.otAmount;
    htAmount += l.htAmount;
    total += l.total;
}

QString Document::reference() const
{
    return QStringLiteral("%1/%2-%3")
        .arg(project)
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

QString Document::cycleText() const
{
    return QLocale(QLocale::English).toString(QDate(year, month, 1), QStringLiteral("MMMM yyyy"));
}

Sums Document::totals() const
{
    Sums s;
    for (const Line &l : lines)
        s.add(l);
    return s;
}

Document read(Connection &connection, const QString &project, int year, int month, const QDate &issued)
{
    Document d;
    d.company = AppInfo::CompanyName;
    d.project = project;
    d.year = year;
    d.month = month;
    d.issued = issued;

    Query p(connection, ProjectSql);
    p.setParam(QStringLiteral("Assignment"), project);
    p.open();
    p.first();
    d.projectRecorded = !p.eof();
    if (d.projectRecorded) {
        d.siteLocation = p.asString(QStringLiteral("Site_Location"));
        d.erpAccountNo = p.asString(QStringLiteral("ERP_Account_No"));
        d.paymentTerms = p.asString(QStringLiteral("Payment_Terms"));
        if (!p.isNull(QStringLiteral("Client_ID"))) {
            Query c(connection, ClientSql);
            c.setParam(QStringLiteral("Client_ID"), p.asInt64(QStringLiteral("Client_ID")));
            c.open();
            c.first();
            d.clientRecorded = !c.eof();
            if (d.clientRecorded) {
                d.clientName = c.asString(QStringLiteral("Client_Name"));
                d.clientAddress = c.asString(QStringLiteral("HO_Address"));
            }
        }
    }

    Query q(connection, LinesSql);
    bindCycle(q, project, year, month);
    q.open();
    const int cNo = q.fieldIndex(QStringLiteral("Employee_No")), cName = q.fieldIndex(QStringLiteral("Employee_Name")),
              cJob = q.fieldIndex(QStringLiteral("Client_Job")), cDays = q.fieldIndex(QStringLiteral("Days_Present")),
              cWH = q.fieldIndex(QStringLiteral("Earned_WH_Hours")),
              cOT = q.fieldIndex(QStringLiteral("Earned_OT_Hours")),
              cHT = q.fieldIndex(QStringLiteral("Earned_HT_Hours")),
              cWHR = q.fieldIndex(QStringLiteral("Earned_WH_Rate")),
              cOTR = q.fieldIndex(QStringLiteral("Earned_OT_Rate")),
              cHTR = q.fieldIndex(QStringLiteral("Earned_HT_Rate")),
              cWHA = q.fieldIndex(QStringLiteral("Earned_WH_Amount")),
              cOTA = q.fieldIndex(QStringLiteral("Earned_OT_Amount")),
              cHTA = q.fieldIndex(QStringLiteral("Earned_HT_Amount")),
              cTot = q.fieldIndex(QStringLiteral("Earned_Total"));
    d.lines.reserve(q.recordCount());
    for (int r = 0; r < q.recordCount(); ++r) {
        Line l;
        l.employeeNo = q.valueAt(r, cNo).toString();
        l.employeeName = q.valueAt(r, cName).toString();
        l.clientJob = q.valueAt(r, cJob).toString();
        l.daysPresent = q.valueAt(r, cDays).toLongLong();
        l.whHours = q.valueAt(r, cWH).toLongLong();
        l.otHours = q.valueAt(r, cOT).toLongLong();
        l.htHours = q.valueAt(r, cHT).toLongLong();
        l.whRate = q.valueAt(r, cWHR).toDouble();
        l.otRate = q.valueAt(r, cOTR).toDouble();
        l.htRate = q.valueAt(r, cHTR).toDouble();
        l.whAmount = q.valueAt(r, cWHA).toDouble();
        l.otAmount = q.valueAt(r, cOTA).toDouble();
        l.htAmount = q.valueAt(r, cHTA).toDouble();
        l.total = q.valueAt(r, cTot).toDouble();
        d.lines.append(std::move(l));
    }
    q.close();
    // Sections by client job in one order on every engine; employees stay in the statement's order.
    std::stable_sort(d.lines.begin(), d.lines.end(),
                     [](const Line &a, const Line &b) { return a.clientJob.compare(b.clientJob) < 0; });

    d.uncheckedWorkers = count(connection, UncheckedSql, project, year, month);
    d.disputedDays = count(connection, DisputedSql, project, year, month);
    return d;
}

QString noLinesMessage(const QString &project, int year, int month)
{
    return QStringLiteral("There are no invoice lines for %1 in %2/%3")
        .arg(project)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(year, 4, 10, QLatin1Char('0'));
}

QString fileNameFor(const QString &project, int year, int month)
{
    QString base = project;
    for (QChar &c : base)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    base = base.trimmed();
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    if (base.isEmpty())
        base = QStringLiteral("Invoice");
    if (base.size() > 100)
        base.truncate(base.at(99).isHighSurrogate() ? 99 : 100);
    return QStringLiteral("%1-%2-%3.pdf")
        .arg(base)
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

} // namespace InvoiceDocument
