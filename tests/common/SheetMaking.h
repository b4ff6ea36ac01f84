#pragma once

// Makes sheets for the readers' and the import's tests with independent writers: python3-openpyxl (.xlsx),
// python3-xlwt (.xls) and Python's zipfile (hand-made or hostile .xlsx).

#include "XlrdReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QTest>

namespace SheetMaking {

// Runs the Python code with OUT bound to the path; true when it succeeded.
inline bool python(const QString &code, const QString &out)
{
    QProcess p;
    p.start(XlrdDump::python(),
            {QStringLiteral("-c"),
             QStringLiteral("OUT = %1\n").arg(QLatin1String(QByteArray("'" + out.toUtf8() + "'"))) + code});
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("python failed: %s", p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Runs tests/sheets/NAME.py with the path (and the extra arguments); true when it succeeded.
inline bool script(const char *name, const QString &out, const QStringList &args = {})
{
    QProcess p;
    p.start(XlrdDump::python(),
            QStringList{QStringLiteral(TALLIMAR_TESTS_DIR "/sheets/%1.py").arg(QLatin1String(name)), out} + args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s failed: %s", name, p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// An .xlsx of the rows, written by openpyxl (tests/sheets/rows_openpyxl.py): QString values
// "date:yyyy-MM-dd" become date cells and "=..." formulas without a stored value.
inline bool xlsx(const QString &out, const QJsonArray &rows, const QString &sheetName = QStringLiteral("Sheet"))
{
    QFile json(out + QStringLiteral(".json"));
    if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    json.write(QJsonDocument(rows).toJson());
    json.close();
    return script("rows_openpyxl", out, {json.fileName(), sheetName});
}

} // namespace SheetMaking
