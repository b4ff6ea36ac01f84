#include "InvoiceCheck.h"
#include "AttendanceTotals.h"

#include "DbError.h"
#include "Transaction.h"

#include <QDate>

namespace {

QString dayName(int d, const char *suffix)
{
    return QStringLiteral("D%1_%2").arg(d, 2, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
}

// Columns the update sets, in the order of the statement.
QStringList updatedColumns()
{
    QStringList c = {
        QStringLiteral("Client_Job"),      QStringLiteral("Days_Calander"),  QStringLiteral("Days_Present"),
        QStringLiteral("Earned_WH_Hours"), QStringLiteral("Earned_WH_Rate"), QStringLiteral("Earned_WH_Amount"),
        QStringLiteral("Earned_OT_Hours"), QStringLiteral("Earned_OT_Rate"), QStringLiteral("Earned_OT_Amount"),
        QStringLiteral("Earned_HT_Hours"), QStringLiteral("Earned_HT_Rate"), QStringLiteral("Earned_HT_Amount"),
        QStringLiteral("Earned_Total")};
    for (int d = 1; d <= 31; ++d)
        c << dayName(d, "Code") << dayName(d, "Hour");
    return c;
}

QString buildUpdateSql()
{
    QStringList sets;
    for (const QString &c : updatedColumns())
        sets << c + QStringLiteral(" = :") + c;
    return QStringLiteral("Update Invoices Set ") + sets.join(QStringLiteral(", ")) +
           QStringLiteral(" Where Assignment = :Assignment AND Ref_No = :Ref_No AND Col_Year = :Col_Year AND Col_Month "
                          "= :Col_Month");
}

QStringList insertedColumns()
{
    return QStringList{QStringLiteral("Col_Year"), QStringLiteral("Col_Month"),   QStringLiteral("Assignment"),
                       QStringLiteral("Ref_No"),   QStringLiteral("Employee_No"), QStringLiteral("Employee_Name"),
                       QStringLiteral("Our_Job")} +
           updatedColumns();
}

QString buildInsertSql()
{
    const QStringList cols = insertedColumns();
    QStringList params;
    for (const QString &c : cols)
        params << QStringLiteral(":") + c;
    return QStringLiteral("Insert Into Invoices (") + cols.join(QStringLiteral(", ")) + QStringLiteral(") Values (") +
           params.join(QStringLiteral(", ")) + QStringLiteral(")");
}

// The invoice-line upsert: update the line of the project, worker and month, insert it when
// nothing was updated, in the check's transaction.
const QString InvoiceUpdateSql = buildUpdateSql();
const QString InvoiceInsertSql = buildInsertSql();

// The stored text of one day's hours: "8,2,0", a null hour giving an empty piece.
QString hoursText(const QVariant &wh, const QVariant &ot, const QVariant &ht)
{
    auto piece = [](const QVariant &v) { return v.isNull() ? QString() : QString::number(v.toLongLong()); };
    return piece(wh) + QLatin1Char(',') + piece(ot) + QLatin1Char(',') + piece(ht);
}

void setLineParams(Query &q, const CheckTarget &t, const InvoiceLine &l)
{
    auto set = [&q](const QString &name, const QVariant &v) {
        if (q.paramNames().contains(name))
            q.setParamAll(name, v);
    };
    set(QStringLiteral("Col_Year"), t.year);
    set(QStringLiteral("Col_Month"), t.month);
    set(QStringLiteral("Assignment"), Query::text(t.project));
    set(QStringLiteral("Ref_No"), l.refNo);
    set(QStringLiteral("Employee_No"), Query::text(l.employeeNo));
    set(QStringLiteral("Employee_Name"), Query::text(l.employeeName));
    set(QStringLiteral("Our_Job"), Query::text(l.ourJob));
    set(QStringLiteral("Client_Job"), Query::text(l.clientJob));
    set(QStringLiteral("Days_Calander"), l.daysCalander);
    set(QStringLiteral("Days_Present"), l.daysPresent);
    set(QStringLiteral("Earned_WH_Hours"), l.whHours);
    set(QStringLiteral("Earned_WH_Rate"), l.whRate);
    set(QStringLiteral("Earned_WH_Amount"), l.whAmount());
    set(QStringLiteral("Earned_OT_Hours"), l.otHours);
    set(QStringLiteral("Earned_OT_Rate"), l.otRate);
    set(QStringLiteral("Earned_OT_Amount"), l.otAmount());
    set(QStringLiteral("Earned_HT_Hours"), l.htHours);
    set(QStringLiteral("Earned_HT_Rate"), l.htRate);
    set(QStringLiteral("Earned_HT_Amount"), l.htAmount());
    set(QStringLiteral("Earned_Total"), l.total());
    for (int d = 1; d <= 31; ++d) {
        set(dayName(d, "Code"), Query::text(l.dayCode[d - 1]));
        set(dayName(d, "Hour"), Query::text(l.dayHour[d - 1]));
    }
}

} // namespace

void fillLineFromRows(InvoiceLine &line, const Query &rows, int year, int month)
{
    line.daysCalander = QDate(year, month, 1).daysInMonth();
    line.daysPresent = line.whHours = line.otHours = line.htHours = 0;
    line.clientJob = QStringLiteral("");
    // Without a row the client month grid has no "Attendance" row, so the codes are empty; the
    // hours pivot always has its one row, so a day without hours reads "NA" either way.
    line.dayCode.fill(rows.isEmpty() ? QStringLiteral("") : QStringLiteral("NA"));
    line.dayHour.fill(QStringLiteral("NA"));
    std::array<bool, 31> seenCode{}, seenHour{};
    const int cDate = rows.fieldIndex(QStringLiteral("Col_Date"));
    const int cJob = rows.fieldIndex(QStringLiteral("ClientJob"));
    const int cCode = rows.fieldIndex(QStringLiteral("ClientAtt_Code"));
    const int cWh = rows.fieldIndex(QStringLiteral("Client_WH"));
    const int cOt = rows.fieldIndex(QStringLiteral("Client_OT"));
    const int cHt = rows.fieldIndex(QStringLiteral("Client_HT"));
    if (cDate < 0 || cJob < 0 || cCode < 0 || cWh < 0 || cOt < 0 || cHt < 0)
        throw DbError(QStringLiteral("The client attendance rows lack a column the invoice line needs"));
    for (int r = 0; r < rows.recordCount(); ++r) {
        const QVariant codeValue = rows.valueAt(r, cCode);
        const QString code = codeValue.toString();
        const QVariant wh = rows.valueAt(r, cWh), ot = rows.valueAt(r, cOt), ht = rows.valueAt(r, cHt);
        line.whHours += wh.toInt();
        line.otHours += ot.toInt();
        line.htHours += ht.toInt();
        if (code == QLatin1String("P") || code == QLatin1String("H"))
            ++line.daysPresent;
        // Rows come ordered by date: the month's last row names the job that prices it.
        line.clientJob = rows.valueAt(r, cJob).toString();
        const QDate date = toDateTime(rows.valueAt(r, cDate)).date();
        if (!date.isValid() || date.day() > line.daysCalander)
            continue;
        const int i = date.day() - 1;
        const QString hours = hoursText(wh, ot, ht);
        // Several rows on one day: the greatest text wins, as in the month grid, where a row
        // without a code gives none and a day with no code at all shows "NA".
        if (!codeValue.isNull() && (!seenCode[i] || code > line.dayCode[i])) {
            line.dayCode[i] = code;
            seenCode[i] = true;
        }
        if (!seenHour[i] || hours > line.dayHour[i])
            line.dayHour[i] = hours;
        seenHour[i] = true;
    }
}

QString checkFailureText(const QString &errorType, const QString &message)
{
    return QStringLiteral("Something went wrong!, ") + errorType + QStringLiteral(": ") + message;
}

QString CheckOutcome::pricedAtZeroText() const
{
    if (!noRate)
        return {};
    return QStringLiteral("priced at 0: no rate for job ") +
           (line.clientJob.isEmpty() ? QStringLiteral("(none)") : line.clientJob);
}

QString CheckOutcome::summary() const
{
    switch (status) {
    case Status::Checked: {
        QString s = QStringLiteral("checked");
        if (conflicts > 0)
            s += QStringLiteral(" (after %1 concurrent-update failure(s), retried: %2)")
                     .arg(conflicts)
                     .arg(lastConflict.section(QLatin1Char('\n'), 0, 0));
        if (noRate)
            s += QStringLiteral("; ") + pricedAtZeroText();
        return s;
    }
    case Status::Disputed:
        return QStringLiteral("skipped: disputed attendance");
    case Status::NoWorker:
        return QStringLiteral("skipped: no worker record");
    case Status::Refused:
        return QStringLiteral("skipped: ") + message;
    case Status::Failed:
        return QStringLiteral("failed: ") + message;
    }
    return {};
}

namespace {
const QString WorkerSql = QStringLiteral(
    "Select Rec_ID, Employee_No, FirstName, LastName, OurJob From Workers Where Employee_No = :Emp_No Order By Rec_ID");
// Checked_Date comes from the program's clock, as Entered_Date does.
// The rows are those of the employee number, as the checker window lists them.
const QString MarkRowsSql =
    QStringLiteral("Update ClientTimeSheets SET Checked = 1, Checked_By = :UserName, Checked_Date = :Checked_Date "
                   "Where Employee_No = :Employee_No "
                   "And Assignment = :Assignment And Col_Year = :Col_Year And Col_Month = :Col_Month");
// Each row comes with the project's first rate row (by Rec_ID) for its job, a row without a job
// taking the rate row of the empty site job: the last row's job prices the line, and reading
// the rates with the rows saves the check a round trip per worker.
const QString ClientRowsSql = QStringLiteral(
    "Select c.Rec_ID, c.Ref_No, c.Col_Date, c.ClientJob, c.ClientAtt_Code, c.Client_WH, c.Client_OT, c.Client_HT, "
    "c.Dispute, r.Rec_ID As Rate_Rec_ID, r.WH_Rate, r.OT_Rate, r.HT_Rate From ClientTimeSheets c "
    "Left Join AssignmentsRates r On r.Rec_ID = (Select Min(x.Rec_ID) From AssignmentsRates x "
    "Where x.Assignment = :Rate_Assignment And x.Site_Job = COALESCE(c.ClientJob, '')) "
    "Where c.Employee_No = :Employee_No And c.Assignment = :Assignment And c.Col_Year = :Col_Year "
    "And c.Col_Month = :Col_Month Order By c.Col_Date, c.Rec_ID");
// What the worker's line of the month bills now.
const QString ExistingLineSql = QStringLiteral(
    "Select Days_Present, Earned_WH_Hours, Earned_OT_Hours, Earned_HT_Hours, Earned_Total From Invoices "
    "Where Assignment = :Assignment And Ref_No = :Ref_No And Col_Year = :Col_Year And Col_Month = :Col_Month");
} // namespace

InvoiceCheck::InvoiceCheck(Connection &c, const Clock &clock)
    : m_conn(c), m_clock(clock), WorkerQ(c, WorkerSql), ComUpdate_TimeSheet(c, MarkRowsSql),
      ClientRowsQ(c, ClientRowsSql), ExistingLineQ(c, ExistingLineSql), ComUpdate_Invoice(c, InvoiceUpdateSql),
      ComInsert_Invoice(c, InvoiceInsertSql)
{
}

CheckOutcome InvoiceCheck::checkWorker(const CheckTarget &target, const QString &employeeNo, const QString &user)
{
    CheckOutcome o;
    RetryLog log;
    try {
        runRetrying(
            m_conn, [&] { o = run(target, employeeNo, user); }, &log);
    } catch (const DbError &e) {
        o = CheckOutcome();
        o.status = CheckOutcome::Status::Failed;
        o.message = checkFailureText(QStringLiteral("DbError"), e.message());
    } catch (const std::exception &e) {
        o = CheckOutcome();
        o.status = CheckOutcome::Status::Failed;
        o.message = checkFailureText(QStringLiteral("Exception"), QString::fromLocal8Bit(e.what()));
    }
    o.conflicts = log.conflicts;
    o.lastConflict = log.lastConflict;
    return o;
}

namespace {
// The reference numbers of the rows, in the rows' order, each once; a null one as 0.
QList<qint64> refsOf(const Query &rows)
{
    QList<qint64> refs;
    const int c = rows.fieldIndex(QStringLiteral("Ref_No"));
    for (int r = 0; r < rows.recordCount(); ++r) {
        const qint64 ref = rows.valueAt(r, c).toLongLong();
        if (!refs.contains(ref))
            refs << ref;
    }
    return refs;
}

QString refsText(const QList<qint64> &refs)
{
    QStringList s;
    for (qint64 r : refs)
        s << QString::number(r);
    return s.join(QStringLiteral(", "));
}
} // namespace

CheckOutcome InvoiceCheck::run(const CheckTarget &t, const QString &employeeNo, const QString &user)
{
    CheckOutcome o;
    o.line.employeeNo = employeeNo;
    auto refuse = [&o](const QString &reason) {
        o.status = CheckOutcome::Status::Refused;
        o.message = reason;
        o.rowsMarked = 0;
        return o; // the guard rolls the marking back
    };
    // The master rows are read before the transaction: the check never writes them, and a write
    // as the transaction's first statement keeps SQLite from failing on a stale read snapshot.
    WorkerQ.close();
    WorkerQ.setParam(QStringLiteral("Emp_No"), employeeNo);
    WorkerQ.open();
    if (WorkerQ.isEmpty()) {
        // Without a reference number the line would be filed under 0 and mark nobody's rows.
        o.status = CheckOutcome::Status::NoWorker;
        return o;
    }

    Transaction tr(m_conn);
    // The employee's rows of the project and month, found by employee number as the checker
    // window shows them: a rehired worker has two Workers rows, and the month's rows are filed
    // under one of them.
    ComUpdate_TimeSheet.setParam(QStringLiteral("UserName"), Query::text(user));
    // The program's local clock, as for Entered_Date: the server's CURRENT_TIMESTAMP is UTC on
    // some engines and would put a check made near midnight on another day.
    ComUpdate_TimeSheet.setParam(QStringLiteral("Checked_Date"), m_clock.now());
    ComUpdate_TimeSheet.setParam(QStringLiteral("Employee_No"), employeeNo);
    ComUpdate_TimeSheet.setParam(QStringLiteral("Assignment"), t.project);
    ComUpdate_TimeSheet.setParam(QStringLiteral("Col_Year"), t.year);
    ComUpdate_TimeSheet.setParam(QStringLiteral("Col_Month"), t.month);
    o.rowsMarked = ComUpdate_TimeSheet.exec();

    // The line is built from the rows just marked, read inside the same transaction.
    ClientRowsQ.close();
    ClientRowsQ.setParam(QStringLiteral("Employee_No"), employeeNo);
    ClientRowsQ.setParam(QStringLiteral("Assignment"), t.project);
    ClientRowsQ.setParam(QStringLiteral("Rate_Assignment"), t.project);
    ClientRowsQ.setParam(QStringLiteral("Col_Year"), t.year);
    ClientRowsQ.setParam(QStringLiteral("Col_Month"), t.month);
    ClientRowsQ.open();
    const QList<qint64> refs = refsOf(ClientRowsQ);
    if (refs.size() > 1)
        return refuse(QStringLiteral("the client rows of the month are filed under %1 worker references (%2)")
                          .arg(refs.size())
                          .arg(refsText(refs)));
    const int cDispute = ClientRowsQ.fieldIndex(QStringLiteral("Dispute"));
    for (int r = 0; r < ClientRowsQ.recordCount(); ++r)
        if (ClientRowsQ.valueAt(r, cDispute).toInt() != 0) {
            o.status = CheckOutcome::Status::Disputed;
            o.rowsMarked = 0;
            return o; // the guard rolls the marking back
        }

    // The Workers row the line belongs to: the one the rows are filed under.
    if (refs.isEmpty() && WorkerQ.recordCount() > 1) {
        QList<qint64> ids;
        for (WorkerQ.first(); !WorkerQ.eof(); WorkerQ.next())
            ids << WorkerQ.asInt64(QStringLiteral("Rec_ID"));
        return refuse(QStringLiteral("no client rows in the month and %1 worker records (%2)")
                          .arg(ids.size())
                          .arg(refsText(ids)));
    }
    if (!refs.isEmpty() && !WorkerQ.locate(QStringLiteral("Rec_ID"), refs.first()))
        return refuse(QStringLiteral("the client rows of the month are filed under reference %1, which is not a "
                                     "worker record of %2")
                          .arg(refs.first())
                          .arg(employeeNo));
    if (refs.isEmpty())
        WorkerQ.first();
    o.line.refNo = WorkerQ.asInt64(QStringLiteral("Rec_ID"));
    o.line.employeeName =
        WorkerQ.asString(QStringLiteral("FirstName")) + QLatin1Char(' ') + WorkerQ.asString(QStringLiteral("LastName"));
    o.line.ourJob = WorkerQ.asString(QStringLiteral("OurJob"));
    fillLineFromRows(o.line, ClientRowsQ, t.year, t.month);

    if (ClientRowsQ.isEmpty()) {
        // A month without rows writes an empty line: it must not wipe a line that bills.
        ExistingLineQ.close();
        ExistingLineQ.setParam(QStringLiteral("Assignment"), t.project);
        ExistingLineQ.setParam(QStringLiteral("Ref_No"), o.line.refNo);
        ExistingLineQ.setParam(QStringLiteral("Col_Year"), t.year);
        ExistingLineQ.setParam(QStringLiteral("Col_Month"), t.month);
        ExistingLineQ.open();
        for (ExistingLineQ.first(); !ExistingLineQ.eof(); ExistingLineQ.next()) {
            const qint64 hours = ExistingLineQ.asInt64(QStringLiteral("Earned_WH_Hours")) +
                                 ExistingLineQ.asInt64(QStringLiteral("Earned_OT_Hours")) +
                                 ExistingLineQ.asInt64(QStringLiteral("Earned_HT_Hours"));
            const qint64 days = ExistingLineQ.asInt64(QStringLiteral("Days_Present"));
            if (hours != 0 || days != 0 || ExistingLineQ.asDouble(QStringLiteral("Earned_Total")) != 0)
                return refuse(QStringLiteral("no client rows in the month; its invoice line (%1 present days, %2 "
                                             "hours) was kept")
                                  .arg(days)
                                  .arg(hours));
        }
    }

    // A month without client rows bills nothing: its rates stay 0 even when a rate row has an
    // empty site job.
    if (!ClientRowsQ.isEmpty()) {
        const int last = ClientRowsQ.recordCount() - 1;
        auto rate = [&](const char *column) {
            const QVariant v = ClientRowsQ.valueAt(last, ClientRowsQ.fieldIndex(QLatin1String(column)));
            return v.isNull() ? 0.0 : v.toDouble();
        };
        o.noRate = ClientRowsQ.valueAt(last, ClientRowsQ.fieldIndex(QStringLiteral("Rate_Rec_ID"))).isNull();
        if (!o.noRate) {
            o.line.whRate = rate("WH_Rate");
            o.line.otRate = rate("OT_Rate");
            o.line.htRate = rate("HT_Rate");
        }
    }

    // One line per key without relying on a unique index: the transaction is serializable, so of
    // two checks of one worker at once the engine fails one (SQLite lets one writer in at a time),
    // and checkWorker runs it again, when it finds the other's line and updates it.
    setLineParams(ComUpdate_Invoice, t, o.line);
    if (ComUpdate_Invoice.exec() == 0) {
        setLineParams(ComInsert_Invoice, t, o.line);
        ComInsert_Invoice.exec();
    }
    tr.commit();
    o.status = CheckOutcome::Status::Checked;
    return o;
}

CheckAllSummary checkEmployees(InvoiceCheck &check, const CheckTarget &target, const QStringList &employees,
                               const QString &user, const std::function<void(const QString &)> &before,
                               const std::function<void(const QString &, const CheckOutcome &)> &after,
                               const PassControl &control)
{
    CheckAllSummary s;
    int done = 0;
    for (const QString &emp : employees) {
        if (control.stop()) {
            s.stopped = true;
            s.notStarted = int(employees.size()) - done;
            break;
        }
        control.start(done++, int(employees.size()), emp);
        if (before)
            before(emp);
        const CheckOutcome o = check.checkWorker(target, emp, user);
        switch (o.status) {
        case CheckOutcome::Status::Checked:
            ++s.checked;
            if (o.noRate)
                s.unpriced << emp + QStringLiteral(": ") + o.pricedAtZeroText();
            break;
        case CheckOutcome::Status::Refused:
            ++s.skipped;
            s.refused << emp + QStringLiteral(": ") + o.message;
            break;
        case CheckOutcome::Status::Disputed:
            ++s.skipped;
            s.disputed << emp;
            break;
        case CheckOutcome::Status::NoWorker:
            ++s.skipped;
            s.noWorker << emp;
            break;
        case CheckOutcome::Status::Failed:
            ++s.failed;
            break;
        }
        if (after)
            after(emp, o);
        // The database as a whole failed (busy, or the server stayed away): the workers left
        // would all fail the same way, so the pass stops here.
        if (o.status == CheckOutcome::Status::Failed && classifyDbFailure(o.message) != DbFailureKind::Other) {
            s.stopped = true;
            s.notStarted = int(employees.size()) - done;
            s.stopCause = o.message;
            break;
        }
    }
    return s;
}

namespace {
} // namespace

QStringList workersOfProject(Connection &c, const CheckTarget &t)
{
    Query q(c, MonthHistory::EmployeesSql);
    q.setParam(QStringLiteral("Assignment"), t.project);
    q.setParam(QStringLiteral("Col_Year"), t.year);
    q.setParam(QStringLiteral("Col_Month"), t.month);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.asString(QStringLiteral("Employee_No"));
    return out;
}
