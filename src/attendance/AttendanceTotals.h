#pragma once

#include <QString>
#include <QStringList>

class Query;

// One worker's month: present days and the three kinds of hours, as both sides count them.
struct AttendanceTotals
{
    int presentDays = 0;
    int normalHours = 0;
    int overtimeHours = 0;
    int holidayHours = 0;
    int totalHours() const { return normalHours + overtimeHours + holidayHours; }

    // Adds one day's row: its hours always (a null hour counts as 0), a day only for "P" or "H".
    void add(const QString &code, int wh, int ot, int ht);

    // Walks every row of an open query with the given code and hour columns; a closed query gives 0.
    static AttendanceTotals ofOwnRows(const Query &ourAttHistory);       // OurAtt_Code, Our_WH, Our_OT, Our_HT
    static AttendanceTotals ofClientRows(const Query &clientAttHistory); // ClientAtt_Code, Client_WH, ...
    static AttendanceTotals of(const Query &q, const QString &code, const QString &wh, const QString &ot,
                               const QString &ht);

    // Label texts: "Total Present Days: 3" and so on.
    QString presentDaysText() const;
    QString normalHoursText() const;
    QString overtimeHoursText() const;
    QString holidayHoursText() const;
    QString totalHoursText() const;
    // The five texts in that order, as the totals panel shows them.
    QStringList texts() const
    {
        return {presentDaysText(), normalHoursText(), overtimeHoursText(), holidayHoursText(), totalHoursText()};
    }
};

// Only the grand totals are compared.
inline bool hoursAgree(const AttendanceTotals &ours, const AttendanceTotals &client)
{
    return ours.totalHours() == client.totalHours();
}

// The month of a project as the attendance and checker windows list it. EmployeesSql: the
// employees with own rows in the project and month, in employee-number order (parameters
// Assignment, Col_Year, Col_Month). OursSql and ClientSql: one employee's own and client rows, in
// date order (parameters Employee_No, Assignemnt, Col_Year, Col_Month).
namespace MonthHistory {
extern const QString EmployeesSql;
extern const QString OursSql;
extern const QString ClientSql;
} // namespace MonthHistory
