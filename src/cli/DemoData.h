#pragma once

#include "Clock.h"

#include <QDate>
#include <QString>
#include <functional>

class Connection;

struct DemoOptions
{
    int workers = 200;
    int projects =
        4;          // active, billable projects that get workers; half of them (rounded down) moved in the active cycle
    int months = 3; // months of own timesheets, the last one being the active cycle
    quint32 seed = 1;
    const Clock *clock = &Clock::system(); // the active cycle is the month before its today
};

struct DemoSummary
{
    qint64 workers = 0;
    qint64 timesheetRows = 0;
    qint64 clientRows = 0;
    qint64 checkedRows = 0;
    qint64 disputedRows = 0;
    qint64 invoiceLines = 0;
};

// Creates the tables when the database has none and fills them with a deterministic demo set:
// earlier months moved and checked (invoice lines written), the active cycle part-way through
// its month-end, "today" taken from the options' clock.
// Throws DbError, leaving the database as it was, when the tables already hold rows or only
// some of them exist.
DemoSummary generateDemoData(Connection &connection, const DemoOptions &options,
                             const std::function<void(const QString &)> &progress = {});
