// Reading .xlsx, .xls and .csv sheets into plain rows; the sheets are made by independent writers.
#include "CsvReader.h"
#include "SheetMaking.h"
#include "SheetRows.h"
#include "XlsxReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QList<SheetRow> readAll(SheetReader &r, int sheet = 0)
{
    r.selectSheet(sheet);
    QList<SheetRow> rows;
    SheetRow row;
    while (r.readRow(row))
        rows << row;
    return rows;
}

QString errorOf(const QString &path)
{
    try {
        auto r = openSheetFile(path);
        readAll(*r);
    } catch (const SheetError &e) {
        return e.message();
    }
    return {};
}

// Cells as text, row by row: "1001|2026-12-01|P".
QStringList texts(const QList<SheetRow> &rows)
{
    QStringList out;
    for (const SheetRow &r : rows) {
        QStringList cells;
        for (const SheetCell &c : r.cells)
            cells << c.displayText();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
} // namespace

class TestSheets : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void xlsxTypesAsOpenpyxlWritesThem()
    {
        const QString p = path("types.xlsx");
        QVERIFY(SheetMaking::script("types_openpyxl", p));
        auto r = openSheetFile(p);
        QCOMPARE(r->sheetNames(), QStringList({"Client", "Second"}));
        const QList<SheetRow> rows = readAll(*r);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(texts(rows).mid(0, 3),
                 QStringList({"Emp No|Date|Code|Normal", "1001|2026-12-01|P|8", "1002|2026-12-02|A|2.5"}));
        QCOMPARE(rows[1].cells[1].type, SheetCell::Date);
        QCOMPARE(rows[1].cells[3].type, SheetCell::Number);
        QCOMPARE(rows[2].cells[0].type, SheetCell::Number);
        QCOMPARE(rows[3].cells[0].text.size(), 10000);
        QVERIFY2(rows[3].cells[1].formulaWithoutValue, "a formula openpyxl wrote without a cached value");
        QCOMPARE(rows[3].cells[2].type, SheetCell::Boolean);
        QCOMPARE(rows[4].number, 6); // the empty row 5 is skipped, numbers kept
        QVERIFY(rows[4].hidden);
        QVERIFY(!rows[1].hidden);
        const QList<SheetRow> second = readAll(*r, 1);
        QCOMPARE(second.size(), 1);
        QCOMPARE(second[0].number, 3);
        QCOMPARE(second[0].cell(2).text, QStringLiteral("far"));
        readAll(*r, 0); // a sheet can be read again from its start
    }

    void xlsxSheetLongerThanOneReadOfTheZip()
    {
        const QString p = path("many.xlsx");
        QVERIFY(SheetMaking::script("many_rows_openpyxl", p));
        auto r = openSheetFile(p);
        const QList<SheetRow> rows = readAll(*r);
        QCOMPARE(rows.size(), 5001);
        QCOMPARE(texts(rows).last(), QStringLiteral("E04999|16|P"));
    }

    void xlsxMergedCellsCarryTheirValue()
    {
        const QString p = path("merged.xlsx");
        QVERIFY(SheetMaking::script("merged_openpyxl", p));
        auto r = openSheetFile(p);
        const QList<SheetRow> rows = readAll(*r);
        QCOMPARE(texts(rows), QStringList({"Emp No|Day|Code", "1001|1|P", "1001|2|A", "1002|1|1"}));
        QVERIFY(rows[2].cells[0].merged);
        QVERIFY(!rows[1].cells[0].merged);
    }

    void xlsxInlineStringsAnd1904Dates()
    {
        const QString p = path("inline.xlsx");
        QVERIFY(SheetMaking::script("inline_1904", p));
        auto r = openSheetFile(p);
        const QList<SheetRow> rows = readAll(*r);
        QCOMPARE(texts(rows), QStringList({"Emp No|1904-01-01", "||Emp No"}));
        QCOMPARE(rows[1].number, 3);
        QVERIFY(!rows[1].cells[2].formulaWithoutValue);
    }

    void xlsAsXlwtWritesIt()
    {
        const QString p = path("book.xls");
        QVERIFY(SheetMaking::script("book_xlwt", p));
        auto r = openSheetFile(p);
        QCOMPARE(r->sheetNames(), QStringList({"Client", "Other"}));
        const QList<SheetRow> rows = readAll(*r);
        QCOMPARE(texts(rows), QStringList({"Emp No|Date|Code|Normal", "1001|2026-12-01|P|8", "1002|2026-12-31||7.5",
                                           QStringLiteral("||\u0645\u0631\u062d\u0628\u0627")}));
        QCOMPARE(rows[1].cells[1].type, SheetCell::Date);
        QCOMPARE(rows[2].cells[0].type, SheetCell::Number);
        QCOMPARE(rows[3].number, 5);
        QCOMPARE(texts(readAll(*r, 1)), QStringList({"x"}));
    }

    void csvVariants_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("separator");
        const QStringList plain = {"Emp No|Date|Code", "1001|01/12/2026|P"};
        QTest::newRow("comma separated UTF-8") << QByteArray("Emp No,Date,Code\n1001,01/12/2026,P\n") << plain << ",";
        QTest::newRow("a byte-order mark is not part of the first header")
            << QByteArray("\xEF\xBB\xBF"
                          "Emp No;Date;Code\r\n1001;01/12/2026;P\r\n")
            << plain << ";";
        QTest::newRow("tab separated") << QByteArray("Emp No\tDate\tCode\n1001\t01/12/2026\tP") << plain << "\t";
        QByteArray utf16("\xFF\xFE");
        const QString text = QStringLiteral("Emp No;Date;Code\r\n1001;01/12/2026;P\r\n");
        utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        QTest::newRow("UTF-16 with a byte-order mark") << utf16 << plain << ";";
        QTest::newRow("quoted fields keep separators, doubled quotes and line breaks")
            << QByteArray("Emp No,Name,Code\n\"1001\",\"Doe, \"\"JJ\"\"\nSr\",P\n")
            << QStringList({"Emp No|Name|Code", "1001|Doe, \"JJ\"\nSr|P"}) << ",";
        QTest::newRow("blank lines and trailing separators are skipped")
            << QByteArray("Emp No,Date,Code,,\n\n,,\n1001,01/12/2026,P\n") << plain << ",";
        QTest::newRow("NUL bytes stay in the text")
            << QByteArray("A,B\n1\0x,2\n", 10) << QStringList({"A|B", QString::fromUtf8("1\0x|2", 5)}) << ",";
    }
    void csvVariants()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QFETCH(QString, separator);
        const QString p = path("v.csv");
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        auto r = openSheetFile(p);
        QCOMPARE(texts(readAll(*r)), expected);
        QCOMPARE(static_cast<CsvReader &>(*r).separator(), separator.at(0));
    }

    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("python");
        QTest::addColumn<QString>("message");
        QTest::newRow("text named .xlsx is not a spreadsheet")
            << "text.xlsx"
            << "open(OUT, 'w').write('hello')"
            << "The file is damaged: it is neither a zip nor a compound document";
        QTest::newRow("an unknown kind of file is not a spreadsheet")
            << "picture.png"
            << "open(OUT, 'wb').write(b'\\x89PNG....')"
            << "The file is not a spreadsheet (.xlsx, .xls or .csv)";
        QTest::newRow("a zip without a workbook is not a spreadsheet")
            << "other.xlsx"
            << "import zipfile; zipfile.ZipFile(OUT, 'w').writestr('a.txt', 'x')"
            << "The file is not a spreadsheet (.xlsx, .xls or .csv): xl/workbook.xml is missing";
        QTest::newRow("a cut workbook is damaged")
            << "cut.xlsx"
            << "import openpyxl, io; b = io.BytesIO(); wb = openpyxl.Workbook(); wb.active['A1'] = 'x'; wb.save(b); "
               "open(OUT, 'wb').write(b.getvalue()[:-300])"
            << "The file is damaged: Not a zip archive";
        QTest::newRow("an encrypted Office file is password-protected")
            << "secret.xlsx"
            << "h = bytearray(b'\\xd0\\xcf\\x11\\xe0\\xa1\\xb1\\x1a\\xe1' + bytes(504)); "
               "d = bytearray(512); n = 'EncryptedPackage'.encode('utf-16-le'); d[128:128+len(n)] = n; "
               "open(OUT, 'wb').write(bytes(h) + bytes(d))"
            << "The file is password-protected";
        QTest::newRow("a row beyond the format's last row")
            << "long.xlsx"
            << "import openpyxl; wb = openpyxl.Workbook(); ws = wb.active; ws['A1'] = 'x'; wb.save(OUT); "
               "import zipfile, shutil; src = zipfile.ZipFile(OUT); items = [(i, src.read(i)) for i in "
               "src.namelist()]; "
               "src.close(); z = zipfile.ZipFile(OUT, 'w'); "
               "[z.writestr(i, d.replace(b'r=\"1\"', b'r=\"1048577\"').replace(b'r=\"A1\"', b'r=\"A1048577\"')) for i, "
               "d in items]"
            << "The sheet is larger than the format allows";
        QTest::newRow("a column beyond the format's last column")
            << "wide.xlsx"
            << "import openpyxl; wb = openpyxl.Workbook(); ws = wb.active; ws['A1'] = 'x'; wb.save(OUT); "
               "import zipfile; src = zipfile.ZipFile(OUT); items = [(i, src.read(i)) for i in src.namelist()]; "
               "src.close(); z = zipfile.ZipFile(OUT, 'w'); "
               "[z.writestr(i, d.replace(b'r=\"A1\"', b'r=\"XFE1\"')) for i, d in items]"
            << "The sheet is larger than the format allows";
        QTest::newRow("a NUL byte in the sheet's XML")
            << "nul.xlsx"
            << "import openpyxl; wb = openpyxl.Workbook(); ws = wb.active; ws['A1'] = 'x'; wb.save(OUT); "
               "import zipfile; src = zipfile.ZipFile(OUT); items = [(i, src.read(i)) for i in src.namelist()]; "
               "src.close(); z = zipfile.ZipFile(OUT, 'w'); "
               "[z.writestr(i, d.replace(b'<sheetData>', b'<sheetData>\\x00') if 'sheet1' in i else d) for i, d in "
               "items]"
            << "The file is damaged: Sheet, line 1: *";
        QTest::newRow("an .xls cut short is damaged")
            << "cut.xls"
            << "import xlwt, io; b = io.BytesIO(); wb = xlwt.Workbook(); wb.add_sheet('S').write(0, 0, 'x'); "
               "wb.save(b); open(OUT, 'wb').write(b.getvalue()[:1500])"
            << "";
    }
    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, python);
        QFETCH(QString, message);
        const QString p = path(name);
        QFile::remove(p);
        QVERIFY(SheetMaking::python(python, p));
        const QString got = errorOf(p);
        if (message.isEmpty())
            QVERIFY2(!got.isEmpty(), "no error");
        else if (message.endsWith(QLatin1Char('*')))
            QVERIFY2(got.startsWith(message.chopped(1)), qPrintable(got));
        else
            QCOMPARE(got, message);
    }

    void aZipThatUnpacksTooFarIsRefusedWhileRead_data()
    {
        QTest::addColumn<bool>("honestSize");
        QTest::newRow("the archive declares the size") << true;
        QTest::newRow("the archive lies about the size") << false;
    }
    void aZipThatUnpacksTooFarIsRefusedWhileRead()
    {
        QFETCH(bool, honestSize);
        const QString p = path("bomb.xlsx");
        QFile::remove(p);
        // 40 MB of rows in a sheet that packs to a few hundred kB.
        QVERIFY(SheetMaking::script("zip_bomb", p, {honestSize ? "honest" : "lie"}));
        const qint64 old = XlsxReader::sheetLimit;
        XlsxReader::sheetLimit = 8 * 1024 * 1024;
        const QString got = errorOf(p);
        XlsxReader::sheetLimit = old;
        if (honestSize)
            QCOMPARE(got, QStringLiteral("The workbook would unpack to more than 8 MB; it is not read"));
        else
            QVERIFY2(got == QStringLiteral("The workbook would unpack to more than 8 MB; it is not read") ||
                         got.startsWith(QStringLiteral("The file is damaged")),
                     qPrintable(got));
    }
};

QTEST_GUILESS_MAIN(TestSheets)
#include "test_sheets.moc"
