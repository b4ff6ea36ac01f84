// The invoice document of a project and cycle: written as PDF and read back with pdftotext
// (poppler-utils), by the operation, by tallimar-cli and from the invoice details window.
#include "AttendanceFixture.h"
#include "Clock.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "FileDialog.h"
#include "HostileText.h"
#include "InvoiceDocument.h"
#include "InvoiceDocumentAction.h"
#include "InvoicePages.h"
#include "InvoicesDetForm.h"
#include "MessageRecording.h"
#include "Session.h"
#include "TestDb.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace AttFixture;

namespace {

const QLocale US(QLocale::English, QLocale::UnitedStates);

QString money(double v, const QLocale &locale = US)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l.toString(v, 'f', 2);
}

struct Worker
{
    QString no;
    QString name;
    QString job;
    int wh = 160, ot = 10, ht = 0;
    double whRate = 12.345, otRate = 15.5, htRate = 20;
};

// A line as the check writes it: amounts are hours times rate, the total from hours and rates.
void insertLine(Connection &c, const Worker &w, qint64 ref, const QString &project = Project, int month = Month)
{
    TestDb::exec(
        c,
        QStringLiteral("Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, Employee_Name, "
                       "Our_Job, Client_Job, Days_Calander, Days_Present, Earned_WH_Hours, Earned_WH_Rate, "
                       "Earned_WH_Amount, Earned_OT_Hours, Earned_OT_Rate, Earned_OT_Amount, Earned_HT_Hours, "
                       "Earned_HT_Rate, Earned_HT_Amount, Earned_Total) "
                       "Values (:Y, :M, :A, :R, :N, :EN, 'Labourer', :J, 31, 20, :WH, :WR, :WA, :OT, :OR, :OA, :HT, "
                       ":HR, :HA, :T)"),
        {Year, month, project, ref, w.no, w.name, w.job, w.wh, w.whRate, w.wh * w.whRate, w.ot, w.otRate,
         w.ot * w.otRate, w.ht, w.htRate, w.ht * w.htRate, w.wh * w.whRate + w.ot * w.otRate + w.ht * w.htRate});
}

// MARINA's client and details.
void seedProject(Connection &c, const QString &client = QStringLiteral("Gulf Builders"),
                 const QString &address = QStringLiteral("P.O. Box 77, Doha"),
                 const QString &site = QStringLiteral("Lusail Plot 9"), const QString &erp = QStringLiteral("ERP-555"),
                 const QString &terms = QStringLiteral("Net 30 Days"), const QString &project = Project)
{
    TestDb::exec(c, QStringLiteral("Insert Into Clients (Client_Name, HO_Address, isActive) Values (:N, :A, 1)"),
                 {client, address});
    const qint64 id = TestDb::scalar(c, QStringLiteral("Select Max(Rec_ID) From Clients")).toLongLong();
    TestDb::exec(c,
                 QStringLiteral("Update Assignments Set Site_Location = :S, ERP_Account_No = :E, Payment_Terms = :T, "
                                "Client_ID = :C Where Assignment = :A"),
                 {site, erp, terms, id, project});
}

// Five workers in two client jobs; rates with fractions of a cent.
QList<Worker> fiveWorkers()
{
    return {
        {"W101", "Ahmed Rafiq", "Mason", 160, 10, 8, 12.345, 15.5, 20.125},
        {"W102", "Peter Fischer", "Mason", 152, 0, 0, 12.345, 15.5, 20.125},
        {"W103", "Jose Cruz", "Mason", 168, 22, 16, 12.345, 15.5, 20.125},
        {"W201", "Omar Said", "Helper", 100, 3, 0, 9.999, 11.111, 13.333},
        {"W202", "Ravi Nair", "Helper", 176, 31, 24, 9.999, 11.111, 13.333},
    };
}

void seedFive(Connection &c)
{
    seedBase(c);
    seedProject(c);
    qint64 ref = 0;
    for (const Worker &w : fiveWorkers())
        insertLine(c, w, ++ref);
}

// The text of each page, as pdftotext -layout gives it.
QStringList pdfPages(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList linesWith(const QString &text, const QString &part)
{
    QStringList out;
    for (const QString &l : text.split(QLatin1Char('\n')))
        if (l.contains(part))
            out << l;
    return out;
}

QString lastField(const QString &line)
{
    return line.simplified().split(QLatin1Char(' ')).last();
}

double storedSum(Connection &c, const QString &where = {}, const QVariantList &values = {})
{
    return TestDb::scalar(
               c,
               QStringLiteral("Select Sum(Earned_Total) From Invoices Where Assignment = :A And Col_Year = :Y "
                              "And Col_Month = :M") +
                   where,
               QVariantList{Project, Year, Month} + values)
        .toDouble();
}

// Cuts a text to what the column of that width holds on an engine that checks widths. The data
// layer refuses a NUL in any value, so it is left out.
QString fit(const QString &engine, QString text, int width)
{
    text.remove(QChar(0));
    if (engine != QLatin1String("PostgreSQL"))
        return text;
    qsizetype units = 0;
    for (int points = 0; units < text.size() && points < width; ++points)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

InvoiceDocument::Document readDoc(Connection &c, const QString &project = Project, int month = Month)
{
    return InvoiceDocument::read(c, project, Year, month, Today);
}

int runCli(const QString &ini, const QStringList &args, QString *out, QString *err)
{
    QProcess p;
    p.start(QStringLiteral(TALLIMAR_CLI_PATH), QStringList{QStringLiteral("--ini"), ini} + args);
    if (!p.waitForFinished(300000))
        return -1;
    *out = QString::fromUtf8(p.readAllStandardOutput());
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

void grant(Connection &c, const QString &user, const QStringList &roles)
{
    for (const QString &r : roles)
        TestDb::exec(c, QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (:U, :R)"), {user, r});
}

} // namespace

class TestInvoiceDocument : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<MessageRecording> m_recording;

private slots:
    void init() { m_recording.emplace(); }
    void cleanup() { m_recording.reset(); }

    void theHeaderTheLinesAndTheTotals_data() { TESTDB_ENGINE_ROWS(); }
    void theHeaderTheLinesAndTheTotals()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedFive(c);
        // Another project's and another month's lines stay out.
        insertLine(c, {"W901", "Other Project", "Mason"}, 901, Other);
        insertLine(c, {"W902", "Other Month", "Mason"}, 902, Project, Month - 1);

        const QString file = m_dir.filePath(engine + QStringLiteral("-header.pdf"));
        const InvoiceDocument::Document d = readDoc(c);
        QCOMPARE(d.lines.size(), 5);
        QCOMPARE(InvoicePages::savePdf(d, file, US), 1);
        const QStringList pages = pdfPages(file);
        QCOMPARE(pages.size(), 1);
        const QString text = pages.first();

        for (const char *part :
             {"Orvessa Systems", "Invoice", "Gulf Builders", "P.O. Box 77, Doha", "Project: MARINA",
              "Site: Lusail Plot 9", "ERP account: ERP-555", "Cycle: March 2026", "Reference: MARINA/2026-03",
              "Date of issue: 2 April 2026", "Payment terms: Net 30 Days", "Page 1 of 1"})
            QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        QVERIFY(!text.contains(QStringLiteral("DRAFT")));
        QVERIFY(!text.contains(QStringLiteral("W901")) && !text.contains(QStringLiteral("W902")));

        // One line per worker, whole, with its amounts and total.
        for (const Worker &w : fiveWorkers()) {
            const QStringList l = linesWith(text, w.no);
            QCOMPARE(l.size(), 1);
            QVERIFY2(l.first().contains(w.name), qPrintable(l.first()));
            const double total = w.wh * w.whRate + w.ot * w.otRate + w.ht * w.htRate;
            QCOMPARE(lastField(l.first()), money(total));
            QVERIFY2(l.first().contains(money(w.wh * w.whRate)), qPrintable(l.first()));
            QVERIFY2(l.first().contains(money(w.whRate)), qPrintable(l.first()));
        }
        // Each job's subtotal and the grand total are the stored lines' sums, to the cent.
        for (const char *job : {"Mason", "Helper"}) {
            const QStringList sub = linesWith(text, QStringLiteral("Subtotal ") + QString::fromLatin1(job));
            QCOMPARE(sub.size(), 1);
            QCOMPARE(lastField(sub.first()),
                     money(storedSum(c, QStringLiteral(" And Client_Job = :J"), {QString::fromLatin1(job)})));
            QCOMPARE(linesWith(text, QStringLiteral("Client job: ") + QString::fromLatin1(job)).size(), 1);
        }
        const QStringList grand = linesWith(text, QStringLiteral("Grand total (5 lines)"));
        QCOMPARE(grand.size(), 1);
        QCOMPARE(lastField(grand.first()), money(storedSum(c)));
        // Sections in job order: Helper before Mason.
        QVERIFY(text.indexOf(QStringLiteral("Subtotal Helper")) < text.indexOf(QStringLiteral("Client job: Mason")));
    }

    void moneyIsGroupedAsTheLocaleGroups_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("total");
        QTest::newRow("American English groups with commas") << US << QStringLiteral("20,012.00");
        QTest::newRow("German groups with points, decimals after a comma")
            << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("20.012,00");
    }
    void moneyIsGroupedAsTheLocaleGroups()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, total);
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedBase(c);
        insertLine(c, {"W1", "Big Hours", "Mason", 1000, 0, 0, 20.012, 0, 0}, 1);
        const QString file = m_dir.filePath(QStringLiteral("locale.pdf"));
        InvoicePages::savePdf(readDoc(c), file, locale);
        const QString text = pdfPages(file).join(QString());
        QCOMPARE(lastField(linesWith(text, QStringLiteral("W1")).value(0)), total);
        QCOMPARE(lastField(linesWith(text, QStringLiteral("Grand total")).value(0)), total);
    }

    // DRAFT exactly when the project has unchecked client rows or disputed days in the cycle.
    void draftExactlyWhileAttendanceIsOpen_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("dispute");
        QTest::addColumn<QString>("project");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("note"); // empty: final document
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) {
                return &(QTest::newRow(qPrintable(e + QStringLiteral(": ") + name)) << e);
            };
            *row("every row checked gives a final document") << 1 << 0 << Project << Month << QString();
            *row("an unchecked row gives a draft")
                << 0 << 0 << Project << Month << QStringLiteral("2 worker(s) with unchecked attendance, 0 disputed");
            *row("a disputed day gives a draft")
                << 1 << 1 << Project << Month << QStringLiteral("0 worker(s) with unchecked attendance, 1 disputed");
            *row("another project's open rows do not count") << 0 << 1 << Other << Month << QString();
            *row("another month's open rows do not count") << 0 << 1 << Project << Month - 1 << QString();
        }
    }
    void draftExactlyWhileAttendanceIsOpen()
    {
        QFETCH(QString, engine);
        QFETCH(int, checked);
        QFETCH(int, dispute);
        QFETCH(QString, project);
        QFETCH(int, month);
        QFETCH(QString, note);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedFive(c);
        // Two workers with rows; the second has two rows on one day (one disputed day at most).
        clientRow(c, 1, QStringLiteral("W101"), QDate(Year, month, 2), QStringLiteral("P"), 8, 0, 0, project, checked,
                  0);
        clientRow(c, 2, QStringLiteral("W102"), QDate(Year, month, 3), QStringLiteral("P"), 8, 0, 0, project, checked,
                  dispute);
        clientRow(c, 2, QStringLiteral("W102"), QDate(Year, month, 3), QStringLiteral("P"), 2, 0, 0, project, checked,
                  dispute);
        const InvoiceDocument::Document d = readDoc(c);
        QCOMPARE(d.isDraft(), !note.isEmpty());
        const QString file = m_dir.filePath(QStringLiteral("draft.pdf"));
        InvoicePages::savePdf(d, file, US);
        const QString text = pdfPages(file).join(QString());
        QCOMPARE(text.contains(QStringLiteral("DRAFT")), !note.isEmpty());
        if (!note.isEmpty())
            QVERIFY2(text.contains(note), qPrintable(text.left(2000)));
    }

    // More lines take more pages; every page repeats the header and the column titles, and no
    // worker's line is cut by a page break, a long name wrapped on several text lines included.
    void pagesGrowWithLinesAndNoLineIsSplit_data()
    {
        QTest::addColumn<QString>("engine");
        for (const QString &e : TestDb::engines())
            QTest::newRow(qPrintable(e)) << e;
    }
    void pagesGrowWithLinesAndNoLineIsSplit()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        seedProject(c);
        QList<Worker> workers;
        const QStringList jobs{QStringLiteral("Mason"), QStringLiteral("Helper"), QStringLiteral("Welder")};
        for (int i = 0; i < 260; ++i) {
            Worker w{QStringLiteral("N%1").arg(1000 + i),
                     QStringLiteral("Worker Number%1").arg(i),
                     jobs[i % 3],
                     100 + i,
                     i % 13,
                     i % 5 * 8,
                     10.5 + i % 7,
                     13.25,
                     16};
            if (i % 9 == 0)
                w.name = QStringLiteral("Longname%1 Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliet "
                                        "Kilo Lima Mike Nov%1")
                             .arg(i);
            workers << w;
            insertLine(c, w, i + 1);
        }
        const QString small = m_dir.filePath(QStringLiteral("small.pdf"));
        const QString large = m_dir.filePath(QStringLiteral("large.pdf"));
        InvoiceDocument::Document d = readDoc(c);
        const int largePages = InvoicePages::savePdf(d, large, US);
        d.lines = d.lines.mid(0, 20);
        const int smallPages = InvoicePages::savePdf(d, small, US);
        QCOMPARE(pdfPages(small).size(), smallPages);
        const QStringList pages = pdfPages(large);
        QCOMPARE(pages.size(), largePages);
        QVERIFY2(largePages > smallPages && largePages >= 5, qPrintable(QString::number(largePages)));

        for (int p = 0; p < pages.size(); ++p) {
            const QString &t = pages[p];
            QVERIFY(t.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())));
            QVERIFY(t.contains(QStringLiteral("Reference: MARINA/2026-03")));
            QVERIFY(t.contains(QStringLiteral("Employee Name")));
        }
        for (const Worker &w : std::as_const(workers)) {
            int seen = 0;
            for (const QString &t : pages) {
                const QStringList l = linesWith(t, w.no + QLatin1Char(' '));
                if (l.isEmpty())
                    continue;
                ++seen;
                QCOMPARE(l.size(), 1);
                const double total = w.wh * w.whRate + w.ot * w.otRate + w.ht * w.htRate;
                QCOMPARE(lastField(l.first()), money(total));
                // Every word of the name is on the same page as the line's figures.
                for (const QString &word : w.name.split(QLatin1Char(' ')))
                    QVERIFY2(t.contains(word), qPrintable(w.no + QLatin1Char(' ') + word));
            }
            QCOMPARE(seen, 1);
        }
        QCOMPARE(lastField(linesWith(pages.last(), QStringLiteral("Grand total (260 lines)")).value(0)),
                 money(storedSum(c)));
    }

    // Hostile texts in every printed field: the document is written, stays short, and the
    // other lines and the totals are intact.
    void hostileTextsInPrintedFields_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // a part that must be readable, empty when none is
        const QHash<QString, QString> shown{
            {QStringLiteral("single quote"), QStringLiteral("O'Brien")},
            {QStringLiteral("double quotes"), QStringLiteral("The \"Best\" Co")},
            {QStringLiteral("SQL that drops Clients"), QStringLiteral("DROP TABLE Clients")},
            {QStringLiteral("LIKE wildcards"), QStringLiteral("50% _off_")},
            {QStringLiteral("10,000 characters"), QStringLiteral("WWWWWWWWWWWW")},
            {QStringLiteral("Arabic with right-to-left marks"), QStringLiteral("\u0627\u0644\u0646\u0648\u0631")},
            {QStringLiteral("emoji"), QStringLiteral("Crew")},
            {QStringLiteral("embedded NUL"), QStringLiteral("AB")},
            {QStringLiteral("blanks around"), QStringLiteral("padded name")},
        };
        for (const QString &e : TestDb::engines())
            for (const HostileText::Case &h : HostileText::cases())
                QTest::newRow(qPrintable(e + QStringLiteral(": ") + QString::fromLatin1(h.name)))
                    << e << h.text << shown.value(QString::fromLatin1(h.name));
    }
    void hostileTextsInPrintedFields()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        const QString project = fit(engine, text, 32);
        TestDb::exec(c,
                     QStringLiteral("Insert Into Assignments (Assignment, isActive, Billable, isProtected) "
                                    "Values (:A, 1, 1, 0)"),
                     {project});
        seedProject(c, fit(engine, text, 50), fit(engine, text, 255), fit(engine, text, 255), fit(engine, text, 50),
                    fit(engine, text, 50), project);
        insertLine(c, {"H1", fit(engine, text, 100), fit(engine, text, 100), 150, 5, 0, 10, 12, 0}, 1, project);
        insertLine(c, {"P2", "Plain Worker", "Mason", 100, 0, 0, 10, 0, 0}, 2, project);

        const InvoiceDocument::Document d = readDoc(c, project);
        QCOMPARE(d.lines.size(), 2);
        const QString file = m_dir.filePath(QStringLiteral("hostile.pdf"));
        const int pages = InvoicePages::savePdf(d, file, US);
        QCOMPARE(pages, 1);
        const QString out = pdfPages(file).join(QString());
        QVERIFY(out.contains(QStringLiteral("Page 1 of 1")));
        const QStringList plain = linesWith(out, QStringLiteral("P2 "));
        QCOMPARE(plain.size(), 1);
        QVERIFY(plain.first().contains(QStringLiteral("Plain Worker")));
        QCOMPARE(lastField(plain.first()), QStringLiteral("1,000.00"));
        QCOMPARE(lastField(linesWith(out, QStringLiteral("Grand total (2 lines)")).value(0)),
                 QStringLiteral("2,560.00"));
        if (!shown.isEmpty())
            QVERIFY2(out.contains(shown), qPrintable(out.left(3000)));
    }

    void documentFileNames_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("file");
        QTest::newRow("a plain name keeps its letters")
            << QStringLiteral("MARINA TOWER") << QStringLiteral("MARINA TOWER-2026-03.pdf");
        QTest::newRow("folder separators and reserved characters become underscores")
            << QStringLiteral("A/B\\C:D*E?F\"G<H>I|J") << QStringLiteral("A_B_C_D_E_F_G_H_I_J-2026-03.pdf");
        QTest::newRow("a leading dot would hide the file")
            << QStringLiteral("..MARINA") << QStringLiteral("MARINA-2026-03.pdf");
        QTest::newRow("a name of blanks gets a name") << QStringLiteral("   ") << QStringLiteral("Invoice-2026-03.pdf");
        QTest::newRow("a control character becomes an underscore")
            << QStringLiteral("AB") + QChar(9) + QStringLiteral("CD") << QStringLiteral("AB_CD-2026-03.pdf");
        QTest::newRow("a long name is cut without splitting a character")
            << QString(99, QLatin1Char('x')) + HostileText::emoji(3)
            << QString(99, QLatin1Char('x')) + QStringLiteral("-2026-03.pdf");
    }
    void documentFileNames()
    {
        QFETCH(QString, project);
        QFETCH(QString, file);
        QCOMPARE(InvoiceDocument::fileNameFor(project, Year, Month), file);
    }

    void aMissingClientIsSaidSo_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("noId");
        for (const QString &e : TestDb::engines()) {
            QTest::newRow(qPrintable(e + QStringLiteral(": client id of no client"))) << e << false;
            QTest::newRow(qPrintable(e + QStringLiteral(": no client id"))) << e << true;
        }
    }
    void aMissingClientIsSaidSo()
    {
        QFETCH(QString, engine);
        QFETCH(bool, noId);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedFive(c);
        TestDb::exec(c, QStringLiteral("Update Assignments Set Client_ID = :C Where Assignment = :A"),
                     {noId ? QVariant(QMetaType::fromType<qlonglong>()) : QVariant(qlonglong(9999)), Project});
        const InvoiceDocument::Document d = readDoc(c);
        QVERIFY(!d.clientRecorded);
        const QString file = m_dir.filePath(QStringLiteral("noclient.pdf"));
        InvoicePages::savePdf(d, file, US);
        const QString text = pdfPages(file).join(QString());
        QVERIFY(text.contains(QStringLiteral("client not recorded")));
        QVERIFY(!text.contains(QStringLiteral("Gulf Builders")));
        QCOMPARE(linesWith(text, QStringLiteral("W101")).size(), 1);
    }

    // A file that cannot be written leaves nothing behind; a saved one replaces the old whole,
    // with no temporary file left beside it.
    void savingIsAllOrNothing()
    {
        TestDb::Fresh db(QStringLiteral("SQLite"));
        Connection &c = db.connection();
        seedFive(c);
        const InvoiceDocument::Document d = readDoc(c);
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
        QFile(blocker).open(QIODevice::WriteOnly);
        const QString bad = blocker + QStringLiteral("/invoice.pdf");
        try {
            InvoicePages::savePdf(d, bad, US);
            QFAIL("saved into a file as if it were a folder");
        } catch (const InvoicePages::SaveError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot save \"")), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(bad));

        const QString good = dir.filePath(QStringLiteral("invoice.pdf"));
        {
            QFile old(good);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older file");
        }
        InvoicePages::savePdf(d, good, US);
        QCOMPARE(linesWith(pdfPages(good).join(QString()), QStringLiteral("W101")).size(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("invoice.pdf"), QStringLiteral("not-a-folder")}));
    }

    void theWindowPreviewsPrintsAndSaves_data() { TESTDB_ENGINE_ROWS(); }
    void theWindowPreviewsPrintsAndSaves()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedFive(c);
        grant(c, User, {QStringLiteral("InvoiceDetails")});
        TDataModule1 &dm = db.dataModule();
        dm.Current_UserID = User;
        dm.openRoles(User);
        const TestClock clock(Today);
        Session session(dm, clock);
        TInvoicesDetForm f(session);
        f.show();
        f.FormActivate();
        f.cb_Project->setCurrentText(Project);

        const QString saved = m_dir.filePath(engine + QStringLiteral("-window.pdf"));
        const QString printed = m_dir.filePath(engine + QStringLiteral("-printed.pdf"));
        int previews = 0;
        Dialogs::setAnswerer([&](QWidget &w) {
            ++previews;
            // What the preview and the printer get: the same pages, painted on a printer.
            if (auto *preview = qobject_cast<QPrintPreviewDialog *>(&w)) {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(printed);
                printer.setPageLayout(InvoicePages::pageLayout());
                emit preview->paintRequested(&printer);
            }
            FileDialog::setNextFileName(saved);
            if (QAction *a = w.findChild<QAction *>(InvoiceDocumentAction::SaveAsPdfName))
                a->trigger();
            return int(QDialog::Rejected);
        });
        f.btn_InvoiceDocument->click();
        QCOMPARE(previews, 1);
        QCOMPARE(FileDialog::lastRequest().fileName, QStringLiteral("MARINA-2026-03.pdf"));
        QVERIFY(m_recording->texts.isEmpty());
        const QStringList pages = pdfPages(saved);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.first().contains(QStringLiteral("Date of issue: 2 April 2026")));
        for (const Worker &w : fiveWorkers())
            QCOMPARE(linesWith(pages.first(), w.no).size(), 1);
        QCOMPARE(pdfPages(printed).size(), pages.size());
        QVERIFY(pdfPages(printed).first().contains(QStringLiteral("Grand total (5 lines)")));

        // A project without lines: the message, no preview.
        f.cb_Project->setCurrentText(Other);
        f.btn_InvoiceDocument->click();
        Dialogs::setAnswerer({});
        QCOMPARE(previews, 1);
        QCOMPARE(m_recording->texts, QStringList({QStringLiteral("There are no invoice lines for TOWER in 03/2026")}));
    }

    void theCommandLine_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("args"); // OUT stands for the output file
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // part of stdout (exit 0) or stderr
        QTest::addColumn<bool>("file");
        const QStringList project{QStringLiteral("invoice"), QStringLiteral("--project"), Project};
        for (const QString &e : TestDb::engines()) {
            auto row = [&](const char *name) {
                return &(QTest::newRow(qPrintable(e + QStringLiteral(": ") + name)) << e);
            };
            *row("the project's document is saved") << project + QStringList{"--cycle", "2026-03", "--out", "OUT"}
                                                    << User << 0 << QStringLiteral("MARINA: 5 lines, 1 pages") << true;
            *row("the active cycle is the default")
                << project + QStringList{"--out", "OUT"} << User << 0 << QStringLiteral("file: ") << true;
            *row("a cycle without lines saves nothing")
                << project + QStringList{"--cycle", "2026-02", "--out", "OUT"} << User << 1
                << QStringLiteral("There are no invoice lines for MARINA in 02/2026") << false;
            *row("an unknown project saves nothing")
                << QStringList{"invoice", "--project", "NOWHERE", "--out", "OUT"} << User << 2
                << QStringLiteral("Project 'NOWHERE' is not an active, billable project") << false;
            *row("an output in a folder that does not exist")
                << project + QStringList{"--out", "/nonexistent-folder/x.pdf"} << User << 2
                << QStringLiteral("Cannot save \"/nonexistent-folder/x.pdf\"") << false;
            *row("an output that is not a PDF") << project + QStringList{"--out", "OUT.txt"} << User << 2
                                                << QStringLiteral("--out must name a .pdf file") << false;
            *row("no output") << project << User << 2 << QStringLiteral("invoice needs --project NAME and --out")
                              << false;
            *row("a malformed cycle") << project + QStringList{"--cycle", "2026-13", "--out", "OUT"} << User << 2
                                      << QStringLiteral("--cycle must be YYYY-MM") << false;
            *row("a user without the role")
                << project + QStringList{"--out", "OUT"} << QStringLiteral("viewer") << 3
                << QStringLiteral("You Do Not Have Authority To run invoice (role InvoiceDetails)") << false;
        }
    }
    void theCommandLine()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, args);
        QFETCH(QString, user);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(bool, file);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedFive(c);
        grant(c, User, {QStringLiteral("InvoiceDetails")});
        grant(c, QStringLiteral("viewer"), {QStringLiteral("Login_Tallimar")});
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("invoice.pdf"));
        for (QString &a : args)
            a.replace(QStringLiteral("OUT"), out);
        QString stdOut, stdErr;
        const int rc = runCli(db.iniPath(), QStringList{QStringLiteral("--user"), user} + args, &stdOut, &stdErr);
        QVERIFY2(rc == exitCode, qPrintable(QStringLiteral("%1\n%2\n%3").arg(rc).arg(stdOut, stdErr)));
        // An error is the first thing on the error output: no start-up notice before it.
        QVERIFY2(rc == 0 ? stdOut.contains(message) : stdErr.startsWith(message), qPrintable(stdOut + stdErr));
        QCOMPARE(QFile::exists(out), file);
        if (file)
            QCOMPARE(linesWith(pdfPages(out).join(QString()), QStringLiteral("W202")).size(), 1);
        else
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // month-end --invoices: the workers moved and checked, then one document per project with
    // lines beside the workbook; a project without lines gets none.
    void monthEndWritesTheDocuments_data() { TESTDB_ENGINE_ROWS(); }
    void monthEndWritesTheDocuments()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        Connection &c = db.connection();
        seedBase(c);
        seedProject(c);
        grant(c, User, {QStringLiteral("ClientAttChecker")});
        qint64 id = 0;
        for (int w = 1; w <= 3; ++w) {
            worker(c, w, QStringLiteral("E%1").arg(w));
            for (int d = 1; d <= 4; ++d)
                ownRow(c, ++id, w, QStringLiteral("E%1").arg(w), day(d), QStringLiteral("P"), 8, w);
        }
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("invoices"));
        QString stdOut, stdErr;
        const int rc = runCli(db.iniPath(),
                              {QStringLiteral("--user"), User, QStringLiteral("month-end"), QStringLiteral("--out"),
                               dir.filePath(QStringLiteral("recon.xlsx")), QStringLiteral("--invoices"), folder},
                              &stdOut, &stdErr);
        QVERIFY2(rc == 0, qPrintable(stdOut + stdErr));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({QStringLiteral("MARINA-2026-03.pdf")}));
        QVERIFY2(stdOut.contains(QStringLiteral("There are no invoice lines for TOWER in 03/2026: no document")),
                 qPrintable(stdOut));
        const QString text = pdfPages(QDir(folder).filePath(QStringLiteral("MARINA-2026-03.pdf"))).join(QString());
        for (int w = 1; w <= 3; ++w)
            QCOMPARE(linesWith(text, QStringLiteral("E%1 ").arg(w)).size(), 1);
        QVERIFY(!text.contains(QStringLiteral("DRAFT")));
        QCOMPARE(lastField(linesWith(text, QStringLiteral("Grand total (3 lines)")).value(0)),
                 money(storedSum(c), QLocale()));

        // An output folder that cannot be made: refused before any work.
        const QString blocker = dir.filePath(QStringLiteral("file"));
        QFile(blocker).open(QIODevice::WriteOnly);
        const int bad = runCli(db.iniPath(),
                               {QStringLiteral("--user"), User, QStringLiteral("month-end"), QStringLiteral("--out"),
                                dir.filePath(QStringLiteral("recon2.xlsx")), QStringLiteral("--invoices"),
                                blocker + QStringLiteral("/sub")},
                               &stdOut, &stdErr);
        QCOMPARE(bad, 2);
        QVERIFY2(stdErr.startsWith(QStringLiteral("Cannot save")), qPrintable(stdErr));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("recon2.xlsx"))));
    }
};

QTEST_MAIN(TestInvoiceDocument)
#include "test_invoice_document.moc"
