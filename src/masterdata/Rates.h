#pragma once

#include <QString>
#include <QStringList>

class Connection;
class Query;

// Hourly rates per project and site job (table AssignmentsRates). Each save is one
// transaction; failures throw DbError.
namespace Rates {

extern const QString RatesSql;
extern const QString SiteJobsSql;
extern const QString InsertSql;
extern const QString ModifySql;
extern const QString DeleteSql;
extern const QString SameJobSql;

struct Rate
{
    QString siteJob;
    double wh = 0, ot = 0, ht = 0;
};

// Gives the query the statement of a project's rates (RatesQ).
void prepareRatesQ(Query &q);
// Closes the rates, sets the project (empty: none), opens them; they stand on the first row.
void open(Query &q, const QString &project);
// Every Job_Site of SiteJobs, in order.
QStringList siteJobs(Connection &c);

Rate rateOf(const Query &q); // from the current row

void insert(Connection &c, const QString &project, const Rate &r);
void modify(Connection &c, qint64 recId, const Rate &r);
void remove(Connection &c, qint64 recId);

// Rates the project already has for the site job, the row exceptRecId left out. Two are allowed,
// but the check prices with the first one entered, so the window asks before adding a second.
int sameJobRates(Connection &c, const QString &project, const QString &siteJob, qint64 exceptRecId = 0);
QString secondRateQuestion(const QString &siteJob);

// A rate as the user's locale writes it, and back. Parsing accepts the locale's decimal
// separator only (no grouping); false when the text is not a finite number.
QString formatRate(double value);
bool parseRate(const QString &text, double *value);
// The message for text that is not a number.
QString notANumber(const QString &text);

} // namespace Rates
