#pragma once

#include "AttendanceTotals.h"
#include "Connection.h"
#include "Query.h"

#include <QString>

// Month grid of one side: a "Description" row per kind of value, day columns "01" to "31".
enum class MonthSide { Ours, Client };
QString monthGridSql(Engine engine, MonthSide side);

// The checker's datasets over one connection: the projects, the workers of a project's month
// and, for the worker looked up, the master row, both sides' rows, both month grids and totals.
class CheckerLookup
{
public:
    explicit CheckerLookup(Connection &connection);

    Query WorkersInOurAttQ;
    Query WorkerQ;
    Query OurAttHistory;
    Query OurSpreadSheetQ;
    Query ClientAttHistory;
    Query ClientSpreadSheetQ;

    AttendanceTotals ours;
    AttendanceTotals client;

    // Re-opens the workers list of the project and month and closes the shown worker.
    void openWorkers(const QString &project, int year, int month);
    // Whole-value lookup in the workers list, which stays on the row found. Found: opens the
    // worker's five datasets and computes both totals; not found: closes them. Throws DbError.
    // A check-all pass leaves the month grids out and opens them only when it repaints.
    bool findEmployee(const QString &employeeNo, bool withGrids = true);
    // Opens both month grids of the worker found last. Throws DbError.
    void openGrids();
    void closeEmployee();

    bool employeeShown() const { return ClientAttHistory.isActive(); }
    bool hasWorkerRow() const { return WorkerQ.isActive() && !WorkerQ.isEmpty(); }
    // Any of the shown worker's client rows of the month marked disputed.
    bool disputed() const;
    QString fullName() const; // FirstName + " " + LastName of WorkerQ

    const QString &project() const { return m_project; }
    int year() const { return m_year; }
    int month() const { return m_month; }

private:
    void openForEmployee(Query &q);

    QString m_employeeNo;
    QString m_project;
    int m_year = 0;
    int m_month = 0;
};
