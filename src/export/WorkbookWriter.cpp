#include "WorkbookWriter.h"
#include "BiffStream.h"
#include "CompoundFile.h"
#include "ExportError.h"
#include "StringTable.h"
#include "XlsColumnPlan.h"
#include "XlsRecords.h"

#include <QIODevice>
#include <vector>

namespace Xls {

namespace {

constexpr int RowsPerBlock = 32;
constexpr int ProgressEvery = 512;

class WorkbookWriter
{
public:
    WorkbookWriter(const Query &q, const QString &sheetName, const QLocale &locale,
                   const std::function<void()> &progress)
        : m_q(q), m_sheetName(sheetName), m_locale(locale), m_progress(progress)
    {
    }

    void write(QIODevice &device)
    {
        m_columns = planColumns(m_q, m_locale, m_formats);
        collect();
        CompoundFile cfb(device);
        BiffStream out(device, cfb.streamStart());
        const qint64 sheetPosField = writeGlobals(out);
        const qint64 sheetStart = out.pos();
        writeSheet(out);
        out.flush();
        out.patchU32(sheetPosField, quint32(sheetStart));
        cfb.finish(out.pos());
    }

private:
    // First pass: the shared strings, their indexes in cell order, and the column widths.
    void collect()
    {
        const int rows = m_q.recordCount();
        size_t textColumns = 0;
        for (const Column &c : m_columns)
            textColumns += c.mode == Mode::Label || c.mode == Mode::Display ? 1 : 0;
        m_labelIndexes.reserve(m_columns.size() + size_t(rows) * textColumns);
        for (const Column &c : m_columns)
            m_labelIndexes.push_back(m_strings.add(c.title));
        for (int r = 0; r < rows; ++r) {
            for (Column &c : m_columns) {
                const Cell cell = cellAt(m_q, c, r);
                int chars = 0;
                if (cell.type == Cell::Label) {
                    m_labelIndexes.push_back(m_strings.add(cell.text));
                    chars = int(cell.text.size());
                } else if (cell.type == Cell::Number) {
                    chars = numberChars(c, cell.number);
                }
                if (chars > c.chars)
                    c.chars = chars;
            }
            if (m_progress && r % ProgressEvery == ProgressEvery - 1)
                m_progress();
        }
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

        sst(out, m_strings, quint32(m_labelIndexes.size()));
        m_strings.clear(); // written: only the indexes are needed from here on
        out.record(rtEof, {});
        return sheetPosField;
    }

    void writeSheet(BiffStream &out)
    {
        const int records = m_q.recordCount();
        const int cols = int(m_columns.size());
        const int rows = cols > 0 ? records + 1 : 0;
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
            // Width in 1/256 of a character, with a margin; the format caps it at 255 characters.
            const int width = qBound(3, m_columns[i].chars + 2, 255) * 256;
            out.begin(rtColInfo);
            out.u16(quint16(i));
            out.u16(quint16(i));
            out.u16(quint16(width));
            out.u16(DefaultCellXf);
            out.u16(0x0006); // width set, fitted to the contents
            out.u16(0);
            out.end();
        }
        out.begin(rtDimensions);
        out.u32(0);
        out.u32(quint32(rows));
        out.u16(0);
        out.u16(quint16(cols));
        out.u16(0);
        out.end();

        size_t nextLabel = 0;
        for (int blockStart = 0; blockStart < rows; blockStart += RowsPerBlock) {
            const int blockEnd = qMin(rows, blockStart + RowsPerBlock);
            for (int r = blockStart; r < blockEnd; ++r) {
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
            for (int r = blockStart; r < blockEnd; ++r) {
                if (r == 0) {
                    for (int c = 0; c < cols; ++c)
                        labelCell(out, 0, c, TitleXf, m_labelIndexes.at(nextLabel++));
                    continue;
                }
                for (int c = 0; c < cols; ++c) {
                    const Column &col = m_columns[c];
                    const Cell cell = cellAt(m_q, col, r - 1);
                    switch (cell.type) {
                    case Cell::Blank:
                        out.begin(rtBlank);
                        out.u16(quint16(r));
                        out.u16(quint16(c));
                        out.u16(col.xf);
                        out.end();
                        break;
                    case Cell::Label:
                        if (nextLabel >= m_labelIndexes.size())
                            throw ExportError(QStringLiteral("The dataset changed while it was being exported"));
                        labelCell(out, r, c, col.xf, m_labelIndexes.at(nextLabel++));
                        break;
                    case Cell::Number:
                        numberCell(out, r, c, col.xf, cell.number);
                        break;
                    }
                }
                if (m_progress && r % ProgressEvery == 0)
                    m_progress();
            }
        }
        if (nextLabel != m_labelIndexes.size())
            throw ExportError(QStringLiteral("The dataset changed while it was being exported"));

        out.record(rtWindow2, {0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0});
        out.record(rtEof, {});
    }

    const Query &m_q;
    QString m_sheetName;
    QLocale m_locale;
    const std::function<void()> &m_progress;
    std::vector<Column> m_columns;
    CellFormats m_formats;
    StringTable m_strings;
    std::vector<quint32> m_labelIndexes; // shared-string index of every text cell, in cell order
};

} // namespace

void writeWorkbook(QIODevice &device, const Query &q, const QString &sheetName, const QLocale &locale,
                   const std::function<void()> &progress)
{
    WorkbookWriter(q, sheetName, locale, progress).write(device);
}

} // namespace Xls
