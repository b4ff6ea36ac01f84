#include "XlsReader.h"

#include <QFile>
#include <freexl.h>

namespace {
QString freexlError(int rc)
{
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("the file cannot be opened");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("not enough memory");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("a text in an unknown character set");
    default:
        return QStringLiteral("error %1 of the .xls reader").arg(rc);
    }
}
} // namespace

XlsReader::XlsReader(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // The header alone first: an encrypted workbook is refused before its cells are decoded.
    const void *info = nullptr;
    int rc = freexl_open_info(name.constData(), &info);
    if (rc != FREEXL_OK) {
        if (info)
            freexl_close(info);
        if (rc == FREEXL_FILE_NOT_FOUND)
            throw SheetError(QStringLiteral("Cannot open %1").arg(path));
        if (rc == FREEXL_INVALID_CFBF_HEADER || rc == FREEXL_CFBF_INVALID_SIGNATURE ||
            rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND)
            throw SheetError(SheetMessages::notASpreadsheet());
        throw SheetError(SheetMessages::damaged(freexlError(rc)));
    }
    unsigned int password = 0;
    freexl_get_info(info, FREEXL_BIFF_PASSWORD, &password);
    freexl_close(info);
    if (password == FREEXL_BIFF_OBFUSCATED)
        throw SheetError(SheetMessages::passwordProtected());
    rc = freexl_open(name.constData(), &m_handle);
    if (rc != FREEXL_OK) {
        if (m_handle)
            freexl_close(m_handle);
        m_handle = nullptr;
        throw SheetError(SheetMessages::damaged(freexlError(rc)));
    }
    unsigned int count = 0;
    freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count);
    for (unsigned int i = 0; i < count && i < 65535; ++i) {
        const char *sheetName = nullptr;
        if (freexl_get_worksheet_name(m_handle, (unsigned short)i, &sheetName) == FREEXL_OK && sheetName)
            m_names << QString::fromUtf8(sheetName);
        else
            m_names << QStringLiteral("Sheet%1").arg(i + 1);
    }
}

XlsReader::~XlsReader()
{
    if (m_handle)
        freexl_close(m_handle);
}

void XlsReader::selectSheet(int index)
{
    if (index < 0 || index >= m_names.size())
        throw SheetError(QStringLiteral("The workbook has no sheet %1").arg(index + 1));
    int rc = freexl_select_active_worksheet(m_handle, (unsigned short)index);
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(m_handle, &m_rows, &m_columns);
    if (rc != FREEXL_OK)
        throw SheetError(SheetMessages::damaged(freexlError(rc)));
    if (m_rows > 65536 || m_columns > 256)
        throw SheetError(SheetMessages::tooLarge());
    m_next = 0;
    m_selected = true;
}

bool XlsReader::readRow(SheetRow &row)
{
    if (!m_selected)
        return false;
    while (m_next < m_rows) {
        const unsigned int r = m_next++;
        row.number = int(r) + 1;
        row.hidden = false;
        row.cells.clear();
        for (unsigned short c = 0; c < m_columns; ++c) {
            FreeXL_CellValue v;
            const int rc = freexl_get_cell_value(m_handle, r, c, &v);
            if (rc != FREEXL_OK)
                throw SheetError(SheetMessages::damaged(freexlError(rc)));
            SheetCell cell;
            switch (v.type) {
            case FREEXL_CELL_INT:
                cell.type = SheetCell::Number;
                cell.number = v.value.int_value;
                break;
            case FREEXL_CELL_DOUBLE:
                cell.type = SheetCell::Number;
                cell.number = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                cell.type = SheetCell::Text;
                cell.text = QString::fromUtf8(v.value.text_value);
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                cell.type = SheetCell::Date;
                cell.text = QString::fromUtf8(v.value.text_value);
                cell.date = QDate::fromString(cell.text.left(10), Qt::ISODate);
                if (!cell.date.isValid())
                    cell.type = SheetCell::Text;
                else
                    cell.number = dateToSerial(cell.date);
                break;
            case FREEXL_CELL_TIME:
                cell.type = SheetCell::Text;
                cell.text = QString::fromUtf8(v.value.text_value);
                break;
            default:
                break;
            }
            if (cell.isEmpty())
                continue;
            if (row.cells.size() <= c)
                row.cells.resize(c + 1);
            row.cells[c] = cell;
        }
        if (!row.isEmpty())
            return true;
    }
    return false;
}
