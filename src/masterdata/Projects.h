#pragma once

#include <QString>

class Connection;
class Query;

// Projects (table Assignments): the list with its show-all value and the looked-up client name,
// the prefix search, insert and modify. Each save is one transaction; failures throw DbError.
// The active, billable projects that other modules offer are in ActiveProjects.h.
namespace Projects {

extern const QString AssignmentSql;
extern const QString InsertSql;
extern const QString ModifySql;
extern const QString NameUsedSql;

// Longest project name the attendance, worker and invoice tables can hold.
constexpr int MaxNameLength = 32;

struct Record
{
    QString assignment;
    qint64 clientId = 0;
    bool active = true, nightShift = false, transTo = true, transFrom = true, billable = false;
    int wh = 8, ot = 2, ht = 10;
    QString description, siteLocation, remarks;
    QString latitude = QStringLiteral("25.5"), longitude = QStringLiteral("51.5");
    QString pmName, pmMobile, pmEmail;
    QString accountantName, accountantMobile, accountantEmail;
    QString timekeeperName, timekeeperMobile, timekeeperEmail;
    QString hseName, hseMobile, hseEmail;
    QString paymentTerms, erpAccountNo;
};

// Gives the query the list statement (AssignmentQ).
void prepareAssignmentQ(Query &q);
// Closes the list, sets ShowAll (-1 all, 0 active only), opens it and adds the column
// Client_Name looked up in allClients (Client_ID, Client_Name); it stands on its first row.
void open(Query &q, int showAll, const Query &allClients);
// The show-all value after a click of "show active only": -1 becomes 0, anything else -1.
inline int flipShowAll(int showAll)
{
    return showAll == -1 ? 0 : -1;
}

// Moves to the first row whose field begins with the text (letter case counts); false leaves
// the cursor where it was.
bool locatePrefix(Query &q, const QString &field, const QString &text);

Record recordOf(const Query &q); // from the current row

// A name already used by another project fails with a message saying so.
void insert(Connection &c, const Record &r);
void modify(Connection &c, qint64 recId, const Record &r);

} // namespace Projects
