// Hostile text (tests/common/HostileText.h) through every operation that takes text from the user:
// each text is stored and read back exactly, or refused with a plain message; never run as SQL,
// never a crash, the Clients table still there afterwards.

#include "AttendanceFixture.h"
#include "AttendanceOps.h"
#include "Clients.h"
#include "DbError.h"
#include "Disputes.h"
#include "HostileText.h"
#include "InvoiceEdit.h"
#include "InvoicingFixture.h"
#include "Projects.h"
#include "Rates.h"
#include "TestDb.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace AttFixture;

namespace {

// Characters as the database counts them (code points), not UTF-16 units.
int charCount(const QString &s)
{
    return int(s.toUcs4().size());
}

// A refusal the user can read: no driver prefixes, codes or statement texts.
bool isPlain(const QString &message)
{
    for (const char *raw : {"QPSQL", "QSQLITE", "QODBC", "ERROR:", "Unable to", "(22", "SQLSTATE"})
        if (message.contains(QLatin1String(raw)))
            return false;
    return !message.trimmed().isEmpty();
}

// Writes the text into a column of `width` characters and reads it back. A text the column holds
// must come back exactly. A NUL is refused on every engine; a text longer than the column may be
// refused (PostgreSQL checks widths, SQLite does not), and then plainly.
QString storedOrRefused(const QString &engine, const QString &text, int width, const std::function<void()> &write,
                        const std::function<QString()> &readBack)
{
    const bool nul = HostileText::hasNul(text);
    const bool tooLong = charCount(text) > width;
    try {
        write();
    } catch (const DbError &e) {
        if (!isPlain(e.message()))
            return QStringLiteral("refused with a raw driver error: ") + e.message();
        if (!nul && !tooLong)
            return QStringLiteral("refused a text the column holds: ") + e.message();
        return {};
    }
    if (nul)
        return QStringLiteral("stored a text with a NUL");
    if (tooLong && engine == QLatin1String("PostgreSQL"))
        return QStringLiteral("PostgreSQL stored a text longer than its column");
    const QString back = readBack();
    if (back != text)
        return QStringLiteral("stored %1 characters \"%2\" instead of %3 \"%4\"")
            .arg(back.size())
            .arg(back.left(30))
            .arg(text.size())
            .arg(text.left(30));
    return {};
}

#define STORED_OR_REFUSED(what, width, write, readBack)                                                                \
    do {                                                                                                               \
        const QString fault__ = storedOrRefused(engine, text, width, write, readBack);                                 \
        QVERIFY2(fault__.isEmpty(), qPrintable(QStringLiteral(what ": ") + fault__));                                  \
    } while (false)

void hostileRows()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("text");
    for (const QString &engine : TestDb::engines())
        for (const HostileText::Case &c : HostileText::cases())
            QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(c.name))) << engine << c.text;
}

void clientsTableStillThere(Connection &c)
{
    TestDb::scalar(c, QStringLiteral("SELECT COUNT(*) FROM Clients"));
}

QString scalarText(Connection &c, const QString &sql, const QVariantList &values = {})
{
    return TestDb::scalar(c, sql, values).toString();
}

struct CliRun
{
    bool crashed = true;
    int rc = -1;
    QString out, err;
};

CliRun cli(const QString &ini, const QString &user, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH),
            QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--user"), user} + args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() != QProcess::NormalExit, p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void clientNamesAndContacts_data() { hostileRows(); }
    void clientNamesAndContacts()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        qint64 id = 0;
        const auto byId = [&c, &id](const char *column) {
            return [&c, &id, column] {
                return scalarText(
                    c, QStringLiteral("SELECT %1 FROM Clients WHERE Rec_ID = :I").arg(QLatin1String(column)), {id});
            };
        };
        Clients::MainData d{text,
                            QStringLiteral("Normal Client"),
                            QStringLiteral("Large Company"),
                            QStringLiteral("Net 30 Days"),
                            text,
                            text,
                            true};
        STORED_OR_REFUSED(
            "client insert", 50, [&] { id = Clients::insert(c, d); }, byId("Client_Name"));
        if (id == 0) // refused: modify and contacts go on an ordinary client
            id = Clients::insert(c, {QStringLiteral("Plain"), {}, {}, {}, {}, {}, true});
        QVERIFY(id > 0);
        STORED_OR_REFUSED(
            "client modify", 255,
            [&] {
                Clients::modify(c, id, {QStringLiteral("Plain"), {}, {}, {}, {}, text, true});
            },
            byId("HO_Address"));
        Clients::Contacts contacts;
        contacts.managerName = contacts.financeEmail = text;
        STORED_OR_REFUSED(
            "client contacts", 50, [&] { Clients::updateContacts(c, id, contacts); }, byId("Manager_Name"));

        // The list shows what was stored.
        Query list(c);
        Clients::prepareClientsQ(list);
        Clients::open(list, false);
        QVERIFY(list.locate(QStringLiteral("Rec_ID"), id));
        QCOMPARE(Clients::mainDataOf(list).hoAddress,
                 scalarText(c, QStringLiteral("SELECT HO_Address FROM Clients WHERE Rec_ID = :I"), {id}));
        clientsTableStillThere(c);
    }

    void projectNamesRatesAndSearch_data() { hostileRows(); }
    void projectNamesRatesAndSearch()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        Projects::Record r;
        r.assignment = text;
        r.description = text;
        r.pmName = text;
        bool stored = false;
        STORED_OR_REFUSED(
            "project insert", Projects::MaxNameLength,
            [&] {
                Projects::insert(c, r);
                stored = true;
            },
            [&] {
                return scalarText(c, QStringLiteral("SELECT Assignment FROM Assignments WHERE Rec_ID = "
                                                    "(SELECT MAX(Rec_ID) FROM Assignments)"));
            });
        const QString project = stored ? text : QStringLiteral("PLAIN");
        if (!stored) {
            r.assignment = project;
            r.description = r.pmName = QString();
            Projects::insert(c, r);
        }

        // The prefix search of the projects window finds the stored name, and nothing by wildcards.
        Query list(c);
        Query noClients(c);
        Projects::prepareAssignmentQ(list);
        Projects::open(list, -1, noClients);
        QCOMPARE(Projects::locatePrefix(list, QStringLiteral("Assignment"), text), stored);

        qint64 rateId = 0;
        STORED_OR_REFUSED(
            "rate's site job", 100,
            [&] {
                Rates::insert(c, project, {text, 10, 15, 20});
                rateId = TestDb::scalar(c, QStringLiteral("SELECT MAX(Rec_ID) FROM AssignmentsRates")).toLongLong();
            },
            [&] {
                return scalarText(c, QStringLiteral("SELECT Site_Job FROM AssignmentsRates WHERE Rec_ID = :I"),
                                  {rateId});
            });
        Query rates(c);
        Rates::prepareRatesQ(rates);
        try {
            Rates::open(rates, text); // a search by the project's name
            QCOMPARE(rates.recordCount(), stored && rateId > 0 ? 1 : 0);
        } catch (const DbError &e) {
            QVERIFY2(HostileText::hasNul(text) && isPlain(e.message()), qPrintable(e.message()));
        }
        clientsTableStillThere(c);
    }

    void attendancePostAndSearch_data() { hostileRows(); }
    void attendancePostAndSearch()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        auto ops = openOps(c);
        QVERIFY(!ops->findEmployee(text)); // the search box: an exact number, never a pattern
        QVERIFY(ops->findEmployee(QStringLiteral("E7")));
        const auto stored = [&c](const char *column) {
            return [&c, column] {
                return scalarText(c, QStringLiteral("SELECT %1 FROM ClientTimeSheets WHERE Ref_No = 7 AND Col_Date = "
                                                    "(SELECT MAX(Col_Date) FROM ClientTimeSheets WHERE Ref_No = 7)")
                                         .arg(QLatin1String(column)));
            };
        };
        STORED_OR_REFUSED(
            "posted site job", 100,
            [&] {
                ops->post({day(9), text, QStringLiteral("P"), QStringLiteral("Present"), 8, 0, 0});
            },
            stored("ClientJob"));
        STORED_OR_REFUSED(
            "posted code", 2,
            [&] {
                ops->post({day(10), QStringLiteral("Mason"), text, QString(), 0, 0, 0});
            },
            stored("ClientAtt_Code"));
        clientsTableStillThere(c);
    }

    void invoiceLineEditsAndDisputeSearch_data() { hostileRows(); }
    void invoiceLineEditsAndDisputeSearch()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        InvFixture::line(c, 7, QStringLiteral("E7"), 160, 10);
        InvoiceEdit::InvoiceLines lines(c);
        lines.open(Year, Month, Project);
        QCOMPARE(lines.lineCount(), 1);
        for (const QString &field : {QStringLiteral("Employee_Name"), QStringLiteral("D01_Code")}) {
            const int max = InvoiceEdit::maxLength(field);
            const QString refused = lines.setValue(0, lines.InvoiceQ.fieldIndex(field), text);
            if (!refused.isEmpty()) {
                // The edit names its limit; the line keeps its value.
                QVERIFY2(text.size() > max || HostileText::hasNul(text),
                         qPrintable(field + QLatin1String(": ") + refused));
                QVERIFY(isPlain(refused));
                continue;
            }
            STORED_OR_REFUSED(
                "invoice line edit", max, [&] { lines.submit(); },
                [&] { return scalarText(c, QStringLiteral("SELECT %1 FROM Invoices").arg(field)); });
            lines.revert();
            lines.open(Year, Month, Project);
        }

        // The dispute window's employee search matches a whole number only.
        Query disputes(c);
        Disputes::prepareDisputeQ(disputes);
        clientRow(c, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8, 0, 0, Project, 0, 1);
        Disputes::open(disputes, Year, Month);
        QCOMPARE(disputes.recordCount(), 1);
        QCOMPARE(Disputes::findEmployee(disputes, text), -1);
        clientsTableStillThere(c);
    }
    // Command-line arguments cannot hold a NUL: that row is left out here.
    void cliProjectUserAndFrom_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        for (const QString &engine : TestDb::engines())
            for (const HostileText::Case &c : HostileText::cases())
                if (!HostileText::hasNul(c.text))
                    QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(c.name))) << engine << c.text;
    }
    void cliProjectUserAndFrom()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        for (const QString &role : {QStringLiteral("ClientAttChecker"), QStringLiteral("InvoiceDetails")})
            TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"),
                         {User, role});
        worker(c, 7, QStringLiteral("E7"));
        ownRow(c, 1, 7, QStringLiteral("E7"), day(9), QStringLiteral("P"), 8);
        const QString ini = db.iniPath();
        const auto noCrash = [&](const CliRun &r, const char *what) {
            QVERIFY2(!r.crashed && r.rc >= 0 && r.rc <= 3,
                     qPrintable(QStringLiteral("%1: rc %2, %3").arg(QLatin1String(what)).arg(r.rc).arg(r.err)));
            QVERIFY2(r.err.isEmpty() || isPlain(r.err), qPrintable(r.err));
        };

        // An unknown user, whatever the name, is refused at login.
        const CliRun asUser = cli(ini, text, {QStringLiteral("move-all"), QStringLiteral("--project"), Project});
        noCrash(asUser, "--user");
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(asUser.rc, 3);
        QVERIFY(asUser.err.contains(QLatin1String("You Do Not Have Permission To Login")));

        // A project of that name where the database holds it (SQLite keeps any length): the
        // pass runs on it; otherwise the name is refused, shown as given.
        bool created = true;
        try {
            TestDb::exec(c,
                         QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable, isProtected) "
                                        "Values (:A, 1, 1, 0)"),
                         {text});
            // One worker with a day there and a rate for the job, so that both passes have work.
            ownRow(c, 2, 7, QStringLiteral("E7"), day(10), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), text);
            TestDb::exec(
                c,
                QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                               "Values (:A, 'Mason', 10, 15, 20)"),
                {text});
        } catch (const DbError &) {
            created = false;
        }
        for (const QString &command : {QStringLiteral("move-all"), QStringLiteral("check-all")}) {
            const CliRun r = cli(ini, User, {command, QStringLiteral("--project"), text});
            noCrash(r, "--project");
            if (QTest::currentTestFailed())
                return;
            if (created) {
                QVERIFY2(r.rc == 0, qPrintable(r.err));
            } else {
                QCOMPARE(r.rc, 2);
                QCOMPARE(r.err, QStringLiteral("Project '%1' is not an active, billable project\n").arg(text));
            }
        }
        QTemporaryDir dir;
        const CliRun exported = cli(ini, User,
                                    {QStringLiteral("export"), QStringLiteral("--list"), QStringLiteral("invoices"),
                                     QStringLiteral("--project"), text, QStringLiteral("--out"),
                                     dir.filePath(QStringLiteral("lines.xls"))});
        noCrash(exported, "export --project");
        if (QTest::currentTestFailed())
            return;
        if (created)
            QVERIFY2(exported.rc == 0, qPrintable(exported.err));
        else
            QCOMPARE(exported.err, QStringLiteral("Project '%1' is not an active, billable project\n").arg(text));

        // --from names a worker of the project, exactly.
        const CliRun from =
            cli(ini, User,
                {QStringLiteral("check-all"), QStringLiteral("--project"), Project, QStringLiteral("--from"), text});
        noCrash(from, "--from");
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(from.rc, 2);
        QCOMPARE(from.err, QStringLiteral("Worker Not Found: %1\n").arg(text));
        clientsTableStillThere(c);
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "test_hostile.moc"
