#include "Projects.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "Transaction.h"

#include <QHash>

namespace Projects {

const QString AssignmentSql = QStringLiteral(
    "Select * From Assignments Where isProtected = 0 AND (:ShowAll = -1 or isActive = 1) Order By Assignment");

const QString InsertSql = QStringLiteral(
    "Insert Into Assignments (Assignment, isActive, Trans_To, Trans_From, isProtected, WH, OT, HT, Client_ID, "
    "Project_Description, Site_Location, Map_Latitude, Map_Longitude, Project_Manager_Name, Project_Manager_Mobile, "
    "Project_Manager_Email, Timekeeper_Name, Timekeeper_Mobile, Timekeeper_Email, Accountant_Name, Accountant_Mobile, "
    "Accountant_Email, HSE_Manager_Name, HSE_Manager_Mobile, HSE_Manager_Email, Payment_Terms, ERP_Account_No, "
    "Remarks, Billable, Night_Shift) "
    "Values (:Assignment, :isActive, :Trans_To, :Trans_From, 0, :WH, :OT, :HT, :Client_ID, :Project_Description, "
    ":Site_Location, :Map_Latitude, :Map_Longitude, :Project_Manager_Name, :Project_Manager_Mobile, "
    ":Project_Manager_Email, :Timekeeper_Name, :Timekeeper_Mobile, :Timekeeper_Email, :Accountant_Name, "
    ":Accountant_Mobile, :Accountant_Email, :HSE_Manager_Name, :HSE_Manager_Mobile, :HSE_Manager_Email, "
    ":Payment_Terms, :ERP_Account_No, :Remarks, :Billable, :Night_Shift)");

const QString ModifySql = QStringLiteral(
    "Update Assignments Set isActive = :isActive , Night_Shift = :Night_Shift , Trans_To = :Trans_To , "
    "Trans_From = :Trans_From , WH = :WH , OT = :OT , HT = :HT , Client_ID = :Client_ID , "
    "Project_Description = :Project_Description , Site_Location = :Site_Location , Map_Latitude = :Map_Latitude , "
    "Map_Longitude = :Map_Longitude , Project_Manager_Name = :Project_Manager_Name , "
    "Project_Manager_Mobile = :Project_Manager_Mobile , Project_Manager_Email = :Project_Manager_Email , "
    "Timekeeper_Name = :Timekeeper_Name , Timekeeper_Mobile = :Timekeeper_Mobile , "
    "Timekeeper_Email = :Timekeeper_Email , Accountant_Name = :Accountant_Name , "
    "Accountant_Mobile = :Accountant_Mobile , Accountant_Email = :Accountant_Email , "
    "HSE_Manager_Name = :HSE_Manager_Name , HSE_Manager_Mobile = :HSE_Manager_Mobile , "
    "HSE_Manager_Email = :HSE_Manager_Email , Billable = :Billable , Payment_Terms = :Payment_Terms , "
    "ERP_Account_No = :ERP_Account_No , Remarks = :Remarks Where Rec_ID = :Rec_ID");

// Asked inside the insert's transaction: the project name is the key of rates, attendance and
// invoice rows, and the suite's database may have no unique index to keep it one per project.
const QString NameUsedSql = QStringLiteral("Select Count(*) As Used From Assignments Where Assignment = :Assignment");

void prepareAssignmentQ(Query &q)
{
    q.setName(QStringLiteral("AssignmentQ"));
    q.setSql(AssignmentSql);
}

void open(Query &q, int showAll, const Query &allClients)
{
    q.close();
    q.setParam(QStringLiteral("ShowAll"), showAll);
    q.open();
    QHash<qint64, QString> names;
    if (allClients.isActive()) {
        const int id = allClients.fieldIndex(QStringLiteral("Client_ID"));
        const int name = allClients.fieldIndex(QStringLiteral("Client_Name"));
        for (int r = 0; id >= 0 && name >= 0 && r < allClients.recordCount(); ++r)
            names.insert(allClients.valueAt(r, id).toLongLong(), allClients.valueAt(r, name).toString());
    }
    const int clientId = q.fieldIndex(QStringLiteral("Client_ID"));
    Query::Snapshot s = q.takeSnapshot();
    FieldDef f;
    f.name = QStringLiteral("Client_Name");
    f.kind = FieldKind::Text;
    s.fields << f;
    for (QList<QVariant> &row : s.rows) {
        const QVariant id = row.at(clientId);
        row << (id.isNull() || !names.contains(id.toLongLong()) ? QVariant(QMetaType::fromType<QString>())
                                                                : QVariant(names.value(id.toLongLong())));
    }
    q.adoptSnapshot(std::move(s));
    q.first();
}

bool locatePrefix(Query &q, const QString &field, const QString &text)
{
    const int c = q.fieldIndex(field);
    if (c < 0 || !q.isActive())
        return false;
    for (int r = 0; r < q.recordCount(); ++r)
        if (q.valueAt(r, c).toString().startsWith(text, Qt::CaseSensitive)) {
            q.setRow(r);
            return true;
        }
    return false;
}

Record recordOf(const Query &q)
{
    Record r;
    if (q.eof())
        return r;
    auto s = [&q](const char *f) { return q.asString(QString::fromLatin1(f)); };
    auto b = [&q](const char *f) { return q.asInt(QString::fromLatin1(f)) != 0; };
    auto i = [&q](const char *f) { return q.asInt(QString::fromLatin1(f)); };
    r.assignment = s("Assignment");
    r.clientId = q.asInt64(QStringLiteral("Client_ID"));
    r.active = b("isActive");
    r.nightShift = b("Night_Shift");
    r.transTo = b("Trans_To");
    r.transFrom = b("Trans_From");
    r.billable = b("Billable");
    r.wh = i("WH");
    r.ot = i("OT");
    r.ht = i("HT");
    r.description = s("Project_Description");
    r.siteLocation = s("Site_Location");
    r.remarks = s("Remarks");
    r.latitude = s("Map_Latitude");
    r.longitude = s("Map_Longitude");
    r.pmName = s("Project_Manager_Name");
    r.pmMobile = s("Project_Manager_Mobile");
    r.pmEmail = s("Project_Manager_Email");
    r.accountantName = s("Accountant_Name");
    r.accountantMobile = s("Accountant_Mobile");
    r.accountantEmail = s("Accountant_Email");
    r.timekeeperName = s("Timekeeper_Name");
    r.timekeeperMobile = s("Timekeeper_Mobile");
    r.timekeeperEmail = s("Timekeeper_Email");
    r.hseName = s("HSE_Manager_Name");
    r.hseMobile = s("HSE_Manager_Mobile");
    r.hseEmail = s("HSE_Manager_Email");
    r.paymentTerms = s("Payment_Terms");
    r.erpAccountNo = s("ERP_Account_No");
    return r;
}

namespace {
void bindCommon(Query &q, const Record &r)
{
    auto p = [&q](const char *name, const QVariant &v) { q.setParam(QString::fromLatin1(name), v); };
    // Every text goes through one rule: nothing typed or chosen is stored as the empty text.
    auto t = [&q](const char *name, const QString &v) { q.setParam(QString::fromLatin1(name), Query::text(v)); };
    p("isActive", r.active ? 1 : 0);
    p("Night_Shift", r.nightShift ? 1 : 0);
    p("Trans_To", r.transTo ? 1 : 0);
    p("Trans_From", r.transFrom ? 1 : 0);
    p("Billable", r.billable ? 1 : 0);
    p("WH", r.wh);
    p("OT", r.ot);
    p("HT", r.ht);
    p("Client_ID", r.clientId);
    t("Project_Description", r.description);
    t("Site_Location", r.siteLocation);
    t("Remarks", r.remarks);
    t("Map_Latitude", r.latitude);
    t("Map_Longitude", r.longitude);
    t("Project_Manager_Name", r.pmName);
    t("Project_Manager_Mobile", r.pmMobile);
    t("Project_Manager_Email", r.pmEmail);
    t("Accountant_Name", r.accountantName);
    t("Accountant_Mobile", r.accountantMobile);
    t("Accountant_Email", r.accountantEmail);
    t("Timekeeper_Name", r.timekeeperName);
    t("Timekeeper_Mobile", r.timekeeperMobile);
    t("Timekeeper_Email", r.timekeeperEmail);
    t("HSE_Manager_Name", r.hseName);
    t("HSE_Manager_Mobile", r.hseMobile);
    t("HSE_Manager_Email", r.hseEmail);
    t("Payment_Terms", r.paymentTerms);
    t("ERP_Account_No", r.erpAccountNo);
}
} // namespace

void insert(Connection &c, const Record &r)
{
    // Check and insert in one serializable transaction: of two clerks adding one name at once,
    // the engine fails one (serialization failure, or SQLite's lock), and its second run sees the
    // other's project and is refused plainly.
    runRetrying(c, [&] {
        Query used(c, NameUsedSql);
        Query q(c, InsertSql);
        Transaction t(c); // statements are released after the rollback, never inside a failed transaction
        used.setParam(QStringLiteral("Assignment"), r.assignment);
        used.open();
        if (used.asInt(QStringLiteral("Used")) > 0)
            throw DbError(
                QStringLiteral("The project name \"%1\" is already used by another project.").arg(r.assignment));
        q.setParam(QStringLiteral("Assignment"), r.assignment);
        bindCommon(q, r);
        q.exec();
        t.commit();
    });
}

void modify(Connection &c, qint64 recId, const Record &r)
{
    Query q(c, ModifySql);
    Transaction t(c);
    bindCommon(q, r);
    q.setParam(QStringLiteral("Rec_ID"), recId);
    q.exec();
    t.commit();
}

} // namespace Projects
