#pragma once

#include "InvoiceCheck.h"
#include "Query.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <array>

class Connection;

// One day of a worker's client attendance as the demo leaves it.
struct DemoClientDay
{
    QDate date;
    QString code;
    QString desc;
    int wh = 0;
    int ot = 0;
    int ht = 0;
    bool corrected = false; // changed after the move, so stamped by whoever corrected it
    bool dispute = false;
};

// A worker's client attendance of one month in one project.
struct DemoWorkerMonth
{
    qint64 refNo = 0;
    QString employeeNo;
    QString employeeName; // first name, one space, last name, as the check reads it from Workers
    QString ourJob;
    QString clientJob;
    QString project;
    int year = 0;
    int month = 0;
    QList<DemoClientDay> days; // in date order
};

// Who touched the rows and when: the move, later corrections and, for a checked month, the check.
struct DemoStamps
{
    QString movedBy;
    QDate moved;
    QString correctedBy;
    QDate corrected;
    QString checkedBy;
    QDateTime checked;
};

// Writes client rows, and for a checked month the check's marks and invoice line, in the
// caller's transaction. The line is built with the check's own code from the same rows, so it
// is the line the check would write.
class DemoMonthEndWriter
{
public:
    explicit DemoMonthEndWriter(Connection &connection);

    // The rates that price a project's site job (one rate row each).
    void addRates(const QString &project, const QString &siteJob, double wh, double ot, double ht);

    // Unchecked rows when `checked` is false; a month with a disputed day must not be checked.
    void write(const DemoWorkerMonth &month, const DemoStamps &stamps, bool checked);

    qint64 clientRows = 0;
    qint64 checkedRows = 0;
    qint64 disputedRows = 0;
    qint64 invoiceLines = 0;

private:
    // The invoice line the check makes of these rows.
    InvoiceLine lineFor(const DemoWorkerMonth &month);
    void prepareMonth(int year, int month, const DemoStamps &stamps);

    Query m_insRow;
    Query m_insLine;
    Query m_rows; // holds one month's rows for the check's line builder
    QHash<QString, std::array<double, 3>> m_rates;
    // Stored forms of the month's days and stamps, made once per month.
    int m_year = 0;
    int m_month = 0;
    QList<QVariant> m_dayValues;
    QList<QVariant> m_dayTimes;
    DemoStamps m_stamps;
    QVariant m_moved, m_corrected, m_checked;
};
