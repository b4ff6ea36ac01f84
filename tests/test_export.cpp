// The .xls writer, read back with python3-xlrd.

#include "ExportError.h"
#include "SheetExporter.h"
#include "TestDb.h"
#include "XlrdReader.h"
#include "XlsFormats.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace XlrdDump;

namespace {
const QLocale UsEnglish(QLocale::English, QLocale::UnitedStates);

FieldDef def(const QString &name, FieldKind kind, const QString &label = {}, const QString &format = {},
             bool visible = true)
{
    FieldDef f;
    f.name = name;
    f.kind = kind;
    f.displayLabel = label;
    f.displayFormat = format;
    f.visible = visible;
    return f;
}

double serial(const QDateTime &dt)
{
    return QDate(1899, 12, 30).daysTo(dt.date()) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A table of the test database and a query over it with the given field definitions.
class Table
{
public:
    Table() : m_db(QStringLiteral("SQLite")) {}

    Query &make(const QString &columns, const QList<QVariantList> &rows, const QList<FieldDef> &defs = {},
                const QString &select = QStringLiteral("SELECT * FROM T ORDER BY rowid"))
    {
        TestDb::exec(m_db.connection(), QStringLiteral("CREATE TABLE T (%1)").arg(columns));
        if (!rows.isEmpty()) {
            QStringList marks;
            for (int i = 0; i < rows.first().size(); ++i)
                marks << QStringLiteral(":p%1").arg(i);
            const QString insert = QStringLiteral("INSERT INTO T VALUES (%1)").arg(marks.join(QLatin1Char(',')));
            m_db.connection().beginTrans();
            for (const QVariantList &r : rows)
                TestDb::exec(m_db.connection(), insert, r);
            m_db.connection().commitTrans();
        }
        m_query = std::make_unique<Query>(m_db.connection(), select);
        for (const FieldDef &d : defs)
            m_query->defineField(d);
        m_query->open();
        return *m_query;
    }

    Connection &connection() { return m_db.connection(); }

private:
    TestDb::Fresh m_db;
    std::unique_ptr<Query> m_query;
};

// Rows 1..n of one integer column, straight from the database.
Query &counting(Table &t, int n)
{
    return t.make(QStringLiteral("N INTEGER"), {}, {},
                  QStringLiteral("WITH RECURSIVE c(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM c WHERE N < %1) "
                                 "SELECT N FROM c")
                      .arg(n));
}

QStringList titles(const QJsonObject &sheet)
{
    QStringList out;
    for (int c = 0; c < sheet.value(QStringLiteral("ncols")).toInt(); ++c)
        out << value(sheet, 0, c).toString();
    return out;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyKindOfFieldAsTheSheetShowsIt()
    {
        Table t;
        Query &q = t.make(
            QStringLiteral("Name TEXT, Secret TEXT, Notes TEXT, Qty INTEGER, BigId BIGINT, Active INTEGER, Rate REAL, "
                           "Amount REAL, Day TEXT, At TEXT, Stamp TEXT, Photo BLOB"),
            {{QStringLiteral("Ahmed"), QStringLiteral("x"), QStringLiteral("a memo"), 42, Q_INT64_C(9007199254740993),
              1, 1234.5, 99.75, QStringLiteral("2024-03-05"), QStringLiteral("1899-12-30 10:30:00"),
              QStringLiteral("2024-03-05 13:45:00"), QByteArray("\x01\x02")},
             {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 0, QVariant(), -3.5, QVariant(), QVariant(),
              QVariant(), QVariant()}},
            {def(QStringLiteral("Name"), FieldKind::Text, QStringLiteral("Employee Name")),
             def(QStringLiteral("Secret"), FieldKind::Text, QStringLiteral("Secret"), {}, false),
             def(QStringLiteral("Notes"), FieldKind::Memo, QStringLiteral("Notes")),
             def(QStringLiteral("Qty"), FieldKind::Integer),
             def(QStringLiteral("BigId"), FieldKind::LargeInt, QStringLiteral("Big Id")),
             def(QStringLiteral("Active"), FieldKind::Boolean, QStringLiteral("Active")),
             def(QStringLiteral("Rate"), FieldKind::Float, QStringLiteral("Rate"), QStringLiteral("#,##0.00")),
             def(QStringLiteral("Amount"), FieldKind::Currency, QStringLiteral("Amount")),
             def(QStringLiteral("Day"), FieldKind::Date, QStringLiteral("Day")),
             def(QStringLiteral("At"), FieldKind::Time, QStringLiteral("At")),
             def(QStringLiteral("Stamp"), FieldKind::DateTime, QStringLiteral("Stamp")),
             def(QStringLiteral("Photo"), FieldKind::Bytes, QStringLiteral("Photo"))});

        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        exporter.setSheetName(QStringLiteral("InvoiceQ"));
        const QString file = path(QStringLiteral("kinds.xls"));
        exporter.SaveAs(file);

        const QJsonObject book = read(file);
        const QJsonObject s = sheet(book);
        QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
        QCOMPARE(s.value("nrows").toInt(), 3);
        // The hidden field and the picture take no column; the others close up.
        QCOMPARE(titles(s), QStringList({"Employee Name", "Notes", "Qty", "Big Id", "Active", "Rate", "Amount", "Day",
                                         "At", "Stamp"}));

        struct Expect
        {
            int type;
            QJsonValue value;
            QString format;
        };
        const QDateTime day(QDate(2024, 3, 5), QTime(0, 0));
        const QList<Expect> row1{
            {1, QStringLiteral("Ahmed"), QStringLiteral("@")},
            {1, QStringLiteral("a memo"), QStringLiteral("General")},
            {2, 42.0, QStringLiteral("General")},
            {1, QStringLiteral("9007199254740993"), QStringLiteral("General")}, // 64-bit: as text, digits intact
            {1, QStringLiteral("True"), QStringLiteral("General")},
            {2, 1234.5, QStringLiteral("#,##0.00")},
            {2, 99.75, QStringLiteral("\"$\"#,##0.00")},
            {3, serial(day), QStringLiteral("m/d/yy")},
            {3, 0.4375, QStringLiteral("h:mm AM/PM")},
            {3, serial(QDateTime(QDate(2024, 3, 5), QTime(13, 45))), QStringLiteral("m/d/yy h:mm AM/PM")},
        };
        for (int c = 0; c < row1.size(); ++c) {
            const QString where = QStringLiteral("column %1").arg(c);
            QVERIFY2(type(s, 1, c) == row1[c].type, qPrintable(where));
            if (row1[c].value.isDouble())
                QVERIFY2(qFuzzyCompare(value(s, 1, c).toDouble(), row1[c].value.toDouble()), qPrintable(where));
            else
                QVERIFY2(value(s, 1, c) == row1[c].value, qPrintable(where));
            QVERIFY2(format(book, s, 1, c).value("format").toString() == row1[c].format, qPrintable(where));
            // Nulls are empty cells that keep the column's format.
            if (c != 4 && c != 6) {
                QVERIFY2(type(s, 2, c) == 6, qPrintable(where));
                QVERIFY2(format(book, s, 2, c).value("format").toString() == row1[c].format, qPrintable(where));
            }
        }
        QCOMPARE(value(s, 2, 4).toString(), QStringLiteral("False"));
        QCOMPARE(value(s, 2, 6).toDouble(), -3.5);

        // Titles bold, data regular, all Tahoma in black, centred vertically, not wrapped.
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < row1.size(); ++c) {
                const QJsonObject f = format(book, s, r, c);
                QCOMPARE(f.value("font").toString(), QStringLiteral("Tahoma"));
                QCOMPARE(f.value("bold").toBool(), r == 0);
                QCOMPARE(f.value("colour").toInt(), 8);
                QCOMPARE(f.value("height").toInt(), 200);
                QCOMPARE(f.value("halign").toInt(), 0);
                QCOMPARE(f.value("valign").toInt(), 1);
                QCOMPARE(f.value("wrap").toInt(), 0);
                QCOMPARE(f.value("rotation").toInt(), 0);
            }
        QCOMPARE(format(book, s, 0, 2).value("format").toString(), QStringLiteral("General"));
    }

    void columnsAreFittedToTheirContents()
    {
        Table t;
        const QString longText(60, QLatin1Char('W'));
        Query &q =
            t.make(QStringLiteral("A TEXT, B TEXT, C REAL"),
                   {{QStringLiteral("x"), longText, 1234567.25}, {QStringLiteral("yy"), QStringLiteral("z"), 1.5}},
                   {def(QStringLiteral("A"), FieldKind::Text, QStringLiteral("A rather long title")),
                    def(QStringLiteral("C"), FieldKind::Float, {}, QStringLiteral("#,##0.00"))});
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = path(QStringLiteral("widths.xls"));
        exporter.SaveAs(file);
        const QJsonArray w = sheet(read(file)).value("widths").toArray();
        QCOMPARE(w.size(), 3);
        QVERIFY(w.at(0).toInt() >= 19 * 256); // the title is the widest
        QVERIFY(w.at(0).toInt() < 30 * 256);
        QVERIFY(w.at(1).toInt() >= 60 * 256); // the long text
        QVERIFY(w.at(2).toInt() >= 12 * 256); // "1,234,567.25"
        QVERIFY(w.at(2).toInt() < w.at(1).toInt());
    }

    void titleRowAndRecords_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("an empty dataset gives the title row only") << 0;
        QTest::newRow("one record gives rows 1 and 2") << 1;
        QTest::newRow("records across blocks of rows") << 70;
    }
    void titleRowAndRecords()
    {
        QFETCH(int, records);
        Table t;
        QList<QVariantList> rows;
        for (int i = 0; i < records; ++i)
            rows << QVariantList{QStringLiteral("name %1").arg(i), i * 10};
        Query &q = t.make(QStringLiteral("Name TEXT, Qty INTEGER"), rows,
                          {def(QStringLiteral("Name"), FieldKind::Text, QStringLiteral("Employee Name")),
                           def(QStringLiteral("Qty"), FieldKind::Integer, QStringLiteral("Quantity"))});
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        exporter.setSheetName(QStringLiteral("NotCheckedQ"));
        const QString file = path(QStringLiteral("records.xls"));
        exporter.SaveAs(file);
        const QJsonObject book = read(file);
        const QJsonObject s = sheet(book);
        QCOMPARE(s.value("nrows").toInt(), records + 1);
        QCOMPARE(titles(s), QStringList({"Employee Name", "Quantity"}));
        for (int r = 0; r <= records; ++r) {
            QCOMPARE(format(book, s, r, 0).value("font").toString(), QStringLiteral("Tahoma"));
            QCOMPARE(format(book, s, r, 1).value("font").toString(), QStringLiteral("Tahoma"));
            QCOMPARE(format(book, s, r, 0).value("bold").toBool(), r == 0);
            if (r > 0) {
                QCOMPARE(value(s, r, 0).toString(), QStringLiteral("name %1").arg(r - 1));
                QCOMPARE(value(s, r, 1).toDouble(), (r - 1) * 10.0);
            }
        }
    }

    void dateZeroOrNullIsAnEmptyCell_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("kind");
        QTest::newRow("null date") << QVariant() << int(FieldKind::Date);
        QTest::newRow("date 0 (30 Dec 1899)")
            << QVariant(QStringLiteral("1899-12-30 00:00:00")) << int(FieldKind::Date);
        QTest::newRow("date-time 0") << QVariant(QStringLiteral("1899-12-30 00:00:00")) << int(FieldKind::DateTime);
        QTest::newRow("null date-time") << QVariant() << int(FieldKind::DateTime);
    }
    void dateZeroOrNullIsAnEmptyCell()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, kind);
        Table t;
        Query &q = t.make(QStringLiteral("D TEXT, N INTEGER"), {{stored, 1}, {QStringLiteral("2001-01-01"), 2}},
                          {def(QStringLiteral("D"), FieldKind(kind))});
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = path(QStringLiteral("dates.xls"));
        exporter.SaveAs(file);
        const QJsonObject book = read(file);
        const QJsonObject s = sheet(book);
        QCOMPARE(type(s, 1, 0), 6);
        QVERIFY(format(book, s, 1, 0).value("format").toString().startsWith(QLatin1String("m/d/yy")));
        QCOMPARE(type(s, 2, 0), 3);
        QCOMPARE(value(s, 2, 0).toDouble(), serial(QDateTime(QDate(2001, 1, 1), QTime(0, 0))));
    }

    void textSurvivesWholeOrCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString arabic = QStringLiteral("محمد عبد الله الشمري");
        QTest::newRow("Arabic name") << arabic << arabic;
        QTest::newRow("mixed scripts") << QStringLiteral("Ali علي 42 é") << QStringLiteral("Ali علي 42 é");
        QTest::newRow("Latin-1 accents") << QStringLiteral("Zoë Müller") << QStringLiteral("Zoë Müller");
        // The cell's limit written out, so that a wrong limit in the writer shows.
        const QString full(32767, QLatin1Char('a'));
        QTest::newRow("32,767 characters stay whole") << full << full;
        QTest::newRow("32,768 characters end in ...")
            << full + QLatin1Char('b') << QString(32764, QLatin1Char('a')) + QStringLiteral("...");
        const QString arabicLong = QString(40000, QChar(0x0645));
        QTest::newRow("a long Arabic text is cut too")
            << arabicLong << QString(32764, QChar(0x0645)) + QStringLiteral("...");
        // A character outside the BMP that straddles the cut goes whole, not half of it.
        const QString emoji = QString(QChar(0xD83D)) + QChar(0xDE00);
        QTest::newRow("the cut keeps a surrogate pair whole")
            << QString(32763, QLatin1Char('a')) + emoji + QStringLiteral(" and more")
            << QString(32763, QLatin1Char('a')) + QStringLiteral("...");
    }
    void textSurvivesWholeOrCut()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        Table t;
        // Other long strings around it, so that strings are split over several records.
        const QString filler(9000, QChar(0x0628));
        Query &q =
            t.make(QStringLiteral("Before TEXT, T TEXT, After TEXT"),
                   {{filler, text, QStringLiteral("after")}, {QStringLiteral("x"), text, filler + QLatin1Char('z')}},
                   {def(QStringLiteral("T"), FieldKind::Memo)});
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = path(QStringLiteral("text.xls"));
        exporter.SaveAs(file);
        const QJsonObject s = sheet(read(file));
        QCOMPARE(value(s, 1, 0).toString(), filler);
        QCOMPARE(value(s, 1, 1).toString(), expected);
        QCOMPARE(value(s, 1, 2).toString(), QStringLiteral("after"));
        QCOMPARE(value(s, 2, 1).toString(), expected);
        QCOMPARE(value(s, 2, 2).toString(), filler + QLatin1Char('z'));
    }

    void manyDistinctAndRepeatedValuesRoundTrip()
    {
        Table t;
        QList<QVariantList> rows;
        for (int i = 0; i < 3000; ++i)
            rows << QVariantList{QStringLiteral("Employee %1 موظف").arg(i), QString(QLatin1Char("PAH"[i % 3])),
                                 i * 1.25, i % 7 == 0 ? QVariant() : QVariant(i - 1500), double(1 << 30) + i};
        Query &q = t.make(QStringLiteral("Name TEXT, Code TEXT, Amount REAL, Delta INTEGER, Big REAL"), rows,
                          {def(QStringLiteral("Delta"), FieldKind::Integer)});
        QBuffer buffer; // the writer needs no file
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        int calls = 0;
        exporter.setProgress([&calls](qint64) { ++calls; });
        exporter.ExportDataset(buffer);
        QVERIFY(calls > 0);
        const QString file = path(QStringLiteral("many.xls"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(buffer.data());
        }
        const QJsonObject s = sheet(read(file));
        QCOMPARE(s.value("nrows").toInt(), 3001);
        for (int i = 0; i < 3000; ++i) {
            const int r = i + 1;
            QCOMPARE(value(s, r, 0).toString(), QStringLiteral("Employee %1 موظف").arg(i));
            QCOMPARE(value(s, r, 1).toString(), QString(QLatin1Char("PAH"[i % 3])));
            QCOMPARE(value(s, r, 2).toDouble(), i * 1.25);
            if (i % 7 == 0)
                QCOMPARE(type(s, r, 3), 6);
            else
                QCOMPARE(value(s, r, 3).toDouble(), double(i - 1500));
            QCOMPARE(value(s, r, 4).toDouble(), double(1 << 30) + i);
        }
    }

    void rowAndColumnLimits_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("65,535 records fill the sheet") << 65535 << 1 << QString();
        QTest::newRow("one record more is refused")
            << 65536 << 1 << "The maximum number of rows (65535) has been reached";
        QTest::newRow("256 columns fill the sheet") << 2 << 256 << QString();
        QTest::newRow("one column more is refused")
            << 2 << 257 << "The maximum number of columns (256) has been reached";
    }
    void rowAndColumnLimits()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(QString, refusal);
        Table t;
        QStringList cols{QStringLiteral("N")};
        for (int c = 2; c <= columns; ++c)
            cols << QStringLiteral("N + %1 AS C%1").arg(c);
        Query &q = t.make(QStringLiteral("N INTEGER"), {}, {},
                          QStringLiteral("WITH RECURSIVE c(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM c WHERE N < %1) "
                                         "SELECT %2 FROM c")
                              .arg(rows)
                              .arg(cols.join(QStringLiteral(", "))));
        QCOMPARE(q.recordCount(), rows);
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = path(QStringLiteral("limits.xls"));
        QFile::remove(file);
        if (!refusal.isEmpty()) {
            try {
                exporter.SaveAs(file);
                QFAIL("not refused");
            } catch (const ExportError &e) {
                QCOMPARE(e.message(), refusal);
            }
            QVERIFY(!QFile::exists(file));
            QCOMPARE(filesIn(m_dir.path()).filter(QStringLiteral("limits")), QStringList());
            return;
        }
        exporter.SaveAs(file);
        const QJsonObject s = sheet(read(file, 3));
        QCOMPARE(s.value("nrows").toInt(), rows + 1);
        QCOMPARE(s.value("ncols").toInt(), columns);
        QCOMPARE(value(s, 2, columns - 1).toDouble(), columns == 1 ? 2.0 : 2.0 + columns);
    }

    void refusalsBeforeWriting()
    {
        TSheetExporter exporter;
        try {
            exporter.check();
            QFAIL("no refusal");
        } catch (const ExportError &e) {
            QCOMPARE(e.message(), QStringLiteral("No dataset is connected"));
        }
        Table t;
        Query &q = counting(t, 3);
        q.close();
        exporter.setDataSet(&q);
        const QString file = path(QStringLiteral("closed.xls"));
        try {
            exporter.SaveAs(file);
            QFAIL("no refusal");
        } catch (const ExportError &e) {
            QCOMPARE(e.message(), QStringLiteral("Dataset is not active"));
        }
        QVERIFY(!QFile::exists(file));
    }

    void anExistingFileIsReplaced()
    {
        const QString file = path(QStringLiteral("replace.xls"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(100000, 'x'));
        }
        Table t;
        Query &q = counting(t, 5);
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        exporter.SaveAs(file);
        QCOMPARE(sheet(read(file)).value("nrows").toInt(), 6);
        QCOMPARE(filesIn(m_dir.path()).filter(QStringLiteral("replace")), QStringList{QStringLiteral("replace.xls")});
    }

    void aFailureLeavesTheOldFileIntact_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("interrupted while writing") << "interrupt";
        QTest::newRow("the disk fills up") << "full";
    }
    void aFailureLeavesTheOldFileIntact()
    {
        QFETCH(QString, how);
        const QString file = path(QStringLiteral("keep.xls"));
        const QByteArray old("the previous export");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        Table t;
        Query &q = counting(t, 20000);
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        int calls = 0;
        if (how == QLatin1String("interrupt")) // well into the writing of the cells
            exporter.setProgress([&calls](qint64) {
                if (++calls == 60)
                    throw std::runtime_error("stopped");
            });

        // A full disk, as the system reports it: writes beyond a size fail.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (how == QLatin1String("full")) {
            rlimit small = saved;
            small.rlim_cur = 64 * 1024;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        QString message;
        bool thrown = false;
        try {
            exporter.SaveAs(file);
        } catch (const ExportError &e) {
            thrown = true;
            message = e.message();
        } catch (const std::runtime_error &) {
            thrown = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(thrown);
        if (how == QLatin1String("full"))
            QVERIFY2(message.startsWith(QStringLiteral("Cannot save \"%1\": ").arg(QDir::toNativeSeparators(file))),
                     qPrintable(message));
        QCOMPARE(readAll(file), old);
        QCOMPARE(filesIn(m_dir.path()).filter(QStringLiteral("keep")), QStringList{QStringLiteral("keep.xls")});
    }

    void namesTheSystemRefuse_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder that does not exist") << "no such folder/list.xls";
        QTest::newRow("a name longer than the system allows") << QString(300, QLatin1Char('n')) + ".xls";
        QTest::newRow("a file where a folder should be") << "plain.txt/list.xls";
    }
    void namesTheSystemRefuse()
    {
        QFETCH(QString, name);
        {
            QFile f(path(QStringLiteral("plain.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QStringList before = filesIn(m_dir.path());
        Table t;
        Query &q = counting(t, 3);
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        const QString file = path(name);
        try {
            exporter.SaveAs(file);
            QFAIL("saved");
        } catch (const ExportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot save \"%1\": ").arg(QDir::toNativeSeparators(file))),
                     qPrintable(e.message()));
            QVERIFY(e.message().size() > file.size() + 16); // the system's reason follows
        }
        QCOMPARE(filesIn(m_dir.path()), before);
    }

    void sheetNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("a query's name") << "AssignmentQ"
                                        << "AssignmentQ";
        QTest::newRow("characters the format refuses") << "a/b\\c?d*e[f]g:h"
                                                       << "a_b_c_d_e_f_g_h";
        QTest::newRow("longer than 31 characters") << QString(40, QLatin1Char('q')) << QString(31, QLatin1Char('q'));
        QTest::newRow("apostrophes around it") << "'quoted'"
                                               << "quoted";
        QTest::newRow("no name") << ""
                                 << "Sheet1";
        QTest::newRow("Arabic") << "قائمة"
                                << "قائمة";
    }
    void sheetNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, sheet);
        QCOMPARE(TSheetExporter::sheetNameFor(name), sheet);
        Table t;
        Query &q = counting(t, 1);
        TSheetExporter exporter(UsEnglish);
        exporter.setDataSet(&q);
        exporter.setSheetName(name);
        const QString file = path(QStringLiteral("named.xls"));
        exporter.SaveAs(file);
        QCOMPARE(XlrdDump::sheet(read(file)).value("name").toString(), sheet);
    }

    void dateFormatsInTheSheetsCodes_data()
    {
        QTest::addColumn<QString>("qt");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("US short date") << "M/d/yy"
                                       << "m/d/yy";
        QTest::newRow("British date") << "dd/MM/yyyy"
                                      << "dd/mm/yyyy";
        QTest::newRow("dotted date") << "dd.MM.yy"
                                     << "dd\".\"mm\".\"yy";
        QTest::newRow("month names") << "d MMM yyyy"
                                     << "d mmm yyyy";
        QTest::newRow("12-hour time") << "h:mm AP"
                                      << "h:mm AM/PM";
        QTest::newRow("24-hour time with seconds") << "HH:mm:ss"
                                                   << "hh:mm:ss";
        QTest::newRow("milliseconds") << "HH:mm:ss.zzz"
                                      << "hh:mm:ss.000";
        QTest::newRow("quoted text") << "d 'de' MMMM"
                                     << "d \"de\" mmmm";
        QTest::newRow("Arabic locale's marks dropped") << QString::fromUtf8("d\u200F/M\u200F/yyyy") << "d/m/yyyy";
        QTest::newRow("time zone dropped") << "HH:mm t"
                                           << "hh:mm";
    }
    void dateFormatsInTheSheetsCodes()
    {
        QFETCH(QString, qt);
        QFETCH(QString, sheet);
        QCOMPARE(XlsFormats::fromQtDateFormat(qt), sheet);
    }

    void currencyFollowsTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("code");
        QTest::newRow("symbol before") << UsEnglish << "\"$\"#,##0.00";
        QTest::newRow("symbol after with a space") << QLocale(QLocale::German, QLocale::Germany) << "#,##0.00 \"€\"";
        QTest::newRow("no decimals") << QLocale(QLocale::Japanese, QLocale::Japan) << "\"￥\"#,##0";
        QTest::newRow("Saudi riyal") << QLocale(QLocale::Arabic, QLocale::SaudiArabia) << "#,##0.00 \"ر.س.\"";
        QTest::newRow("no symbol") << QLocale::c() << "#,##0.00";
    }
    void currencyFollowsTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, code);
        QCOMPARE(XlsFormats::currency(locale), code);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
