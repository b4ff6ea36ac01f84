// The invoice document on SQLite: a 5,000-line project read and written as PDF (time, pages,
// peak memory), then month-end of a 10,000-worker demo database through the real tallimar-cli,
// without and with --invoices. Optional arguments: lines, workers.
#include "BenchUtil.h"
#include "Clock.h"
#include "Connection.h"
#include "DemoData.h"
#include "InvoiceDocument.h"
#include "InvoicePages.h"
#include "LocalTime.h"
#include "Query.h"
#include "Schema.h"
#include "Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <ctime>

namespace {

void fillProject(Connection &c, int lines)
{
    Schema::create(c);
    Transaction t(c);
    Query q(c, QStringLiteral("Insert Into Clients (Client_Name, HO_Address, isActive) Values ('Gulf Builders', "
                              "'P.O. Box 77, Doha', 1)"));
    q.exec();
    q.setSql(QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable, isProtected, Client_ID, "
                            "Site_Location, ERP_Account_No, Payment_Terms) Values ('BIG', 1, 1, 0, 1, 'Lusail', "
                            "'ERP-1', 'Net 30 Days')"));
    q.exec();
    q.setSql(QStringLiteral(
        "Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, Employee_Name, Our_Job, "
        "Client_Job, Days_Calander, Days_Present, Earned_WH_Hours, Earned_WH_Rate, Earned_WH_Amount, "
        "Earned_OT_Hours, Earned_OT_Rate, Earned_OT_Amount, Earned_HT_Hours, Earned_HT_Rate, Earned_HT_Amount, "
        "Earned_Total) Values (2026, 3, 'BIG', :R, :N, :EN, 'Labourer', :J, 31, 26, :WH, :WR, :WA, :OT, :OR, :OA, "
        ":HT, :HR, :HA, :T)"));
    const QStringList names{QStringLiteral("AHMED KHAN"),
                            QStringLiteral("\u0639\u0645\u0631 \u0627\u0644\u0646\u062C\u0627\u0631"),
                            QStringLiteral("JOSE CRUZ"), QStringLiteral("PETER ABRAHAM"),
                            QStringLiteral("\u064A\u0648\u0633\u0641 \u0627\u0644\u062D\u062F\u0627\u062F")};
    for (int i = 0; i < lines; ++i) {
        const int wh = 160 + i % 48, ot = i % 30, ht = i % 4 * 8;
        const double wr = 10 + i % 9 * 1.25, orr = wr * 1.25, hr = wr * 1.5;
        q.setParams({{QStringLiteral("R"), i + 1},
                     {QStringLiteral("N"), QStringLiteral("E%1").arg(100000 + i)},
                     {QStringLiteral("EN"), names[i % names.size()] + QStringLiteral(" %1").arg(i)},
                     {QStringLiteral("J"), QStringLiteral("Job %1").arg(i % 12)},
                     {QStringLiteral("WH"), wh},
                     {QStringLiteral("WR"), wr},
                     {QStringLiteral("WA"), wh * wr},
                     {QStringLiteral("OT"), ot},
                     {QStringLiteral("OR"), orr},
                     {QStringLiteral("OA"), ot * orr},
                     {QStringLiteral("HT"), ht},
                     {QStringLiteral("HR"), hr},
                     {QStringLiteral("HA"), ht * hr},
                     {QStringLiteral("T"), wh * wr + ot * orr + ht * hr}});
        q.exec();
    }
    t.commit();
}

double monthEnd(const QString &ini, const QStringList &extra)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini, QStringLiteral("--user"),
                                                           QStringLiteral("demo"), QStringLiteral("month-end")} +
                                                   extra);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        qFatal("month-end failed: %s", p.readAllStandardError().constData());
    return t.elapsed() / 1000.0;
}

QString writeIni(const QTemporaryDir &dir, const QString &name, const QString &db)
{
    QFile ini(dir.filePath(name));
    if (!ini.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(name));
    ini.write(QStringLiteral("[Database]\nEngine=SQLite\nCatalog=%1\n").arg(db).toUtf8());
    return ini.fileName();
}

} // namespace

int main(int argc, char *argv[])
{
    pinLocalTimeZone();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;
    const int workers = argc > 2 ? QByteArray(argv[2]).toInt() : 10000;
    QTemporaryDir dir;

    {
        Connection c;
        openSqlite(c, dir.filePath(QStringLiteral("lines.db")), true);
        fillProject(c, lines);
        const double before = statusMb("VmRSS");
        QElapsedTimer t;
        t.start();
        const InvoiceDocument::Document d = InvoiceDocument::read(c, QStringLiteral("BIG"), 2026, 3, QDate(2026, 4, 2));
        printFigure("invoice_read_time", t.elapsed() / 1000.0, "s");
        t.restart();
        // Processor time beside the wall clock: on a shared machine the second waits for others.
        const std::clock_t cpu = std::clock();
        const QString pdf = dir.filePath(QStringLiteral("big.pdf"));
        const int pages = InvoicePages::savePdf(d, pdf);
        printFigure("invoice_pdf_write_time", t.elapsed() / 1000.0, "s");
        printFigure("invoice_pdf_write_cpu_time", double(std::clock() - cpu) / CLOCKS_PER_SEC, "s");
        printFigure("invoice_pdf_lines", d.lines.size(), "lines");
        printFigure("invoice_pdf_pages", pages, "pages");
        printFigure("invoice_pdf_size", QFileInfo(pdf).size() / 1048576.0, "MB");
        printFigure("invoice_rss_before", before, "MB");
        printFigure("invoice_peak_memory", peakMemoryMb(), "MB");
    }

    if (workers <= 0)
        return 0;
    // Month-end of the same demo database twice: without documents, then with them.
    const TestClock clock(QDate(2026, 4, 10));
    const QString plain = dir.filePath(QStringLiteral("plain.db"));
    {
        Connection c;
        openSqlite(c, plain, true);
        DemoOptions o;
        o.workers = workers;
        o.months = 1;
        o.clock = &clock;
        generateDemoData(c, o);
    }
    const QString withDocs = dir.filePath(QStringLiteral("docs.db"));
    if (!QFile::copy(plain, withDocs))
        qFatal("cannot copy the demo database");
    const double without = monthEnd(writeIni(dir, QStringLiteral("plain.ini"), plain),
                                    {QStringLiteral("--out"), dir.filePath(QStringLiteral("plain.xlsx"))});
    const QString folder = dir.filePath(QStringLiteral("invoices"));
    const double with = monthEnd(
        writeIni(dir, QStringLiteral("docs.ini"), withDocs),
        {QStringLiteral("--out"), dir.filePath(QStringLiteral("docs.xlsx")), QStringLiteral("--invoices"), folder});
    printFigure("month_end_without_invoices_time", without, "s");
    printFigure("month_end_with_invoices_time", with, "s");
    printFigure("month_end_invoices_added_time", with - without, "s");
    printFigure("month_end_invoice_documents", QDir(folder).entryList(QDir::Files).size(), "files");

    // The documents' own share, measured in this process on the checked database: the two runs
    // above differ by it plus whatever else the shared machine was doing.
    {
        Connection c;
        openSqlite(c, withDocs);
        Query projects(c, QStringLiteral("Select Distinct Assignment From Invoices Where Col_Year = 2026 And "
                                         "Col_Month = 3"));
        projects.open();
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        qint64 lines = 0;
        for (projects.first(); !projects.eof(); projects.next()) {
            const InvoiceDocument::Document d =
                InvoiceDocument::read(c, projects.asString(QStringLiteral("Assignment")), 2026, 3, QDate(2026, 4, 10));
            lines += d.lines.size();
            InvoicePages::savePdf(d, dir.filePath(QStringLiteral("again.pdf")));
        }
        printFigure("month_end_documents_time", t.elapsed() / 1000.0, "s");
        printFigure("month_end_documents_cpu_time", double(std::clock() - cpu) / CLOCKS_PER_SEC, "s");
        printFigure("month_end_documents_lines", lines, "lines");
    }
    return 0;
}
