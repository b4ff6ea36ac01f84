#include "SheetRows.h"

#include <cmath>

QString SheetCell::displayText() const
{
    switch (type) {
    case Empty:
        return {};
    case Text:
    case Error:
        return text;
    case Number:
        if (!text.isEmpty())
            return text;
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 15);
    case Date:
        return date.toString(Qt::ISODate);
    case Boolean:
        return number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    return {};
}

const SheetCell &SheetRow::cell(int column) const
{
    static const SheetCell empty;
    return column >= 0 && column < cells.size() ? cells.at(column) : empty;
}

bool SheetRow::isEmpty() const
{
    for (const SheetCell &c : cells)
        if (!c.isEmpty())
            return false;
    return true;
}

QString SheetMessages::passwordProtected()
{
    return QStringLiteral("The file is password-protected");
}

QString SheetMessages::notASpreadsheet()
{
    return QStringLiteral("The file is not a spreadsheet (.xlsx, .xls or .csv)");
}

QString SheetMessages::damaged(const QString &detail)
{
    return QStringLiteral("The file is damaged: %1").arg(detail);
}

QString SheetMessages::tooLarge()
{
    return QStringLiteral("The sheet is larger than the format allows");
}

QString SheetMessages::expandsTooFar(qint64 limitBytes)
{
    return QStringLiteral("The workbook would unpack to more than %1 MB; it is not read")
        .arg(limitBytes / (1024 * 1024));
}

QDate serialToDate(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < (date1904 ? 0 : 1) || serial > 2958465) // 9999-12-31
        return {};
    const qint64 days = qint64(std::floor(serial));
    if (date1904)
        return QDate(1904, 1, 1).addDays(days);
    // Day 60 is the 29 February 1900 that never was; days before it count from one day later.
    if (days < 60)
        return QDate(1899, 12, 31).addDays(days);
    return QDate(1899, 12, 30).addDays(days);
}

double dateToSerial(const QDate &date)
{
    return double(QDate(1899, 12, 30).daysTo(date));
}
