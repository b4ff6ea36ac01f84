#pragma once

// Reads a written .xls file back with python3-xlrd (tests/common/xls_dump.py), an independent reader.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace XlrdDump {

inline QString python()
{
    // Debian's interpreter has python3-xlrd; one on PATH may be another installation.
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

// The workbook as xlrd sees it; an empty object (and a test failure) when xlrd refuses it.
inline QJsonObject read(const QString &path, int maxRows = -1)
{
    QProcess p;
    p.start(python(), {QStringLiteral(TALLIMAR_TESTS_DIR "/common/xls_dump.py"), path, QString::number(maxRows)});
    if (!p.waitForFinished(300000)) {
        qWarning("xlrd did not finish");
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("xlrd refused %s: %s", qPrintable(path), p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline QJsonObject sheet(const QJsonObject &book, int i = 0)
{
    return book.value(QStringLiteral("sheets")).toArray().at(i).toObject();
}

// [type, value, xf] of a cell; xlrd's types: 0 empty, 1 text, 2 number, 3 date, 4 boolean, 6 blank.
inline QJsonArray cell(const QJsonObject &sheet, int row, int col)
{
    return sheet.value(QStringLiteral("cells")).toArray().at(row).toArray().at(col).toArray();
}

inline int type(const QJsonObject &sheet, int row, int col)
{
    return cell(sheet, row, col).at(0).toInt(-1);
}

inline QJsonValue value(const QJsonObject &sheet, int row, int col)
{
    return cell(sheet, row, col).at(1);
}

// The cell's format: font, bold, colour, height, number format, alignment.
inline QJsonObject format(const QJsonObject &book, const QJsonObject &sheet, int row, int col)
{
    const int xf = cell(sheet, row, col).at(2).toInt(-1);
    return book.value(QStringLiteral("xfs")).toArray().at(xf).toObject();
}

} // namespace XlrdDump
