#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class BiffStream;
class StringTable;

// The BIFF8 records of the workbook and the numbering of fonts, formats and cell formats (XF)
// that the records refer to each other by.
namespace Xls {

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

// The number formats and cell formats the columns use, numbered as the file holds them.
class CellFormats
{
public:
    // The cell format of data cells with a number format (empty: General).
    quint16 dataXf(const QString &code);
    const QStringList &customFormats() const { return m_formats; }
    // Number format of each data cell format, from FirstDataXf.
    const QList<int> &dataXfFormats() const { return m_dataXfFormats; }

private:
    int formatIndex(const QString &code);

    QStringList m_formats; // custom number formats, from FirstCustomFormat
    QList<int> m_dataXfFormats;
};

// True when a text has characters beyond Latin-1 and so needs 16-bit characters.
bool needsWide(const QString &s);

// BOF of the globals (0x0005) or of a worksheet (0x0010).
void bof(BiffStream &out, quint16 type);
// Unicode string with a 16-bit or 8-bit length, 8-bit characters where they all fit.
void string(BiffStream &out, const QString &s, bool shortLength);
void font(BiffStream &out, bool bold);
void xf(BiffStream &out, quint16 fontIndex, quint16 format, bool style, quint8 usedAttributes);
// The shared strings (SST with its CONTINUE records) and their index (EXTSST); references is the
// number of text cells that point into them.
void sst(BiffStream &out, const StringTable &strings, quint32 references);
void labelCell(BiffStream &out, int row, int col, quint16 xf, quint32 index);
void numberCell(BiffStream &out, int row, int col, quint16 xf, double v);

} // namespace Xls
