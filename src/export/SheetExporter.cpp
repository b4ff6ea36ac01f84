#include "SheetExporter.h"
#include "BiffStream.h"
#include "CompoundFile.h"
#include "ExportError.h"
#include "StringTable.h"
#include "XlsFormats.h"

#include <QDir>
#include <QIODevice>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

// Record types.
enum : quint16 {
    rtBof = 0x0809,
    rtEof = 0x000A,
    rtCodepage = 0x0042,
    rtWindowProtect = 0x0019,
    rtProtect = 0x0012,
    rtPassword = 0x0013,
    rtBackup = 0x0040,
    rtHideObj = 0x008D,
    rtWindow1 = 0x003D,
    rtDateMode = 0x0022,
    rtPrecision = 0x000E,
    rtRefreshAll = 0x01B7,
    rtBookBool = 0x00DA,
    rtFont = 0x0031,
    rtFormat = 0x041E,
    rtXf = 0x00E0,
    rtStyle = 0x0293,
    rtBoundSheet = 0x0085,
    rtSst = 0x00FC,
    rtContinue = 0x003C,
    rtExtSst = 0x00FF,
    rtCalcMode = 0x000D,
    rtCalcCount = 0x000C,
    rtRefMode = 0x000F,
    rtIteration = 0x0011,
    rtDelta = 0x0010,
    rtSaveRecalc = 0x005F,
    rtPrintHeaders = 0x002A,
    rtPrintGridlines = 0x002B,
    rtGridSet = 0x0082,
    rtGuts = 0x0080,
    rtDefaultRowHeight = 0x0225,
    rtWsBool = 0x0081,
    rtDefColWidth = 0x0055,
    rtColInfo = 0x007D,
    rtDimensions = 0x0200,
    rtRow = 0x0208,
    rtLabelSst = 0x00FD,
    rtNumber = 0x0203,
    rtRk = 0x027E,
    rtBlank = 0x0201,
    rtWindow2 = 0x023E,
};

constexpr quint16 FontHeight = 200; // 10 pt, the spreadsheet's default size
constexpr quint16 BlackColour = 8;
constexpr int FirstCustomFormat = 164;
constexpr int StyleXfCount = 15;
constexpr quint16 DefaultCellXf = 15;
constexpr quint16 TitleXf = 16;
constexpr quint16 FirstDataXf = 17;
constexpr int RowsPerBlock = 32;
constexpr int ProgressEvery = 512;
// 1899-12-30 is day 0 of the sheet's calendar; 1900-03-01 is the first day it counts right.
constexpr qint64 SerialEpochJulian = 2415019;
constexpr double FirstReliableSerial = 61;
constexpr double LastSerial = 2958465; // 9999-12-31

enum class Mode : quint8 { Label, Number, Serial, Display };

struct Column
{
    int field = 0;
    FieldKind kind = FieldKind::Text;
    Mode mode = Mode::Label;
    QString title;
    QString format; // empty: General
    quint16 xf = DefaultCellXf;
    // Width estimate in characters and what it needs from the format.
    int chars = 0;
    int serialChars = 0;
    bool fixedFormat = false;
    bool grouped = false;
    int decimals = 0;
    int formatExtra = 0;
};

struct Cell
{
    enum Type : quint8 { Blank, Label, Number } type = Blank;
    double number = 0;
    QString text;
};

int digitCount(double a)
{
    int n = 1;
    while (a >= 10 && n < 400) {
        a /= 10;
        ++n;
    }
    return n;
}

bool needsWide(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

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
        planColumns();
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
    // --- plan -------------------------------------------------------------------------------

    void planColumns()
    {
        const QList<int> fields = TSheetExporter::exportedFields(m_q);
        for (int f : fields) {
            const FieldDef &def = m_q.field(f);
            Column c;
            c.field = f;
            c.kind = def.kind;
            c.title = def.label();
            switch (def.kind) {
            case FieldKind::Text:
                c.format = QStringLiteral("@");
                break;
            case FieldKind::Memo:
                break;
            case FieldKind::Integer:
            case FieldKind::Float:
            case FieldKind::Currency:
            case FieldKind::LargeInt:
            case FieldKind::AutoInc:
                // 64-bit and auto-increment values go as their display text.
                c.mode =
                    def.kind == FieldKind::LargeInt || def.kind == FieldKind::AutoInc ? Mode::Display : Mode::Number;
                if (!def.displayFormat.isEmpty())
                    c.format = def.displayFormat;
                else if (def.kind == FieldKind::Currency)
                    c.format = XlsFormats::currency(m_locale);
                break;
            case FieldKind::Boolean:
                c.mode = Mode::Display;
                break;
            case FieldKind::Date:
            case FieldKind::Time:
            case FieldKind::DateTime: {
                c.mode = Mode::Serial;
                QString qtFormat = def.displayFormat;
                if (qtFormat.isEmpty()) {
                    if (def.kind == FieldKind::Date)
                        qtFormat = m_locale.dateFormat(QLocale::ShortFormat);
                    else if (def.kind == FieldKind::Time)
                        qtFormat = m_locale.timeFormat(QLocale::ShortFormat);
                    else
                        qtFormat = m_locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                                   m_locale.timeFormat(QLocale::ShortFormat);
                }
                c.format = XlsFormats::fromQtDateFormat(qtFormat);
                // Longest month and weekday names of the language, late in the day.
                c.serialChars =
                    int(m_locale.toString(QDateTime(QDate(2000, 9, 27), QTime(23, 59, 59, 999)), qtFormat).size());
                break;
            }
            case FieldKind::Bytes:
                break;
            }
            if (c.mode == Mode::Number && !c.format.isEmpty())
                describeNumberFormat(c);
            c.xf = dataXf(formatIndex(c.format));
            c.chars = int(std::ceil(c.title.size() * 1.1)); // the title is bold
            m_columns.push_back(std::move(c));
        }
    }

    // What a fixed number format adds to the digits, for the width estimate.
    static void describeNumberFormat(Column &c)
    {
        c.fixedFormat = true;
        const QString &f = c.format;
        bool inQuote = false, afterPoint = false;
        for (QChar ch : f) {
            if (ch == QLatin1Char('"')) {
                inQuote = !inQuote;
                continue;
            }
            if (inQuote) {
                ++c.formatExtra;
                continue;
            }
            if (ch == QLatin1Char(';'))
                break;
            if (ch == QLatin1Char('.'))
                afterPoint = true;
            else if (ch == QLatin1Char(','))
                c.grouped = true;
            else if ((ch == QLatin1Char('0') || ch == QLatin1Char('#')) && afterPoint)
                ++c.decimals;
            else if (ch != QLatin1Char('0') && ch != QLatin1Char('#') && ch != QLatin1Char('\\'))
                ++c.formatExtra;
        }
    }

    int formatIndex(const QString &code)
    {
        static const QHash<QString, int> builtIn = {{QString(), 0},
                                                    {QStringLiteral("General"), 0},
                                                    {QStringLiteral("0"), 1},
                                                    {QStringLiteral("0.00"), 2},
                                                    {QStringLiteral("#,##0"), 3},
                                                    {QStringLiteral("#,##0.00"), 4},
                                                    {QStringLiteral("@"), 49}};
        const auto b = builtIn.constFind(code);
        if (b != builtIn.constEnd())
            return b.value();
        const int i = int(m_formats.indexOf(code));
        if (i >= 0)
            return FirstCustomFormat + i;
        m_formats << code;
        return FirstCustomFormat + int(m_formats.size()) - 1;
    }

    quint16 dataXf(int format)
    {
        const int i = int(m_dataXfFormats.indexOf(format));
        if (i >= 0)
            return quint16(FirstDataXf + i);
        m_dataXfFormats << format;
        return quint16(FirstDataXf + m_dataXfFormats.size() - 1);
    }

    // --- cells ------------------------------------------------------------------------------

    static double serialOf(const QVariant &v, FieldKind kind, bool *ok)
    {
        *ok = true;
        QDate date;
        QTime time;
        switch (v.typeId()) {
        case QMetaType::QDateTime: {
            const QDateTime &dt = *static_cast<const QDateTime *>(v.constData());
            date = dt.date();
            time = dt.time();
            break;
        }
        case QMetaType::QDate:
            date = v.toDate();
            break;
        case QMetaType::QTime:
            time = v.toTime();
            break;
        default: {
            const QDateTime dt = toDateTime(v);
            date = dt.date();
            time = dt.time();
        }
        }
        double serial = 0;
        if (kind != FieldKind::Time && date.isValid())
            serial = double(date.toJulianDay() - SerialEpochJulian);
        if (kind != FieldKind::Date && time.isValid())
            serial += time.msecsSinceStartOfDay() / 86400000.0;
        if (kind != FieldKind::Time && serial != 0 && (serial < FirstReliableSerial || serial >= LastSerial + 1))
            *ok = false; // outside the sheet's calendar
        return serial;
    }

    // The value as a number, without the general conversion machinery for the usual types.
    static double numberOf(const QVariant &v, bool *ok)
    {
        *ok = true;
        switch (v.typeId()) {
        case QMetaType::Double:
            return *static_cast<const double *>(v.constData());
        case QMetaType::Int:
            return *static_cast<const int *>(v.constData());
        case QMetaType::LongLong:
            return double(*static_cast<const qlonglong *>(v.constData()));
        default:
            return v.toDouble(ok);
        }
    }

    static QString textOf(const QVariant &v)
    {
        if (v.typeId() == QMetaType::QString)
            return TSheetExporter::fitText(*static_cast<const QString *>(v.constData()));
        return TSheetExporter::fitText(v.toString());
    }

    Cell cellAt(const Column &c, int row) const
    {
        Cell cell;
        const QVariant v = m_q.valueAt(row, c.field);
        if (v.isNull())
            return cell;
        switch (c.mode) {
        case Mode::Label:
            cell.text = textOf(v);
            break;
        case Mode::Number: {
            bool ok = false;
            const double d = numberOf(v, &ok);
            if (ok && std::isfinite(d)) {
                cell.type = Cell::Number;
                cell.number = d;
                return cell;
            }
            cell.text = textOf(v);
            break;
        }
        case Mode::Serial: {
            bool ok = true;
            const double serial = serialOf(v, c.kind, &ok);
            if (ok) {
                if (serial != 0) {
                    cell.type = Cell::Number;
                    cell.number = serial;
                }
                return cell;
            }
            cell.text = m_q.displayText(row, c.field);
            break;
        }
        case Mode::Display:
            cell.text = TSheetExporter::fitText(m_q.displayText(row, c.field));
            break;
        }
        if (!cell.text.isEmpty())
            cell.type = Cell::Label;
        return cell;
    }

    int numberChars(const Column &c, double v) const
    {
        const double a = std::fabs(v);
        const int sign = v < 0 ? 1 : 0;
        if (c.mode == Mode::Serial)
            return c.serialChars;
        if (c.fixedFormat) {
            const int digits = digitCount(std::floor(a));
            return sign + digits + (c.grouped ? (digits - 1) / 3 : 0) + (c.decimals ? c.decimals + 1 : 0) +
                   c.formatExtra;
        }
        if (a < 1e11 && v == std::floor(v))
            return sign + digitCount(a);
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
        return qMin(int(r.ptr - buf), 11); // the General format shows at most 11 characters
    }

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
                const Cell cell = cellAt(c, r);
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

    // --- globals ----------------------------------------------------------------------------

    static void bof(BiffStream &out, quint16 type)
    {
        out.begin(rtBof);
        out.u16(0x0600); // BIFF8
        out.u16(type);
        out.u16(0x0DBB); // build
        out.u16(0x07CC); // year
        out.u32(0);      // file history
        out.u32(0x06);   // lowest version that can read it
        out.end();
    }

    // Unicode string with a 16-bit or 8-bit length, 8-bit characters where they all fit.
    static void string(BiffStream &out, const QString &s, bool shortLength)
    {
        const bool wide = needsWide(s);
        if (shortLength)
            out.u8(quint8(s.size()));
        else
            out.u16(quint16(s.size()));
        out.u8(wide ? 1 : 0);
        for (QChar ch : s) {
            if (wide)
                out.u16(ch.unicode());
            else
                out.u8(quint8(ch.unicode()));
        }
    }

    static void font(BiffStream &out, bool bold)
    {
        out.begin(rtFont);
        out.u16(FontHeight);
        out.u16(bold ? 0x0001 : 0x0000); // the old bold flag, beside the weight; not italic
        out.u16(BlackColour);
        out.u16(bold ? 700 : 400);
        out.u16(0); // neither super- nor subscript
        out.u8(0);  // no underline
        out.u8(2);  // swiss family
        out.u8(0);  // ANSI character set
        out.u8(0);
        string(out, QStringLiteral("Tahoma"), true);
        out.end();
    }

    static void xf(BiffStream &out, quint16 fontIndex, quint16 format, bool style, quint8 usedAttributes)
    {
        out.begin(rtXf);
        out.u16(fontIndex);
        out.u16(format);
        out.u16(style ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell has the Normal style
        out.u8(0x10);                     // horizontal general, vertical centre, no wrapping
        out.u8(0);                        // no rotation
        out.u8(0);                        // no indent, left-to-right by context
        out.u8(usedAttributes);
        out.u32(0);      // no borders
        out.u32(0);      // no fill
        out.u16(0x20C0); // pattern colours: the system's defaults
        out.end();
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
        for (int i = 0; i < m_formats.size(); ++i) {
            out.begin(rtFormat);
            out.u16(quint16(FirstCustomFormat + i));
            string(out, m_formats.at(i), false);
            out.end();
        }
        // The Normal style, the outline styles, the default cell format, then ours.
        xf(out, 0, 0, true, 0x00);
        for (int i = 1; i < StyleXfCount; ++i)
            xf(out, 0, 0, true, 0xF4);
        xf(out, 0, 0, false, 0x00);
        xf(out, 1, 0, false, 0xFC);
        for (int format : std::as_const(m_dataXfFormats))
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

        writeSst(out);
        out.record(rtEof, {});
        return sheetPosField;
    }

    // The shared strings, split over CONTINUE records; a string's header never splits, and a
    // split string goes on with its own encoding flag.
    void writeSst(BiffStream &out)
    {
        const int unique = m_strings.size();
        const int perBucket = qMax(8, (unique + 127) / 128);
        std::vector<std::pair<quint32, quint16>> buckets;
        out.begin(rtSst);
        out.u32(quint32(m_labelIndexes.size()));
        out.u32(quint32(unique));
        for (int i = 0; i < unique; ++i) {
            const QString &s = m_strings.at(i);
            const bool wide = needsWide(s);
            const int charSize = wide ? 2 : 1;
            if (out.recordLength() + 3 + charSize > BiffStream::MaxRecordData) {
                out.end();
                out.begin(rtContinue);
            }
            if (i % perBucket == 0)
                buckets.emplace_back(quint32(out.pos()), quint16(out.pos() - out.recordPos()));
            out.u16(quint16(s.size()));
            out.u8(wide ? 1 : 0);
            int done = 0;
            const int len = int(s.size());
            while (done < len) {
                int room = (BiffStream::MaxRecordData - out.recordLength()) / charSize;
                int take = qMin(room, len - done);
                if (wide && take > 0 && take < len - done && s.at(done + take - 1).isHighSurrogate())
                    --take;
                if (take <= 0) {
                    out.end();
                    out.begin(rtContinue);
                    out.u8(wide ? 1 : 0);
                    continue;
                }
                const QChar *p = s.constData() + done;
                if (wide) {
                    for (int k = 0; k < take; ++k)
                        out.u16(p[k].unicode());
                } else {
                    for (int k = 0; k < take; ++k)
                        out.u8(quint8(p[k].unicode()));
                }
                done += take;
            }
        }
        out.end();
        m_strings.clear(); // written: only the indexes are needed from here on

        out.begin(rtExtSst);
        out.u16(quint16(perBucket));
        for (const auto &[pos, offset] : buckets) {
            out.u32(pos);
            out.u16(offset);
            out.u16(0);
        }
        out.end();
    }

    // --- sheet ------------------------------------------------------------------------------

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
                    const Cell cell = cellAt(col, r - 1);
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

    static void labelCell(BiffStream &out, int row, int col, quint16 xf, quint32 index)
    {
        out.begin(rtLabelSst);
        out.u16(quint16(row));
        out.u16(quint16(col));
        out.u16(xf);
        out.u32(index);
        out.end();
    }

    static void numberCell(BiffStream &out, int row, int col, quint16 xf, double v)
    {
        // Whole numbers of 30 bits fit the short form.
        if (v == std::floor(v) && v >= -536870912.0 && v <= 536870911.0) {
            out.begin(rtRk);
            out.u16(quint16(row));
            out.u16(quint16(col));
            out.u16(xf);
            out.u32((quint32(qint32(v)) << 2) | 0x02);
            out.end();
            return;
        }
        out.begin(rtNumber);
        out.u16(quint16(row));
        out.u16(quint16(col));
        out.u16(xf);
        out.f64(v);
        out.end();
    }

    const Query &m_q;
    QString m_sheetName;
    QLocale m_locale;
    const std::function<void()> &m_progress;
    std::vector<Column> m_columns;
    QStringList m_formats;      // custom number formats, from index 164
    QList<int> m_dataXfFormats; // number format of each data cell format, from XF 17
    StringTable m_strings;
    std::vector<quint32> m_labelIndexes; // shared-string index of every text cell, in cell order
};

} // namespace

TSheetExporter::TSheetExporter(const QLocale &locale) : m_locale(locale) {}

QList<int> TSheetExporter::exportedFields(const Query &dataSet)
{
    QList<int> out;
    const QList<FieldDef> &fields = dataSet.fields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).visible && isExportable(fields.at(i).kind))
            out << i;
    return out;
}

QString TSheetExporter::sheetNameFor(const QString &name)
{
    QString s = name;
    for (QChar &c : s)
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    while (s.startsWith(QLatin1Char('\'')))
        s.remove(0, 1);
    s = s.left(31);
    if (s.size() == 31 && s.at(30).isHighSurrogate())
        s.chop(1);
    while (s.endsWith(QLatin1Char('\'')))
        s.chop(1);
    s = s.trimmed();
    if (s.isEmpty() || s.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Sheet1");
    return s;
}

QString TSheetExporter::fitText(const QString &text)
{
    if (text.size() <= MaxCellText)
        return text;
    int keep = MaxCellText - 3;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QStringLiteral("...");
}

void TSheetExporter::check() const
{
    if (!m_dataSet)
        throw ExportError(QStringLiteral("No dataset is connected"));
    if (!m_dataSet->isActive())
        throw ExportError(QStringLiteral("Dataset is not active"));
    if (exportedFields(*m_dataSet).size() > MaxColumns)
        throw ExportError(QStringLiteral("The maximum number of columns (%1) has been reached").arg(MaxColumns));
    if (m_dataSet->recordCount() > MaxDataRows)
        throw ExportError(QStringLiteral("The maximum number of rows (%1) has been reached").arg(MaxDataRows));
}

void TSheetExporter::ExportDataset(QIODevice &device)
{
    check();
    if (!device.isWritable() || device.isSequential())
        throw ExportError(QStringLiteral("The workbook needs a file that can be written and positioned"));
    WorkbookWriter writer(*m_dataSet, sheetNameFor(m_sheetName.isEmpty() ? m_dataSet->name() : m_sheetName), m_locale, m_progress);
    writer.write(device);
}

void TSheetExporter::SaveAs(const QString &fileName)
{
    check();
    const QString shown = QDir::toNativeSeparators(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, file.errorString()));
    try {
        ExportDataset(file);
    } catch (const ExportError &e) {
        file.cancelWriting();
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, e.message()));
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        throw ExportError(QStringLiteral("Cannot save \"%1\": %2").arg(shown, file.errorString()));
}
