#include "XlsxWriter.h"
#include "ExportError.h"
#include "RowSource.h"
#include "SheetColumns.h"

#include <QDir>
#include <QFile>
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

lxw_format *cellFormat(lxw_workbook *book, bool bold, const QString &numberFormat)
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
    return f;
}

} // namespace

qint64 writeWorkbook(const QString &fileName, RowSource &source, const QString &sheetName, const QLocale &locale,
                   const std::function<void()> &progress, const QString &tmpFolder)
{
    source.start();
    if (Sheet::exportedFields(source.fields()).size() > Sheet::XlsxLimits.columns)
        Sheet::refuseColumns(Sheet::XlsxLimits);
    std::vector<Column> columns = Sheet::planColumns(source.fields(), locale);
    const lxw_col_t cols = lxw_col_t(columns.size());

    Workbook book(fileName, tmpFolder);
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), sheetName.toUtf8().constData());
    if (!sheet)
        throw ExportError(QStringLiteral("The worksheet name \"%1\" is refused").arg(sheetName));
    lxw_format *title = cellFormat(book.get(), true, {});
    std::vector<lxw_format *> formats;
    for (const Column &c : columns)
        formats.push_back(cellFormat(book.get(), false, c.format));

    lxw_row_t row = 0;
    if (cols > 0) {
        for (lxw_col_t c = 0; c < cols; ++c)
            check(worksheet_write_string(sheet, 0, c, columns[c].title.toUtf8().constData(), title));
        QByteArray utf8;
        while (source.next()) {
            if (row >= Sheet::XlsxLimits.dataRows)
                Sheet::refuseRows(Sheet::XlsxLimits);
            ++row;
            for (lxw_col_t c = 0; c < cols; ++c) {
                Column &col = columns[c];
                const Cell cell = Sheet::cellOf(source, col);
                Sheet::fit(col, cell);
                switch (cell.type) {
                case Cell::Blank:
                    check(worksheet_write_blank(sheet, row, c, formats[c]));
                    break;
                case Cell::Label:
                    utf8 = cell.text.toUtf8();
                    check(worksheet_write_string(sheet, row, c, utf8.constData(), formats[c]));
                    break;
                case Cell::Number:
                    check(worksheet_write_number(sheet, row, c, cell.number, formats[c]));
                    break;
                }
            }
            if (progress && row % ProgressEvery == 0)
                progress();
        }
        for (lxw_col_t c = 0; c < cols; ++c)
            check(worksheet_set_column(sheet, c, c, columns[c].widthChars(), nullptr));
    }
    book.close();
    return row;
}

} // namespace Xlsx
