#include "SheetColumns.h"
#include "Connection.h"
#include "ExportError.h"
#include "RowSource.h"
#include "XlsFormats.h"

#include <charconv>
#include <cmath>

namespace Sheet {

namespace {

// 1899-12-30 is day 0 of the sheet's calendar; 1900-03-01 is the first day it counts right.
constexpr qint64 SerialEpochJulian = 2415019;
constexpr double FirstReliableSerial = 61;
constexpr double LastSerial = 2958465; // 9999-12-31

int digitCount(double a)
{
    int n = 1;
    while (a >= 10 && n < 400) {
        a /= 10;
        ++n;
    }
    return n;
}

// A whole number beyond 2^53 would lose digits as a double; it goes as its digits instead.
bool fitsDouble(const QVariant &v)
{
    constexpr qint64 Exact = Q_INT64_C(9007199254740992);
    if (v.typeId() == QMetaType::LongLong) {
        const qint64 i = *static_cast<const qlonglong *>(v.constData());
        return i >= -Exact && i <= Exact;
    }
    if (v.typeId() == QMetaType::ULongLong)
        return *static_cast<const qulonglong *>(v.constData()) <= quint64(Exact);
    return true;
}

} // namespace

void refuseRows(const Limits &limits)
{
    throw ExportRefusal(QStringLiteral("The maximum number of rows (%1) has been reached").arg(limits.dataRows));
}

void refuseColumns(const Limits &limits)
{
    throw ExportRefusal(QStringLiteral("The maximum number of columns (%1) has been reached").arg(limits.columns));
}

bool isExportable(FieldKind kind)
{
    return kind != FieldKind::Bytes;
}

QList<int> exportedFields(const QList<FieldDef> &fields)
{
    QList<int> out;
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).visible && isExportable(fields.at(i).kind))
            out << i;
    return out;
}

std::vector<Column> planColumns(const QList<FieldDef> &fields, const QLocale &locale)
{
    std::vector<Column> columns;
    for (int f : exportedFields(fields)) {
        const FieldDef &def = fields.at(f);
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
            c.mode = def.kind == FieldKind::LargeInt || def.kind == FieldKind::AutoInc ? Mode::Display : Mode::Number;
            if (!def.displayFormat.isEmpty())
                c.format = def.displayFormat;
            else if (def.kind == FieldKind::Currency)
                c.format = XlsFormats::currency(locale);
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
                    qtFormat = locale.dateFormat(QLocale::ShortFormat);
                else if (def.kind == FieldKind::Time)
                    qtFormat = locale.timeFormat(QLocale::ShortFormat);
                else
                    qtFormat = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                               locale.timeFormat(QLocale::ShortFormat);
            }
            c.format = XlsFormats::fromQtDateFormat(qtFormat);
            // Longest month and weekday names of the language, late in the day.
            c.serialChars =
                int(locale.toString(QDateTime(QDate(2000, 9, 27), QTime(23, 59, 59, 999)), qtFormat).size());
            break;
        }
        case FieldKind::Bytes:
            break;
        }
        if (c.mode == Mode::Number && !c.format.isEmpty())
            describeNumberFormat(c);
        c.chars = int(std::ceil(c.title.size() * 1.1)); // the title is bold
        columns.push_back(std::move(c));
    }
    return columns;
}

void describeNumberFormat(Column &c)
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

double serialOf(const QVariant &v, FieldKind kind, bool *ok)
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

// Reads the usual types directly, without the general conversion machinery.
double numberOf(const QVariant &v, bool *ok)
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

QString fitText(const QString &text)
{
    if (text.size() <= MaxCellText)
        return text;
    int keep = MaxCellText - 3;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QStringLiteral("...");
}

QString textOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QString)
        return fitText(*static_cast<const QString *>(v.constData()));
    return fitText(v.toString());
}

Cell cellOf(const RowSource &source, const Column &c)
{
    Cell cell;
    const QVariant v = source.value(c.field);
    if (v.isNull())
        return cell;
    switch (c.mode) {
    case Mode::Label:
        cell.text = textOf(v);
        break;
    case Mode::Number: {
        bool ok = false;
        const double d = numberOf(v, &ok);
        if (ok && std::isfinite(d) && fitsDouble(v)) {
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
        cell.text = source.displayText(c.field);
        break;
    }
    case Mode::Display:
        cell.text = fitText(source.displayText(c.field));
        break;
    }
    if (!cell.text.isEmpty())
        cell.type = Cell::Label;
    return cell;
}

int numberChars(const Column &c, double v)
{
    const double a = std::fabs(v);
    const int sign = v < 0 ? 1 : 0;
    if (c.mode == Mode::Serial)
        return c.serialChars;
    if (c.fixedFormat) {
        const int digits = digitCount(std::floor(a));
        return sign + digits + (c.grouped ? (digits - 1) / 3 : 0) + (c.decimals ? c.decimals + 1 : 0) + c.formatExtra;
    }
    if (a < 1e11 && v == std::floor(v))
        return sign + digitCount(a);
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
    return qMin(int(r.ptr - buf), 11); // the General format shows at most 11 characters
}

void fit(Column &c, const Cell &cell)
{
    int chars = 0;
    if (cell.type == Cell::Label)
        chars = int(cell.text.size());
    else if (cell.type == Cell::Number)
        chars = numberChars(c, cell.number);
    if (chars > c.chars)
        c.chars = chars;
}

} // namespace Sheet
