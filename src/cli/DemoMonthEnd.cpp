#include "DemoMonthEnd.h"

#include "Connection.h"
#include "DbError.h"

namespace {

const QString InsertClientRowSql = QStringLiteral(
    "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, "
    "Assignment, ClientJob, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, "
    "Entered_Date, Checked, Checked_By, Checked_Date, Dispute) "
    "Values (:Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, :Assignment, "
    ":ClientJob, :ClientAtt_Code, :ClientAtt_Desc, :Client_WH, :Client_OT, :Client_HT, :Entered_By, :Entered_Date, "
    ":Checked, :Checked_By, :Checked_Date, :Dispute)");

QString dayColumn(int d, const char *suffix)
{
    return QStringLiteral("D%1_%2").arg(d, 2, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
}

// The invoice line's columns, in the order of the insert below.
QStringList lineColumns()
{
    QStringList c = {
        QStringLiteral("Col_Year"),         QStringLiteral("Col_Month"),       QStringLiteral("Assignment"),
        QStringLiteral("Ref_No"),           QStringLiteral("Employee_No"),     QStringLiteral("Employee_Name"),
        QStringLiteral("Our_Job"),          QStringLiteral("Client_Job"),      QStringLiteral("Days_Calander"),
        QStringLiteral("Days_Present"),     QStringLiteral("Earned_WH_Hours"), QStringLiteral("Earned_WH_Rate"),
        QStringLiteral("Earned_WH_Amount"), QStringLiteral("Earned_OT_Hours"), QStringLiteral("Earned_OT_Rate"),
        QStringLiteral("Earned_OT_Amount"), QStringLiteral("Earned_HT_Hours"), QStringLiteral("Earned_HT_Rate"),
        QStringLiteral("Earned_HT_Amount"), QStringLiteral("Earned_Total")};
    for (int d = 1; d <= 31; ++d)
        c << dayColumn(d, "Code") << dayColumn(d, "Hour");
    return c;
}

QString insertLineSql()
{
    const QStringList cols = lineColumns();
    return QStringLiteral("Insert Into Invoices (") + cols.join(QStringLiteral(", ")) + QStringLiteral(") Values (:") +
           cols.join(QStringLiteral(", :")) + QStringLiteral(")");
}

const QString InsertLineSql = insertLineSql();

QString rateKey(const QString &project, const QString &job)
{
    return project + QLatin1Char('\n') + job;
}

// What the check's line builder reads of each client row.
QList<FieldDef> rowFields()
{
    QList<FieldDef> f;
    for (const char *name : {"Col_Date", "ClientJob", "ClientAtt_Code", "Client_WH", "Client_OT", "Client_HT"}) {
        FieldDef d;
        d.name = QLatin1String(name);
        f << d;
    }
    return f;
}

} // namespace

DemoMonthEndWriter::DemoMonthEndWriter(Connection &c)
    : m_insRow(c, InsertClientRowSql), m_insLine(c, InsertLineSql), m_rows(c)
{
}

void DemoMonthEndWriter::addRates(const QString &project, const QString &siteJob, double wh, double ot, double ht)
{
    // The check prices with the first rate row of the job; the demo writes one per job.
    if (!m_rates.contains(rateKey(project, siteJob)))
        m_rates.insert(rateKey(project, siteJob), {wh, ot, ht});
}

void DemoMonthEndWriter::prepareMonth(int year, int month, const DemoStamps &st)
{
    const Engine engine = m_insRow.connection().engine();
    if (year != m_year || month != m_month) {
        m_year = year;
        m_month = month;
        m_dayValues.clear();
        m_dayTimes.clear();
        const QDate first(year, month, 1);
        for (int d = 0; d < first.daysInMonth(); ++d) {
            const QDateTime day = first.addDays(d).startOfDay();
            m_dayTimes << day;
            m_dayValues << Connection::bindDateTime(engine, day);
        }
    }
    if (st.moved != m_stamps.moved || st.corrected != m_stamps.corrected || st.checked != m_stamps.checked ||
        m_moved.isNull()) {
        m_stamps = st;
        m_moved = Connection::bindDateTime(engine, st.moved.startOfDay());
        m_corrected = Connection::bindDateTime(engine, st.corrected.startOfDay());
        m_checked = Connection::bindDateTime(engine, st.checked);
    }
}

InvoiceLine DemoMonthEndWriter::lineFor(const DemoWorkerMonth &m)
{
    prepareMonth(m.year, m.month, m_stamps);
    Query::Snapshot s;
    s.fields = rowFields();
    s.rows.reserve(m.days.size());
    for (const DemoClientDay &d : m.days)
        s.rows << QList<QVariant>{m_dayTimes.value(d.date.day() - 1), m.clientJob, d.code, d.wh, d.ot, d.ht};
    m_rows.adoptSnapshot(std::move(s));
    InvoiceLine line;
    line.refNo = m.refNo;
    line.employeeNo = m.employeeNo;
    line.employeeName = m.employeeName;
    line.ourJob = m.ourJob;
    fillLineFromRows(line, m_rows, m.year, m.month);
    m_rows.close();
    // A month without rows bills nothing, whatever the rates.
    const auto rates = m_rates.constFind(rateKey(m.project, line.clientJob));
    if (!m.days.isEmpty() && rates != m_rates.constEnd()) {
        line.whRate = (*rates)[0];
        line.otRate = (*rates)[1];
        line.htRate = (*rates)[2];
    }
    return line;
}

void DemoMonthEndWriter::write(const DemoWorkerMonth &m, const DemoStamps &st, bool checked)
{
    const QVariant nullText(QMetaType::fromType<QString>());
    // The check refuses a worker with a disputed day.
    for (const DemoClientDay &d : m.days)
        if (checked && d.dispute)
            throw DbError(QStringLiteral("A disputed month cannot be checked"));
    prepareMonth(m.year, m.month, st);
    for (const DemoClientDay &d : m.days) {
        if (d.date.year() != m.year || d.date.month() != m.month)
            throw DbError(QStringLiteral("A client day lies outside its month"));
        m_insRow.setParams({{QStringLiteral("Col_Date"), m_dayValues[d.date.day() - 1]},
                            {QStringLiteral("Col_Year"), m.year},
                            {QStringLiteral("Col_Month"), m.month},
                            {QStringLiteral("Col_Day"), d.date.day()},
                            {QStringLiteral("Ref_No"), m.refNo},
                            {QStringLiteral("Employee_No"), m.employeeNo},
                            {QStringLiteral("Employee_Name"), m.employeeName},
                            {QStringLiteral("Assignment"), m.project},
                            {QStringLiteral("ClientJob"), m.clientJob},
                            {QStringLiteral("ClientAtt_Code"), d.code},
                            {QStringLiteral("ClientAtt_Desc"), d.desc},
                            {QStringLiteral("Client_WH"), d.wh},
                            {QStringLiteral("Client_OT"), d.ot},
                            {QStringLiteral("Client_HT"), d.ht},
                            {QStringLiteral("Entered_By"), d.corrected ? st.correctedBy : st.movedBy},
                            {QStringLiteral("Entered_Date"), d.corrected ? m_corrected : m_moved},
                            {QStringLiteral("Checked"), checked ? 1 : 0},
                            {QStringLiteral("Checked_By"), checked ? QVariant(st.checkedBy) : nullText},
                            {QStringLiteral("Checked_Date"), checked ? m_checked : nullText},
                            {QStringLiteral("Dispute"), d.dispute ? 1 : 0}});
        m_insRow.exec();
        ++clientRows;
        checkedRows += checked ? 1 : 0;
        disputedRows += d.dispute ? 1 : 0;
    }
    if (!checked)
        return;

    const InvoiceLine l = lineFor(m);
    // The statement is built from lineColumns(), so its parameters are those names in that order;
    // binding by position spares 82 name searches per line.
    static const QStringList names = lineColumns();
    if (m_insLine.paramNames() != names)
        throw DbError(QStringLiteral("The invoice-line insert does not name its columns in order"));
    QList<QVariant> v = {m.year,
                         m.month,
                         m.project,
                         l.refNo,
                         Query::text(l.employeeNo),
                         Query::text(l.employeeName),
                         Query::text(l.ourJob),
                         Query::text(l.clientJob),
                         l.daysCalander,
                         l.daysPresent,
                         l.whHours,
                         l.whRate,
                         l.whAmount(),
                         l.otHours,
                         l.otRate,
                         l.otAmount(),
                         l.htHours,
                         l.htRate,
                         l.htAmount(),
                         l.total()};
    for (int d = 0; d < 31; ++d)
        v << Query::text(l.dayCode[d]) << Query::text(l.dayHour[d]);
    for (int i = 0; i < v.size(); ++i)
        m_insLine.setParam(i, v[i]);
    m_insLine.exec();
    ++invoiceLines;
}
