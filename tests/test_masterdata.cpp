// Clients, projects and rates operations on a real database (no windows).
#include "Clients.h"
#include "DbError.h"
#include "Projects.h"
#include "Query.h"
#include "Rates.h"
#include "TestDb.h"

#include <QLocale>
#include <QTest>

namespace {

qint64 addClient(Connection &c, const QString &name, bool active = true)
{
    Clients::MainData d;
    d.name = name;
    d.kind = QStringLiteral("Normal Client");
    d.size = QStringLiteral("Large Company");
    d.paymentTerms = QStringLiteral("Net 30 Days");
    d.active = active;
    return Clients::insert(c, d);
}

Projects::Record project(const QString &name, qint64 clientId = 1, bool active = true)
{
    Projects::Record r;
    r.assignment = name;
    r.clientId = clientId;
    r.active = active;
    return r;
}

int count(Connection &c, const QString &table)
{
    return TestDb::scalar(c, QStringLiteral("Select Count(*) From %1").arg(table)).toInt();
}

} // namespace

class TestMasterData : public QObject
{
    Q_OBJECT
private slots:
    void clientInsertReturnsItsOwnId_data() { TESTDB_ENGINE_ROWS(); }
    void clientInsertReturnsItsOwnId()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const qint64 a = addClient(c, QStringLiteral("ALPHA"));
        const qint64 b = addClient(c, QStringLiteral("BETA"), false);
        // A second client of the same name gets its own, newer id.
        const qint64 a2 = addClient(c, QStringLiteral("ALPHA"));
        QVERIFY(a != b && a2 != a);
        QCOMPARE(
            TestDb::scalar(c, QStringLiteral("Select Client_Name From Clients Where Rec_ID = :id"), {b}).toString(),
            QStringLiteral("BETA"));
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Max(Rec_ID) From Clients")).toLongLong(), a2);

        Query q(c);
        Clients::prepareClientsQ(q);
        Clients::open(q, true);
        QCOMPARE(q.recordCount(), 2);
        Clients::open(q, false);
        QCOMPARE(q.recordCount(), 3);
        QCOMPARE(q.row(), 0);
    }

    void textsAreStoredAsTyped_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        const QStringList texts{QStringLiteral("O'Brien \"Ltd\""), QStringLiteral("100% ; Drop Table Clients; --"),
                                QStringLiteral("شركة الخليج"), QStringLiteral("Site 🏗️ North")};
        for (const QString &e : TestDb::engines())
            for (const QString &t : texts)
                QTest::newRow(qPrintable(e + QLatin1Char(' ') + t)) << e << t;
    }
    void textsAreStoredAsTyped()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        const qint64 id = addClient(c, text);
        Clients::Contacts contacts;
        contacts.financeName = text;
        Clients::updateContacts(c, id, contacts);
        Projects::insert(c, project(text, id));
        Rates::insert(c, text, {text, 1, 2, 3});

        Query clients(c);
        Clients::prepareClientsQ(clients);
        Clients::open(clients, false);
        QCOMPARE(Clients::mainDataOf(clients).name, text);
        QCOMPARE(Clients::contactsOf(clients).financeName, text);
        Query projects(c);
        Projects::prepareAssignmentQ(projects);
        Query all(c, QStringLiteral("Select Rec_ID as Client_ID, Client_Name from Clients Order By Client_Name"));
        all.open();
        Projects::open(projects, -1, all);
        QCOMPARE(Projects::recordOf(projects).assignment, text);
        QCOMPARE(projects.asString(QStringLiteral("Client_Name")), text);
        Query rates(c);
        Rates::prepareRatesQ(rates);
        Rates::open(rates, text);
        QCOMPARE(Rates::rateOf(rates).siteJob, text);
    }

    void duplicateProjectNameIsRefusedPlainly_data() { TESTDB_ENGINE_ROWS(); }
    void duplicateProjectNameIsRefusedPlainly()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Projects::insert(c, project(QStringLiteral("MARINA"), 1));
        try {
            Projects::insert(c, project(QStringLiteral("MARINA"), 2, false));
            QFAIL("a second MARINA was stored");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("\"MARINA\" is already used")), qPrintable(e.message()));
        }
        QVERIFY(!c.inTransaction());
        QCOMPARE(count(c, QStringLiteral("Assignments")), 1);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Client_ID From Assignments")).toInt(), 1);
        // The connection goes on working after the refusal.
        Projects::insert(c, project(QStringLiteral("MARINA 2"), 1));
        QCOMPARE(count(c, QStringLiteral("Assignments")), 2);
    }

    void modifyKeepsNameAndProtection_data() { TESTDB_ENGINE_ROWS(); }
    void modifyKeepsNameAndProtection()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Projects::insert(c, project(QStringLiteral("HARBOUR")));
        const qint64 id = TestDb::scalar(c, QStringLiteral("Select Rec_ID From Assignments")).toLongLong();
        Projects::Record r = project(QStringLiteral("RENAMED"), 7, false);
        r.billable = true;
        r.wh = 6;
        r.paymentTerms = QStringLiteral("Net 60 Days");
        Projects::modify(c, id, r);
        Query q(c, QStringLiteral("Select * From Assignments"));
        q.open();
        QCOMPARE(q.asString(QStringLiteral("Assignment")), QStringLiteral("HARBOUR"));
        QCOMPARE(q.asInt(QStringLiteral("isProtected")), 0);
        QCOMPARE(q.asInt(QStringLiteral("isActive")), 0);
        QCOMPARE(q.asInt(QStringLiteral("Billable")), 1);
        QCOMPARE(q.asInt(QStringLiteral("WH")), 6);
        QCOMPARE(q.asInt64(QStringLiteral("Client_ID")), qint64(7));
        QCOMPARE(q.asString(QStringLiteral("Payment_Terms")), QStringLiteral("Net 60 Days"));
    }

    void listHidesProtectedAndFollowsShowAll_data() { TESTDB_ENGINE_ROWS(); }
    void listHidesProtectedAndFollowsShowAll()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Projects::insert(c, project(QStringLiteral("B ACTIVE")));
        Projects::insert(c, project(QStringLiteral("A IDLE"), 1, false));
        Projects::insert(c, project(QStringLiteral("C GUARDED")));
        TestDb::exec(c, QStringLiteral("Update Assignments Set isProtected = 1 Where Assignment = :A"),
                     {QStringLiteral("C GUARDED")});
        Query all(c, QStringLiteral("Select Rec_ID As Client_ID, Client_Name From Clients"));
        all.open();
        Query q(c);
        Projects::prepareAssignmentQ(q);
        Projects::open(q, -1, all);
        QCOMPARE(q.recordCount(), 2);
        QCOMPARE(q.asString(QStringLiteral("Assignment")), QStringLiteral("A IDLE"));
        Projects::open(q, Projects::flipShowAll(-1), all);
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.asString(QStringLiteral("Assignment")), QStringLiteral("B ACTIVE"));
        QCOMPARE(Projects::flipShowAll(0), -1);
        QCOMPARE(Projects::flipShowAll(5), -1);
    }

    void prefixSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("row");
        QTest::newRow("empty text goes to the first project") << QString() << true << 0;
        QTest::newRow("a prefix goes to the first match in list order") << QStringLiteral("MA") << true << 1;
        QTest::newRow("a whole name") << QStringLiteral("METRO") << true << 3;
        QTest::newRow("letter case counts") << QStringLiteral("ma") << false << 2;
        QTest::newRow("no match leaves the row") << QStringLiteral("Z") << false << 2;
    }
    void prefixSearch()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(int, row);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        for (const char *n : {"AIRPORT", "MARINA", "MARINA 2", "METRO"})
            Projects::insert(c, project(QString::fromLatin1(n)));
        Query q(c);
        Projects::prepareAssignmentQ(q);
        Query noClients(c);
        Projects::open(q, -1, noClients);
        q.setRow(2);
        QCOMPARE(Projects::locatePrefix(q, QStringLiteral("Assignment"), text), found);
        QCOMPARE(q.row(), row);
    }

    void ratesInsertModifyDelete_data() { TESTDB_ENGINE_ROWS(); }
    void ratesInsertModifyDelete()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Rates::insert(c, QStringLiteral("P1"), {QStringLiteral("Welder"), 12.5, 15, -1});
        Rates::insert(c, QStringLiteral("P1"), {QStringLiteral("Welder"), 0, 0, 0}); // repeats are allowed
        Rates::insert(c, QStringLiteral("P2"), {QStringLiteral("Mason"), 9, 9, 9});
        Query q(c);
        Rates::prepareRatesQ(q);
        Rates::open(q, QStringLiteral("P1"));
        QCOMPARE(q.recordCount(), 2);
        const qint64 id = q.asInt64(QStringLiteral("Rec_ID"));
        Rates::modify(c, id, {QStringLiteral("Fitter"), 1.25, 2.5, 3.75});
        Rates::open(q, QStringLiteral("P1"));
        QVERIFY(q.locate(QStringLiteral("Rec_ID"), id));
        const Rates::Rate r = Rates::rateOf(q);
        QCOMPARE(r.siteJob, QStringLiteral("Fitter"));
        QCOMPARE(r.wh, 1.25);
        QCOMPARE(r.ht, 3.75);
        QCOMPARE(q.asString(QStringLiteral("Assignment")), QStringLiteral("P1"));
        Rates::remove(c, id);
        QCOMPARE(count(c, QStringLiteral("AssignmentsRates")), 2);
    }

    void ratesFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("point in English") << "en_US"
                                          << "1.5" << true << 1.5;
        QTest::newRow("comma in English is not a number") << "en_US"
                                                          << "1,5" << false << 0.0;
        QTest::newRow("comma in German") << "de_DE"
                                         << "1,5" << true << 1.5;
        QTest::newRow("point in German is not a number") << "de_DE"
                                                         << "1.5" << false << 0.0;
        QTest::newRow("negative") << "en_US"
                                  << "-2" << true << -2.0;
        QTest::newRow("letters") << "en_US"
                                 << "abc" << false << 0.0;
        QTest::newRow("infinity is not a number") << "en_US"
                                                  << "inf" << false << 0.0;
        QTest::newRow("not-a-number is not a number") << "de_DE"
                                                      << "NaN" << false << 0.0;
        QTest::newRow("empty") << "en_US"
                               << "" << false << 0.0;
    }
    void ratesFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        double v = 0;
        const bool parsed = Rates::parseRate(text, &v);
        const QString shown = Rates::formatRate(1234.5);
        QLocale::setDefault(before);
        QCOMPARE(parsed, ok);
        if (ok)
            QCOMPARE(v, value);
        QCOMPARE(shown, locale == QLatin1String("de_DE") ? QStringLiteral("1234,5") : QStringLiteral("1234.5"));
    }
};

QTEST_GUILESS_MAIN(TestMasterData)
#include "test_masterdata.moc"
