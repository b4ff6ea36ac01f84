#include "Clients.h"
#include "Query.h"
#include "Transaction.h"

namespace Clients {

const QString ClientsSql =
    QStringLiteral("Select * From Clients Where (:ShowAll = -1 or isActive = :isActive) Order By Client_Name");

const QString InsertSql = QStringLiteral(
    "Insert Into Clients ( Client_Name, Client_Kind, Client_Size, Payment_Terms, Web_Site, HO_Address, isActive) "
    "Values( :Client_Name, :Client_Kind, :Client_Size, :Payment_Terms, :Web_Site, :HO_Address, :isActive)");

// Read inside the insert's transaction: the newest row of that name is the one just written.
const QString InsertedIdSql =
    QStringLiteral("Select Max(Rec_ID) As Inserted_Rec_ID From Clients Where Client_Name = :Client_Name");

const QString ModifySql = QStringLiteral(
    "Update Clients Set Client_Name = :Client_Name, Client_Kind = :Client_Kind, isActive = :isActive, "
    "Client_Size = :Client_Size, Payment_Terms = :Payment_Terms, Web_Site = :Web_Site, HO_Address = :HO_Address "
    "Where Rec_ID = :Rec_ID");

const QString MoreDetailsSql = QStringLiteral(
    "Update Clients Set Manager_Name = :Manager_Name, Manager_Title = :Manager_Title, Manager_Mobile = "
    ":Manager_Mobile, "
    "Manager_Email = :Manager_Email, Purchasing_Manager_Name = :Purchasing_Manager_Name, "
    "Purchasing_Manager_Mobile = :Purchasing_Manager_Mobile, Purchasing_Manager_Email = :Purchasing_Manager_Email, "
    "Finance_Manager_Name = :Finance_Manager_Name, Finance_Manager_Mobile = :Finance_Manager_Mobile, "
    "Finance_Manager_Email = :Finance_Manager_Email Where Rec_ID = :Rec_ID");

const QStringList &kinds()
{
    static const QStringList k{QStringLiteral("Our Company"), QStringLiteral("Sister Company"),
                               QStringLiteral("Normal Client")};
    return k;
}

const QStringList &sizes()
{
    static const QStringList s{QStringLiteral("Small or Medium Company"), QStringLiteral("Large Company"),
                               QStringLiteral("Goverment")};
    return s;
}

const QStringList &paymentTerms()
{
    static const QStringList t{QStringLiteral("Due On Receipt"), QStringLiteral("Net 15 Days"),
                               QStringLiteral("Net 30 Days"),    QStringLiteral("Net 45 Days"),
                               QStringLiteral("Net 60 Days"),    QStringLiteral("Net 90 Days"),
                               QStringLiteral("Net 120 Days")};
    return t;
}

void prepareClientsQ(Query &q)
{
    q.setName(QStringLiteral("ClientsQ"));
    q.setSql(ClientsSql);
}

void open(Query &q, bool activeOnly)
{
    q.close();
    q.setParamAll(QStringLiteral("ShowAll"), activeOnly ? 1 : -1);
    q.setParamAll(QStringLiteral("isActive"), 1);
    q.open();
    q.first();
}

MainData mainDataOf(const Query &q)
{
    MainData d;
    if (q.eof())
        return d;
    d.name = q.asString(QStringLiteral("Client_Name"));
    d.kind = q.asString(QStringLiteral("Client_Kind"));
    d.size = q.asString(QStringLiteral("Client_Size"));
    d.paymentTerms = q.asString(QStringLiteral("Payment_Terms"));
    d.webSite = q.asString(QStringLiteral("Web_Site"));
    d.hoAddress = q.asString(QStringLiteral("HO_Address"));
    d.active = q.asInt(QStringLiteral("isActive")) != 0;
    return d;
}

Contacts contactsOf(const Query &q)
{
    Contacts d;
    if (q.eof())
        return d;
    auto s = [&q](const char *f) { return q.asString(QString::fromLatin1(f)); };
    d.managerName = s("Manager_Name");
    d.managerTitle = s("Manager_Title");
    d.managerMobile = s("Manager_Mobile");
    d.managerEmail = s("Manager_Email");
    d.purchasingName = s("Purchasing_Manager_Name");
    d.purchasingMobile = s("Purchasing_Manager_Mobile");
    d.purchasingEmail = s("Purchasing_Manager_Email");
    d.financeName = s("Finance_Manager_Name");
    d.financeMobile = s("Finance_Manager_Mobile");
    d.financeEmail = s("Finance_Manager_Email");
    return d;
}

namespace {
// Texts are bound through one rule: nothing typed or chosen is stored as the empty text.
void bindMainData(Query &q, const MainData &d)
{
    q.setParam(QStringLiteral("Client_Name"), Query::text(d.name));
    q.setParam(QStringLiteral("Client_Kind"), Query::text(d.kind));
    q.setParam(QStringLiteral("Client_Size"), Query::text(d.size));
    q.setParam(QStringLiteral("Payment_Terms"), Query::text(d.paymentTerms));
    q.setParam(QStringLiteral("Web_Site"), Query::text(d.webSite));
    q.setParam(QStringLiteral("HO_Address"), Query::text(d.hoAddress));
    q.setParam(QStringLiteral("isActive"), d.active ? 1 : 0);
}
} // namespace

qint64 insert(Connection &c, const MainData &d)
{
    Query ins(c, InsertSql);
    Query id(c, InsertedIdSql);
    Transaction t(c); // statements are released after the rollback, never inside a failed transaction
    bindMainData(ins, d);
    ins.exec();
    id.setParam(QStringLiteral("Client_Name"), d.name);
    id.open();
    const qint64 recId = id.asInt64(QStringLiteral("Inserted_Rec_ID"));
    t.commit();
    return recId;
}

void modify(Connection &c, qint64 recId, const MainData &d)
{
    Query q(c, ModifySql);
    Transaction t(c);
    bindMainData(q, d);
    q.setParam(QStringLiteral("Rec_ID"), recId);
    q.exec();
    t.commit();
}

void updateContacts(Connection &c, qint64 recId, const Contacts &d)
{
    Query q(c, MoreDetailsSql);
    Transaction t(c);
    q.setParam(QStringLiteral("Manager_Name"), Query::text(d.managerName));
    q.setParam(QStringLiteral("Manager_Title"), Query::text(d.managerTitle));
    q.setParam(QStringLiteral("Manager_Mobile"), Query::text(d.managerMobile));
    q.setParam(QStringLiteral("Manager_Email"), Query::text(d.managerEmail));
    q.setParam(QStringLiteral("Purchasing_Manager_Name"), Query::text(d.purchasingName));
    q.setParam(QStringLiteral("Purchasing_Manager_Mobile"), Query::text(d.purchasingMobile));
    q.setParam(QStringLiteral("Purchasing_Manager_Email"), Query::text(d.purchasingEmail));
    q.setParam(QStringLiteral("Finance_Manager_Name"), Query::text(d.financeName));
    q.setParam(QStringLiteral("Finance_Manager_Mobile"), Query::text(d.financeMobile));
    q.setParam(QStringLiteral("Finance_Manager_Email"), Query::text(d.financeEmail));
    q.setParam(QStringLiteral("Rec_ID"), recId);
    q.exec();
    t.commit();
}

} // namespace Clients
