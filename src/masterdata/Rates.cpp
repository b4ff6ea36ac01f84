#include "Rates.h"
#include "Query.h"
#include "Transaction.h"

#include <QLocale>
#include <cmath>

namespace Rates {

const QString RatesSql =
    QStringLiteral("Select * from AssignmentsRates Where Assignment = :Assignment Order By Site_Job");
const QString SiteJobsSql = QStringLiteral("Select * from SiteJobs Order By Job_Site");
const QString InsertSql =
    QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                   "Values (:Assignment, :Site_Job, :WH_Rate, :OT_Rate, :HT_Rate)");
const QString ModifySql = QStringLiteral("Update AssignmentsRates Set Site_Job = :Site_Job , WH_Rate = :WH_Rate , "
                                         "OT_Rate = :OT_Rate , HT_Rate = :HT_Rate Where Rec_ID = :Rec_ID");
const QString DeleteSql = QStringLiteral("Delete From AssignmentsRates Where Rec_ID = :Rec_ID");
const QString SameJobSql = QStringLiteral("Select Count(*) As Rates From AssignmentsRates Where Assignment = "
                                          ":Assignment And Site_Job = :Site_Job And Rec_ID <> :Rec_ID");

void prepareRatesQ(Query &q)
{
    q.setName(QStringLiteral("RatesQ"));
    q.setSql(RatesSql);
    for (const char *rate : {"WH_Rate", "OT_Rate", "HT_Rate"}) {
        FieldDef f;
        f.name = QString::fromLatin1(rate);
        f.kind = FieldKind::Float;
        f.displayFormat = MoneyFormat;
        q.defineField(f);
    }
}

void open(Query &q, const QString &project)
{
    q.close();
    q.setParam(QStringLiteral("Assignment"), project);
    q.open();
    q.first();
}

QStringList siteJobs(Connection &c)
{
    Query q(c, SiteJobsSql);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.asString(QStringLiteral("Job_Site"));
    return out;
}

Rate rateOf(const Query &q)
{
    Rate r;
    if (q.eof())
        return r;
    r.siteJob = q.asString(QStringLiteral("Site_Job"));
    r.wh = q.asDouble(QStringLiteral("WH_Rate"));
    r.ot = q.asDouble(QStringLiteral("OT_Rate"));
    r.ht = q.asDouble(QStringLiteral("HT_Rate"));
    return r;
}

namespace {
void bindRate(Query &q, const Rate &r)
{
    q.setParam(QStringLiteral("Site_Job"), r.siteJob);
    q.setParam(QStringLiteral("WH_Rate"), r.wh);
    q.setParam(QStringLiteral("OT_Rate"), r.ot);
    q.setParam(QStringLiteral("HT_Rate"), r.ht);
}

QLocale rateLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}
} // namespace

void insert(Connection &c, const QString &project, const Rate &r)
{
    Query q(c, InsertSql);
    Transaction t(c); // statements are released after the rollback, never inside a failed transaction
    q.setParam(QStringLiteral("Assignment"), project);
    bindRate(q, r);
    q.exec();
    t.commit();
}

void modify(Connection &c, qint64 recId, const Rate &r)
{
    Query q(c, ModifySql);
    Transaction t(c);
    bindRate(q, r);
    q.setParam(QStringLiteral("Rec_ID"), recId);
    q.exec();
    t.commit();
}

void remove(Connection &c, qint64 recId)
{
    Query q(c, DeleteSql);
    Transaction t(c);
    q.setParam(QStringLiteral("Rec_ID"), recId);
    q.exec();
    t.commit();
}

int sameJobRates(Connection &c, const QString &project, const QString &siteJob, qint64 exceptRecId)
{
    Query q(c, SameJobSql);
    q.setParam(QStringLiteral("Assignment"), project);
    q.setParam(QStringLiteral("Site_Job"), siteJob);
    q.setParam(QStringLiteral("Rec_ID"), exceptRecId);
    q.open();
    return q.asInt(QStringLiteral("Rates"));
}

QString secondRateQuestion(const QString &siteJob)
{
    return QStringLiteral("A rate for %1 already exists in this project; the check uses the first one entered. "
                          "Add another?")
        .arg(siteJob);
}

QString formatRate(double value)
{
    return rateLocale().toString(value, 'g', 15);
}

bool parseRate(const QString &text, double *value)
{
    bool ok = false;
    const double v = rateLocale().toDouble(text.trimmed(), &ok);
    // The locale reads "inf" and "nan" as numbers; no hour can be priced at them.
    ok = ok && std::isfinite(v);
    if (ok && value)
        *value = v;
    return ok;
}

QString notANumber(const QString &text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

} // namespace Rates
