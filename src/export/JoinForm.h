#pragma once

#include "FileDialog.h"
#include "SheetExporter.h"

#include <QWidget>

class Query;

// The hidden form that start-up creates once: the one entry point of spreadsheet export, and the
// photo settings of Workers.ini.
class TJoinForm : public QWidget
{
    Q_OBJECT
public:
    // iniPath empty: Workers.ini beside the executable.
    explicit TJoinForm(QWidget *parent = nullptr, const QString &iniPath = {});
    ~TJoinForm() override;

    // The one instance of the run, for the module windows.
    static TJoinForm *instance();

    bool PhotoShow = false;
    QString PhotoPath;
    static const QString DefaultPhotoPath;

    // Asks for a file name (FileName + ".xls" proposed) and saves the dataset's visible fields
    // there as an .xls workbook whose sheet is named after the dataset. Refusals and failures are
    // shown as messages; nothing is written when the user cancels or anything fails.
    void ExportToExcel(Query &iDataSet, const QString &FileName);
    void ExportToExcel(Query *iDataSet, const QString &FileName);

    // The save dialog's settings.
    static FileDialog::Request saveDialog(const QString &FileName);

    TSheetExporter SheetExporter1;
};
