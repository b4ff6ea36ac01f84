// The invoice details lists and `tallimar-cli export`, on every engine, read back with xlrd and
// openpyxl.

#include "ActiveProjects.h"
#include "InvoiceLists.h"
#include "OpenpyxlReader.h"
#include "TestDb.h"
#include "XlrdReader.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
const QString Project = QStringLiteral("Riyadh Metro");

void fill(Connection &c)
{
    auto exec = [&c](const char *sql, const QVariantList &v = {}) { TestDb::exec(c, QString::fromUtf8(sql), v); };
    exec("INSERT INTO UsersRoles (UserName, RoleName) VALUES ('clerk', 'Login_Tallimar')");
    exec("INSERT INTO UsersRoles (UserName, RoleName) VALUES ('clerk', 'InvoiceDetails')");
    exec("INSERT INTO UsersRoles (UserName, RoleName) VALUES ('viewer', 'Login_Tallimar')");
    exec("INSERT INTO PayrollActiveCycle (Rec_ID, Cycle_Year, Cycle_Month) VALUES (1, 2024, 3)");
    exec("INSERT INTO Assignments (Assignment, isActive, Billable) VALUES (:a, 1, 1)", {Project});
    exec("INSERT INTO Assignments (Assignment, isActive, Billable) VALUES ('Closed Site', 0, 1)");
    const char *invoice =
        "INSERT INTO Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, Employee_Name, Our_Job, "
        "Client_Job, "
        "Days_Calander, Days_Present, Earned_WH_Hours, Earned_WH_Rate, Earned_WH_Amount, Earned_Total, D01_Code, "
        "D01_Hour, D07_Hour) VALUES (:y, :m, :a, :ref, :no, :name, 'Welder', 'Fitter', 31, 26, 208, 12.5, 2600, 2600, "
        "'P', '8', '0')";
    exec(invoice, {2024, 3, Project, 1002, QStringLiteral("E002"), QStringLiteral("محمد الشمري")});
    exec(invoice, {2024, 3, Project, 1001, QStringLiteral("E001"), QStringLiteral("John Smith")});
    exec(invoice, {2024, 2, Project, 1009, QStringLiteral("E009"), QStringLiteral("Earlier Month")});
    exec(invoice,
         {2024, 3, QStringLiteral("Closed Site"), 1003, QStringLiteral("E003"), QStringLiteral("Other Project")});
    const char *row =
        "INSERT INTO ClientTimeSheets (Col_Year, Col_Month, Col_Day, Employee_No, Assignment, Entered_By, "
        "Checked) VALUES (2024, 3, :d, :no, :a, :by, :checked)";
    exec(row, {1, QStringLiteral("E001"), Project, QStringLiteral("ali"), 0});
    exec(row, {2, QStringLiteral("E001"), Project, QStringLiteral("ali"), 0}); // same pair: one line
    exec(row, {1, QStringLiteral("E002"), Project, QStringLiteral("ali"), 0});
    exec(row, {2, QStringLiteral("E002"), Project, QStringLiteral("sara"), 0}); // two users: two lines
    exec(row, {1, QStringLiteral("E004"), Project, QStringLiteral("ali"), 1});  // checked
    exec(row, {1, QStringLiteral("E005"), QStringLiteral("Closed Site"), QStringLiteral("ali"), 0});
}

// More invoice lines of the project in March, E100 and on.
void addLines(Connection &c, int n)
{
    c.beginTrans();
    for (int i = 0; i < n; ++i)
        TestDb::exec(c,
                     QStringLiteral("INSERT INTO Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, "
                                    "Employee_Name, Earned_WH_Rate, D01_Code) VALUES (2024, 3, :a, :ref, :no, :name, "
                                    "12.5, 'P')"),
                     {Project, 2000 + i, QStringLiteral("E%1").arg(100 + i), QStringLiteral("Worker %1").arg(i)});
    c.commitTrans();
}

struct Run
{
    int code = -1;
    QString out, err;
};

Run cli(const QString &ini, const QString &user, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH),
            QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--user"), user, QStringLiteral("export")} + args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList row(const QJsonObject &sheet, int r)
{
    QStringList out;
    for (int c = 0; c < sheet.value("ncols").toInt(); ++c) {
        const QJsonValue v = XlrdDump::value(sheet, r, c);
        out << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
    }
    return out;
}
} // namespace

class TestExportCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void invoiceLinesOfTheActiveCycle_data() { TESTDB_ENGINE_ROWS(); }
    void invoiceLinesOfTheActiveCycle()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fill(db.connection());
        const QString file = m_dir.filePath(engine + QStringLiteral("-invoices.xls"));
        const Run r = cli(db.iniPath(), QStringLiteral("clerk"),
                          {QStringLiteral("--list"), QStringLiteral("invoices"), QStringLiteral("--project"), Project,
                           QStringLiteral("--out"), file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("rows: 2")));

        const QJsonObject book = XlrdDump::read(file);
        const QJsonObject s = XlrdDump::sheet(book);
        QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
        QCOMPARE(s.value("nrows").toInt(), 3);
        // The window's columns: no project, no key; the hours, rate and amount of each kind together.
        const QStringList titles = row(s, 0);
        QCOMPARE(titles.size(), 80);
        QCOMPARE(titles.mid(0, 12), QStringList({"Year", "Month", "Employee No.", "Employee Name", "Our Job",
                                                 "Client Job", "Calander Days", "Present Days", "Normal Hours",
                                                 "Normal Hours Rate", "Normal Hours Amount", "Overtime Hours"}));
        QCOMPARE(titles.at(17), QStringLiteral("Employee Total"));
        QCOMPARE(titles.at(18), QStringLiteral("D01 Code"));
        QCOMPARE(titles.at(48), QStringLiteral("D31 Code"));
        QCOMPARE(titles.at(49), QStringLiteral("D01 Hours"));
        QCOMPARE(titles.at(55), QStringLiteral("D07 Hour"));
        QCOMPARE(titles.at(79), QStringLiteral("D31 Hours"));

        // By employee number; numbers as numbers, day codes and hours as text.
        const QStringList first = row(s, 1);
        QCOMPARE(first.mid(0, 11), QStringList({"2024", "3", "E001", "John Smith", "Welder", "Fitter", "31", "26",
                                                "208", "12.5", "2600"}));
        QCOMPARE(XlrdDump::type(s, 1, 0), 2);
        QCOMPARE(XlrdDump::type(s, 1, 9), 2);
        QCOMPARE(first.at(18), QStringLiteral("P"));
        QCOMPARE(first.at(49), QStringLiteral("8"));
        QCOMPARE(XlrdDump::type(s, 1, 49), 1);
        QCOMPARE(XlrdDump::type(s, 1, 19), 6); // no code for day 2
        QCOMPARE(row(s, 2).at(3), QStringLiteral("محمد الشمري"));
        // Money shows as it will be billed; hours do not.
        for (int col : {9, 10, 17})
            QCOMPARE(XlrdDump::format(book, s, 1, col).value("format").toString(), QStringLiteral("#,##0.00"));
        QVERIFY(XlrdDump::format(book, s, 1, 8).value("format").toString() != QStringLiteral("#,##0.00"));
    }

    void anotherCycleAndTheUncheckedList_data() { TESTDB_ENGINE_ROWS(); }
    void anotherCycleAndTheUncheckedList()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fill(db.connection());
        const QString earlier = m_dir.filePath(engine + QStringLiteral("-february.xls"));
        Run r = cli(db.iniPath(), QStringLiteral("clerk"),
                    {QStringLiteral("--list"), QStringLiteral("invoices"), QStringLiteral("--project"), Project,
                     QStringLiteral("--cycle"), QStringLiteral("2024-02"), QStringLiteral("--out"), earlier});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QJsonObject s = XlrdDump::sheet(XlrdDump::read(earlier));
        QCOMPARE(s.value("nrows").toInt(), 2);
        QCOMPARE(row(s, 1).at(2), QStringLiteral("E009"));

        const QString unchecked = m_dir.filePath(engine + QStringLiteral("-unchecked.xls"));
        r = cli(db.iniPath(), QStringLiteral("clerk"),
                {QStringLiteral("--list"), QStringLiteral("unchecked"), QStringLiteral("--project"), Project,
                 QStringLiteral("--out"), unchecked});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        s = XlrdDump::sheet(XlrdDump::read(unchecked));
        QCOMPARE(s.value("name").toString(), QStringLiteral("NotCheckedQ"));
        QCOMPARE(row(s, 0), QStringList({"Employee Number", "Entered By"}));
        QStringList lines;
        for (int i = 1; i < s.value("nrows").toInt(); ++i)
            lines << row(s, i).join(QLatin1Char('/'));
        lines.sort();
        QCOMPARE(lines, QStringList({"E001/ali", "E002/ali", "E002/sara"}));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QStringList good{"--list", "invoices", "--project", Project};
        QTest::newRow("a user without the invoice details role") << "viewer" << good << 3 << "InvoiceDetails";
        QTest::newRow("an unknown list") << "clerk" << QStringList{"--list", "payroll", "--project", Project} << 2
                                         << "--list";
        QTest::newRow("a project the window does not offer")
            << "clerk" << QStringList{"--list", "invoices", "--project", "Closed Site"} << 1 << "Closed Site";
        QTest::newRow("a cycle that is not a month")
            << "clerk" << good + QStringList{"--cycle", "2024-13"} << 2 << "--cycle";
    }
    void refusals()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        fill(db.connection());
        const QString file = m_dir.filePath(QStringLiteral("refused.xls"));
        const Run r = cli(db.iniPath(), user, args + QStringList{QStringLiteral("--out"), file});
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(file));
    }

    void invoiceLinesAsXlsx_data() { TESTDB_ENGINE_ROWS(); }
    void invoiceLinesAsXlsx()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fill(db.connection());
        addLines(db.connection(), 40);
        const QString file = m_dir.filePath(engine + QStringLiteral("-invoices.XLSX"));
        const Run r = cli(db.iniPath(), QStringLiteral("clerk"),
                          {QStringLiteral("--list"), QStringLiteral("invoices"), QStringLiteral("--project"), Project,
                           QStringLiteral("--out"), file});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("rows: 42")), qPrintable(r.out));

        const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(file));
        QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
        QCOMPARE(s.value("nrows").toInt(), 43);
        QCOMPARE(s.value("ncols").toInt(), 80);
        QCOMPARE(OpenpyxlDump::value(s, 0, 2).toString(), QStringLiteral("Employee No."));
        QCOMPARE(OpenpyxlDump::value(s, 0, 55).toString(), QStringLiteral("D07 Hour"));
        QCOMPARE(OpenpyxlDump::value(s, 1, 2).toString(), QStringLiteral("E001"));
        QCOMPARE(OpenpyxlDump::type(s, 1, 0), QStringLiteral("n"));
        QCOMPARE(OpenpyxlDump::value(s, 1, 9).toDouble(), 12.5);
        QCOMPARE(OpenpyxlDump::type(s, 1, 49), QStringLiteral("s"));
        QCOMPARE(OpenpyxlDump::value(s, 1, 49).toString(), QStringLiteral("8"));
        QCOMPARE(OpenpyxlDump::value(s, 2, 3).toString(), QStringLiteral("محمد الشمري"));
        QCOMPARE(OpenpyxlDump::value(s, 3, 2).toString(), QStringLiteral("E100"));
        QCOMPARE(OpenpyxlDump::style(s, 0, 0).value("bold").toBool(), true);
        QCOMPARE(OpenpyxlDump::style(s, 1, 0).value("font").toString(), QStringLiteral("Tahoma"));
    }

    void badOutputs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("an unknown suffix") << "list.csv" << false << 2 << "--out must name an .xls or .xlsx file";
        QTest::newRow("no suffix") << "list" << false << 2 << "--out must name an .xls or .xlsx file";
        QTest::newRow(".xls in a folder that does not exist") << "missing/list.xls" << false << 1 << "Cannot save";
        QTest::newRow(".xlsx in a folder that does not exist") << "missing/list.xlsx" << false << 1 << "Cannot save";
        QTest::newRow(".xls on a full disk") << "full.xls" << true << 1 << "Cannot save";
        QTest::newRow(".xlsx on a full disk") << "full.xlsx" << true << 1 << "Cannot save";
    }
    void badOutputs()
    {
        QFETCH(QString, name);
        QFETCH(bool, fullDisk);
        QFETCH(int, code);
        QFETCH(QString, message);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        fill(db.connection());
        addLines(db.connection(), 400);
        QTemporaryDir out;
        const QString file = out.filePath(name);
        // A full disk as the system reports it: the limit and the ignored signal pass to the program.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (fullDisk) {
            rlimit small = saved;
            small.rlim_cur = 16 * 1024;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        const Run r = cli(db.iniPath(), QStringLiteral("clerk"),
                          {QStringLiteral("--list"), QStringLiteral("invoices"), QStringLiteral("--project"), Project,
                           QStringLiteral("--out"), file});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.startsWith(message), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1); // one message
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    void theListsOfTheWindowDirectly_data() { TESTDB_ENGINE_ROWS(); }
    void theListsOfTheWindowDirectly()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fill(db.connection());
        QCOMPARE(ActiveProjects::names(db.connection()), QStringList{Project});
        Query q(db.connection());
        InvoiceLists::prepareInvoiceQ(q);
        InvoiceLists::open(q, 2024, 3, Project);
        QCOMPARE(q.recordCount(), 2);
        // Loaded but not a column: the project. Invoices has no row key to load.
        QVERIFY(!q.field(q.fieldIndex(QStringLiteral("Assignment"))).visible);
        QCOMPARE(q.fieldIndex(QStringLiteral("Rec_ID")), -1);
        QCOMPARE(q.field(q.fieldIndex(QStringLiteral("Earned_WH_Rate"))).kind, FieldKind::Float);
        QCOMPARE(q.field(q.fieldIndex(QStringLiteral("D07_Hour"))).label(), QStringLiteral("D07 Hour"));
        // Loading again for another project replaces the lines.
        InvoiceLists::open(q, 2024, 3, QStringLiteral("Closed Site"));
        QCOMPARE(q.recordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestExportCli)
#include "test_export_cli.moc"
