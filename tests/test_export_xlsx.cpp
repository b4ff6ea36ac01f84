// The .xlsx writer, read back with python3-openpyxl: the same sheet as the .xls writer's, the
// format's limits, and failures that must leave the old file alone.

#include "ExportError.h"
#include "OpenpyxlReader.h"
#include "RowSource.h"
#include "SheetExporter.h"
#include "TestDb.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace OpenpyxlDump;

namespace {
const QLocale UsEnglish(QLocale::English, QLocale::UnitedStates);
using Format = TSheetExporter::Format;

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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList titles(const QJsonObject &sheet)
{
    QStringList out;
    for (int c = 0; c < sheet.value(QStringLiteral("ncols")).toInt(); ++c)
        out << value(sheet, 0, c).toString();
    return out;
}

// A list made up on the fly, as a database would hand it over: rows 1..rows of integer columns,
// without a count known in advance and without holding any row.
class CountingSource : public RowSource
{
public:
    CountingSource(qint64 rows, int columns) : m_rows(rows)
    {
        for (int c = 1; c <= columns; ++c)
            m_fields << def(QStringLiteral("C%1").arg(c), FieldKind::Integer);
    }
    QString name() const override { return QStringLiteral("CountQ"); }
    bool isActive() const override { return true; }
    const QList<FieldDef> &fields() const override { return m_fields; }
    void start() override { m_row = 0; }
    bool next() override { return ++m_row <= m_rows; }
    QVariant value(int field) const override { return m_row + field; }
    QString displayText(int field) const override { return QString::number(m_row + field); }

private:
    QList<FieldDef> m_fields;
    qint64 m_rows;
    qint64 m_row = 0;
};

// A loaded list of the test database with the given field definitions.
struct Loaded
{
    Loaded(const QString &columns, const QList<QVariantList> &rows, const QList<FieldDef> &defs)
        : db(QStringLiteral("SQLite")), q(db.connection(), QStringLiteral("SELECT * FROM T ORDER BY rowid"))
    {
        TestDb::exec(db.connection(), QStringLiteral("CREATE TABLE T (%1)").arg(columns));
        for (const QVariantList &r : rows) {
            QStringList marks;
            for (int i = 0; i < r.size(); ++i)
                marks << QStringLiteral(":p%1").arg(i);
            TestDb::exec(db.connection(), QStringLiteral("INSERT INTO T VALUES (%1)").arg(marks.join(',')), r);
        }
        for (const FieldDef &d : defs)
            q.defineField(d);
        q.open();
    }
    TestDb::Fresh db;
    Query q;
};
} // namespace

class TestExportXlsx : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyKindOfFieldAsTheSheetShowsIt()
    {
        Loaded t(QStringLiteral("Name TEXT, Secret TEXT, Notes TEXT, Qty INTEGER, BigId BIGINT, Active INTEGER, "
                                "Rate REAL, Amount REAL, Day TEXT, At TEXT, Stamp TEXT, Photo BLOB"),
                 {{QStringLiteral("Ahmed"), QStringLiteral("x"), QStringLiteral("a memo"), 42,
                   Q_INT64_C(9007199254740993), 1, 1234.5, 99.75, QStringLiteral("2024-03-05"),
                   QStringLiteral("1899-12-30 10:30:00"), QStringLiteral("2024-03-05 13:45:00"), QByteArray("\x01")},
                  {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 0, QVariant(), -3.5, QVariant(),
                   QVariant(), QVariant(), QVariant()}},
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
        exporter.setFormat(Format::Xlsx);
        exporter.setDataSet(&t.q);
        exporter.setSheetName(QStringLiteral("InvoiceQ"));
        const QString file = path(QStringLiteral("kinds.xlsx"));
        QCOMPARE(exporter.SaveAs(file), 2);

        const QJsonObject s = sheet(read(file));
        QCOMPARE(s.value("name").toString(), QStringLiteral("InvoiceQ"));
        QCOMPARE(s.value("nrows").toInt(), 3);
        QCOMPARE(titles(s), QStringList({"Employee Name", "Notes", "Qty", "Big Id", "Active", "Rate", "Amount", "Day",
                                         "At", "Stamp"}));
        struct Expect
        {
            QString type;
            QJsonValue value;
            QString format;
        };
        const QList<Expect> row1{
            {"s", QStringLiteral("Ahmed"), QStringLiteral("@")},
            {"s", QStringLiteral("a memo"), QStringLiteral("General")},
            {"n", 42.0, QStringLiteral("General")},
            {"s", QStringLiteral("9007199254740993"), QStringLiteral("General")},
            {"s", QStringLiteral("True"), QStringLiteral("General")},
            {"n", 1234.5, QStringLiteral("#,##0.00")},
            {"n", 99.75, QStringLiteral("\"$\"#,##0.00")},
            {"d", QStringLiteral("2024-03-05T00:00:00"), QStringLiteral("m/d/yy")},
            {"d", QStringLiteral("10:30:00"), QStringLiteral("h:mm AM/PM")},
            {"d", QStringLiteral("2024-03-05T13:45:00"), QStringLiteral("m/d/yy h:mm AM/PM")},
        };
        for (int c = 0; c < row1.size(); ++c) {
            const QByteArray where = QByteArray("column ") + QByteArray::number(c);
            QVERIFY2(type(s, 1, c) == row1[c].type, where);
            QVERIFY2(value(s, 1, c) == row1[c].value, where + " " + QJsonDocument(cell(s, 1, c)).toJson());
            QVERIFY2(style(s, 1, c).value("format").toString() == row1[c].format,
                     where + " " + style(s, 1, c).value("format").toString().toUtf8());
            // Nulls are empty cells that keep the column's format.
            if (c != 4 && c != 6) {
                QVERIFY2(type(s, 2, c) == QLatin1String("blank"), where);
                QVERIFY2(style(s, 2, c).value("format").toString() == row1[c].format, where);
            }
        }
        QCOMPARE(value(s, 2, 4).toString(), QStringLiteral("False"));
        QCOMPARE(value(s, 2, 6).toDouble(), -3.5);

        // Titles bold, data regular, all Tahoma 10 in black, centred vertically, not wrapped.
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < row1.size(); ++c) {
                const QJsonObject f = style(s, r, c);
                QCOMPARE(f.value("font").toString(), QStringLiteral("Tahoma"));
                QCOMPARE(f.value("bold").toBool(), r == 0);
                QCOMPARE(f.value("size").toDouble(), 10.0);
                QCOMPARE(f.value("colour").toString(), QStringLiteral("FF000000"));
                QVERIFY(f.value("halign").isNull());
                QCOMPARE(f.value("valign").toString(), QStringLiteral("center"));
                QCOMPARE(f.value("wrap").toBool(), false);
            }
        // Widths fitted to the contents: the title, or the longest value.
        const QJsonArray w = s.value("widths").toArray();
        QCOMPARE(w.size(), 10);
        QVERIFY(w.at(0).toDouble() >= 13 && w.at(0).toDouble() < 20); // "Employee Name"
        QVERIFY(w.at(3).toDouble() >= 16 && w.at(3).toDouble() < 22); // the 16 digits
    }

    void titleRowAndRecords_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("an empty list gives the title row only") << 0;
        QTest::newRow("one record gives rows 1 and 2") << 1;
        QTest::newRow("many records") << 700;
    }
    void titleRowAndRecords()
    {
        QFETCH(int, records);
        QList<QVariantList> rows;
        for (int i = 0; i < records; ++i)
            rows << QVariantList{QStringLiteral("name %1").arg(i), i * 10};
        Loaded t(QStringLiteral("Name TEXT, Qty INTEGER"), rows,
                 {def(QStringLiteral("Name"), FieldKind::Text, QStringLiteral("Employee Name")),
                  def(QStringLiteral("Qty"), FieldKind::Integer, QStringLiteral("Quantity"))});
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format::Xlsx);
        exporter.setDataSet(&t.q);
        const QString file = path(QStringLiteral("records.xlsx"));
        exporter.SaveAs(file);
        const QJsonObject s = sheet(read(file));
        QCOMPARE(s.value("nrows").toInt(), records + 1);
        QCOMPARE(titles(s), QStringList({"Employee Name", "Quantity"}));
        for (int r = 1; r <= records; ++r) {
            QCOMPARE(value(s, r, 0).toString(), QStringLiteral("name %1").arg(r - 1));
            QCOMPARE(value(s, r, 1).toDouble(), (r - 1) * 10.0);
            QCOMPARE(style(s, r, 1).value("font").toString(), QStringLiteral("Tahoma"));
        }
    }

    void textSurvivesWholeOrCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString arabic = QStringLiteral("محمد عبد الله الشمري");
        QTest::newRow("Arabic name") << arabic << arabic;
        QTest::newRow("mixed scripts") << QStringLiteral("Ali علي 42 é") << QStringLiteral("Ali علي 42 é");
        const QString full(32767, QLatin1Char('a'));
        QTest::newRow("32,767 characters stay whole") << full << full;
        QTest::newRow("32,768 characters end in ...")
            << full + QLatin1Char('b') << QString(32764, QLatin1Char('a')) + QStringLiteral("...");
        QTest::newRow("a long Arabic text is cut too")
            << QString(40000, QChar(0x0645)) << QString(32764, QChar(0x0645)) + QStringLiteral("...");
        QTest::newRow("markup characters stay text") << "<b>&amp; \"x\" 'y'</b>"
                                                     << "<b>&amp; \"x\" 'y'</b>";
    }
    void textSurvivesWholeOrCut()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        Loaded t(QStringLiteral("T TEXT, After TEXT"), {{text, QStringLiteral("after")}},
                 {def(QStringLiteral("T"), FieldKind::Memo)});
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format::Xlsx);
        exporter.setDataSet(&t.q);
        const QString file = path(QStringLiteral("text.xlsx"));
        exporter.SaveAs(file);
        const QJsonObject s = sheet(read(file));
        QCOMPARE(value(s, 1, 0).toString(), expected);
        QCOMPARE(value(s, 1, 1).toString(), QStringLiteral("after"));
    }

    void rowAndColumnLimits_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("refusal");
        QTest::newRow(".xlsx: 1,048,575 records fill the sheet") << int(Format::Xlsx) << qint64(1048575) << 1 << "";
        QTest::newRow(".xlsx: one record more is refused")
            << int(Format::Xlsx) << qint64(1048576) << 1 << "The maximum number of rows (1048575) has been reached";
        QTest::newRow(".xlsx: 16,384 columns fill the sheet") << int(Format::Xlsx) << qint64(2) << 16384 << "";
        QTest::newRow(".xlsx: one column more is refused")
            << int(Format::Xlsx) << qint64(2) << 16385 << "The maximum number of columns (16384) has been reached";
        QTest::newRow(".xls read as it comes: 65,535 records") << int(Format::Xls) << qint64(65535) << 1 << "";
        QTest::newRow(".xls read as it comes: one record more is refused")
            << int(Format::Xls) << qint64(65536) << 1 << "The maximum number of rows (65535) has been reached";
    }
    void rowAndColumnLimits()
    {
        QFETCH(int, format);
        QFETCH(qint64, rows);
        QFETCH(int, columns);
        QFETCH(QString, refusal);
        const bool xlsx = Format(format) == Format::Xlsx;
        const QString file = path(xlsx ? QStringLiteral("limits.xlsx") : QStringLiteral("limits.xls"));
        const QStringList before = filesIn(m_dir.path());
        CountingSource source(rows, columns);
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format(format));
        exporter.setRowSource(&source);
        if (!refusal.isEmpty()) {
            try {
                exporter.SaveAs(file);
                QFAIL("not refused");
            } catch (const ExportError &e) {
                QCOMPARE(e.message(), refusal);
            }
            QCOMPARE(filesIn(m_dir.path()), before); // nothing written, nothing left behind
            return;
        }
        QCOMPARE(exporter.SaveAs(file), rows);
        if (xlsx) {
            const QJsonObject s = sheet(read(file, 3));
            QCOMPARE(s.value("nrows").toInt(), rows + 1);
            QCOMPARE(s.value("ncols").toInt(), columns);
            QCOMPARE(value(s, 2, columns - 1).toDouble(), 2.0 + columns - 1);
        } else {
            QVERIFY(QFileInfo(file).size() > rows * 10);
        }
        QFile::remove(file);
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
        const QString file = path(QStringLiteral("keep.xlsx"));
        const QByteArray old("the previous export");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        const QStringList before = filesIn(m_dir.path());
        CountingSource source(200000, 4);
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format::Xlsx);
        exporter.setRowSource(&source);
        int calls = 0;
        if (how == QLatin1String("interrupt"))
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
            small.rlim_cur = 256 * 1024;
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
        QCOMPARE(filesIn(m_dir.path()), before);
    }

    void anExistingFileIsReplacedAndKeepsItsPermissions()
    {
        const QString file = path(QStringLiteral("replace.xlsx"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(100000, 'x'));
        }
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                 QFile::ReadGroup | QFile::WriteGroup;
        QVERIFY(QFile::setPermissions(file, permissions));
        CountingSource source(5, 1);
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format::Xlsx);
        exporter.setRowSource(&source);
        exporter.SaveAs(file);
        QCOMPARE(sheet(read(file)).value("nrows").toInt(), 6);
        QCOMPARE(QFile::permissions(file), permissions);
        QCOMPARE(filesIn(m_dir.path()).filter(QStringLiteral("replace")), QStringList{"replace.xlsx"});
    }

    void namesTheSystemRefuse_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder that does not exist") << "no such folder/list.xlsx";
        QTest::newRow("a name longer than the system allows") << QString(300, QLatin1Char('n')) + ".xlsx";
        QTest::newRow("a file where a folder should be") << "plain.txt/list.xlsx";
    }
    void namesTheSystemRefuse()
    {
        QFETCH(QString, name);
        {
            QFile f(path(QStringLiteral("plain.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QStringList before = filesIn(m_dir.path());
        CountingSource source(3, 1);
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format::Xlsx);
        exporter.setRowSource(&source);
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

    void theFormatFollowsTheSuffix_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format"); // -1: none
        QTest::newRow(".xls") << "list.xls" << int(Format::Xls);
        QTest::newRow(".xlsx") << "list.xlsx" << int(Format::Xlsx);
        QTest::newRow("upper case") << "LIST.XLSX" << int(Format::Xlsx);
        QTest::newRow("a dotted folder, no suffix") << "out.d/list" << -1;
        QTest::newRow("another suffix") << "list.csv" << -1;
        QTest::newRow("a suffix that starts like one") << "list.xlsm" << -1;
    }
    void theFormatFollowsTheSuffix()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        const auto f = TSheetExporter::formatOf(name);
        QCOMPARE(f ? int(*f) : -1, format);
    }
};

QTEST_GUILESS_MAIN(TestExportXlsx)
#include "test_export_xlsx.moc"
