#pragma once

#include "Query.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <vector>

class RowSource;

// The one description of an exported sheet that both writers (.xls and .xlsx) follow: which
// fields take a column, their titles, value kinds, number formats, fonts and fitted widths.
namespace Sheet {

// Fonts of every cell: titles bold, data regular, black, centred vertically.
inline const QString FontName = QStringLiteral("Tahoma");
constexpr int FontPoints = 10;
// Both formats hold this many characters in a cell; longer texts end in "...".
constexpr int MaxCellText = 32767;
// Widest column, in characters.
constexpr int MaxWidthChars = 255;

// What a format's sheet holds: data rows (below the title row) and columns.
struct Limits
{
    qint64 dataRows;
    int columns;
};
constexpr Limits XlsLimits{65535, 256};
constexpr Limits XlsxLimits{1048575, 16384};
// The refusals, as the user reads them. Throw ExportError.
[[noreturn]] void refuseRows(const Limits &limits);
[[noreturn]] void refuseColumns(const Limits &limits);

enum class Mode : quint8 { Label, Number, Serial, Display };

struct Column
{
    int field = 0;
    FieldKind kind = FieldKind::Text;
    Mode mode = Mode::Label;
    QString title;
    QString format; // number format code; empty: General
    // Width estimate in characters and what it needs from the format.
    int chars = 0;
    int serialChars = 0;
    bool fixedFormat = false;
    bool grouped = false;
    int decimals = 0;
    int formatExtra = 0;

    // The column's width in characters, with a margin, as both formats store it.
    int widthChars() const { return qBound(3, chars + 2, MaxWidthChars); }
};

struct Cell
{
    enum Type : quint8 { Blank, Label, Number } type = Blank;
    double number = 0;
    QString text;
};

bool isExportable(FieldKind kind);
// Indexes of the fields that take a column (visible and exportable), in column order.
QList<int> exportedFields(const QList<FieldDef> &fields);

// The columns of the exported fields, in order, widths set to fit their titles.
std::vector<Column> planColumns(const QList<FieldDef> &fields, const QLocale &locale);
// What a fixed number format adds to the digits, for the width estimate.
void describeNumberFormat(Column &c);

// A date/time value as a day serial of the sheet's calendar; *ok is false outside it.
double serialOf(const QVariant &v, FieldKind kind, bool *ok);
double numberOf(const QVariant &v, bool *ok);
// Texts longer than a cell holds end in "...".
QString fitText(const QString &text);
QString textOf(const QVariant &v);

// The cell of a column in the source's current row. Numbers a double cannot hold exactly (whole
// numbers beyond 2^53) and those that are not finite go as text.
Cell cellOf(const RowSource &source, const Column &c);
// Characters a number takes as the column's format shows it.
int numberChars(const Column &c, double v);
// Widens the column to the cell.
void fit(Column &c, const Cell &cell);

} // namespace Sheet
