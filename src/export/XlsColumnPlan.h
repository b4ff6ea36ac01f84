#pragma once

#include "Query.h"
#include "XlsRecords.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

// How each exported field becomes a column of cells: its value kind, number format, cell
// format and the width its contents need.
namespace Xls {

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

// The columns of the dataset's exported fields, in order, widths set to fit their titles.
std::vector<Column> planColumns(const Query &q, const QLocale &locale, CellFormats &formats);
// What a fixed number format adds to the digits, for the width estimate.
void describeNumberFormat(Column &c);

// A date/time value as a day serial of the sheet's calendar; *ok is false outside it.
double serialOf(const QVariant &v, FieldKind kind, bool *ok);
double numberOf(const QVariant &v, bool *ok);
QString textOf(const QVariant &v);

// The cell of a column in a record of the dataset.
Cell cellAt(const Query &q, const Column &c, int row);
// Characters a number takes as the column's format shows it.
int numberChars(const Column &c, double v);

} // namespace Xls
