#include "DemoData.h"
#include "Clients.h"
#include "Connection.h"
#include "DbError.h"
#include "DemoMonthEnd.h"
#include "Query.h"
#include "Schema.h"
#include "Transaction.h"

#include <QRandomGenerator>
#include <utility>

namespace {

using Binding = std::pair<QString, QVariant>;
void bind(Query &q, std::initializer_list<Binding> values)
{
    for (const Binding &b : values)
        q.setParam(b.first, b.second);
}

const QString CountRowsSql = QStringLiteral("Select Count(*) As N From %1"); // %1: one of the schema's own table names
const QString InsertClientSql = QStringLiteral(
    "Insert Into Clients (Client_Name, Client_Kind, Client_Size, Payment_Terms, Web_Site, HO_Address, isActive, "
    "Manager_Name, Manager_Title, Manager_Email, Manager_Mobile) "
    "Values (:Client_Name, :Client_Kind, :Client_Size, :Payment_Terms, :Web_Site, :HO_Address, :isActive, "
    ":Manager_Name, :Manager_Title, :Manager_Email, :Manager_Mobile)");
const QString ClientIdsSql = QStringLiteral("Select Rec_ID From Clients Order By Rec_ID");
const QString InsertProjectSql = QStringLiteral(
    "Insert Into Assignments (Assignment, isActive, isProtected, Billable, Night_Shift, Trans_To, Trans_From, "
    "WH, OT, HT, Client_ID, Project_Description, Site_Location, Remarks, Project_Manager_Name, "
    "Project_Manager_Mobile, Project_Manager_Email, Timekeeper_Name, Payment_Terms, ERP_Account_No) "
    "Values (:Assignment, :isActive, :isProtected, :Billable, :Night_Shift, :Trans_To, :Trans_From, :WH, :OT, :HT, "
    ":Client_ID, :Project_Description, :Site_Location, :Remarks, :Project_Manager_Name, :Project_Manager_Mobile, "
    ":Project_Manager_Email, :Timekeeper_Name, :Payment_Terms, :ERP_Account_No)");
const QString InsertRateSql =
    QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                   "Values (:Assignment, :Site_Job, :WH_Rate, :OT_Rate, :HT_Rate)");
const QString InsertSiteJobSql = QStringLiteral("Insert Into SiteJobs (Rec_ID, Job_Site) Values (:Rec_ID, :Job_Site)");
const QString InsertRoleSql =
    QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:UserName, :RoleName)");
const QString InsertCycleSql =
    QStringLiteral("Insert Into PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) Values (1, :Y, :M)");
const QString InsertWorkerSql = QStringLiteral(
    "Insert Into Workers (Rec_ID, Employee_No, FirstName, SecondName, LastName, Nationality, OurJob, SiteJob, "
    "Assignment, Arrival_Date) Values (:Rec_ID, :Employee_No, :FirstName, :SecondName, :LastName, :Nationality, "
    ":OurJob, :SiteJob, :Assignment, :Arrival_Date)");
const QString InsertOwnRowSql = QStringLiteral(
    "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, "
    "Assignment, OurJob, SiteJob, OurAtt_Code, OurAtt_Desc, Our_WH, Our_OT, Our_HT, Entered_By, Entered_Date, "
    "Checked) Values (:Rec_ID, :Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, "
    ":Assignment, :OurJob, :SiteJob, :OurAtt_Code, :OurAtt_Desc, :Our_WH, :Our_OT, :Our_HT, :Entered_By, "
    ":Entered_Date, 0)");

const char *const kJobs[] = {"Carpenter",   "Mason",  "Electrician", "Plumber",    "Welder",
                             "Steel Fixer", "Helper", "Foreman",     "Scaffolder", "Painter"};
const char *const kLatinFirst[] = {"JOHN",  "RAJESH", "MOHAMMED", "AHMED", "RAVI",  "JOSE",   "SURESH", "ALI",
                                   "PETER", "SAMUEL", "ANIL",     "OMAR",  "KUMAR", "HASSAN", "DAVID",  "ISMAIL"};
const char *const kLatinLast[] = {"THOMAS", "KUMAR", "KHAN",  "SINGH",  "SANTOS", "REYES",  "NAIR",    "HUSSAIN",
                                  "PILLAI", "CRUZ",  "MENON", "RAHMAN", "GARCIA", "JOSEPH", "ABRAHAM", "SHAIKH"};
const char16_t *const kArabicFirst[] = {u"محمد", u"أحمد", u"علي", u"خالد", u"يوسف", u"عمر", u"حسن", u"سعيد"};
const char16_t *const kArabicLast[] = {u"العلي",  u"الحسن",  u"الخطيب", u"المصري",
                                       u"الشامي", u"النجار", u"الحداد", u"السيد"};
const char *const kNationalities[] = {"Indian",   "Filipino",    "Pakistani", "Egyptian",
                                      "Nepalese", "Bangladeshi", "Syrian",    "Jordanian"};

struct Project
{
    QString name;
    bool active, billable, isProtected;
    qint64 clientId;
};

template <typename T, size_t N> constexpr int countOf(T (&)[N])
{
    return int(N);
}

} // namespace

DemoSummary generateDemoData(Connection &conn, const DemoOptions &o,
                             const std::function<void(const QString &)> &progress)
{
    auto say = [&](const QString &s) {
        if (progress)
            progress(s);
    };
    if (o.workers < 1 || o.projects < 1 || o.months < 1 || o.months > 120)
        throw DbError(QStringLiteral("demo-db needs at least one worker, one project and 1 to 120 months"));

    conn.ensureOpen();
    const QStringList missing = Schema::missingTables(conn);
    const bool newSchema = missing.size() == Schema::tableNames().size();
    if (!newSchema && !missing.isEmpty())
        throw DbError(QStringLiteral("The database has only some of the program's tables; missing: %1")
                          .arg(missing.join(QStringLiteral(", "))));
    if (!newSchema) {
        for (const QString &t : Schema::tableNames()) {
            Query q(conn, CountRowsSql.arg(t));
            q.open();
            if (q.asInt64(QStringLiteral("N")) > 0)
                throw DbError(
                    QStringLiteral("The database already holds data (table %1 is not empty); nothing was changed")
                        .arg(t));
        }
    }

    QRandomGenerator rng(o.seed);
    DemoSummary summary;
    // Tables, rows and indexes in one transaction: a failure leaves the database as it was.
    Transaction tx(conn);
    if (newSchema) {
        say(QStringLiteral("Creating tables"));
        Schema::createIn(conn, Schema::Objects::Tables);
    }

    // Clients.
    Query insClient(conn, InsertClientSql);
    const QStringList clientNames = {QStringLiteral("Gulf Construction Co."), QStringLiteral("Al Noor Contracting"),
                                     QStringLiteral("Delta Facilities Management"),
                                     QStringLiteral("Orion Petrochemicals"), QStringLiteral("شركة الخليج للمقاولات")};
    const QStringList terms = {QStringLiteral("Due On Receipt"), QStringLiteral("Net 15 Days"),
                               QStringLiteral("Net 30 Days"),    QStringLiteral("Net 45 Days"),
                               QStringLiteral("Net 60 Days"),    QStringLiteral("Net 90 Days"),
                               QStringLiteral("Net 120 Days")};
    for (int i = 0; i < clientNames.size(); ++i) {
        bind(insClient, {{QStringLiteral("Client_Name"), clientNames[i]},
                         // From the lists the client dialogs offer, so that Modify shows them selected.
                         {QStringLiteral("Client_Kind"), Clients::kinds().at(i % Clients::kinds().size())},
                         {QStringLiteral("Client_Size"), Clients::sizes().at(i % Clients::sizes().size())},
                         {QStringLiteral("Payment_Terms"), terms[(i * 2) % terms.size()]},
                         {QStringLiteral("Web_Site"), QStringLiteral("www.client%1.example").arg(i + 1)},
                         {QStringLiteral("HO_Address"), QStringLiteral("P.O. Box %1").arg(1000 + i * 37)},
                         {QStringLiteral("isActive"), i == clientNames.size() - 1 ? 0 : 1},
                         {QStringLiteral("Manager_Name"), QStringLiteral("Manager %1").arg(i + 1)},
                         {QStringLiteral("Manager_Title"), QStringLiteral("Project Director")},
                         {QStringLiteral("Manager_Email"), QStringLiteral("manager%1@client%1.example").arg(i + 1)},
                         {QStringLiteral("Manager_Mobile"),
                          QStringLiteral("+974 5550 %1").arg(1000 + i, 4, 10, QLatin1Char('0'))}});
        insClient.exec();
    }
    Query clientIds(conn, ClientIdsSql);
    clientIds.open();
    QList<qint64> clients;
    for (clientIds.first(); !clientIds.eof(); clientIds.next())
        clients << clientIds.asInt64(QStringLiteral("Rec_ID"));

    // Projects: the billable ones that get workers, then one inactive, one not billable, one protected.
    static const char *const kSites[] = {"MARINA TOWER",     "AIRPORT EXPANSION", "METRO LINE 3",  "HARBOUR WALK",
                                         "DESERT ROSE MALL", "NORTH REFINERY",    "CITY HOSPITAL", "RING ROAD"};
    QList<Project> projects;
    for (int i = 0; i < o.projects; ++i) {
        QString name = QString::fromLatin1(kSites[i % countOf(kSites)]);
        if (i >= countOf(kSites))
            name += QStringLiteral(" %1").arg(i / countOf(kSites) + 1);
        projects << Project{name, true, true, false, clients[i % (clients.size() - 1)]};
    }
    projects << Project{QStringLiteral("OLD STADIUM"), false, true, false, clients[0]}
             << Project{QStringLiteral("HEAD OFFICE SUPPORT"), true, false, false, clients[1 % clients.size()]}
             << Project{QStringLiteral("PALACE MAINTENANCE"), true, true, true, clients[2 % clients.size()]};
    Query insProject(conn, InsertProjectSql);
    Query insRate(conn, InsertRateSql);
    DemoMonthEndWriter monthEnd(conn);
    for (int i = 0; i < projects.size(); ++i) {
        const Project &p = projects[i];
        bind(insProject, {{QStringLiteral("Assignment"), p.name},
                          {QStringLiteral("isActive"), p.active ? 1 : 0},
                          {QStringLiteral("isProtected"), p.isProtected ? 1 : 0},
                          {QStringLiteral("Billable"), p.billable ? 1 : 0},
                          {QStringLiteral("Night_Shift"), i % 3 == 2 ? 1 : 0},
                          {QStringLiteral("Trans_To"), 1},
                          {QStringLiteral("Trans_From"), 1},
                          {QStringLiteral("WH"), 8},
                          {QStringLiteral("OT"), 2},
                          {QStringLiteral("HT"), 8},
                          {QStringLiteral("Client_ID"), p.clientId},
                          {QStringLiteral("Project_Description"), QStringLiteral("Manpower supply for %1").arg(p.name)},
                          {QStringLiteral("Site_Location"), QStringLiteral("Site %1").arg(i + 1)},
                          {QStringLiteral("Remarks"), QString()},
                          {QStringLiteral("Project_Manager_Name"), QStringLiteral("PM %1").arg(i + 1)},
                          {QStringLiteral("Project_Manager_Mobile"), QStringLiteral("+974 6660 %1").arg(2000 + i)},
                          {QStringLiteral("Project_Manager_Email"), QStringLiteral("pm%1@example.com").arg(i + 1)},
                          {QStringLiteral("Timekeeper_Name"), QStringLiteral("TK %1").arg(i + 1)},
                          {QStringLiteral("Payment_Terms"), terms[i % terms.size()]},
                          {QStringLiteral("ERP_Account_No"), QStringLiteral("ERP-%1").arg(4100 + i)}});
        insProject.exec();
        for (int j = 0; j < countOf(kJobs); ++j) {
            const double wh = 10.0 + ((i * 7 + j * 3) % 20) * 0.5;
            bind(insRate, {{QStringLiteral("Assignment"), p.name},
                           {QStringLiteral("Site_Job"), QString::fromLatin1(kJobs[j])},
                           {QStringLiteral("WH_Rate"), wh},
                           {QStringLiteral("OT_Rate"), wh * 1.25},
                           {QStringLiteral("HT_Rate"), wh * 1.5}});
            insRate.exec();
            monthEnd.addRates(p.name, QString::fromLatin1(kJobs[j]), wh, wh * 1.25, wh * 1.5);
        }
    }
    Query insJob(conn, InsertSiteJobSql);
    for (int j = 0; j <= countOf(kJobs); ++j) {
        // A site job without rates after the rated ones.
        const QString job = j < countOf(kJobs) ? QString::fromLatin1(kJobs[j]) : QStringLiteral("Rigger");
        bind(insJob, {{QStringLiteral("Rec_ID"), j + 1}, {QStringLiteral("Job_Site"), job}});
        insJob.exec();
    }

    // Users and roles.
    Query insRole(conn, InsertRoleSql);
    const QStringList allRoles = {
        QStringLiteral("Login_Tallimar"), QStringLiteral("ClientsMgt"),        QStringLiteral("ProjectMgt"),
        QStringLiteral("ProjectRate"),    QStringLiteral("ClientAttCreater"),  QStringLiteral("ClientAttChecker"),
        QStringLiteral("DisputeMgt"),     QStringLiteral("InvoiceDetails"),    QStringLiteral("ProjectAddNew"),
        QStringLiteral("ProjectModify"),  QStringLiteral("ProjectListExport"), QStringLiteral("ClientsAddNew"),
        QStringLiteral("ClientsModify")};
    auto grant = [&](const QString &user, const QStringList &roles) {
        for (const QString &r : roles) {
            bind(insRole, {{QStringLiteral("UserName"), user}, {QStringLiteral("RoleName"), r}});
            insRole.exec();
        }
    };
    grant(QStringLiteral("demo"), allRoles);
    grant(QStringLiteral("clerk"), {QStringLiteral("Login_Tallimar"), QStringLiteral("ClientAttCreater")});
    grant(QStringLiteral("viewer"), {QStringLiteral("Login_Tallimar")});

    // Active cycle: the month before today.
    const QDate active = o.clock->today().addMonths(-1);
    Query insCycle(conn, InsertCycleSql);
    bind(insCycle, {{QStringLiteral("Y"), active.year()}, {QStringLiteral("M"), active.month()}});
    insCycle.exec();

    // Workers.
    say(QStringLiteral("Workers"));
    struct Worker
    {
        qint64 id;
        QString no, name, ourJob, siteJob, project;
        bool holidayWorker;
    };
    QList<Worker> workers;
    workers.reserve(o.workers);
    Query insWorker(conn, InsertWorkerSql);
    for (int i = 0; i < o.workers; ++i) {
        Worker w;
        w.id = i + 1;
        w.no = QStringLiteral("E%1").arg(10000 + i + 1);
        QString first, last;
        if (rng.bounded(5) == 0) {
            first = QString::fromUtf16(kArabicFirst[rng.bounded(countOf(kArabicFirst))]);
            last = QString::fromUtf16(kArabicLast[rng.bounded(countOf(kArabicLast))]);
        } else {
            first = QString::fromLatin1(kLatinFirst[rng.bounded(countOf(kLatinFirst))]);
            last = QString::fromLatin1(kLatinLast[rng.bounded(countOf(kLatinLast))]);
        }
        w.name = first + QLatin1Char(' ') + last;
        w.siteJob = QString::fromLatin1(kJobs[rng.bounded(countOf(kJobs))]);
        w.ourJob = rng.bounded(4) == 0 ? QString::fromLatin1(kJobs[rng.bounded(countOf(kJobs))]) : w.siteJob;
        w.project = projects[i % o.projects].name;
        w.holidayWorker = rng.bounded(10) < 3;
        // Drawn one at a time: a call's arguments have no fixed order, and a seed must give the
        // same workers with every compiler.
        const QString nationality = QString::fromLatin1(kNationalities[rng.bounded(countOf(kNationalities))]);
        const int arrivalYear = 2015 + int(rng.bounded(10));
        const int arrivalMonth = 1 + int(rng.bounded(12));
        const QDate arrival(arrivalYear, arrivalMonth, 1 + int(rng.bounded(28)));
        bind(insWorker, {{QStringLiteral("Rec_ID"), w.id},
                         {QStringLiteral("Employee_No"), w.no},
                         {QStringLiteral("FirstName"), first},
                         {QStringLiteral("SecondName"), QString()},
                         {QStringLiteral("LastName"), last},
                         {QStringLiteral("Nationality"), nationality},
                         {QStringLiteral("OurJob"), w.ourJob},
                         {QStringLiteral("SiteJob"), w.siteJob},
                         {QStringLiteral("Assignment"), w.project},
                         {QStringLiteral("Arrival_Date"), arrival}});
        insWorker.exec();
        workers << w;
    }

    // Own timesheets and the client's side of them. Months before the active cycle are moved and
    // checked; the active cycle stands mid-way through its month-end: the first half of the
    // projects moved, the first half of each moved project's workers checked (a pass stopped
    // part-way), the other projects untouched. A worker with a disputed day stays unchecked.
    Query insOwn(conn, InsertOwnRowSql);
    qint64 ownId = 0;
    const QDate activeStart(active.year(), active.month(), 1);
    const QDate firstMonth = activeStart.addMonths(-(o.months - 1));
    const int movedProjects = o.projects / 2;
    const QDate today = o.clock->today();
    const QDateTime now = o.clock->now();
    for (int m = 0; m < o.months; ++m) {
        const QDate month = firstMonth.addMonths(m);
        const bool isActive = month == activeStart;
        // A month is closed in the first days of the next one, never after today.
        const QDate next = month.addMonths(1);
        DemoStamps stamps;
        stamps.movedBy = QStringLiteral("clerk");
        stamps.moved = isActive ? today : qMin(next.addDays(1), today);
        stamps.correctedBy = QStringLiteral("demo");
        stamps.corrected = isActive ? today : qMin(next.addDays(2), today);
        stamps.checkedBy = QStringLiteral("demo");
        stamps.checked = isActive ? now : qMin(QDateTime(next.addDays(4), QTime(10, 0)), now);
        say(QStringLiteral("Timesheets %1").arg(month.toString(QStringLiteral("MM/yyyy"))));
        // Each day's stored form, made once per month by the connection's date binding rather
        // than once per row: a local-time conversion per value is most of the cost of a row.
        QList<QVariant> dayValues;
        for (int d = 1; d <= month.daysInMonth(); ++d)
            dayValues << Connection::bindDateTime(conn.engine(), QDate(month.year(), month.month(), d).startOfDay());
        for (int i = 0; i < workers.size(); ++i) {
            const Worker &w = workers[i];
            const int project = i % o.projects;
            const int inProject = (o.workers - project + o.projects - 1) / o.projects;
            const bool moved = !isActive || project < movedProjects;
            const bool checkedPart = !isActive || i / o.projects < (inProject + 1) / 2;
            DemoWorkerMonth client;
            client.refNo = w.id;
            client.employeeNo = w.no;
            client.employeeName = w.name;
            client.ourJob = w.ourJob;
            client.clientJob = w.siteJob;
            client.project = w.project;
            client.year = month.year();
            client.month = month.month();
            // A few months carry one disputed day: one worker of the checked part of every moved
            // project, so that each shows the refusal, and a few more at random.
            const bool disputed = moved && (i / o.projects == (inProject - 1) / 3 || rng.bounded(100) < 2);
            const int disputedDay = disputed ? 1 + int(rng.bounded(month.daysInMonth())) : 0;
            for (int d = 1; d <= month.daysInMonth(); ++d) {
                const QDate date(month.year(), month.month(), d);
                QString code, desc;
                int wh = 0, ot = 0, ht = 0;
                const quint32 roll = rng.bounded(1000);
                if (date.dayOfWeek() == Qt::Friday) {
                    code = QStringLiteral("H");
                    desc = QStringLiteral("Holiday");
                    ht = w.holidayWorker ? 8 : 0;
                } else if (roll < 30) {
                    code = QStringLiteral("A");
                    desc = QStringLiteral("Absent");
                } else if (roll < 42) {
                    code = QStringLiteral("S");
                    desc = QStringLiteral("Sick Leave");
                } else if (roll < 50) {
                    code = QStringLiteral("V");
                    desc = QStringLiteral("Vacation");
                } else {
                    code = QStringLiteral("P");
                    desc = QStringLiteral("Present");
                    wh = 8;
                    ot = roll < 300 ? int(roll % 4) : 0;
                }
                bind(insOwn, {{QStringLiteral("Col_Date"), dayValues[d - 1]},
                              {QStringLiteral("Col_Year"), date.year()},
                              {QStringLiteral("Col_Month"), date.month()},
                              {QStringLiteral("Col_Day"), d},
                              {QStringLiteral("Ref_No"), w.id},
                              {QStringLiteral("Employee_No"), w.no},
                              {QStringLiteral("Employee_Name"), w.name},
                              {QStringLiteral("Assignment"), w.project},
                              {QStringLiteral("Rec_ID"), ++ownId},
                              {QStringLiteral("OurJob"), w.ourJob},
                              {QStringLiteral("SiteJob"), w.siteJob},
                              {QStringLiteral("OurAtt_Code"), code},
                              {QStringLiteral("OurAtt_Desc"), desc},
                              {QStringLiteral("Our_WH"), wh},
                              {QStringLiteral("Our_OT"), ot},
                              {QStringLiteral("Our_HT"), ht},
                              {QStringLiteral("Entered_By"), QStringLiteral("hr")},
                              {QStringLiteral("Entered_Date"), dayValues[d - 1]}});
                insOwn.exec();
                ++summary.timesheetRows;
                if (!moved)
                    continue;
                // The move carries codes other than A, P and H over as absences.
                DemoClientDay c{date, code, desc, wh, ot, ht};
                if (code != QLatin1String("P") && code != QLatin1String("H") && code != QLatin1String("A")) {
                    c.code = QStringLiteral("A");
                    c.desc = QStringLiteral("Absent");
                }
                const DemoClientDay asMoved = c;
                // Then the client's corrections: a little overtime more or less, a day counted absent.
                const quint32 diff = rng.bounded(1000);
                if (diff < 8 && c.code == QLatin1String("P"))
                    c.ot = qMax(0, ot + (diff % 2 ? 1 : -1));
                else if (diff < 11 && c.code == QLatin1String("P")) {
                    c.code = QStringLiteral("A");
                    c.desc = QStringLiteral("Absent");
                    c.wh = c.ot = 0;
                }
                if (d == disputedDay) {
                    c.dispute = true;
                    if (c.code == QLatin1String("P")) {
                        c.code = QStringLiteral("A");
                        c.desc = QStringLiteral("Absent");
                        c.wh = c.ot = 0;
                    } else {
                        c.code = QStringLiteral("P");
                        c.desc = QStringLiteral("Present");
                        c.wh = 8;
                        c.ht = 0;
                    }
                }
                c.corrected = c.code != asMoved.code || c.wh != asMoved.wh || c.ot != asMoved.ot ||
                              c.ht != asMoved.ht || c.dispute;
                client.days << c;
            }
            if (moved)
                monthEnd.write(client, stamps, checkedPart && disputedDay == 0);
        }
    }
    summary.clientRows = monthEnd.clientRows;
    summary.checkedRows = monthEnd.checkedRows;
    summary.disputedRows = monthEnd.disputedRows;
    summary.invoiceLines = monthEnd.invoiceLines;
    summary.workers = workers.size();
    if (newSchema) {
        say(QStringLiteral("Creating indexes"));
        Schema::createIn(conn, Schema::Objects::Indexes);
    }
    say(QStringLiteral("Committing"));
    tx.commit();
    // Fresh statistics, so that the planner picks the narrow indexes from the first query on.
    if (conn.engine() != Engine::SQLServer)
        conn.execDirect(QStringLiteral("ANALYZE"));
    return summary;
}
