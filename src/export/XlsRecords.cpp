#include "XlsRecords.h"
#include "BiffStream.h"
#include "StringTable.h"

#include <QHash>
#include <cmath>
#include <vector>

namespace Xls {

int CellFormats::formatIndex(const QString &code)
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

quint16 CellFormats::dataXf(const QString &code)
{
    const int format = formatIndex(code);
    const int i = int(m_dataXfFormats.indexOf(format));
    if (i >= 0)
        return quint16(FirstDataXf + i);
    m_dataXfFormats << format;
    return quint16(FirstDataXf + m_dataXfFormats.size() - 1);
}

bool needsWide(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

void bof(BiffStream &out, quint16 type)
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

void string(BiffStream &out, const QString &s, bool shortLength)
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

void font(BiffStream &out, bool bold)
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

void xf(BiffStream &out, quint16 fontIndex, quint16 format, bool style, quint8 usedAttributes)
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

// A string's header never splits over CONTINUE records, and a split string goes on with its own
// encoding flag.
void sst(BiffStream &out, const StringTable &strings, quint32 references)
{
    const int unique = strings.size();
    const int perBucket = qMax(8, (unique + 127) / 128);
    std::vector<std::pair<quint32, quint16>> buckets;
    out.begin(rtSst);
    out.u32(references);
    out.u32(quint32(unique));
    for (int i = 0; i < unique; ++i) {
        const QString &s = strings.at(i);
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

    out.begin(rtExtSst);
    out.u16(quint16(perBucket));
    for (const auto &[pos, offset] : buckets) {
        out.u32(pos);
        out.u16(offset);
        out.u16(0);
    }
    out.end();
}

void labelCell(BiffStream &out, int row, int col, quint16 xf, quint32 index)
{
    out.begin(rtLabelSst);
    out.u16(quint16(row));
    out.u16(quint16(col));
    out.u16(xf);
    out.u32(index);
    out.end();
}

void numberCell(BiffStream &out, int row, int col, quint16 xf, double v)
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

} // namespace Xls
