#pragma once

// Small attendance fixtures shared by the operation and window tests. The cycle is March 2026:
// the 5th is a Thursday, the 6th a Friday.

#include "Connection.h"
#include "TestDb.h"

#include <QDate>
#include <QString>

namespace AttFixture {

inline const QString Project = QStringLiteral("MARINA");
inline const QString Other = QStringLiteral("TOWER");
constexpr int Year = 2026;
constexpr int Month = 3;
inline QDate day(int d)
{
    return QDate(Year, Month, d);
}
inline const QDate Today(2026, 4, 2);
inline const QString User = QStringLiteral("clerk1");

// Projects, rates, the active cycle and the user's roles.
inline void seedBase(Connection &c)
{
    const QString proj = QStringLiteral(
        "Insert Into Assignments (Assignment, isActive, Billable, isProtected) Values (:A, :Act, :B, 0)");
    TestDb::exec(c, proj, {Project, 1, 1});
    TestDb::exec(c, proj, {Other, 1, 1});
    TestDb::exec(c, proj, {QStringLiteral("OLD"), 0, 1});
    TestDb::exec(c, proj, {QStringLiteral("FREE"), 1, 0});
    const QString rate = QStringLiteral(
        "Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) Values (:A, :J, 10, 15, 20)");
    for (const char *job : {"Mason", "Helper", "Mason"})
        TestDb::exec(c, rate, {Project, QString::fromLatin1(job)});
    TestDb::exec(c,
                 QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, :Y, :M)"),
                 {Year, Month});
    for (const char *role : {"Login_Tallimar", "ClientAttCreater"})
        TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                     {User, QString::fromLatin1(role)});
}

inline void worker(Connection &c, qint64 id, const QString &no, const QString &siteJob = QStringLiteral("Mason"))
{
    TestDb::exec(
        c,
        QStringLiteral(
            "Insert Into Workers (Rec_ID, Employee_No, FirstName, SecondName, LastName, OurJob, SiteJob, Assignment) "
            "Values (:I, :N, :F, 'X', :L, 'Labourer', :S, :A)"),
        {id, no, QStringLiteral("First") + no, QStringLiteral("Last") + no, siteJob, Project});
}

inline void ownRow(Connection &c, qint64 recId, qint64 ref, const QString &no, const QDate &d, const QString &code,
                   int wh, int ot = 0, int ht = 0, const QString &siteJob = QStringLiteral("Mason"),
                   const QString &project = Project, const QString &desc = {})
{
    TestDb::exec(
        c,
        QStringLiteral(
            "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
            "Employee_Name, Assignment, OurJob, SiteJob, OurAtt_Code, OurAtt_Desc, Our_WH, Our_OT, Our_HT, Checked) "
            "Values (:I, :D, :Y, :M, :DD, :R, :N, :EN, :A, 'Labourer', :S, :C, :CD, :WH, :OT, :HT, 0)"),
        {recId, d, d.year(), d.month(), d.day(), ref, no, QStringLiteral("Name ") + no, project,
         siteJob.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(siteJob), code,
         desc.isEmpty() ? code + QStringLiteral(" desc") : desc, wh, ot, ht});
}

inline qint64 clientRow(Connection &c, qint64 ref, const QString &no, const QDate &d, const QString &code, int wh,
                        int ot = 0, int ht = 0, const QString &project = Project, int checked = 0, int dispute = 0)
{
    TestDb::exec(
        c,
        QStringLiteral(
            "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, "
            "Assignment, ClientJob, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, "
            "Entered_Date, Checked, Checked_By, Dispute) "
            "Values (:D, :Y, :M, :DD, :R, :N, 'Someone', :A, 'Helper', :C, 'desc', :WH, :OT, :HT, 'older', :ED, :CH, "
            "'checker', :DI)"),
        {d, d.year(), d.month(), d.day(), ref, no, project, code, wh, ot, ht, QDate(2026, 3, 1), checked, dispute});
    return TestDb::scalar(c, QStringLiteral("Select Max(Rec_ID) From ClientTimeSheets")).toLongLong();
}

// Makes the server fail a write to ClientTimeSheets whose new row meets the condition (written
// with NEW.column), as a failing disk or a constraint would in the middle of an operation.
inline void failWhen(Connection &c, const QString &engine, const QString &event, const QString &condition)
{
    if (engine == QLatin1String("PostgreSQL")) {
        c.execDirect(QStringLiteral("CREATE FUNCTION fail_att() RETURNS trigger AS $$ BEGIN IF %1 THEN "
                                    "RAISE EXCEPTION 'simulated failure'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql")
                         .arg(condition));
        c.execDirect(
            QStringLiteral(
                "CREATE TRIGGER fail_att BEFORE %1 ON ClientTimeSheets FOR EACH ROW EXECUTE FUNCTION fail_att()")
                .arg(event));
    } else {
        c.execDirect(
            QStringLiteral("CREATE TRIGGER fail_att BEFORE %1 ON ClientTimeSheets WHEN %2 BEGIN SELECT RAISE(ABORT, "
                           "'simulated failure'); END")
                .arg(event, condition));
    }
}

// Makes every read of whole own rows fail while the project's employee list, which reads only
// Employee_No, still opens: a column the server cannot compute for any row. The tables stay,
// so tallimar-cli still finds its database whole.
inline void makeOwnRowsUnreadable(Connection &c, const QString &engine)
{
    if (engine == QLatin1String("PostgreSQL")) {
        // A view in a schema searched first, for this session and every later one.
        c.execDirect(QStringLiteral("CREATE SCHEMA unreadable"));
        c.execDirect(QStringLiteral("CREATE VIEW unreadable.TimeSheets AS SELECT r.*, CAST(r.Employee_No AS INTEGER) "
                                    "AS Unreadable FROM public.TimeSheets r"));
        const QString db = TestDb::scalar(c, QStringLiteral("SELECT current_database()")).toString();
        c.execDirect(QStringLiteral("ALTER DATABASE \"%1\" SET search_path = unreadable, public").arg(db));
        c.execDirect(QStringLiteral("SET search_path = unreadable, public"));
    } else {
        c.execDirect(QStringLiteral(
            "ALTER TABLE TimeSheets ADD COLUMN Unreadable TEXT GENERATED ALWAYS AS (json(Employee_No)) VIRTUAL"));
    }
}

// Client rows of an employee number, whatever their Ref_No.
inline int clientRowCount(Connection &c, const QString &no)
{
    return TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Employee_No = :N"), {no})
        .toInt();
}

} // namespace AttFixture
