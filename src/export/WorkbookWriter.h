#pragma once

#include <QLocale>
#include <QString>
#include <functional>

class Query;
class QIODevice;

namespace Xls {

// Writes the workbook of one worksheet holding the dataset's exported fields. The dataset is read
// twice: shared strings and widths first, then the cells. Throws ExportError.
void writeWorkbook(QIODevice &device, const Query &q, const QString &sheetName, const QLocale &locale,
                   const std::function<void()> &progress);

} // namespace Xls
