#pragma once

#include "AttendanceTotals.h"
#include "Clock.h"
#include "PassControl.h"
#include "Query.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class Connection;
class DbError;

// One day of the entry row, as "Post" writes it.
struct AttendanceEntry
{
    QDate date;
    QString clientJob; // empty when no site job is selected
    QString code;
    QString desc;
    int wh = 0;
    int ot = 0;
    int ht = 0;
};

// What the entry row shows when the attendance date is left.
struct DayProposal
{
    qint64 recId = 0;           // the loaded client row of that day, 0 = none
    int row = -1;               // its row in ClientAttHistory
    QString code;               // the row's code, or "H" on a Friday and "P" otherwise
    int wh = 0, ot = 0, ht = 0; // the row's hours; without a row the code decides (entryHours)
};

enum class NormalBase { Eight, Ten };

// Hour fields of the entry row for a code: values and which fields are open.
struct EntryHours
{
    int wh = 0, ot = 0, ht = 0;
    bool whEnabled = false, otEnabled = false, htEnabled = false;
};
EntryHours entryHours(const QString &code);
QString attDescForCode(const QString &code); // "Absent", "Present", "Holiday", empty otherwise
QString weekdayName(const QDate &date);      // "Monday" .. "Sunday"
// "A", "P" and "H", the codes a client row carries; a move turns any other own code into "A".
bool isClientCode(const QString &code);

// The client attendance of one project in the active cycle, one employee at a time: the queries
// of the window and every write it makes, without widgets. Writes throw DbError after rolling
// their own transaction back; callers re-read what is stored.
class ClientAttendance
{
public:
    // Characters ClientAtt_Desc holds.
    static constexpr int DescriptionLength = 50;

    // The clock stamps Entered_Date.
    explicit ClientAttendance(Connection &connection, const Clock &clock = Clock::system());

    Connection &connection() const { return m_conn; }

    QString userId; // written into Entered_By
    int cycleYear = 0;
    int cycleMonth = 0;

    Query WorkersInOurAttQ;
    Query ClientJobsQ;
    Query WorkerQ;
    Query OurAttHistory;
    Query ClientAttHistory;

    QDate today() const;

    // Active, billable projects in name order.
    QStringList projectNames();

    // Opens the project's employee list and site jobs and closes any loaded employee.
    void openProject(const QString &project);
    const QString &project() const { return m_project; }
    bool projectOpen() const { return WorkersInOurAttQ.isActive(); }
    QStringList clientJobs() const;

    // Loads the employee when the project's list holds the number (exact, case-sensitive);
    // otherwise closes the employee queries and returns false. Nothing happens without a project.
    bool findEmployee(QString employeeNo);
    void closeEmployee();
    bool employeeLoaded() const { return ClientAttHistory.isActive(); }
    const QString &employeeNo() const { return m_employeeNo; }
    void reloadClientRows(); // re-reads ClientAttHistory, keeping the current row where it can
    AttendanceTotals ourTotals() const { return AttendanceTotals::ofOwnRows(OurAttHistory); }
    AttendanceTotals clientTotals() const { return AttendanceTotals::ofClientRows(ClientAttHistory); }

    // Copies the loaded employee's own rows into client rows in one transaction. Returns false
    // (and writes nothing) when the employee has no own rows or already has client rows here.
    bool moveEmployee();

    struct MoveAllLine
    {
        enum Outcome { Moved, Skipped, Failed };
        QString employeeNo;
        Outcome outcome = Skipped;
        QString message; // the database's message when failed
    };
    // Walks the project's employee list, loading and moving each in a transaction of its own;
    // a failed employee is rolled back alone and the walk goes on. The callback sees each line
    // as it is decided. The last employee stays loaded. Throws DbError, with nothing moved, when
    // the project's own rows cannot be read.
    // The control sees each employee before it is moved and may stop the walk between two
    // employees; the employees after it are not started (fewer lines than employees).
    QList<MoveAllLine> moveAll(const std::function<void(const MoveAllLine &)> &eachDone = {},
                               const PassControl &control = {});

    // The loaded client row of a day, 0 when there is none.
    qint64 clientRowIdForDate(const QDate &date) const;
    int clientRowForDate(const QDate &date) const;
    DayProposal proposeForDate(const QDate &date) const;

    // Writes one day for the loaded employee: overwrites this employee's loaded row of that day
    // (Checked reset, dispute kept) or inserts one. Re-reads the client rows in any case and
    // returns the day's Rec_ID afterwards (0 when none).
    qint64 post(const AttendanceEntry &entry);

    // Shifts hours between normal and overtime on every loaded client row; each row's shift is
    // decided on its stored values when it is updated. Returns the rows stamped.
    int calculateBase(NormalBase base);
    // Gives every loaded client row the job; returns the rows changed.
    int changeJob(const QString &job);
    void setDispute(qint64 recId, bool disputed);
    void deleteRow(qint64 recId);

    QList<qint64> loadedClientRowIds() const;

private:
    // Moves the employee's own rows of the project and cycle, as stored, in one transaction:
    // overwrites the days that have a client row, inserts the others. False (nothing written)
    // when the employee number already has client rows here, whatever their Ref_No.
    bool moveRows(const QString &employeeNo);
    // One employee of moveAll: reconnects and tries again after a lost connection; a failure of
    // the whole database comes back as a line whose message names it.
    MoveAllLine moveOne(const QString &employeeNo, bool hasOwnRows);
    void stamp(Query &q);

    Connection &m_conn;
    const Clock &m_clock;
    QString m_project;
    QString m_employeeNo;

    Query ComMoveUpdate;
    Query ComMoveInsert;
    Query ComClientRowsCount;
    Query ProjectOwnRowsQ;
    Query ComPostUpdate;
    Query ComPostInsert;
    Query ComUpdateBase8;
    Query ComUpdateBase10;
    Query ComUpdateJob;
    Query ComDelete;
};

// Marks or clears the dispute of one client row in a transaction of its own; only Dispute changes.
// Returns whether the row exists. Throws DbError after rolling back.
bool setClientRowDispute(Connection &connection, qint64 recId, bool disputed);

// "Something went wrong!, DbError: message", the text every failed correction and post shows.
QString failureText(const DbError &e);
// "Something went wrong!, \n\rmessage", the text of a failed move.
QString moveFailureText(const DbError &e);
