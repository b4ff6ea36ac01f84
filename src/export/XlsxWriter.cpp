#include "XlsxWriter.h"
#include "ExportError.h"
#include "RowSource.h"
#include "SheetColumns.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QtEndian>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <xlsxwriter.h>

namespace Xlsx {

namespace {

constexpr int ProgressEvery = 256;

using Sheet::Cell;
using Sheet::Column;

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw ExportError(QString::fromUtf8(lxw_strerror(error)));
}

// The workbook of libxlsxwriter, discarded without writing unless closed.
class Workbook
{
public:
    Workbook(const QString &fileName, const QString &tmpFolder)
        : m_fileName(QFile::encodeName(fileName)), m_tmpFolder(QFile::encodeName(tmpFolder))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to a temporary file as they are written
        options.tmpdir = m_tmpFolder.isEmpty() ? nullptr : m_tmpFolder.data();
        m_book = workbook_new_opt(m_fileName.constData(), &options);
        if (!m_book)
            throw ExportError(QStringLiteral("Cannot start the workbook"));
    }
    ~Workbook()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_book; }

    void close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr; // freed by workbook_close whatever it returns
        check(workbook_close(book));
    }

private:
    QByteArray m_fileName;
    QByteArray m_tmpFolder;
    lxw_workbook *m_book = nullptr;
};

// The library does not check its writes to temporary files: a full disk would leave a sheet cut
// short inside a file that looks whole. The rows are flushed and checked here.
qint64 flushRows(lxw_worksheet *sheet)
{
    lxw_worksheet_write_single_row(sheet); // the last row, still held
    errno = 0;
    if (std::fflush(sheet->optimize_tmpfile) != 0 || std::ferror(sheet->optimize_tmpfile))
        throw ExportError(QString::fromLocal8Bit(std::strerror(errno ? errno : EIO)));
    return qint64(std::ftell(sheet->optimize_tmpfile));
}

// The uncompressed size of a sheet (1, 2, ...) in the written file, from its central directory;
// -1 when the file is not a whole archive.
qint64 sheetSizeInFile(const QString &fileName, int sheetNumber)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 22 || !f.seek(f.size() - 22))
        return -1;
    const QByteArray end = f.read(22);
    if (qFromLittleEndian<quint32>(end.constData()) != 0x06054b50)
        return -1;
    const quint32 dirSize = qFromLittleEndian<quint32>(end.constData() + 12);
    const quint32 dirStart = qFromLittleEndian<quint32>(end.constData() + 16);
    if (!f.seek(dirStart))
        return -1;
    const QByteArray dir = f.read(dirSize);
    const QByteArray wanted = "xl/worksheets/sheet" + QByteArray::number(sheetNumber) + ".xml";
    for (qsizetype at = 0; at + 46 <= dir.size();) {
        const char *h = dir.constData() + at;
        if (qFromLittleEndian<quint32>(h) != 0x02014b50)
            return -1;
        const quint16 nameLength = qFromLittleEndian<quint16>(h + 28);
        const qsizetype next =
            at + 46 + nameLength + qFromLittleEndian<quint16>(h + 30) + qFromLittleEndian<quint16>(h + 32);
        if (dir.mid(at + 46, nameLength) == wanted)
            return qFromLittleEndian<quint32>(h + 24);
        at = next;
    }
    return -1;
}

// Fill of the cells a source marks highlighted.
constexpr lxw_color_t HighlightColour = 0xFFFF00;

lxw_format *cellFormat(lxw_workbook *book, bool bold, const QString &numberFormat, bool highlighted = false)
{
    lxw_format *f = workbook_add_format(book);
    format_set_font_name(f, Sheet::FontName.toUtf8().constData());
    format_set_font_size(f, Sheet::FontPoints);
    format_set_font_color(f, LXW_COLOR_BLACK);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    if (bold)
        format_set_bold(f);
    if (!numberFormat.isEmpty())
        format_set_num_format(f, numberFormat.toUtf8().constData());
    if (highlighted) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, HighlightColour);
    }
    return f;
}

// The formats of a workbook, one per number format and fill: the library looks a format up by
// its contents on every cell until that very format object has been used once.
class Formats
{
public:
    explicit Formats(lxw_workbook *book) : m_book(book), m_title(cellFormat(book, true, {})) {}
    lxw_format *title() const { return m_title; }
    lxw_format *of(const QString &numberFormat, bool highlighted)
    {
        lxw_format *&f = (highlighted ? m_highlighted : m_plain)[numberFormat];
        if (!f)
            f = cellFormat(m_book, false, numberFormat, highlighted);
        return f;
    }

private:
    lxw_workbook *m_book;
    lxw_format *m_title;
    QHash<QString, lxw_format *> m_plain, m_highlighted;
};

// Writes one worksheet from the source, read once; returns its data rows and the bytes of rows
// written to the sheet's temporary file.
std::pair<qint64, qint64> writeSheet(lxw_workbook *book, Formats &fmt, RowSource &source, const QString &sheetName,
                                     const QLocale &locale, const ExportProgress &progress)
{
    source.start();
    if (Sheet::exportedFields(source.fields()).size() > Sheet::XlsxLimits.columns)
        Sheet::refuseColumns(Sheet::XlsxLimits);
    std::vector<Column> columns = Sheet::planColumns(source.fields(), locale);
    const lxw_col_t cols = lxw_col_t(columns.size());

    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
    if (!sheet)
        throw ExportError(QStringLiteral("The worksheet name \"%1\" is refused").arg(sheetName));
    std::vector<lxw_format *> plain, marked;
    for (const Column &c : columns) {
        plain.push_back(fmt.of(c.format, false));
        marked.push_back(nullptr); // made when first needed
    }

    lxw_row_t row = 0;
    if (cols > 0) {
        for (lxw_col_t c = 0; c < cols; ++c)
            check(worksheet_write_string(sheet, 0, c, columns[c].title.toUtf8().constData(), fmt.title()));
        QByteArray utf8;
        while (source.next()) {
            if (row >= Sheet::XlsxLimits.dataRows)
                Sheet::refuseRows(Sheet::XlsxLimits);
            ++row;
            for (lxw_col_t c = 0; c < cols; ++c) {
                Column &col = columns[c];
                const Cell cell = Sheet::cellOf(source, col);
                Sheet::fit(col, cell);
                lxw_format *f = plain[c];
                if (source.highlighted(col.field)) {
                    if (!marked[c])
                        marked[c] = fmt.of(col.format, true);
                    f = marked[c];
                }
                switch (cell.type) {
                case Cell::Blank:
                    check(worksheet_write_blank(sheet, row, c, f));
                    break;
                case Cell::Label:
                    utf8 = cell.text.toUtf8();
                    check(worksheet_write_string(sheet, row, c, utf8.constData(), f));
                    break;
                case Cell::Number:
                    check(worksheet_write_number(sheet, row, c, cell.number, f));
                    break;
                }
            }
            if (progress && row % ProgressEvery == 0)
                progress(row);
        }
        for (lxw_col_t c = 0; c < cols; ++c)
            check(worksheet_set_column(sheet, c, c, columns[c].widthChars(), nullptr));
    }
    return {qint64(row), cols > 0 ? flushRows(sheet) : 0};
}

} // namespace

qint64 writeWorkbook(const QString &fileName, RowSource &source, const QString &sheetName, const QLocale &locale,
                     const ExportProgress &progress, const QString &tmpFolder)
{
    return writeWorkbook(fileName, QList<SheetInput>{{&source, sheetName}}, locale, progress, tmpFolder);
}

qint64 writeWorkbook(const QString &fileName, const QList<SheetInput> &sheets, const QLocale &locale,
                     const ExportProgress &progress, const QString &tmpFolder)
{
    Workbook book(fileName, tmpFolder);
    Formats formats(book.get());
    qint64 rows = 0;
    std::vector<qint64> rowBytes;
    for (const SheetInput &in : sheets) {
        const auto [sheetRows, bytes] = writeSheet(book.get(), formats, *in.source, in.name, locale, progress);
        rows += sheetRows;
        rowBytes.push_back(bytes);
    }
    book.close();
    for (size_t i = 0; i < rowBytes.size(); ++i)
        if (sheetSizeInFile(fileName, int(i) + 1) <= rowBytes[i])
            throw ExportError(QStringLiteral("The workbook was cut short while it was written"));
    return rows;
}

} // namespace Xlsx
