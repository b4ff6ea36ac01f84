#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The report of tallimar-cli db-check, for an administrator at the window: what the database
// lacks for the program and the recommended indexes it has not got.
class TDatabaseCheckForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDatabaseCheckForm(const QString &report, QWidget *parent = nullptr);

    QPlainTextEdit *mem_Report;
    QPushButton *btn_Close;
};
