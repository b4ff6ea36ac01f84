#pragma once

#include "ExportError.h"

#include <QLocale>
#include <QString>
#include <functional>

class QIODevice;
class RowSource;

namespace Xls {

// Writes the workbook of one worksheet holding the source's exported fields, reading the rows
// once. The cell records go to a temporary file in spoolFolder while the shared strings and the
// widths are gathered, and are copied behind them at the end, so memory holds the strings only.
// Returns the number of data rows. Refuses more rows or columns than the format holds.
// Throws ExportError.
qint64 writeWorkbook(QIODevice &device, RowSource &source, const QString &sheetName, const QLocale &locale,
                     const ExportProgress &progress, const QString &spoolFolder);

} // namespace Xls
