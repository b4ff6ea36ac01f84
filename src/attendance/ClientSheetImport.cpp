// Importing a client's sheet: the preview against the database, and the one transaction that
// writes it.
#include "ClientSheetImport.h"
#include "AttendanceTotals.h"
#include "ClientAttendance.h"
#include "ClientAttendanceSql.h"

#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "QueryCursor.h"
#include "SheetRows.h"
#include "Transaction.h"

#include <QSet>
#include <cmath>
#include <memory>

namespace ClientSheet {

namespace {
const QString WorkersSql =
    QStringLiteral("Select Rec_ID, Employee_No, FirstName, LastName, SiteJob From Workers Order By Rec_ID");
// A sheet's day overwrites the worker's client row of that date whatever its project, as a post
// does; its dispute mark is kept and its check reset.
const QString DayOverwriteSql = QStringLiteral(
    "Update ClientTimeSheets SET Assignment = :Assignment, ClientJob = :ClientJob, ClientAtt_Code = :ClientAtt_Code, "
    "ClientAtt_Desc = :ClientAtt_Desc, Client_WH = :Client_WH, Client_OT = :Client_OT, Client_HT = :Client_HT, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Col_Date = :The_Date AND Ref_No = "
    ":The_Ref_No");
const QString RatedJobsSql =
    QStringLiteral("Select Distinct(Site_Job) As ClientJob From AssignmentsRates Where Assignment = :Assignment");
// Every client day of the cycle, whatever its project: a day is one row per worker and date,
// so a day the worker has under another project is overwritten and moves here.
const QString StoredDaysSql = QStringLiteral(
    "Select Ref_No, Col_Date, Assignment, ClientJob, ClientAtt_Code, Client_WH, Client_OT, Client_HT, Checked, "
    "Dispute From ClientTimeSheets Where Col_Year = :Col_Year And Col_Month = :Col_Month");

struct Worker
{
    qint64 refNo = 0;
    QString employeeNo;
    QString name;
    QString siteJob;
};

struct Stored
{
    DayValues values;
    bool checked = false;
    bool disputed = false;
};

qint64 dayKey(qint64 refNo, int day)
{
    return refNo * 32 + day;
}

// Repeated texts held once.
class Interned
{
public:
    QString operator()(const QString &s)
    {
        auto it = m_set.constFind(s);
        if (it != m_set.cend())
            return *it;
        m_set.insert(s);
        return s;
    }

private:
    QSet<QString> m_set;
};

// A cell's employee number: text as written, a number without decimals.
QString employeeNoOf(const SheetCell &c)
{
    return c.displayText().trimmed();
}

// Whole hours 0..24 from a cell; empty when the cell is empty. Returns the refusal, if any.
QString hoursOf(const SheetCell &c, int &hours)
{
    hours = 0;
    if (c.type == SheetCell::Empty)
        return {};
    double v = 0;
    if (c.type == SheetCell::Number) {
        v = c.number;
    } else if (c.type == SheetCell::Text) {
        const QString t = c.text.trimmed();
        if (t.isEmpty())
            return {};
        bool ok = false;
        v = t.toDouble(&ok);
        if (!ok)
            v = QLocale().toDouble(t, &ok);
        if (!ok)
            return Reason::hoursNotWhole();
    } else {
        return Reason::hoursNotWhole();
    }
    if (!std::isfinite(v) || v != std::floor(v))
        return v < 0 ? Reason::hoursNegative() : Reason::hoursNotWhole();
    if (v < 0)
        return Reason::hoursNegative();
    if (v > 24)
        return Reason::hoursAbove24();
    hours = int(v);
    return {};
}

// "A", "P" or "H" from a code or its word; empty when it is neither.
QString codeOf(const QString &text)
{
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("A") || t == QLatin1String("ABSENT"))
        return QStringLiteral("A");
    if (t == QLatin1String("P") || t == QLatin1String("PRESENT"))
        return QStringLiteral("P");
    if (t == QLatin1String("H") || t == QLatin1String("HOLIDAY"))
        return QStringLiteral("H");
    return {};
}

// The classification of a sheet against what the database holds.
class Classifier
{
public:
    Classifier(Connection &c, const Options &o) : m_options(o)
    {
        Query workers(c, WorkersSql);
        {
            QueryCursor cur(workers);
            cur.exec();
            while (cur.next()) {
                Worker w;
                w.refNo = cur.value(0).toLongLong();
                w.employeeNo = cur.value(1).toString();
                w.name = cur.value(2).toString() + QLatin1Char(' ') + cur.value(3).toString();
                w.siteJob = m_texts(cur.value(4).toString());
                // The first worker of a number, as the window's look-up finds it.
                if (!m_workers.contains(w.employeeNo))
                    m_workers.insert(w.employeeNo, w);
            }
        }
        // The project's employee list, as the client attendance window lists it.
        Query deployed(c, MonthHistory::EmployeesSql);
        deployed.setParams({{QStringLiteral("Assignment"), Query::text(o.project)},
                            {QStringLiteral("Col_Year"), o.year},
                            {QStringLiteral("Col_Month"), o.month}});
        {
            QueryCursor cur(deployed);
            cur.exec();
            while (cur.next())
                m_deployed.insert(cur.value(0).toString());
        }
        Query jobs(c, RatedJobsSql);
        jobs.setParam(QStringLiteral("Assignment"), Query::text(o.project));
        {
            QueryCursor cur(jobs);
            cur.exec();
            while (cur.next()) {
                const QString j = cur.value(0).toString();
                m_jobs.insert(j.toLower(), j);
            }
        }
        m_project = m_texts(o.project);
    }

    // Reads the days the workers of the sheet have stored in the cycle.
    void loadStored(Connection &c)
    {
        Query q(c, StoredDaysSql);
        q.setParams({{QStringLiteral("Col_Year"), m_options.year}, {QStringLiteral("Col_Month"), m_options.month}});
        QueryCursor cur(q);
        cur.exec();
        while (cur.next()) {
            const qint64 ref = cur.value(0).toLongLong();
            if (!m_sheetRefs.contains(ref))
                continue;
            const QDate d = toDateTime(cur.value(1)).date();
            if (d.year() != m_options.year || d.month() != m_options.month)
                continue;
            const qint64 key = dayKey(ref, d.day());
            if (m_stored.contains(key))
                continue;
            Stored s;
            s.values.project = m_texts(cur.value(2).toString());
            s.values.job = m_texts(cur.value(3).toString());
            s.values.code = m_texts(cur.value(4).toString());
            s.values.wh = cur.value(5).toInt();
            s.values.ot = cur.value(6).toInt();
            s.values.ht = cur.value(7).toInt();
            s.checked = cur.value(8).toInt() != 0;
            s.disputed = cur.value(9).toInt() != 0;
            m_stored.insert(key, s);
        }
    }

    // The worker columns of a row; false (the row refused) when the worker cannot be used.
    bool worker(const SheetRow &row, const Mapping &m, PreviewRow &out, const Worker *&w)
    {
        const SheetCell &c = row.cell(m.column(Field::EmployeeNo));
        out.employeeNo = m_texts(employeeNoOf(c));
        w = nullptr;
        if (c.formulaWithoutValue)
            return refuse(out, Reason::formulaWithoutValue());
        if (out.employeeNo.isEmpty())
            return refuse(out, Reason::noEmployeeNo());
        auto it = m_workers.constFind(out.employeeNo);
        if (it == m_workers.cend())
            return refuse(out, Reason::unknownEmployee());
        w = &*it;
        out.employeeNo = w->employeeNo;
        out.employeeName = w->name;
        out.refNo = w->refNo;
        if (!m_deployed.contains(w->employeeNo))
            return refuse(out, Reason::notDeployed());
        m_sheetRefs.insert(w->refNo);
        return true;
    }

    // The job of a day: the sheet's, which must have a rate here, else the worker's site job.
    bool job(const SheetRow &row, const Mapping &m, const Worker &w, PreviewRow &out)
    {
        out.sheet.job = w.siteJob;
        if (m.column(Field::Job) < 0)
            return true;
        const SheetCell &c = row.cell(m.column(Field::Job));
        if (c.formulaWithoutValue)
            return refuse(out, Reason::formulaWithoutValue());
        const QString t = c.displayText().trimmed();
        if (t.isEmpty())
            return true;
        auto it = m_jobs.constFind(t.toLower());
        if (it == m_jobs.cend()) {
            out.sheet.job = t;
            return refuse(out, Reason::jobWithoutRate());
        }
        out.sheet.job = m_texts(*it);
        return true;
    }

    // Reads the date into the row (shown even when the row is refused for its worker); returns
    // why it cannot be used, empty when it can.
    QString date(const SheetCell &c, PreviewRow &out)
    {
        if (c.formulaWithoutValue)
            return Reason::formulaWithoutValue();
        if (c.type == SheetCell::Date) {
            out.date = c.date;
        } else if (c.type == SheetCell::Text) {
            out.dateText = c.text;
            out.date = parseTextDate(c.text, m_options.dayFirst);
        }
        if (!out.date.isValid())
            return Reason::notADate();
        if (out.date.year() != m_options.year || out.date.month() != m_options.month)
            return Reason::outsideCycle();
        return {};
    }

    // One row per worker and day.
    void perDay(const SheetRow &row, const Mapping &m, QList<PreviewRow> &rows)
    {
        PreviewRow out;
        out.sheetRow = row.number;
        out.hidden = row.hidden;
        out.sheet.project = m_project;
        const Worker *w = nullptr;
        const QString dateWhy = date(row.cell(m.column(Field::Date)), out);
        if (!worker(row, m, out, w))
            return add(rows, out);
        if (!dateWhy.isEmpty()) {
            refuse(out, dateWhy);
            return add(rows, out);
        }
        for (int col : m.columns)
            if (col >= 0 && row.cell(col).formulaWithoutValue) {
                refuse(out, Reason::formulaWithoutValue());
                return add(rows, out);
            }
        const SheetCell &code = row.cell(m.column(Field::Code));
        out.sheet.code = codeOf(code.displayText());
        if (out.sheet.code.isEmpty()) {
            out.sheet.code = m_texts(code.displayText().left(20));
            refuse(out, Reason::badCode());
            return add(rows, out);
        }
        int *hours[] = {&out.sheet.wh, &out.sheet.ot, &out.sheet.ht};
        const Field fields[] = {Field::Normal, Field::Overtime, Field::Holiday};
        for (int i = 0; i < 3; ++i) {
            const QString why = hoursOf(row.cell(m.column(fields[i])), *hours[i]);
            if (!why.isEmpty()) {
                refuse(out, why);
                return add(rows, out);
            }
        }
        if (out.sheet.wh + out.sheet.ot + out.sheet.ht > 24)
            refuse(out, Reason::dayAbove24());
        else
            job(row, m, *w, out);
        add(rows, out);
    }

    // One row per worker, a column per day: a code, or whole hours counted as "P" with up to 8
    // normal hours and the rest overtime.
    void perWorker(const SheetRow &row, const Mapping &m, QList<PreviewRow> &rows)
    {
        PreviewRow base;
        base.sheetRow = row.number;
        base.hidden = row.hidden;
        base.sheet.project = m_project;
        const Worker *w = nullptr;
        const bool usable = worker(row, m, base, w) && job(row, m, *w, base);
        if (!usable) {
            add(rows, base);
            return;
        }
        const int daysInMonth = QDate(m_options.year, m_options.month, 1).daysInMonth();
        for (const auto &[col, day] : m.dayColumns) {
            const SheetCell &c = row.cell(col);
            PreviewRow out = base;
            out.sheetColumn = col;
            if (day < 1 || day > daysInMonth) {
                if (c.isEmpty())
                    continue; // a column for a day the month does not have, left empty
                out.dateText = m.headers.value(col);
                refuse(out, Reason::outsideCycle());
                add(rows, out);
                continue;
            }
            out.date = QDate(m_options.year, m_options.month, day);
            if (c.formulaWithoutValue) {
                refuse(out, Reason::formulaWithoutValue());
            } else if (c.type == SheetCell::Empty) {
                out.sheet.code = QStringLiteral("A");
            } else {
                const QString code = c.type == SheetCell::Text ? codeOf(c.text) : QString();
                int h = 0;
                if (!code.isEmpty()) {
                    out.sheet.code = code;
                    const EntryHours e = entryHours(code == QLatin1String("P") ? code : QString());
                    out.sheet.wh = e.wh;
                } else if (c.type == SheetCell::Text && c.text.trimmed().isEmpty()) {
                    out.sheet.code = QStringLiteral("A");
                } else {
                    bool number = c.type == SheetCell::Number;
                    if (c.type == SheetCell::Text)
                        c.text.trimmed().toDouble(&number);
                    if (!number) {
                        out.sheet.code = m_texts(c.displayText().left(20));
                        refuse(out, Reason::badCode());
                    } else if (const QString why = hoursOf(c, h); !why.isEmpty()) {
                        refuse(out, why);
                    } else {
                        out.sheet.code = QStringLiteral("P");
                        out.sheet.wh = qMin(h, 8);
                        out.sheet.ot = h - out.sheet.wh;
                    }
                }
            }
            add(rows, out);
        }
    }

    // Compares the accepted days with the stored ones and refuses days the sheet holds twice.
    void finish(Preview &p)
    {
        QHash<qint64, QList<int>> seen;
        for (int i = 0; i < p.rows.size(); ++i) {
            const PreviewRow &r = p.rows.at(i);
            if (r.refNo != 0 && r.date.isValid() && r.date.year() == m_options.year &&
                r.date.month() == m_options.month)
                seen[dayKey(r.refNo, r.date.day())].append(i);
        }
        for (const QList<int> &same : std::as_const(seen)) {
            if (same.size() < 2)
                continue;
            QList<int> sheetRows;
            for (int i : same)
                sheetRows << p.rows.at(i).sheetRow;
            for (int i : same) {
                PreviewRow &r = p.rows[i];
                if (r.outcome != Outcome::Refused || r.reason.isEmpty())
                    refuse(r, Reason::twice(sheetRows));
            }
        }
        for (PreviewRow &r : p.rows) {
            if (r.outcome == Outcome::Refused && !r.reason.isEmpty()) {
                ++p.counts[size_t(Outcome::Refused)];
                if (r.hidden)
                    ++p.hiddenRows;
                continue;
            }
            auto it = m_stored.constFind(dayKey(r.refNo, r.date.day()));
            if (it == m_stored.cend()) {
                r.outcome = Outcome::New;
            } else {
                r.stored = it->values;
                r.checked = it->checked;
                r.disputed = it->disputed;
                const DayValues &a = r.sheet, &b = it->values;
                const bool same = a.code == b.code && a.wh == b.wh && a.ot == b.ot && a.ht == b.ht && a.job == b.job &&
                                  a.project == b.project;
                r.outcome = same ? Outcome::Unchanged : Outcome::Changed;
            }
            ++p.counts[size_t(r.outcome)];
            if (r.hidden)
                ++p.hiddenRows;
        }
    }

private:
    static bool refuse(PreviewRow &r, const QString &reason)
    {
        r.outcome = Outcome::Refused;
        r.reason = reason;
        return false;
    }
    void add(QList<PreviewRow> &rows, PreviewRow &r)
    {
        // Accepted until compared; the reason marks a refusal.
        if (r.reason.isEmpty())
            r.outcome = Outcome::New;
        rows.append(std::move(r));
    }

    const Options &m_options;
    Interned m_texts;
    QString m_project;
    QHash<QString, Worker> m_workers;
    QSet<QString> m_deployed;
    QHash<QString, QString> m_jobs; // lower case -> as the rates spell it
    QSet<qint64> m_sheetRefs;
    QHash<qint64, Stored> m_stored;
};

constexpr int HeaderSearchRows = 30;
} // namespace

Importer::Importer(Connection &connection, const Clock &clock) : m_conn(connection), m_clock(clock) {}

Preview Importer::preview(const QString &path, const Options &options)
{
    if (options.year < 1900 || options.month < 1 || options.month > 12)
        throw ImportError(QStringLiteral("No cycle chosen"));
    std::unique_ptr<SheetReader> reader;
    Preview p;
    QList<SheetRow> first;
    try {
        reader = openSheetFile(path);
        p.sheetNames = reader->sheetNames();
        QList<int> candidates;
        if (!options.sheetName.isEmpty()) {
            for (int i = 0; i < p.sheetNames.size(); ++i)
                if (p.sheetNames.at(i).compare(options.sheetName, Qt::CaseInsensitive) == 0)
                    candidates << i;
            if (candidates.isEmpty())
                throw ImportError(QStringLiteral("The workbook has no sheet named \"%1\" (sheets: %2)")
                                      .arg(options.sheetName, p.sheetNames.join(QStringLiteral(", "))));
            candidates = candidates.mid(0, 1);
        } else {
            for (int i = 0; i < p.sheetNames.size(); ++i)
                candidates << i;
        }
        QStringList found;
        bool anyRow = false;
        for (int index : candidates) {
            reader->selectSheet(index);
            first.clear();
            SheetRow row;
            while (first.size() < HeaderSearchRows && reader->readRow(row))
                first << row;
            anyRow = anyRow || !first.isEmpty();
            Mapping m = recognise(first, options.year, options.month);
            // A mapping given by the user stands in for a header the program did not recognise.
            if (m.headerRow == 0 && !(options.overrides.isEmpty() && options.mapTexts.isEmpty()) && !first.isEmpty()) {
                m = recognise({}, options.year, options.month);
                m.headerRow = first.first().number;
                for (const SheetCell &c : first.first().cells)
                    m.headers << c.displayText();
                m.layout = Layout::PerDay;
            }
            if (m.headerRow != 0 || candidates.size() == 1) {
                p.mapping = m;
                p.sheetName = p.sheetNames.value(index);
                if (m.headerRow != 0)
                    break;
            }
            if (!first.isEmpty()) {
                QStringList texts;
                for (const SheetCell &c : first.first().cells)
                    if (!c.displayText().trimmed().isEmpty())
                        texts << c.displayText().trimmed().left(40);
                found << QStringLiteral("%1: %2").arg(p.sheetNames.value(index), texts.join(QStringLiteral(", ")));
            }
        }
        if (!anyRow)
            throw ImportError(QStringLiteral("The sheet is empty"));
        if (p.mapping.headerRow == 0)
            throw ImportError(QStringLiteral("No sheet has a recognisable header row (an employee number column and "
                                             "a date column or day columns). Headers found: %1")
                                  .arg(found.join(QStringLiteral("; "))));
    } catch (const SheetError &e) {
        throw ImportError(e.message());
    }
    for (auto it = options.overrides.cbegin(); it != options.overrides.cend(); ++it)
        p.mapping.setColumn(it.key(), it.value());
    for (auto it = options.mapTexts.cbegin(); it != options.mapTexts.cend(); ++it) {
        const int column = it.value() == QLatin1String("-") ? -1 : columnFromText(p.mapping, it.value());
        if (column < 0 && it.value() != QLatin1String("-"))
            throw ImportError(QStringLiteral("No column \"%1\" in the header row (%2)")
                                  .arg(it.value(), p.mapping.headers.join(QStringLiteral(", "))));
        p.mapping.setColumn(it.key(), column);
    }
    if (p.mapping.layout == Layout::PerWorker && p.mapping.column(Field::Date) >= 0)
        p.mapping.layout = Layout::PerDay;
    if (const QString why = p.mapping.incomplete(); !why.isEmpty())
        throw ImportError(why);

    Classifier cls(m_conn, options);
    auto take = [&](const SheetRow &row) {
        if (row.number <= p.mapping.headerRow || row.isEmpty())
            return;
        if (p.mapping.layout == Layout::PerDay)
            cls.perDay(row, p.mapping, p.rows);
        else
            cls.perWorker(row, p.mapping, p.rows);
    };
    for (const SheetRow &row : std::as_const(first))
        take(row);
    try {
        SheetRow row;
        while (reader->readRow(row))
            take(row);
    } catch (const SheetError &e) {
        throw ImportError(e.message());
    }
    cls.loadStored(m_conn);
    cls.finish(p);
    return p;
}

ApplyResult Importer::apply(const Preview &p, const Options &options, const PassControl &control)
{
    ApplyResult result;
    result.unchanged = p.count(Outcome::Unchanged);
    result.refused = p.count(Outcome::Refused);
    const int total = p.accepted();
    // The post's statements: the day overwritten by date and worker (its dispute kept, its check
    // reset), inserted when the worker has no row that day.
    Query update(m_conn, DayOverwriteSql);
    Query insert(m_conn, AttendanceSql::InsertRowSql);
    const QDate today = m_clock.today();
    const QVariant user = Query::text(userId);
    int done = 0;
    {
        Transaction tx(m_conn);
        for (const PreviewRow &r : p.rows) {
            if (r.outcome != Outcome::New && r.outcome != Outcome::Changed)
                continue;
            if (done % 100 == 0) {
                control.start(done, total, r.employeeNo);
                if (control.stop()) {
                    result = ApplyResult();
                    result.cancelled = true;
                    return result; // the guard rolls back
                }
            }
            const QVariant code = Query::text(r.sheet.code);
            const QVariant desc = Query::text(attDescForCode(r.sheet.code));
            const QVariant job = Query::text(r.sheet.job);
            const QVariant project = Query::text(options.project);
            const QDateTime date = r.date.startOfDay();
            update.setParams({{QStringLiteral("Assignment"), project},
                              {QStringLiteral("ClientJob"), job},
                              {QStringLiteral("ClientAtt_Code"), code},
                              {QStringLiteral("ClientAtt_Desc"), desc},
                              {QStringLiteral("Client_WH"), r.sheet.wh},
                              {QStringLiteral("Client_OT"), r.sheet.ot},
                              {QStringLiteral("Client_HT"), r.sheet.ht},
                              {QStringLiteral("Entered_By"), user},
                              {QStringLiteral("Entered_Date"), today},
                              {QStringLiteral("The_Date"), date},
                              {QStringLiteral("The_Ref_No"), r.refNo}});
            if (update.exec() > 0) {
                ++result.updated;
            } else {
                insert.setParams({{QStringLiteral("Col_Date"), date},
                                  {QStringLiteral("Col_Year"), r.date.year()},
                                  {QStringLiteral("Col_Month"), r.date.month()},
                                  {QStringLiteral("Col_Day"), r.date.day()},
                                  {QStringLiteral("Ref_No"), r.refNo},
                                  {QStringLiteral("Employee_No"), Query::text(r.employeeNo)},
                                  {QStringLiteral("Employee_Name"), Query::text(r.employeeName)},
                                  {QStringLiteral("ClientJob"), job},
                                  {QStringLiteral("Assignment"), project},
                                  {QStringLiteral("ClientAtt_Code"), code},
                                  {QStringLiteral("ClientAtt_Desc"), desc},
                                  {QStringLiteral("Client_WH"), r.sheet.wh},
                                  {QStringLiteral("Client_OT"), r.sheet.ot},
                                  {QStringLiteral("Client_HT"), r.sheet.ht},
                                  {QStringLiteral("Entered_By"), user},
                                  {QStringLiteral("Entered_Date"), today}});
                insert.exec();
                ++result.inserted;
            }
            ++done;
        }
        control.start(done, total, QString());
        if (control.stop()) {
            result = ApplyResult();
            result.cancelled = true;
            return result;
        }
        tx.commit();
    }
    return result;
}

} // namespace ClientSheet
