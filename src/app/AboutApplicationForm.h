#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutApplicationForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutApplicationForm(QWidget *parent = nullptr);

    QLabel *ProgramIcon;
    QLabel *lbl_ProductName;
    QLabel *lbl_Version;
    QLabel *lbl_Copyright;
    QPushButton *OKButton;
};
