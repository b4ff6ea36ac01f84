#include "Reconciliation.h"
#include "ActiveProjects.h"
#include "ClientAttendance.h"
#include "Connection.h"
#include "QueryCursor.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

namespace Reconcile {

// The month's rows of both sides in worker order (the month index delivers them so), and the
// month's invoice lines. A second text per side narrows the read to one project.
const QString OwnRowsSql =
    QStringLiteral("Select Assignment, Ref_No, Employee_No, Employee_Name, Col_Date, OurAtt_Code, Our_WH, Our_OT, "
                   "Our_HT From TimeSheets Where Col_Year = :Col_Year And Col_Month = :Col_Month "
                   "Order By Assignment, Ref_No, Col_Date");
const QString ClientRowsSql = QStringLiteral(
    "Select Assignment, Ref_No, Employee_No, Employee_Name, Col_Date, ClientAtt_Code, Client_WH, Client_OT, "
    "Client_HT, Checked, Dispute, Entered_By From ClientTimeSheets Where Col_Year = :Col_Year "
    "And Col_Month = :Col_Month Order By Assignment, Ref_No, Col_Date");
const QString InvoiceLinesSql = QStringLiteral(
    "Select Assignment, Earned_Total, Earned_WH_Hours, Earned_OT_Hours, Earned_HT_Hours, Earned_WH_Rate, "
    "Earned_OT_Rate, Earned_HT_Rate From Invoices Where Col_Year = :Col_Year And Col_Month = :Col_Month");

namespace {

const QString OwnRowsOfProjectSql =
    QStringLiteral("Select Assignment, Ref_No, Employee_No, Employee_Name, Col_Date, OurAtt_Code, Our_WH, Our_OT, "
                   "Our_HT From TimeSheets Where Col_Year = :Col_Year And Col_Month = :Col_Month "
                   "And Assignment = :Assignment Order By Ref_No, Col_Date");
const QString ClientRowsOfProjectSql = QStringLiteral(
    "Select Assignment, Ref_No, Employee_No, Employee_Name, Col_Date, ClientAtt_Code, Client_WH, Client_OT, "
    "Client_HT, Checked, Dispute, Entered_By From ClientTimeSheets Where Col_Year = :Col_Year "
    "And Col_Month = :Col_Month And Assignment = :Assignment Order By Ref_No, Col_Date");

// Column positions of both row statements.
enum Col { CProject, CRef, CEmployee, CName, CDate, CCode, CWh, COt, CHt, CChecked, CDispute, CEnteredBy };

struct Row
{
    int worker = 0;
    qint64 day = 0; // Julian day
    QString code;
    int wh = 0, ot = 0, ht = 0;
    bool checked = true;
    bool dispute = false;
    QString enteredBy;
};

int intOf(const QVariant &v)
{
    // A null hour counts as 0, as everywhere else in the program.
    return v.isNull() ? 0 : v.toInt();
}

QDate dateOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return static_cast<const QDateTime *>(v.constData())->date();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return toDateTime(v).date();
}

// Codes compare as the server compares texts: trailing blanks do not count.
bool sameCode(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    auto end = [](const QString &s) {
        qsizetype n = s.size();
        while (n > 0 && s.at(n - 1).isSpace())
            --n;
        return n;
    };
    return QStringView(a).left(end(a)) == QStringView(b).left(end(b));
}

class Reader
{
public:
    Reader(Connection &c, int year, int month, const QStringList &projects) : m_conn(c), m_year(year), m_month(month)
    {
        m_projects = projects.isEmpty() ? ActiveProjects::names(c) : projects;
        std::sort(m_projects.begin(), m_projects.end());
        m_projects.erase(std::unique(m_projects.begin(), m_projects.end()), m_projects.end());
        for (const QString &p : m_projects)
            m_wanted.insert(p);
    }

    const QStringList &projects() const { return m_projects; }
    QList<Worker> workers;
    std::vector<Row> own, client;

    void readSide(bool clientSide)
    {
        std::vector<Row> &rows = clientSide ? client : own;
        if (m_projects.isEmpty())
            return;
        const bool one = m_projects.size() == 1;
        Query q(m_conn,
                clientSide ? (one ? ClientRowsOfProjectSql : ClientRowsSql) : (one ? OwnRowsOfProjectSql : OwnRowsSql));
        q.setParam(QStringLiteral("Col_Year"), m_year);
        q.setParam(QStringLiteral("Col_Month"), m_month);
        if (one)
            q.setParam(QStringLiteral("Assignment"), m_projects.first());
        QueryCursor cursor(q);
        cursor.exec();
        QString lastProject;
        qint64 lastRef = -1;
        int worker = -1;
        while (cursor.next()) {
            const QVariant &projectValue = cursor.value(CProject);
            const qint64 ref = cursor.value(CRef).toLongLong();
            // Consecutive rows mostly belong to the same worker: no look-up for them.
            if (worker < 0 || ref != lastRef || projectValue.toString() != lastProject) {
                lastProject = projectValue.toString();
                lastRef = ref;
                if (!m_wanted.contains(lastProject)) {
                    worker = -2;
                    continue;
                }
                worker = workerIndex(lastProject, ref, cursor);
            }
            if (worker == -2)
                continue;
            Row r;
            r.worker = worker;
            r.day = dateOf(cursor.value(CDate)).toJulianDay();
            r.code = cursor.value(CCode).toString();
            r.wh = intOf(cursor.value(CWh));
            r.ot = intOf(cursor.value(COt));
            r.ht = intOf(cursor.value(CHt));
            if (clientSide) {
                r.checked = cursor.value(CChecked).toInt() != 0;
                r.dispute = cursor.value(CDispute).toInt() != 0;
                if (!r.checked || r.dispute)
                    r.enteredBy = cursor.value(CEnteredBy).toString();
            }
            rows.push_back(std::move(r));
        }
        // Worker by worker, each in date order (already so when the server's order groups them).
        auto before = [](const Row &a, const Row &b) {
            return a.worker != b.worker ? a.worker < b.worker : a.day < b.day;
        };
        if (!std::is_sorted(rows.begin(), rows.end(), before))
            std::stable_sort(rows.begin(), rows.end(), before);
    }

    void readInvoices(QHash<QString, ProjectSummary *> &byProject)
    {
        if (m_projects.isEmpty())
            return;
        Query q(m_conn, InvoiceLinesSql);
        q.setParam(QStringLiteral("Col_Year"), m_year);
        q.setParam(QStringLiteral("Col_Month"), m_month);
        QueryCursor cursor(q);
        cursor.exec();
        auto columns = [&cursor](std::initializer_list<const char *> names) {
            QList<int> out;
            for (const char *n : names)
                out << cursor.column(QLatin1String(n));
            return out;
        };
        const int project = cursor.column(QStringLiteral("Assignment"));
        const int total = cursor.column(QStringLiteral("Earned_Total"));
        const QList<int> hourColumns = columns({"Earned_WH_Hours", "Earned_OT_Hours", "Earned_HT_Hours"});
        const QList<int> rateColumns = columns({"Earned_WH_Rate", "Earned_OT_Rate", "Earned_HT_Rate"});
        while (cursor.next()) {
            ProjectSummary *s = byProject.value(cursor.value(project).toString());
            if (!s)
                continue;
            ++s->invoiceLines;
            s->invoiceTotal += cursor.value(total).toDouble();
            // Hours billed at nothing: the check found no rate for the line's client job.
            bool hours = false, rated = false;
            for (int c : hourColumns)
                hours = hours || intOf(cursor.value(c)) != 0;
            for (int c : rateColumns)
                rated = rated || cursor.value(c).toDouble() != 0;
            if (hours && !rated)
                ++s->pricedAtZero;
        }
    }

private:
    int workerIndex(const QString &project, qint64 ref, const QueryCursor &cursor)
    {
        const auto key = qMakePair(project, ref);
        auto it = m_index.constFind(key);
        if (it != m_index.constEnd())
            return *it;
        Worker w;
        w.project = project;
        w.refNo = ref;
        w.employeeNo = cursor.value(CEmployee).toString();
        w.employeeName = cursor.value(CName).toString();
        workers.append(w);
        m_index.insert(key, int(workers.size()) - 1);
        return int(workers.size()) - 1;
    }

    Connection &m_conn;
    int m_year, m_month;
    QStringList m_projects;
    QSet<QString> m_wanted;
    QHash<QPair<QString, qint64>, int> m_index;
};

// The rows of one worker's day on one side, several rows of a day taken together.
Day takeDay(const std::vector<Row> &rows, size_t &at, size_t end, bool *dispute = nullptr)
{
    Day d;
    d.present = true;
    d.code = rows[at].code;
    const qint64 day = rows[at].day;
    for (; at < end && rows[at].day == day; ++at) {
        d.wh += rows[at].wh;
        d.ot += rows[at].ot;
        d.ht += rows[at].ht;
        if (dispute && rows[at].dispute)
            *dispute = true;
    }
    return d;
}

// Begin of each worker's rows (rows sorted by worker); begins[w + 1] is its end.
std::vector<size_t> beginsOf(const std::vector<Row> &rows, int workers)
{
    std::vector<size_t> begins(size_t(workers) + 1, rows.size());
    for (size_t i = rows.size(); i-- > 0;)
        begins[size_t(rows[i].worker)] = i;
    for (int w = workers - 1; w >= 0; --w)
        begins[size_t(w)] = qMin(begins[size_t(w)], begins[size_t(w) + 1]);
    return begins;
}

} // namespace

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::HoursDiffer:
        return QStringLiteral("Hours Differ");
    case Kind::CodeDiffers:
        return QStringLiteral("Code Differs");
    case Kind::OwnOnly:
        return QStringLiteral("No Client Row");
    case Kind::ClientOnly:
        return QStringLiteral("No Own Row");
    case Kind::Disputed:
        return QStringLiteral("Disputed");
    }
    return {};
}

bool Difference::codeDiffers() const
{
    // An own code the client side does not use is moved as "A": that is no difference.
    const QString ownCode = isClientCode(own.code.trimmed()) ? own.code : QStringLiteral("A");
    return !sameCode(ownCode, client.code);
}

void ProjectSummary::add(const ProjectSummary &o)
{
    deployed += o.deployed;
    withClientRows += o.withClientRows;
    notMoved += o.notMoved;
    checked += o.checked;
    unchecked += o.unchecked;
    disputed += o.disputed;
    ownWh += o.ownWh;
    ownOt += o.ownOt;
    ownHt += o.ownHt;
    clientWh += o.clientWh;
    clientOt += o.clientOt;
    clientHt += o.clientHt;
    differences += o.differences;
    invoiceLines += o.invoiceLines;
    invoiceTotal += o.invoiceTotal;
    pricedAtZero += o.pricedAtZero;
}

QString noRowsMessage(int year, int month, const QStringList &projects)
{
    const QString cycle = QStringLiteral("%1/%2").arg(month, 2, 10, QLatin1Char('0')).arg(year);
    if (projects.isEmpty())
        return QStringLiteral("There is no attendance in %1").arg(cycle);
    return QStringLiteral("There is no attendance of %1 in %2").arg(projects.join(QStringLiteral(", ")), cycle);
}

Result reconcile(Connection &connection, int year, int month, const QStringList &projects)
{
    Result res;
    res.year = year;
    res.month = month;
    Reader reader(connection, year, month, projects);
    reader.readSide(false);
    reader.readSide(true);
    res.hasRows = !reader.own.empty() || !reader.client.empty();

    QHash<QString, ProjectSummary *> byProject;
    res.projects.reserve(reader.projects().size());
    for (const QString &p : reader.projects()) {
        ProjectSummary s;
        s.project = p;
        res.projects.append(s);
    }
    for (ProjectSummary &s : res.projects)
        byProject.insert(s.project, &s);
    reader.readInvoices(byProject);

    QList<Worker> &workers = reader.workers;
    const int n = int(workers.size());
    const std::vector<size_t> ownAt = beginsOf(reader.own, n);
    const std::vector<size_t> clientAt = beginsOf(reader.client, n);

    // Workers in the order of the lists: project, employee number.
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[size_t(i)] = i;
    std::sort(order.begin(), order.end(), [&workers](int a, int b) {
        const Worker &x = workers.at(a), &y = workers.at(b);
        if (const int c = x.project.compare(y.project))
            return c < 0;
        if (const int c = x.employeeNo.compare(y.employeeNo))
            return c < 0;
        return x.refNo < y.refNo;
    });

    const std::vector<Row> &own = reader.own, &client = reader.client;
    for (int w : order) {
        Worker &wk = workers[w];
        ProjectSummary &s = *byProject.value(wk.project);
        const size_t o0 = ownAt[size_t(w)], o1 = ownAt[size_t(w) + 1];
        const size_t c0 = clientAt[size_t(w)], c1 = clientAt[size_t(w) + 1];
        for (size_t i = o0; i < o1; ++i) {
            ++wk.ownRows;
            wk.ownWh += own[i].wh;
            wk.ownOt += own[i].ot;
            wk.ownHt += own[i].ht;
        }
        for (size_t i = c0; i < c1; ++i) {
            const Row &r = client[i];
            ++wk.clientRows;
            wk.clientWh += r.wh;
            wk.clientOt += r.ot;
            wk.clientHt += r.ht;
            if (!r.checked) {
                if (wk.uncheckedRows++ == 0)
                    wk.enteredBy = r.enteredBy;
            }
            if (r.dispute) {
                ++wk.disputedRows;
                res.disputes.append({wk.project, wk.employeeNo, wk.employeeName, QDate::fromJulianDay(r.day), r.code,
                                     r.wh, r.ot, r.ht, r.enteredBy});
            }
        }
        s.ownWh += wk.ownWh;
        s.ownOt += wk.ownOt;
        s.ownHt += wk.ownHt;
        s.clientWh += wk.clientWh;
        s.clientOt += wk.clientOt;
        s.clientHt += wk.clientHt;
        if (wk.ownRows > 0)
            ++s.deployed;
        if (wk.clientRows == 0) {
            // Not moved yet: its days are listed once, as a worker, not day by day.
            ++s.notMoved;
            res.notMoved.append(wk);
            continue;
        }
        ++s.withClientRows;
        if (wk.uncheckedRows > 0) {
            ++s.unchecked;
            res.unchecked.append(wk);
        } else {
            ++s.checked;
        }
        if (wk.disputedRows > 0)
            ++s.disputed;

        // Both sides' days side by side.
        size_t i = o0, j = c0;
        while (i < o1 || j < c1) {
            Difference d;
            d.project = wk.project;
            d.refNo = wk.refNo;
            d.employeeNo = wk.employeeNo;
            d.employeeName = wk.employeeName;
            bool dispute = false;
            if (j >= c1 || (i < o1 && own[i].day < client[j].day)) {
                d.date = QDate::fromJulianDay(own[i].day);
                d.own = takeDay(own, i, o1);
            } else if (i >= o1 || client[j].day < own[i].day) {
                d.date = QDate::fromJulianDay(client[j].day);
                d.client = takeDay(client, j, c1, &dispute);
            } else {
                d.date = QDate::fromJulianDay(own[i].day);
                d.own = takeDay(own, i, o1);
                d.client = takeDay(client, j, c1, &dispute);
            }
            if (dispute)
                d.kind = Kind::Disputed;
            else if (!d.client.present)
                d.kind = Kind::OwnOnly;
            else if (!d.own.present)
                d.kind = Kind::ClientOnly;
            else if (d.codeDiffers())
                d.kind = Kind::CodeDiffers;
            else if (d.whDiffers() || d.otDiffers() || d.htDiffers())
                d.kind = Kind::HoursDiffer;
            else
                continue;
            ++s.differences;
            res.differences.append(std::move(d));
        }
    }
    res.totals.project = QStringLiteral("Total");
    for (const ProjectSummary &s : res.projects)
        res.totals.add(s);
    return res;
}

} // namespace Reconcile
