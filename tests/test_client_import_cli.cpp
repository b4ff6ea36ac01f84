// tallimar-cli import-client, run as the real program on a real database; and the demo's sheet.
#include "AttendanceFixture.h"
#include "OpenpyxlReader.h"
#include "TestDb.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace AttFixture;

class TestClientImportCli : public QObject
{
    Q_OBJECT

    static int run(const QString &ini, const QStringList &args, QString *out, QString *err)
    {
        QProcess p;
        p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini} + args);
        if (!p.waitForFinished(120000))
            return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    static void seed(Connection &c)
    {
        seedBase(c);
        worker(c, 1, "E1");
        for (int d = 1; d <= 5; ++d)
            ownRow(c, d, 1, "E1", day(d), "P", 8);
    }

    QTemporaryDir m_dir;

    QString sheet(const QString &body)
    {
        const QString p = m_dir.filePath("client.csv");
        QFile f(p);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(("Emp No;Date;Code;WH;OT\n" + body).toUtf8());
        return p;
    }

private slots:
    void exits_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("stderrHas");
        const QString good = "E1;01/03/2026;P;8;1\nE1;02/03/2026;A;0;0\n";
        const QString bad = good + "E7;03/03/2026;P;8;0\nE1;04/03/2026;P;30;0\n";
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(e + QLatin1String(": ") + name));
            };
            row("an accepted sheet is written") << e << good << QStringList() << 0 << 2 << QString();
            row("a dry run writes nothing and succeeds")
                << e << good << QStringList{"--dry-run"} << 0 << 0 << QString();
            row("a refused row writes nothing") << e << bad << QStringList() << 1 << 0
                                                << "row 4, E7, 2026-03-03: Employee number unknown\n"
                                                   "row 5, E1, 2026-03-04: Hours above 24\n"
                                                   "Nothing written: 2 refused";
            row("a dry run with refused rows fails")
                << e << bad << QStringList{"--dry-run"} << 1 << 0 << "Employee number unknown";
            row("skipping refused rows writes the others")
                << e << bad << QStringList{"--skip-refused"} << 0 << 2 << "Hours above 24";
        }
        const QString e = QStringLiteral("SQLite");
        QTest::newRow("a map naming an unknown field is a usage error")
            << e << good << QStringList{"--map", "colour=B"} << 2 << 0 << "--map: Unknown field \"colour\"";
        QTest::newRow("a map naming a missing column")
            << e << good << QStringList{"--map", "normal=Hours"} << 1 << 0 << "No column \"Hours\" in the header row";
        QTest::newRow("a mapped column replaces the recognised one")
            << e << good << QStringList{"--map", "normal=OT,overtime=-"} << 0 << 2 << QString();
        QTest::newRow("a cycle the sheet's dates are not in")
            << e << good << QStringList{"--cycle", "2026-04"} << 1 << 0 << "row 2, E1, 2026-03-01: Not deployed here";
        QTest::newRow("a sheet name the file does not have")
            << e << good << QStringList{"--sheet", "Nope"} << 1 << 0 << "The workbook has no sheet named \"Nope\"";
    }
    void exits()
    {
        QFETCH(QString, engine);
        QFETCH(QString, body);
        QFETCH(QStringList, flags);
        QFETCH(int, exitCode);
        QFETCH(int, rowsAfter);
        QFETCH(QString, stderrHas);
        TestDb::Fresh db(engine);
        seed(db.connection());
        QString out, err;
        const int rc =
            run(db.iniPath(), QStringList{"--user", User, "import-client", sheet(body), "--project", Project} + flags,
                &out, &err);
        QVERIFY2(rc == exitCode, qPrintable(out + err));
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        QCOMPARE(TestDb::scalar(db.connection(), "Select Count(*) From ClientTimeSheets").toInt(), rowsAfter);
        if (flags.contains("--map") && rc == 0)
            QCOMPARE(
                TestDb::scalar(db.connection(), "Select Client_WH From ClientTimeSheets Where Col_Day = 1").toInt(), 1);
    }

    void theReportListsEveryRow()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        QString body;
        for (int i = 0; i < 30; ++i)
            body += QStringLiteral("X%1;01/03/2026;P;8;0\n").arg(i);
        const QString report = m_dir.filePath("report.xlsx");
        QString out, err;
        QCOMPARE(run(db.iniPath(),
                     {"--user", User, "import-client", sheet(body), "--project", Project, "--report", report}, &out,
                     &err),
                 1);
        QCOMPARE(err.count("Employee number unknown"), 20);
        QVERIFY(err.contains("... and 10 more refused (all in the report)"));
        const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(report));
        QCOMPARE(s.value("cells").toArray().size(), 31);
        QCOMPARE(OpenpyxlDump::value(s, 30, 8).toString(), QStringLiteral("Employee number unknown"));
    }

    void withoutTheRoleNothingRuns()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        seed(db.connection());
        TestDb::exec(db.connection(), "Delete From UsersRoles Where RoleName = 'ClientAttCreater'");
        QString out, err;
        QCOMPARE(run(db.iniPath(),
                     {"--user", User, "import-client", sheet("E1;01/03/2026;P;8;0\n"), "--project", Project}, &out,
                     &err),
                 3);
        QCOMPARE(TestDb::scalar(db.connection(), "Select Count(*) From ClientTimeSheets").toInt(), 0);
    }

    // The demo's client sheet: a few differences, one unknown worker, one impossible hour.
    void theDemoSheetImportsWithItsTwoRefusals()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Workers.ini");
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(dir.filePath("demo.db")).toUtf8());
        f.close();
        QString out, err;
        QCOMPARE(run(ini, {"demo-db", "--workers", "40"}, &out, &err), 0);
        const QRegularExpression line(QStringLiteral("client sheet: (.*) \\(project (.*), (\\d{4}-\\d{2})\\)"));
        const auto m = line.match(out);
        QVERIFY2(m.hasMatch(), qPrintable(out));
        const QStringList args{"--user", "demo", "import-client", m.captured(1), "--project", m.captured(2)};
        QCOMPARE(run(ini, args, &out, &err), 1);
        QCOMPARE(err.count(QLatin1Char('\n')), 3);
        QVERIFY(err.contains("Employee number unknown"));
        QVERIFY(err.contains("Hours above 24"));
        QCOMPARE(run(ini, args + QStringList{"--skip-refused"}, &out, &err), 0);
        QVERIFY2(out.contains(" 0 changed, 0 unchanged, 2 refused"), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestClientImportCli)
#include "test_client_import_cli.moc"
