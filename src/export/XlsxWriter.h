#pragma once

#include "ExportError.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

class RowSource;

namespace Xlsx {

// Writes the workbook (.xlsx) of one worksheet holding the source's exported fields to a file,
// reading the rows once: rows go out as they come and only the widths are kept. Temporary
// files go to tmpFolder. Returns the number of data rows. Refuses more rows or columns than the format holds. Throws
// ExportError; the file is then incomplete and the caller removes it.
qint64 writeWorkbook(const QString &fileName, RowSource &source, const QString &sheetName, const QLocale &locale,
                     const ExportProgress &progress, const QString &tmpFolder);

// One worksheet of a workbook of several.
struct SheetInput
{
    RowSource *source = nullptr;
    QString name; // a name the format accepts, unique in the workbook
};

// The same for several worksheets, in order; cells the source marks highlighted get a yellow
// fill. Returns the number of data rows of all sheets.
qint64 writeWorkbook(const QString &fileName, const QList<SheetInput> &sheets, const QLocale &locale,
                     const ExportProgress &progress, const QString &tmpFolder);

} // namespace Xlsx
