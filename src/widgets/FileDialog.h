#pragma once

#include <QString>

class QWidget;

// Every file dialog of the program, behind a small wrapper, so that tests answer it in advance
// instead of a person (KeePassXC's FileDialog::setNextFileName does the same), or drive the real
// dialog through Dialogs' answerer. The dialog never opens the files it lists (see FileDialog.cpp).
class FileDialog
{
public:
    struct Request
    {
        QString caption;
        QString fileName;             // proposed name
        QString filter;               // Qt notation, several joined by ";;": "Excel Files (*.xls)"
        QString defaultSuffix;        // added to a name chosen without an extension (save only)
        bool confirmOverwrite = true; // save only
    };

    // The chosen file, or empty when the user cancels; selectedFilter (when given) receives the
    // filter the user chose.
    static QString getSaveFileName(QWidget *parent, const Request &request, QString *selectedFilter = nullptr);
    // The same for an existing file to read (defaultSuffix and confirmOverwrite unused).
    static QString getOpenFileName(QWidget *parent, const Request &request, QString *selectedFilter = nullptr);

    // The next call returns this name and filter without showing a dialog; an empty name answers
    // Cancel, an empty filter stands for the first one.
    static void setNextFileName(const QString &fileName, const QString &selectedFilter = {});
    // What the last call asked for.
    static Request lastRequest();
    // The folder a dialog opens in: the last one a file was chosen in during this run.
    static QString startFolder();
};
