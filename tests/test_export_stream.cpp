// Export of rows read from the database as they come: the same sheet as from the loaded list, in
// both formats and on every engine, and a database failure midway that leaves the old file.

#include "ExportError.h"
#include "OpenpyxlReader.h"
#include "QueryCursor.h"
#include "RowSource.h"
#include "SheetExporter.h"
#include "TestDb.h"
#include "XlrdReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QLocale UsEnglish(QLocale::English, QLocale::UnitedStates);
using Format = TSheetExporter::Format;

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Workers with text, numbers, dates and expressions whose kind only their values tell.
void fill(Connection &c, int rows)
{
    c.execDirect(QStringLiteral("CREATE TABLE W (Employee_No VARCHAR(10), Employee_Name VARCHAR(60), "
                                "Hours INTEGER, Rate DOUBLE PRECISION, Col_Date VARCHAR(30), Note VARCHAR(20))"));
    c.beginTrans();
    for (int i = 1; i <= rows; ++i)
        TestDb::exec(c, QStringLiteral("INSERT INTO W VALUES (:no, :name, :hours, :rate, :day, :note)"),
                     {QStringLiteral("E%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("عامل %1 Worker").arg(i),
                      i % 5 == 0 ? QVariant() : QVariant(i * 8), i * 1.25,
                      QDateTime(QDate(2024, 3, 1 + i % 28), QTime(0, 0)), i % 3 ? QVariant() : QVariant("x")});
    c.commitTrans();
}

const QString ListSql =
    QStringLiteral("SELECT Employee_No, Employee_Name, Hours, Rate, Col_Date, Hours * 2 AS Twice, Rate * 2 AS Doubled, "
                   "Note AS Late FROM W WHERE Employee_No >= :First ORDER BY Employee_No");

void prepare(Query &q)
{
    q.setName(QStringLiteral("WorkersQ"));
    q.setSql(ListSql);
    FieldDef no;
    no.name = QStringLiteral("Employee_No");
    no.displayLabel = QStringLiteral("Employee No.");
    q.defineField(no);
    FieldDef rate;
    rate.name = QStringLiteral("Rate");
    rate.kind = FieldKind::Float;
    rate.displayFormat = QStringLiteral("#,##0.00");
    q.defineField(rate);
    q.setFieldVisible(QStringLiteral("Employee_Name"), false);
    q.setParam(QStringLiteral("First"), QStringLiteral("E0002"));
}

// The cells of a written file as text, whichever the format, with their number formats.
QStringList cellsOf(const QString &file, Format format)
{
    QStringList out;
    if (format == Format::Xlsx) {
        const QJsonObject s = OpenpyxlDump::sheet(OpenpyxlDump::read(file));
        out << s.value("name").toString();
        for (int r = 0; r < s.value("nrows").toInt(); ++r)
            for (int c = 0; c < s.value("ncols").toInt(); ++c)
                out << QString::fromUtf8(QJsonDocument(OpenpyxlDump::cell(s, r, c)).toJson(QJsonDocument::Compact));
    } else {
        const QJsonObject book = XlrdDump::read(file);
        const QJsonObject s = XlrdDump::sheet(book);
        out << s.value("name").toString();
        for (int r = 0; r < s.value("nrows").toInt(); ++r)
            for (int c = 0; c < s.value("ncols").toInt(); ++c)
                out << QString::fromUtf8(QJsonDocument(XlrdDump::cell(s, r, c)).toJson(QJsonDocument::Compact)) +
                           XlrdDump::format(book, s, r, c).value("format").toString();
    }
    return out;
}

void engineAndFormatRows()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("format");
    for (const QString &e : TestDb::engines()) {
        QTest::newRow(qPrintable(e + QStringLiteral(" .xls"))) << e << int(Format::Xls);
        QTest::newRow(qPrintable(e + QStringLiteral(" .xlsx"))) << e << int(Format::Xlsx);
    }
}
} // namespace

class TestExportStream : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void theSameSheetAsFromTheLoadedList_data() { engineAndFormatRows(); }
    void theSameSheetAsFromTheLoadedList()
    {
        QFETCH(QString, engine);
        QFETCH(int, format);
        const QString suffix = TSheetExporter::suffix(Format(format));
        TestDb::Fresh db(engine);
        fill(db.connection(), 300);

        Query loaded(db.connection());
        prepare(loaded);
        loaded.open();
        QCOMPARE(loaded.recordCount(), 299);
        TSheetExporter fromList(UsEnglish);
        fromList.setFormat(Format(format));
        fromList.setDataSet(&loaded);
        const QString listFile = path(QStringLiteral("list.") + suffix);
        QCOMPARE(fromList.SaveAs(listFile), 299);

        Query statement(db.connection());
        prepare(statement);
        QueryCursor cursor(statement);
        CursorRowSource rows(cursor);
        TSheetExporter streamed(UsEnglish);
        streamed.setFormat(Format(format));
        streamed.setRowSource(&rows);
        const QString streamFile = path(QStringLiteral("stream.") + suffix);
        QCOMPARE(streamed.SaveAs(streamFile), 299);
        QVERIFY(!statement.isActive()); // the rows were never held

        const QStringList expected = cellsOf(listFile, Format(format));
        QCOMPARE(expected.size(), 1 + 300 * 7);
        QCOMPARE(expected.first(), QStringLiteral("WorkersQ"));
        QCOMPARE(cellsOf(streamFile, Format(format)), expected);
    }

    void theCursorSettlesKindsAsTheLoadedListDoes_data() { TESTDB_ENGINE_ROWS(); }
    void theCursorSettlesKindsAsTheLoadedListDoes()
    {
        QFETCH(QString, engine);
        TestDb::Fresh db(engine);
        fill(db.connection(), 12);
        Query loaded(db.connection());
        prepare(loaded);
        loaded.open();
        Query statement(db.connection());
        prepare(statement);
        QueryCursor cursor(statement);
        cursor.exec();
        QCOMPARE(cursor.fields().size(), loaded.fields().size());
        for (int c = 0; c < loaded.fields().size(); ++c) {
            QCOMPARE(cursor.fields().at(c).name, loaded.field(c).name);
            QCOMPARE(int(cursor.fields().at(c).kind), int(loaded.field(c).kind));
            QCOMPARE(cursor.fields().at(c).visible, loaded.field(c).visible);
        }
        int n = 0;
        while (cursor.next()) {
            for (int c = 0; c < loaded.fields().size(); ++c)
                QCOMPARE(cursor.value(c), loaded.valueAt(n, c));
            ++n;
        }
        QCOMPARE(n, loaded.recordCount());
    }

    void aDatabaseFailureMidwayLeavesTheOldFile_data() { engineAndFormatRows(); }
    void aDatabaseFailureMidwayLeavesTheOldFile()
    {
        QFETCH(QString, engine);
        QFETCH(int, format);
        TestDb::Fresh db(engine);
        const QString file = path(QStringLiteral("kept.") + TSheetExporter::suffix(Format(format)));
        const QByteArray old("the previous export");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        const QStringList before = filesIn(m_dir.path());
        // The statement fails at row 3000, after the first rows have been handed over.
        const QString failing = engine == QLatin1String("SQLite")
                                    ? QStringLiteral("abs(-9223372036854775807 - (N / 3000))")
                                    : QStringLiteral("1 / (N - 3000)");
        Query q(db.connection(),
                QStringLiteral("WITH RECURSIVE c(N) AS (SELECT 1 UNION ALL SELECT N + 1 FROM c WHERE N < 5000) "
                               "SELECT N, %1 AS Bad FROM c")
                    .arg(failing));
        QueryCursor cursor(q);
        CursorRowSource rows(cursor);
        TSheetExporter exporter(UsEnglish);
        exporter.setFormat(Format(format));
        exporter.setRowSource(&rows);
        try {
            exporter.SaveAs(file);
            QFAIL("saved");
        } catch (const ExportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot save \"%1\": ").arg(QDir::toNativeSeparators(file))),
                     qPrintable(e.message()));
        }
        QCOMPARE(readAll(file), old);
        QCOMPARE(filesIn(m_dir.path()), before);
        // The connection is usable afterwards.
        db.connection().execDirect(QStringLiteral("CREATE TABLE After (A INTEGER)"));
    }
};

QTEST_GUILESS_MAIN(TestExportStream)
#include "test_export_stream.moc"
