#pragma once

#include <QString>
#include <QStringList>

class Connection;
class Query;

// Clients: the list with its active filter, the main-data insert and modify, and the contacts
// update. Each save is one transaction; failures throw DbError.
namespace Clients {

extern const QString ClientsSql;
extern const QString InsertSql;
extern const QString InsertedIdSql;
extern const QString ModifySql;
extern const QString MoreDetailsSql;

// The fixed choice lists of the client dialog, in order.
const QStringList &kinds();
const QStringList &sizes();
const QStringList &paymentTerms(); // shared with the project dialog

struct MainData
{
    QString name;
    QString kind;
    QString size;
    QString paymentTerms;
    QString webSite;
    QString hoAddress;
    bool active = true;
};

struct Contacts
{
    QString managerName, managerTitle, managerMobile, managerEmail;
    QString purchasingName, purchasingMobile, purchasingEmail;
    QString financeName, financeMobile, financeEmail;
};

// Gives the query the list statement (ClientsQ).
void prepareClientsQ(Query &q);
// Closes the list, sets the filter, opens it; it then stands on its first row.
void open(Query &q, bool activeOnly);

MainData mainDataOf(const Query &q); // from the current row
Contacts contactsOf(const Query &q); // from the current row

// Returns the new client's Rec_ID.
qint64 insert(Connection &c, const MainData &d);
void modify(Connection &c, qint64 recId, const MainData &d);
void updateContacts(Connection &c, qint64 recId, const Contacts &d);

} // namespace Clients
