#pragma once

#include "Query.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// Where the client's attendance of a cycle differs from the company's own, per project and per
// worker and day, with what is at stake: hours on both sides and the invoice lines written.
namespace Reconcile {

// One side of one day of a worker.
struct Day
{
    bool present = false; // the side has a row that day
    QString code;
    int wh = 0, ot = 0, ht = 0;
};

enum class Kind { HoursDiffer, CodeDiffers, OwnOnly, ClientOnly, Disputed };
// "Hours Differ", "Code Differs", "No Client Row", "No Own Row", "Disputed"
QString kindText(Kind kind);

// A worker's day where the two views differ.
struct Difference
{
    QString project;
    qint64 refNo = 0;
    QString employeeNo;
    QString employeeName;
    QDate date;
    Kind kind = Kind::HoursDiffer;
    Day own;
    Day client;

    // Own codes compare as a move carries them over.
    bool codeDiffers() const;
    bool whDiffers() const { return own.wh != client.wh; }
    bool otDiffers() const { return own.ot != client.ot; }
    bool htDiffers() const { return own.ht != client.ht; }
};

// A worker of a project in the cycle, both sides summed.
struct Worker
{
    QString project;
    qint64 refNo = 0;
    QString employeeNo;
    QString employeeName;
    int ownRows = 0;
    int ownWh = 0, ownOt = 0, ownHt = 0;
    int clientRows = 0;
    int clientWh = 0, clientOt = 0, clientHt = 0;
    int uncheckedRows = 0;
    int disputedRows = 0;
    QString enteredBy; // of the first unchecked client row
};

// A disputed client row.
struct Dispute
{
    QString project;
    QString employeeNo;
    QString employeeName;
    QDate date;
    QString code;
    int wh = 0, ot = 0, ht = 0;
    QString enteredBy;
};

struct ProjectSummary
{
    QString project;
    int deployed = 0;       // workers with own rows
    int withClientRows = 0; // workers with client rows
    int notMoved = 0;       // own rows and not one client row
    int checked = 0;        // client rows, every one checked
    int unchecked = 0;      // client rows, at least one unchecked
    int disputed = 0;       // at least one disputed client row
    qint64 ownWh = 0, ownOt = 0, ownHt = 0;
    qint64 clientWh = 0, clientOt = 0, clientHt = 0;
    int differences = 0;
    int invoiceLines = 0;
    double invoiceTotal = 0;
    int pricedAtZero = 0; // invoice lines that bill hours at three rates of 0

    void add(const ProjectSummary &other);
};

struct Result
{
    int year = 0;
    int month = 0;
    QList<ProjectSummary> projects; // in name order
    ProjectSummary totals;          // project "Total"
    QList<Difference> differences;  // by project, employee number, date
    QList<Worker> notMoved;         // by project, employee number
    QList<Worker> unchecked;
    QList<Dispute> disputes; // by project, employee number, date
    bool hasRows = false;    // any own or client row of the projects in the cycle
};

// Reconciles the cycle for the projects (empty: every active, billable project). Reads each
// side's rows of the cycle in one statement and the invoice lines in a third. Throws DbError.
Result reconcile(Connection &connection, int year, int month, const QStringList &projects = {});

// "There is no attendance in MM/yyyy" (the projects named when given).
QString noRowsMessage(int year, int month, const QStringList &projects = {});

// The statements, each run once per reconciliation.
extern const QString OwnRowsSql;
extern const QString ClientRowsSql;
extern const QString InvoiceLinesSql;

} // namespace Reconcile
