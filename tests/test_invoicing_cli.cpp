// `tallimar-cli export --list disputes`, read back with xlrd and compared with the database.
#include "InvoicingFixture.h"
#include "XlrdReader.h"

#include "Query.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace AttFixture;

namespace {

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

// Disputes in March (E1 with own rows under two projects, E2 without an own row) and February.
void fill(Connection &c)
{
    seedBase(c);
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, 'DisputeMgt')"), {User});
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('viewer', 'Login_Tallimar')"));
    TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values ('viewer', 'InvoiceDetails')"));
    ownRow(c, 11, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 8, 2);
    ownRow(c, 12, 1, QStringLiteral("E1"), day(5), QStringLiteral("P"), 2, 0, 0, QStringLiteral("Mason"), Other);
    ownRow(c, 13, 2, QStringLiteral("E2"), day(7), QStringLiteral("P"), 8);
    clientRow(c, 1, QStringLiteral("E1"), day(5), QStringLiteral("A"), 0, 0, 0, Project, 0, 1);
    clientRow(c, 2, QStringLiteral("E2"), day(6), QStringLiteral("P"), 8, 0, 0, Other, 0, 1);
    clientRow(c, 2, QStringLiteral("E2"), day(7), QStringLiteral("P"), 8);
    clientRow(c, 3, QStringLiteral("E3"), QDate(Year, 2, 3), QStringLiteral("P"), 7, 0, 0, Project, 0, 1);
}

// What the list should hold, found another way: each disputed client row of the month once per
// own row of its worker and date, at least once.
QStringList expected(Connection &c, int month)
{
    Query rows(c, QStringLiteral("Select Ref_No, Col_Date, Employee_No, Assignment From ClientTimeSheets "
                                 "Where Dispute = 1 And Col_Month = :M"));
    rows.setParam(0, month);
    rows.open();
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next()) {
        Query own(c, QStringLiteral("Select Count(*) As N From TimeSheets Where Ref_No = :R And Col_Date = :D"));
        own.setParam(0, rows.value(QStringLiteral("Ref_No")));
        own.setParam(1, rows.value(QStringLiteral("Col_Date")));
        own.open();
        for (int i = 0; i < qMax(1, own.asInt(QStringLiteral("N"))); ++i)
            out << rows.asString(QStringLiteral("Employee_No")) + QLatin1Char(' ') +
                       rows.asDate(QStringLiteral("Col_Date")).toString(QStringLiteral("dd/MM/yyyy")) +
                       QLatin1Char(' ') + rows.asString(QStringLiteral("Assignment"));
    }
    out.sort();
    return out;
}

} // namespace

class TestInvoicingCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void theDisputeListAsTheWindowExportsIt_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("cycle");
        QTest::addColumn<int>("month");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": the active cycle"))) << e << QString() << Month;
            QTest::newRow(qPrintable(e + QStringLiteral(": an earlier cycle"))) << e << QStringLiteral("2026-02") << 2;
        }
    }
    void theDisputeListAsTheWindowExportsIt()
    {
        QFETCH(QString, engine);
        QFETCH(QString, cycle);
        QFETCH(int, month);
        TestDb::Fresh db(engine);
        fill(db.connection());
        const QString file = m_dir.filePath(engine + cycle + QStringLiteral("-disputes.xls"));
        QStringList args{QStringLiteral("--list"), QStringLiteral("disputes"), QStringLiteral("--out"), file};
        if (!cycle.isEmpty())
            args << QStringLiteral("--cycle") << cycle;
        const Run r = cli(db.iniPath(), User, args);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QStringList want = expected(db.connection(), month);
        QVERIFY(r.out.contains(QStringLiteral("rows: %1").arg(want.size())));

        const QJsonObject s = XlrdDump::sheet(XlrdDump::read(file));
        QCOMPARE(s.value("name").toString(), QStringLiteral("DisputeQ"));
        QStringList titles;
        for (int col = 0; col < s.value("ncols").toInt(); ++col)
            titles << XlrdDump::value(s, 0, col).toString();
        QCOMPARE(titles.mid(0, 8), QStringList({"ClientRec_ID", "OurRec_ID", "Att Date", "Ref_No", "Employee No.",
                                                "Employee Name", "Project", "Client Job"}));
        QCOMPARE(titles.size(), 19);
        QStringList got;
        for (int row = 1; row < s.value("nrows").toInt(); ++row) {
            // Dates are written as dates: xlrd gives the serial day number.
            const QDate d = QDate(1899, 12, 30).addDays(qint64(XlrdDump::value(s, row, 2).toDouble()));
            got << XlrdDump::value(s, row, 4).toString() + QLatin1Char(' ') + d.toString(QStringLiteral("dd/MM/yyyy")) +
                       QLatin1Char(' ') + XlrdDump::value(s, row, 6).toString();
        }
        QStringList sorted = got;
        sorted.sort();
        QCOMPARE(sorted, want);
        // By employee number, then date.
        QCOMPARE(got, sorted);
    }

    void aUserWithoutTheDisputeRoleIsRefused()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        fill(db.connection());
        const QString file = m_dir.filePath(QStringLiteral("refused.xls"));
        const Run r = cli(db.iniPath(), QStringLiteral("viewer"),
                          {QStringLiteral("--list"), QStringLiteral("disputes"), QStringLiteral("--out"), file});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(QStringLiteral("DisputeMgt")), qPrintable(r.err));
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestInvoicingCli)
#include "test_invoicing_cli.moc"
