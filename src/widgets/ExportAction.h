#pragma once

#include "FileDialog.h"

#include <QString>

class Query;
class QWidget;

// A window's "Export To Excel": refusals first, then the save dialog (FileName + ".xls"
// proposed), then the .xls file of the dataset's visible fields, its sheet named after the
// dataset. Refusals and failures are shown as messages; nothing is written when the user
// cancels or anything fails.
namespace ExportAction {

void ExportToExcel(Query &dataSet, const QString &fileName, QWidget *parent);

// The save dialog's settings.
FileDialog::Request saveDialog(const QString &fileName);

} // namespace ExportAction
