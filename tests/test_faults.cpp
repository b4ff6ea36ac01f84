// Passes over many workers when the process dies, the database is held by another writer, or the
// server goes away: every worker is whole or untouched, and running the pass again completes it.
#include "AttendanceFixture.h"
#include "ClientAttendance.h"
#include "InvoiceCheck.h"
#include "TestDb.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace AttFixture;

namespace {

constexpr int Workers = 300;
constexpr int Days = 10;

void seedWorkers(Connection &c)
{
    seedBase(c);
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, 'ClientAttChecker')"),
                 {User});
    c.beginTrans();
    qint64 id = 0;
    for (int w = 1; w <= Workers; ++w) {
        const QString no = QStringLiteral("E%1").arg(w, 4, 10, QLatin1Char('0'));
        worker(c, w, no);
        for (int d = 1; d <= Days; ++d)
            ownRow(c, ++id, w, no, day(d), QStringLiteral("P"), 8, d % 3);
    }
    c.commitTrans();
}

QStringList cliArgs(const QString &ini, const QString &command)
{
    return {QStringLiteral("--ini"),     ini,    QStringLiteral("--user"), User, command,
            QStringLiteral("--project"), Project};
}

int runCli(const QString &ini, const QString &command, QString *out = nullptr, QString *err = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), cliArgs(ini, command));
    if (!p.waitForFinished(300000))
        return -1;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

bool isCheck(const QString &command)
{
    return command == QLatin1String("check-all");
}

// The workers a pass runs on; a check finds them moved already.
bool seedFor(TestDb::Fresh &db, const QString &command)
{
    seedWorkers(db.connection());
    return !isCheck(command) || runCli(db.iniPath(), QStringLiteral("move-all")) == 0;
}

// Starts the pass and waits until it has reported its first worker.
bool startPass(QProcess &p, const QString &ini, const QString &command)
{
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), cliArgs(ini, command));
    return p.waitForReadyRead(60000);
}

// The workers a pass has finished: moved (client rows) or checked (invoice lines).
int workersDone(Connection &c, const QString &command)
{
    return TestDb::scalar(c, isCheck(command) ? QStringLiteral("Select Count(Distinct Ref_No) From Invoices")
                                              : QStringLiteral("Select Count(Distinct Ref_No) From ClientTimeSheets"))
        .toInt();
}

// Every worker whole or untouched: all its client days or none; every marked row with its
// invoice line, every line with its marked rows, no worker half marked.
void verifyWholeOrUntouched(Connection &c)
{
    QCOMPARE(TestDb::scalar(c,
                            QStringLiteral("Select Count(*) From (Select Ref_No From ClientTimeSheets Group By "
                                           "Ref_No Having Count(*) <> :N) t"),
                            {Days})
                 .toInt(),
             0);
    QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From (Select Ref_No From ClientTimeSheets Group By "
                                              "Ref_No Having Sum(Checked) <> 0 And Sum(Checked) <> Count(*)) t"))
                 .toInt(),
             0);
    QCOMPARE(
        TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets t Where Checked = 1 And Not Exists "
                                         "(Select 1 From Invoices i Where i.Ref_No = t.Ref_No And i.Assignment = "
                                         "t.Assignment And i.Col_Year = t.Col_Year And i.Col_Month = t.Col_Month)"))
            .toInt(),
        0);
    QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From Invoices i Where Not Exists (Select 1 From "
                                              "ClientTimeSheets t Where t.Checked = 1 And i.Ref_No = t.Ref_No And "
                                              "i.Assignment = t.Assignment And i.Col_Year = t.Col_Year And i.Col_Month "
                                              "= t.Col_Month)"))
                 .toInt(),
             0);
}

// A table's rows without their keys and time stamps, sorted: the end state two runs must share.
QStringList tableState(Connection &c, const QString &table)
{
    static const QStringList skipped = {QStringLiteral("rec_id"), QStringLiteral("entered_date"),
                                        QStringLiteral("checked_date")};
    QSqlQuery q(c.database());
    if (!q.exec(QStringLiteral("Select * From ") + table))
        return {QStringLiteral("unreadable: ") + q.lastError().text()};
    QStringList rows;
    while (q.next()) {
        QStringList values;
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            if (!skipped.contains(r.fieldName(i).toLower()))
                values << r.fieldName(i) + QLatin1Char('=') + r.value(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// The state an uninterrupted pass leaves, on a database of its own.
void compareWithUninterrupted(Connection &c, const QString &engine, const QString &command)
{
    TestDb::Fresh ref(engine);
    seedWorkers(ref.connection());
    QCOMPARE(runCli(ref.iniPath(), QStringLiteral("move-all")), 0);
    if (isCheck(command))
        QCOMPARE(runCli(ref.iniPath(), command), 0);
    for (const QString &table : {QStringLiteral("ClientTimeSheets"), QStringLiteral("Invoices")}) {
        const QStringList got = tableState(c, table), want = tableState(ref.connection(), table);
        QCOMPARE(got.size(), want.size());
        QCOMPARE(got, want);
    }
}

// A PostgreSQL cluster of the test's own, so that stopping it disturbs no other test.
class OwnCluster
{
public:
    OwnCluster()
    {
        m_bin = qEnvironmentVariable("TALLIMAR_TEST_PG_BIN");
        if (m_bin.isEmpty() || !m_dir.isValid())
            return;
        if (::geteuid() == 0) {
            // The server refuses to run as root.
            m_asPg = {QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"),
                      QStringLiteral("--")};
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:postgres"), m_dir.path()});
        }
        m_port = freePort();
        m_ready =
            pg(QStringLiteral("initdb"), {QStringLiteral("-D"), data(), QStringLiteral("-A"), QStringLiteral("trust"),
                                          QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-E"),
                                          QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8")}) &&
            start();
    }
    ~OwnCluster()
    {
        if (m_ready)
            stop();
    }
    bool ready() const { return m_ready; }
    int port() const { return m_port; }
    bool start()
    {
        return pg(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), data(), QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
                   QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                   QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2 -c fsync=off")
                       .arg(m_port)
                       .arg(m_dir.path()),
                   QStringLiteral("start")});
    }
    // As a crash or a pulled cable would: no goodbye to the clients.
    bool stop()
    {
        return pg(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data(), QStringLiteral("-m"),
                                             QStringLiteral("immediate"), QStringLiteral("stop")});
    }

private:
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }
    bool pg(const QString &tool, const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString exe = m_bin + QLatin1Char('/') + tool;
        if (m_asPg.isEmpty())
            p.start(exe, args);
        else
            p.start(m_asPg.first(), m_asPg.mid(1) + QStringList{exe} + args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!ok)
            qWarning("%s failed: %s", qPrintable(tool), p.readAll().constData());
        return ok;
    }
    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
        ::close(s);
        return ntohs(a.sin_port);
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QStringList m_asPg;
    int m_port = 0;
    bool m_ready = false;
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    static void commandRows()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("move-all") << QStringLiteral("move-all");
        QTest::newRow("check-all") << QStringLiteral("check-all");
    }

private slots:
    void cleanup() { Connection::setReconnectLimitMs(30000); }

    // SIGKILL in the middle of a pass on SQLite: the file is sound, each worker whole or
    // untouched, and a second run ends where an uninterrupted one does.
    void killedPass_data() { commandRows(); }
    void killedPass()
    {
        QFETCH(QString, command);
        const QString engine = QStringLiteral("SQLite");
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        QVERIFY(seedFor(db, command));

        QProcess p;
        QVERIFY(startPass(p, db.iniPath(), command));
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        QCOMPARE(TestDb::scalar(c, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        const int done = workersDone(c, command);
        QVERIFY2(done > 0 && done < Workers, qPrintable(QString::number(done)));
        verifyWholeOrUntouched(c);

        QString out, err;
        QCOMPARE(runCli(db.iniPath(), command, &out, &err), 0);
        QVERIFY2(out.endsWith(QStringLiteral(", failed: 0\n")), qPrintable(out.right(200) + err));
        verifyWholeOrUntouched(c);
        compareWithUninterrupted(c, engine, command);
    }

    // Another program takes the write lock mid-pass and keeps it beyond the busy timeout: the
    // pass stops with one message naming the cause, the workers before are whole, the rest
    // untouched, and a run after the lock is gone completes.
    void busyDatabase_data() { commandRows(); }
    void busyDatabase()
    {
        QFETCH(QString, command);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        QVERIFY(seedFor(db, command));

        const QString holderName = QStringLiteral("faults-holder");
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holderName);
            holder.setDatabaseName(c.params().database);
            holder.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
            QVERIFY(holder.open());

            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TALLIMAR_SQLITE_BUSY_TIMEOUT_MS"), QStringLiteral("200"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(TALLIMAR_CLI_PATH), cliArgs(db.iniPath(), command));
            QVERIFY(p.waitForReadyRead(60000));
            QSqlQuery lock(holder);
            QVERIFY2(lock.exec(QStringLiteral("BEGIN IMMEDIATE")), qPrintable(lock.lastError().text()));
            QVERIFY(p.waitForFinished(120000));
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));

            const QString err = QString::fromUtf8(p.readAllStandardError());
            const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
            QCOMPARE(p.exitCode(), 1);
            const QString cause = QStringLiteral("The database is busy: another program is writing to it (");
            QVERIFY2(err.contains(cause) && err.count(cause) == 1, qPrintable(err));
            // One failed worker, where the lock met the pass; then the pass stopped.
            const int done = workersDone(c, command);
            const QString word = isCheck(command) ? QStringLiteral("checked") : QStringLiteral("moved");
            QCOMPARE(lines.last(), QStringLiteral("%1: %2, skipped: 0, failed: 1, not started: %3")
                                       .arg(word)
                                       .arg(done)
                                       .arg(Workers - done - 1));
            QVERIFY2(lines.size() >= 2 && lines.at(lines.size() - 2).contains(cause), qPrintable(lines.join('\n')));
            verifyWholeOrUntouched(c);
            holder.close();
        }
        QSqlDatabase::removeDatabase(holderName);

        QCOMPARE(runCli(db.iniPath(), command), 0);
        QCOMPARE(workersDone(c, command), Workers);
        verifyWholeOrUntouched(c);
    }

    // A check that met a lock held for the whole busy timeout fails at once with the cause
    // instead of waiting the timeout again for each retry.
    void heldLockIsNotRetried()
    {
        qputenv("TALLIMAR_SQLITE_BUSY_TIMEOUT_MS", "200");
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedWorkers(c);
        QCOMPARE(runCli(db.iniPath(), QStringLiteral("move-all")), 0);
        Connection holder;
        holder.open(c.params());
        holder.execDirect(QStringLiteral("BEGIN IMMEDIATE"));
        InvoiceCheck check(c);
        const CheckOutcome o = check.checkWorker({Project, Year, Month}, QStringLiteral("E0001"), User);
        holder.execDirect(QStringLiteral("ROLLBACK"));
        qunsetenv("TALLIMAR_SQLITE_BUSY_TIMEOUT_MS");
        QCOMPARE(o.status, CheckOutcome::Status::Failed);
        QVERIFY2(o.message.contains(QStringLiteral("The database is busy: another program is writing to it (")),
                 qPrintable(o.message));
        QCOMPARE(o.conflicts, 0);
        QCOMPARE(workersDone(c, QStringLiteral("check-all")), 0);
    }

    // The server dies mid-pass and is back a few seconds later: the pass says so, reconnects and
    // finishes, without a failed worker.
    void serverBackSoon_data() { commandRows(); }
    void serverBackSoon()
    {
        QFETCH(QString, command);
        OwnCluster cluster;
        if (!cluster.ready())
            QSKIP("No PostgreSQL server binaries (TALLIMAR_TEST_PG_BIN)");
        qputenv("TALLIMAR_TEST_PG_PORT", QByteArray::number(cluster.port()));
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        QVERIFY(seedFor(db, command));

        QProcess p;
        QVERIFY(startPass(p, db.iniPath(), command));
        QVERIFY(cluster.stop());
        QThread::sleep(3);
        QVERIFY(cluster.start());
        QVERIFY(p.waitForFinished(120000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QStringList failures;
        for (const QString &l : out.split(QLatin1Char('\n')))
            if (l.contains(QStringLiteral(": failed: ")))
                failures << l;
        QVERIFY2(p.exitCode() == 0 && failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        QVERIFY2(err.contains(QStringLiteral("The connection to the database was lost (")) &&
                     err.contains(QStringLiteral("reconnecting")),
                 qPrintable(err));
        QVERIFY2(out.endsWith(QStringLiteral(", failed: 0\n")), qPrintable(out.right(300)));

        c.open(c.params());
        QCOMPARE(workersDone(c, command), Workers);
        verifyWholeOrUntouched(c);
    }

    // Ctrl+C while the pass waits for the server: it stops at once, not after the retry limit,
    // says why, and every worker is whole or untouched.
    void interruptedWhileReconnecting_data() { commandRows(); }
    void interruptedWhileReconnecting()
    {
        QFETCH(QString, command);
        OwnCluster cluster;
        if (!cluster.ready())
            QSKIP("No PostgreSQL server binaries (TALLIMAR_TEST_PG_BIN)");
        qputenv("TALLIMAR_TEST_PG_PORT", QByteArray::number(cluster.port()));
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        QVERIFY(seedFor(db, command));

        QProcess p;
        QVERIFY(startPass(p, db.iniPath(), command));
        QVERIFY(cluster.stop());
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(p.readAllStandardError())).contains(u"reconnecting"), 20000);
        QElapsedTimer stopping;
        stopping.start();
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(stopping.elapsed() < 10000, qPrintable(QString::number(stopping.elapsed())));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QCOMPARE(p.exitCode(), 130);
        QVERIFY2(out.contains(QStringLiteral("failed: ")) &&
                     out.contains(QStringLiteral("reconnecting was interrupted")),
                 qPrintable(out.right(400)));
        QVERIFY2(out.contains(QStringLiteral(", not started: ")), qPrintable(out.right(400)));

        QVERIFY(cluster.start());
        c.open(c.params());
        verifyWholeOrUntouched(c);
    }

    // The server stays away: the pass stops with one failure naming the cause, leaves every
    // worker whole or untouched, and a run once the server is back completes.
    void serverStaysAway_data() { commandRows(); }
    void serverStaysAway()
    {
        QFETCH(QString, command);
        OwnCluster cluster;
        if (!cluster.ready())
            QSKIP("No PostgreSQL server binaries (TALLIMAR_TEST_PG_BIN)");
        qputenv("TALLIMAR_TEST_PG_PORT", QByteArray::number(cluster.port()));
        TestDb::Fresh db(QStringLiteral("PostgreSQL"));
        Connection &c = db.connection();
        QVERIFY(seedFor(db, command));

        Connection::setReconnectLimitMs(1500);
        Connection pass;
        pass.beforeConnect = [&c] { return c.params(); };
        pass.open();
        int reconnects = 0;
        pass.reconnecting = [&reconnects](const QString &) { ++reconnects; };
        const QString cause = QStringLiteral(
            "The connection to the database server was lost and could not be restored within 2 seconds (");
        bool stopped = false;
        auto stopServerOnce = [&] {
            if (!stopped)
                stopped = cluster.stop();
        };
        int done = 0, failed = 0, notStarted = 0;
        QString failure;
        if (isCheck(command)) {
            InvoiceCheck check(pass);
            const QStringList employees = workersOfProject(pass, {Project, Year, Month});
            const CheckAllSummary s = checkEmployees(check, {Project, Year, Month}, employees, User, {},
                                                     [&](const QString &, const CheckOutcome &o) {
                                                         if (o.status == CheckOutcome::Status::Failed)
                                                             failure = o.message;
                                                         stopServerOnce();
                                                     });
            QVERIFY(s.stopped);
            QCOMPARE(s.stopCause, failure);
            done = s.checked, failed = s.failed, notStarted = s.notStarted;
        } else {
            ClientAttendance att(pass);
            att.userId = User;
            att.cycleYear = Year;
            att.cycleMonth = Month;
            att.openProject(Project);
            const auto lines = att.moveAll([&](const ClientAttendance::MoveAllLine &l) {
                if (l.outcome == ClientAttendance::MoveAllLine::Failed)
                    failure = l.message, ++failed;
                else
                    ++done;
                stopServerOnce();
            });
            notStarted = Workers - int(lines.size());
        }
        QVERIFY(stopped);
        QVERIFY2(failure.contains(cause), qPrintable(failure));
        QCOMPARE(failed, 1);
        QCOMPARE(done + failed + notStarted, Workers);
        QVERIFY(notStarted > 0);
        QCOMPARE(reconnects, 1);

        // Given up, the connection is closed: the next action opens it again, no restart needed.
        QVERIFY(!pass.isOpen());
        QVERIFY(cluster.start());
        QCOMPARE(workersOfProject(pass, {Project, Year, Month}).size(), Workers);
        c.open(c.params());
        QCOMPARE(workersDone(c, command), done);
        verifyWholeOrUntouched(c);
        QCOMPARE(runCli(db.iniPath(), command), 0);
        QCOMPARE(workersDone(c, command), Workers);
        verifyWholeOrUntouched(c);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "test_faults.moc"
