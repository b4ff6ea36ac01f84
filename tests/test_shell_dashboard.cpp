// Hours deployed against hours billed per day: the operation, and tallimar-cli's dashboard.
#include "Dashboard.h"
#include "DataModule1.h"
#include "ShellFixtures.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QProcess>
#include <QTest>

class TestShellDashboard : public QObject
{
    Q_OBJECT

    static QString daysText(const DashboardSeries &s)
    {
        QStringList out;
        for (const DashboardDay &d : s.days)
            out << d.date.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char('=') + QString::number(d.hours);
        return out.join(QLatin1Char(' '));
    }

private slots:
    void sums_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("deployedDays");
        QTest::addColumn<qint64>("deployedTotal");
        QTest::addColumn<QString>("billedDays");
        QTest::addColumn<qint64>("billedTotal");
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name)));
            };
            row("a month without rows gives no days and equal totals of 0")
                << e
                << QStringList{QStringLiteral("own 2024-02-29 P 8 0 0"), QStringLiteral("client 2024-04-01 P 8 0 0")}
                << "" << qint64(0) << "" << qint64(0);
            row("a month whose own rows are all A gives no deployed day")
                << e
                << QStringList{QStringLiteral("own 2024-03-04 A 8 0 0"), QStringLiteral("own 2024-03-05 A 0 0 0"),
                               QStringLiteral("client 2024-03-04 P 8 0 0")}
                << "" << qint64(0) << "04/03/2024=8" << qint64(8);
            row("P and H rows of every worker add up per day, in date order")
                << e
                << QStringList{QStringLiteral("own 2024-03-06 H 0 0 8"),    QStringLiteral("own 2024-03-05 P 8 2 0"),
                               QStringLiteral("own 2024-03-05 P 8 0 0"),    QStringLiteral("own 2024-03-05 X 8 0 0"),
                               QStringLiteral("client 2024-03-05 P 8 3 0"), QStringLiteral("client 2024-03-06 H 0 0 8")}
                << "05/03/2024=18 06/03/2024=8" << qint64(26) << "05/03/2024=11 06/03/2024=8" << qint64(19);
            row("a null hour counts as 0 instead of dropping the row")
                << e
                << QStringList{QStringLiteral("own 2024-03-05 P 8 - 2"), QStringLiteral("own 2024-03-05 P - - -"),
                               QStringLiteral("client 2024-03-05 P - 1 -")}
                << "05/03/2024=10" << qint64(10) << "05/03/2024=1" << qint64(1);
            row("rows of one day with different times of day make one day")
                << e
                << QStringList{QStringLiteral("own 2024-03-05T08:30 P 8 0 0"), QStringLiteral("own 2024-03-05 P 4 0 0"),
                               QStringLiteral("own 2024-03-06T17:00 P 2 0 0")}
                << "05/03/2024=12 06/03/2024=2" << qint64(14) << "" << qint64(0);
            row("only the cycle's month counts")
                << e
                << QStringList{QStringLiteral("own 2024-03-31 P 8 0 0"), QStringLiteral("own 2024-04-01 P 9 0 0"),
                               QStringLiteral("own 2023-03-15 P 7 0 0")}
                << "31/03/2024=8" << qint64(8) << "" << qint64(0);
        }
    }
    void sums()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, rows);
        TestDb::Fresh db(engine);
        ShellFixtures::addRows(db.connection(), rows);
        if (QTest::currentTestFailed())
            return;
        CycleDashboard dashboard(db.connection());
        const DashboardData d = dashboard.refresh(2024, 3);
        QTEST(daysText(d.deployed), "deployedDays");
        QTEST(d.deployed.total, "deployedTotal");
        QTEST(daysText(d.billed), "billedDays");
        QTEST(d.billed.total, "billedTotal");
        // The queries stay open for the screens that read them after a refresh.
        QVERIFY(dashboard.HoursDeployedQ.isActive());
        QCOMPARE(dashboard.HoursBilledQ.recordCount(), d.billed.days.size());
    }

    // The billed sums run on a second connection; inside a transaction they must not, or the
    // rows written so far would be missing.
    void refreshInsideATransactionSeesItsOwnRows_data() { TESTDB_ENGINE_ROWS(); }
    void refreshInsideATransactionSeesItsOwnRows()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Transaction tx(db.connection());
        ShellFixtures::addRows(db.connection(),
                               {QStringLiteral("own 2024-03-05 P 8 0 0"), QStringLiteral("client 2024-03-05 P 7 0 0")});
        CycleDashboard dashboard(db.connection());
        const DashboardData d = dashboard.refresh(2024, 3);
        QCOMPARE(d.deployed.total, qint64(8));
        QCOMPARE(d.billed.total, qint64(7));
    }

    void formatTotal_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("comma separates thousands in English")
            << QLocale(QLocale::English, QLocale::UnitedStates) << qint64(1234) << "1,234";
        QTest::newRow("point separates thousands in German")
            << QLocale(QLocale::German, QLocale::Germany) << qint64(1234567) << "1.234.567";
        QTest::newRow("zero") << QLocale(QLocale::English, QLocale::UnitedStates) << qint64(0) << "0";
        QTest::newRow("a locale set to omit grouping still groups") << [] {
            QLocale l(QLocale::English, QLocale::UnitedStates);
            l.setNumberOptions(QLocale::OmitGroupSeparator);
            return l;
        }() << qint64(43804) << "43,804";
    }
    void formatTotal()
    {
        QFETCH(QLocale, locale);
        QFETCH(qint64, total);
        QTEST(CycleDashboard::formatTotal(total, locale), "text");
    }

    void cli_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errContains");
        const QString days = QStringLiteral("04/03/2024 8 0\n05/03/2024 18 11\n06/03/2024 0 7\ntotal 26 18\n");
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QStringLiteral(": ") + QLatin1String(name)));
            };
            row("a day on one side only reads 0 on the other")
                << e << "viewer" << QStringList{"dashboard", "--cycle", "2024-03"} << 0 << days << "";
            row("an empty month prints only the totals")
                << e << "viewer" << QStringList{"dashboard", "--cycle", "2024-07"} << 0 << "total 0 0\n"
                << "";
            row("a user without the login role is refused")
                << e << "nobody" << QStringList{"dashboard", "--cycle", "2024-03"} << 3 << ""
                << "Permission To Login";
            row("a malformed cycle is refused")
                << e << "viewer" << QStringList{"dashboard", "--cycle", "2024-13"} << 2 << ""
                << "--cycle YYYY-MM";
            row("a missing cycle is refused") << e << "viewer" << QStringList{"dashboard"} << 2 << ""
                                              << "--cycle YYYY-MM";
        }
    }
    void cli()
    {
        QFETCH(QString, engine);
        QFETCH(QString, user);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, errContains);
        TestDb::Fresh db(engine);
        ShellFixtures::grant(db.connection(), QStringLiteral("viewer"), {QStringLiteral("Login_Tallimar")});
        ShellFixtures::grant(db.connection(), QStringLiteral("nobody"), {QStringLiteral("ClientsMgt")});
        ShellFixtures::addRows(db.connection(),
                               {QStringLiteral("own 2024-03-04 P 8 0 0"), QStringLiteral("own 2024-03-05 P 8 2 0"),
                                QStringLiteral("own 2024-03-05 P 8 0 0"), QStringLiteral("client 2024-03-05 P 8 3 0"),
                                QStringLiteral("client 2024-03-06 H 0 0 7"), QStringLiteral("own 2024-03-06 A 8 0 0")});
        QProcess p;
        p.start(QStringLiteral(TALLIMAR_CLI_PATH),
                QStringList{QStringLiteral("--ini"), db.iniPath(), QStringLiteral("--user"), user} + args);
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(errContains), qPrintable(err));
        QCOMPARE(p.exitCode(), exitCode);
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
    }
};

QTEST_GUILESS_MAIN(TestShellDashboard)
#include "test_shell_dashboard.moc"
