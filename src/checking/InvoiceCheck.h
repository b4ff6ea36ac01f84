#pragma once

#include "Clock.h"
#include "Connection.h"
#include "PassControl.h"
#include "Query.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class Query;

// The project and month a check works on.
struct CheckTarget
{
    QString project;
    int year = 0;
    int month = 0;
};

// One worker's invoice line for a project and month.
struct InvoiceLine
{
    qint64 refNo = 0;
    QString employeeNo;
    QString employeeName;
    QString ourJob;
    QString clientJob;
    int daysCalander = 0;
    int daysPresent = 0;
    int whHours = 0;
    int otHours = 0;
    int htHours = 0;
    double whRate = 0;
    double otRate = 0;
    double htRate = 0;
    std::array<QString, 31> dayCode;
    std::array<QString, 31> dayHour;

    double whAmount() const { return whHours * whRate; }
    double otAmount() const { return otHours * otRate; }
    double htAmount() const { return htHours * htRate; }
    // From hours and rates, not from the rounded amounts of any display.
    double total() const { return whHours * whRate + otHours * otRate + htHours * htRate; }
};

// Fills the client figures of a line (days, hour sums, client job, day codes and hours) from a
// worker's client rows of one month, ordered by date (columns Col_Date, ClientJob,
// ClientAtt_Code, Client_WH, Client_OT, Client_HT). A day without a row has "NA" hours and,
// when the month has rows, the code "NA", as does a day whose rows have no code; a month
// without rows has empty codes and job.
void fillLineFromRows(InvoiceLine &line, const Query &rows, int year, int month);

struct CheckOutcome
{
    // Refused: the check could not tell which rows or line are the worker's (the reason in
    // message); nothing was marked or written.
    enum class Status { Checked, Disputed, NoWorker, Refused, Failed };
    Status status = Status::Failed;
    QString message; // the failure text for Failed, the reason for Refused
    int rowsMarked = 0;
    int conflicts = 0; // concurrent-update failures that were rolled back and tried again
    QString lastConflict;
    // Checked with client rows whose job has no rate in the project: the line is priced at 0.
    bool noRate = false;
    InvoiceLine line;

    // "priced at 0: no rate for job X" when noRate, else empty.
    QString pricedAtZeroText() const;
    // "checked", "checked; priced at 0: ...", "skipped: ..." or "failed: ..."
    QString summary() const;
};

// "Something went wrong!, " + error type + ": " + message
QString checkFailureText(const QString &errorType, const QString &message);

// The check of one worker: in one transaction, marks every client row of the employee number,
// project and month checked (the rows the checker window shows) and writes the worker's invoice
// line from exactly the rows it marked, under their Ref_No. Rows filed under more than one
// Ref_No, or under none of the employee's Workers rows, are refused, as is a month without rows
// that would empty a line that bills something.
// Statements are prepared once per object, so keep one for a whole pass.
class InvoiceCheck
{
public:
    // The clock stamps Checked_Date.
    explicit InvoiceCheck(Connection &connection, const Clock &clock = Clock::system());

    // Never throws: database failures come back as Failed, rolled back. A conflict with another
    // user's concurrent check (serialization failure, deadlock, lock timeout) is rolled back and
    // tried again a few times; the outcome counts it.
    CheckOutcome checkWorker(const CheckTarget &target, const QString &employeeNo, const QString &user);

private:
    CheckOutcome run(const CheckTarget &target, const QString &employeeNo, const QString &user);

    Connection &m_conn;
    const Clock &m_clock;
    Query WorkerQ;
    Query ComUpdate_TimeSheet;
    Query ClientRowsQ;
    Query ExistingLineQ;
    Query ComUpdate_Invoice;
    Query ComInsert_Invoice;
};

struct CheckAllSummary
{
    int checked = 0;
    int skipped = 0;
    int failed = 0;
    int notStarted = 0; // after a stop
    bool stopped = false;
    QString stopCause;    // empty when stopped on request; else the database failure that ended the pass
    QStringList disputed; // employee numbers skipped because of disputed rows
    QStringList noWorker; // employee numbers without a Workers row
    QStringList refused;  // "E1: reason" for each worker refused
    QStringList unpriced; // "E1: priced at 0: no rate for job X" for each line priced at 0
};

// Checks the given employees one after the other, each in its own transaction; a failure of
// one does not stop the pass. `before` runs ahead of each check (the window shows the worker
// there); `after` receives each outcome. The control sees each worker first and may stop the
// pass between two workers: the rest count as not started.
CheckAllSummary checkEmployees(InvoiceCheck &check, const CheckTarget &target, const QStringList &employees,
                               const QString &user, const std::function<void(const QString &)> &before = {},
                               const std::function<void(const QString &, const CheckOutcome &)> &after = {},
                               const PassControl &control = {});

// Employee numbers with own rows in the project and month, in the workers list's order.
QStringList workersOfProject(Connection &connection, const CheckTarget &target);
