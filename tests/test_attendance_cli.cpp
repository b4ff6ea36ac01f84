// tallimar-cli move-all, run as the real program on a real database.
#include "AttendanceFixture.h"
#include "TestDb.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <csignal>

using namespace AttFixture;

class TestAttendanceCli : public QObject
{
    Q_OBJECT

    static int run(const QString &ini, const QStringList &args, QString *out, QString *err = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini} + args);
        if (!p.waitForFinished(120000))
            return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

private slots:
    // Ctrl+C stops a pass between two workers: those before are whole, the rest untouched, the
    // summary says so and the exit is not 0.
    void interruptedPass_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("command");
        for (const QString &e : TestDb::engines())
            for (const char *cmd : {"move-all", "check-all"})
                QTest::newRow(qPrintable(e + QLatin1Char(' ') + QLatin1String(cmd))) << e << QString::fromLatin1(cmd);
    }
    void interruptedPass()
    {
        QFETCH(QString, engine);
        QFETCH(QString, command);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, 'ClientAttChecker')"),
                     {User});
        const int workers = 400, days = 10;
        c.beginTrans();
        qint64 id = 0;
        for (int w = 1; w <= workers; ++w) {
            const QString no = QStringLiteral("E%1").arg(w, 4, 10, QLatin1Char('0'));
            worker(c, w, no);
            for (int d = 1; d <= days; ++d)
                ownRow(c, ++id, w, no, day(d), QStringLiteral("P"), 8);
        }
        c.commitTrans();
        QString out;
        if (command == QLatin1String("check-all"))
            QCOMPARE(run(db.iniPath(), {"--user", User, "move-all", "--project", Project}, &out), 0);

        QProcess p;
        p.start(QStringLiteral(TALLIMAR_CLI_PATH), {QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"),
                                                    User, command, QStringLiteral("--project"), Project});
        QVERIFY(p.waitForReadyRead(60000));
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 130);
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
        const int done = int(lines.size()) - 1;
        QVERIFY2(done > 0 && done < workers, qPrintable(lines.last()));
        const QString word = command == QLatin1String("move-all") ? QStringLiteral("moved") : QStringLiteral("checked");
        QCOMPARE(
            lines.last(),
            QStringLiteral("%1: %2, skipped: 0, failed: 0, not started: %3").arg(word).arg(done).arg(workers - done));
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("Interrupted.")));
        // Every worker whole or untouched.
        const QString table =
            command == QLatin1String("move-all") ? QStringLiteral("ClientTimeSheets") : QStringLiteral("Invoices");
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(Distinct Ref_No) From ") + table).toInt(), done);
        if (command == QLatin1String("move-all"))
            QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), done * days);
        else
            QCOMPARE(
                TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Checked = 1")).toInt(),
                done * days);
    }

    // On a terminal the pass keeps one line on stderr up to date (done / total, the employee,
    // elapsed and remaining time) and clears it; into a file or a pipe nothing extra.
    void progressLineOnATerminalOnly()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
            QSKIP("no script(1) to give the pass a terminal");
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        for (int w = 1; w <= 3; ++w) {
            const QString no = QStringLiteral("E%1").arg(w);
            worker(c, w, no);
            ownRow(c, w, w, no, day(1), QStringLiteral("P"), 8);
        }
        const QStringList args{
            QStringLiteral("--ini"),     db.iniPath(), QStringLiteral("--user"), User, QStringLiteral("move-all"),
            QStringLiteral("--project"), Project};
        QStringList quoted{QStringLiteral(TALLIMAR_CLI_PATH)};
        quoted += args;
        for (QString &a : quoted)
            a = QLatin1Char('\'') + a + QLatin1Char('\'');
        QProcess terminal;
        terminal.start(QStringLiteral("script"),
                       {QStringLiteral("-qec"), quoted.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
        QVERIFY(terminal.waitForFinished(120000));
        const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
        if (terminal.exitCode() != 0 && shown.contains(QLatin1String("pseudo-terminal")))
            QSKIP("no pseudo-terminal on this machine");
        QCOMPARE(terminal.exitCode(), 0);
        QVERIFY2(shown.contains(QStringLiteral("\r0 / 3  E1  Elapsed 0:0")), qPrintable(shown));
        QVERIFY2(
            QRegularExpression(QStringLiteral("\r[12] / 3  E[23]  Elapsed \\d+:\\d\\d, about \\d+:\\d\\d left\x1b\\[K"))
                .match(shown)
                .hasMatch(),
            qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("\r\x1b[K")), qPrintable(shown));

        TestDb::exec(c, QStringLiteral("Delete From ClientTimeSheets"));
        QString out, err;
        QCOMPARE(run(db.iniPath(), args, &out, &err), 0);
        QVERIFY2(err.isEmpty(), qPrintable(err));
        QCOMPARE(out, QStringLiteral("E1: moved\nE2: moved\nE3: moved\nmoved: 3, skipped: 0, failed: 0\n"));
    }

    void moveAll_data() { TESTDB_ENGINE_ROWS(); }
    void moveAll()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        qint64 id = 0;
        for (int w = 1; w <= 3; ++w) {
            const QString no = QStringLiteral("E%1").arg(w);
            worker(c, w, no);
            for (int d = 1; d <= 4; ++d)
                ownRow(c, ++id, w, no, day(d), QStringLiteral("P"), 8);
        }
        clientRow(c, 3, QStringLiteral("E3"), day(1), QStringLiteral("P"), 8);
        TestDb::exec(c,
                     QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('viewer', 'Login_Tallimar')"));
        QString out, err;

        QCOMPARE(run(db.iniPath(), {"--user", "viewer", "move-all", "--project", Project}, &out, &err), 3);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), 1);
        QCOMPARE(run(db.iniPath(), {"--user", User, "move-all", "--project", Other}, &out, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("No Employees In This Project!")), qPrintable(err));

        failWhen(c, engine, QStringLiteral("INSERT"), QStringLiteral("NEW.Employee_No = 'E2' AND NEW.Col_Day = 2"));
        QCOMPARE(run(db.iniPath(), {"--user", User, "move-all", "--project", Project}, &out, &err), 1);
        const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("E1: moved"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("E2: failed: ")) &&
                     lines[1].contains(QStringLiteral("simulated failure")),
                 qPrintable(lines[1]));
        QCOMPARE(lines[2], QStringLiteral("E3: skipped"));
        QCOMPARE(lines[3], QStringLiteral("moved: 1, skipped: 1, failed: 1"));
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Ref_No = 2")).toInt(),
                 0);
        QCOMPARE(
            TestDb::scalar(
                c, QStringLiteral("Select Count(*) From ClientTimeSheets Where Ref_No = 1 And Entered_By = :U"), {User})
                .toInt(),
            4);

        c.execDirect(QStringLiteral("DROP TRIGGER fail_att") +
                     (engine == QLatin1String("PostgreSQL") ? QStringLiteral(" ON ClientTimeSheets") : QString()));
        QCOMPARE(run(db.iniPath(), {"--user", User, "move-all", "--project", Project}, &out, &err), 0);
        QVERIFY2(out.endsWith(QStringLiteral("moved: 1, skipped: 2, failed: 0\n")), qPrintable(out));
    }

    void refusedPasses_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        for (const QString &e : TestDb::engines()) {
            for (const char *p : {"OLD", "FREE", "NOPE"})
                QTest::addRow("%s: project %s is not offered", qPrintable(e), p)
                    << e << QString::fromLatin1(p) << false << 2
                    << QStringLiteral("Project '%1' is not an active, billable project\n").arg(QLatin1String(p));
            QTest::addRow("%s: own rows that cannot be read give one error", qPrintable(e))
                << e << Project << true << 1 << QString();
        }
    }
    void refusedPasses()
    {
        QFETCH(QString, engine);
        QFETCH(QString, project);
        QFETCH(bool, unreadable);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        // Every project has the same employees, so a pass that went ahead would move them.
        qint64 id = 0;
        for (int w = 1; w <= 3; ++w) {
            const QString no = QStringLiteral("E%1").arg(w);
            worker(c, w, no);
            for (const QString &p : {Project, QStringLiteral("OLD"), QStringLiteral("FREE")})
                ownRow(c, ++id, w, no, day(2), QStringLiteral("P"), 8, 0, 0, QStringLiteral("Mason"), p);
        }
        if (unreadable)
            makeOwnRowsUnreadable(c, engine);
        QString out, err;
        QCOMPARE(run(db.iniPath(), {"--user", User, "move-all", "--project", project}, &out, &err), exitCode);
        QCOMPARE(out, QString());
        // One message, the reason, not one failure per employee.
        QVERIFY2(!err.isEmpty() && err.count(err.section(QLatin1Char('\n'), 0, 0)) == 1, qPrintable(err));
        if (!error.isEmpty())
            QCOMPARE(err, error);
        QCOMPARE(TestDb::scalar(c, QStringLiteral("Select Count(*) From ClientTimeSheets")).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAttendanceCli)
#include "test_attendance_cli.moc"
