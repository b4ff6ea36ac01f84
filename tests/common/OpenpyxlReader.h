#pragma once

// Reads a written .xlsx file back with python3-openpyxl (tests/common/xlsx_dump.py), an
// independent reader.

#include "XlrdReader.h"

#include <QJsonArray>
#include <QJsonObject>

namespace OpenpyxlDump {

// The workbook as openpyxl sees it; an empty object (and a warning) when openpyxl refuses it.
// With maxRows >= 0 only the first rows are read and no widths.
inline QJsonObject read(const QString &path, int maxRows = -1)
{
    QProcess p;
    p.start(XlrdDump::python(),
            {QStringLiteral(TALLIMAR_TESTS_DIR "/common/xlsx_dump.py"), path, QString::number(maxRows)});
    if (!p.waitForFinished(300000)) {
        qWarning("openpyxl did not finish");
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("openpyxl refused %s: %s", qPrintable(path), p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline QJsonObject sheet(const QJsonObject &book, int i = 0)
{
    return book.value(QStringLiteral("sheets")).toArray().at(i).toObject();
}

// {type, value, style} of a cell; openpyxl's types: "s" text, "n" number, "d" date or time
// (value in ISO form), "b" boolean, "blank" an empty cell.
inline QJsonObject cell(const QJsonObject &sheet, int row, int col)
{
    return sheet.value(QStringLiteral("cells")).toArray().at(row).toArray().at(col).toObject();
}

inline QString type(const QJsonObject &sheet, int row, int col)
{
    return cell(sheet, row, col).value(QStringLiteral("type")).toString();
}

inline QJsonValue value(const QJsonObject &sheet, int row, int col)
{
    return cell(sheet, row, col).value(QStringLiteral("value"));
}

// Font, bold, size, colour, number format, alignment.
inline QJsonObject style(const QJsonObject &sheet, int row, int col)
{
    return cell(sheet, row, col).value(QStringLiteral("style")).toObject();
}

} // namespace OpenpyxlDump
