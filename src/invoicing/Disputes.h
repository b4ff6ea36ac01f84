#pragma once

#include "Query.h"

#include <QList>
#include <QString>

class Connection;
class DbError;

// The disputed client attendance rows of a cycle, each beside the company's own row of the same
// worker and day, and clearing a row's dispute mark. The dispute window, the attendance window's
// dispute marks and tallimar-cli share these.
namespace Disputes {

// DisputeQ: every disputed client row of the cycle, across projects, by employee number and date.
// A row without an own row on its date is listed too (the own side empty): the check refuses a
// worker with any disputed row, so a dispute hidden here would block an invoice unseen.
extern const QString DisputeSql;
// ComUpdateDispute: the mark of one client row and nothing else.
extern const QString UpdateDisputeSql;

// Field names, titles and kinds as the list shows and exports them.
const QList<FieldDef> &disputeFields();

// Gives a query the list's name, statement and field definitions.
void prepareDisputeQ(Query &q);
// Closes the list, sets the cycle, opens it again (first line current). Throws DbError.
void open(Query &q, int year, int month);

// The first line of the employee (exact, case-sensitive match of Employee_No), or -1.
int findEmployee(const Query &q, const QString &employeeNo);

// Sets or clears the dispute mark of one client row in its own transaction; only Dispute
// changes. Returns whether a row was changed. Throws DbError (nothing changed).
bool setDispute(Connection &connection, qint64 clientRecId, bool disputed);
inline bool removeDispute(Connection &connection, qint64 clientRecId)
{
    return setDispute(connection, clientRecId, false);
}

} // namespace Disputes
