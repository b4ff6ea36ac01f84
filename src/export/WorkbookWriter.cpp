#include "WorkbookWriter.h"
#include "BiffStream.h"
#include "CompoundFile.h"
#include "ExportError.h"
#include "RowSource.h"
#include "SheetColumns.h"
#include "StringTable.h"
#include "XlsRecords.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryFile>
#include <vector>

namespace Xls {

namespace {

constexpr int RowsPerBlock = 32;
constexpr int ProgressEvery = 256;

using Sheet::Cell;
using Sheet::Column;

// A cell of the block being gathered: its shared-string index or its number.
struct Slot
{
    Cell::Type type = Cell::Blank;
    quint32 index = 0;
    double number = 0;
};

class WorkbookWriter
{
public:
    WorkbookWriter(RowSource &source, const QString &sheetName, const QLocale &locale, const ExportProgress &progress)
        : m_source(source), m_sheetName(sheetName), m_locale(locale), m_progress(progress)
    {
    }

    qint64 write(QIODevice &device, const QString &spoolFolder)
    {
        m_source.start();
        if (Sheet::exportedFields(m_source.fields()).size() > Sheet::XlsLimits.columns)
            Sheet::refuseColumns(Sheet::XlsLimits);
        m_columns = Sheet::planColumns(m_source.fields(), m_locale);
        for (const Column &c : m_columns)
            m_xfs.push_back(m_formats.dataXf(c.format));

        QTemporaryFile spool(QDir(spoolFolder).filePath(QStringLiteral(".tallimar-cells-XXXXXX")));
        if (!spool.open())
            throw ExportError(spool.errorString());
        {
            BiffStream cells(spool, 0);
            gatherCells(cells);
            cells.flush();
        }
        if (!spool.seek(0))
            throw ExportError(spool.errorString());

        CompoundFile cfb(device);
        BiffStream out(device, cfb.streamStart());
        const qint64 sheetPosField = writeGlobals(out);
        const qint64 sheetStart = out.pos();
        writeSheetHead(out);
        out.copyFrom(spool);
        out.record(rtWindow2, {0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0});
        out.record(rtEof, {});
        out.flush();
        out.patchU32(sheetPosField, quint32(sheetStart));
        cfb.finish(out.pos());
        return m_rows > 0 ? m_rows - 1 : 0;
    }

private:
    // The one pass over the rows: shared strings, widths, and the cell records in blocks.
    void gatherCells(BiffStream &out)
    {
        const size_t cols = m_columns.size();
        if (cols == 0)
            return; // no column, no rows
        m_block.assign(RowsPerBlock * cols, Slot());
        for (size_t c = 0; c < cols; ++c) {
            m_block[c] = {Cell::Label, m_strings.add(m_columns[c].title), 0};
            ++m_labels;
        }
        m_blockRows = 1;
        m_rows = 1;
        while (m_source.next()) {
            if (m_rows > Sheet::XlsLimits.dataRows)
                Sheet::refuseRows(Sheet::XlsLimits);
            Slot *row = &m_block[size_t(m_blockRows) * cols];
            for (size_t c = 0; c < cols; ++c) {
                Column &col = m_columns[c];
                const Cell cell = Sheet::cellOf(m_source, col);
                Sheet::fit(col, cell);
                row[c].type = cell.type;
                if (cell.type == Cell::Label) {
                    row[c].index = m_strings.add(cell.text);
                    ++m_labels;
                } else {
                    row[c].number = cell.number;
                }
            }
            ++m_rows;
            if (++m_blockRows == RowsPerBlock)
                writeBlock(out);
            if (m_progress && m_rows % ProgressEvery == 0)
                m_progress(m_rows - 1);
        }
        writeBlock(out);
    }

    void writeBlock(BiffStream &out)
    {
        const int cols = int(m_columns.size());
        const int first = m_rows - m_blockRows;
        for (int r = first; r < m_rows; ++r) {
            out.begin(rtRow);
            out.u16(quint16(r));
            out.u16(0);
            out.u16(quint16(cols));
            out.u16(0x00FF); // default height
            out.u16(0);
            out.u16(0);
            out.u32(0x000F0100);
            out.end();
        }
        for (int i = 0; i < m_blockRows; ++i) {
            const int r = first + i;
            const Slot *row = &m_block[size_t(i) * size_t(cols)];
            for (int c = 0; c < cols; ++c) {
                const quint16 xf = r == 0 ? TitleXf : m_xfs[size_t(c)];
                switch (row[c].type) {
                case Cell::Blank:
                    out.begin(rtBlank);
                    out.u16(quint16(r));
                    out.u16(quint16(c));
                    out.u16(xf);
                    out.end();
                    break;
                case Cell::Label:
                    labelCell(out, r, c, xf, row[c].index);
                    break;
                case Cell::Number:
                    numberCell(out, r, c, xf, row[c].number);
                    break;
                }
            }
        }
        m_blockRows = 0;
    }

    qint64 writeGlobals(BiffStream &out)
    {
        bof(out, 0x0005);
        out.record(rtCodepage, {1200}); // UTF-16
        out.record(rtWindowProtect, {0});
        out.record(rtProtect, {0});
        out.record(rtPassword, {0});
        out.record(rtBackup, {0});
        out.record(rtHideObj, {0});
        out.record(rtWindow1, {0x01E0, 0x005A, 0x3FCF, 0x2A4E, 0x0038, 0, 0, 1, 0x0258});
        out.record(rtDateMode, {0}); // dates counted from 1900
        out.record(rtPrecision, {1});
        out.record(rtRefreshAll, {0});
        out.record(rtBookBool, {0});
        // Fonts 0 to 3 (there is no font 4): 0 is the default and the data's, 1 the titles'.
        font(out, false);
        font(out, true);
        font(out, false);
        font(out, false);
        const QStringList &custom = m_formats.customFormats();
        for (int i = 0; i < custom.size(); ++i) {
            out.begin(rtFormat);
            out.u16(quint16(FirstCustomFormat + i));
            string(out, custom.at(i), false);
            out.end();
        }
        // The Normal style, the outline styles, the default cell format, then ours.
        xf(out, 0, 0, true, 0x00);
        for (int i = 1; i < StyleXfCount; ++i)
            xf(out, 0, 0, true, 0xF4);
        xf(out, 0, 0, false, 0x00);
        xf(out, 1, 0, false, 0xFC);
        for (int format : m_formats.dataXfFormats())
            xf(out, 0, quint16(format), false, 0xFC);
        out.begin(rtStyle);
        out.u16(0x8000); // built-in style of XF 0
        out.u8(0);       // Normal
        out.u8(0xFF);
        out.end();

        out.begin(rtBoundSheet);
        const qint64 sheetPosField = out.pos();
        out.u32(0); // filled in once the sheet's position is known
        out.u8(0);  // visible
        out.u8(0);  // worksheet
        string(out, m_sheetName, true);
        out.end();

        sst(out, m_strings, m_labels);
        m_strings.clear();
        out.record(rtEof, {});
        return sheetPosField;
    }

    void writeSheetHead(BiffStream &out)
    {
        const int cols = int(m_columns.size());
        bof(out, 0x0010);
        out.record(rtCalcMode, {1});
        out.record(rtCalcCount, {100});
        out.record(rtRefMode, {1});
        out.record(rtIteration, {0});
        out.begin(rtDelta);
        out.f64(0.001);
        out.end();
        out.record(rtSaveRecalc, {1});
        out.record(rtPrintHeaders, {0});
        out.record(rtPrintGridlines, {0});
        out.record(rtGridSet, {1});
        out.record(rtGuts, {0, 0, 0, 0});
        out.record(rtDefaultRowHeight, {0, 0x00FF});
        out.record(rtWsBool, {0x04C1});
        out.record(rtDefColWidth, {8});
        for (int i = 0; i < cols; ++i) {
            out.begin(rtColInfo);
            out.u16(quint16(i));
            out.u16(quint16(i));
            out.u16(quint16(m_columns[size_t(i)].widthChars() * 256)); // in 1/256 of a character
            out.u16(DefaultCellXf);
            out.u16(0x0006); // width set, fitted to the contents
            out.u16(0);
            out.end();
        }
        out.begin(rtDimensions);
        out.u32(0);
        out.u32(quint32(cols > 0 ? m_rows : 0));
        out.u16(0);
        out.u16(quint16(cols));
        out.u16(0);
        out.end();
    }

    RowSource &m_source;
    QString m_sheetName;
    QLocale m_locale;
    const ExportProgress &m_progress;
    std::vector<Column> m_columns;
    std::vector<quint16> m_xfs; // cell format of each column's data
    CellFormats m_formats;
    StringTable m_strings;
    quint32 m_labels = 0; // text cells, titles included
    std::vector<Slot> m_block;
    int m_blockRows = 0;
    int m_rows = 0; // rows gathered, the title row included
};

} // namespace

qint64 writeWorkbook(QIODevice &device, RowSource &source, const QString &sheetName, const QLocale &locale,
                     const ExportProgress &progress, const QString &spoolFolder)
{
    return WorkbookWriter(source, sheetName, locale, progress).write(device, spoolFolder);
}

} // namespace Xls
