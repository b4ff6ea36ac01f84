#pragma once

#include "FileDialog.h"

#include <QString>

class Query;
class QWidget;

// A window's "Export To Excel": refusals first, then the save dialog (FileName + ".xls"
// proposed), then the .xls or .xlsx file of the dataset's visible fields, as the chosen filter
// says, its sheet named after the dataset. Refusals and failures are shown as messages; nothing
// is written when the user cancels or anything fails.
namespace ExportAction {

inline const QString XlsFilter = QStringLiteral("Excel 97-2003 Workbook (*.xls)");
inline const QString XlsxFilter = QStringLiteral("Excel Workbook (*.xlsx)");

void ExportToExcel(Query &dataSet, const QString &fileName, QWidget *parent);

// The save dialog's settings.
FileDialog::Request saveDialog(const QString &fileName);

// The chosen name ending in the suffix of the chosen format.
QString withSuffix(const QString &chosen, const QString &suffix);

} // namespace ExportAction
