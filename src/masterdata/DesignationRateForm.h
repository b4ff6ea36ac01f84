#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

// "Site Job Rate": one site job and its three hour rates. The window puts the values to show
// into the four fields, calls FormActivate, runs the dialog and reads the fields back on OK.
class TDesignationRateForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDesignationRateForm(QWidget *parent = nullptr);

    QString Selected_SiteJob;
    double WH_Value = 0;
    double OT_Value = 0;
    double HT_Value = 0;

    void setSiteJobs(const QStringList &jobs);
    // Shows the four fields in the controls.
    void FormActivate();
    // Reads the controls into the fields in order; the first failing step's message, or empty.
    QString validate();
    void btn_OKClick();

    QComboBox *cb_Designation;
    QLineEdit *edt_WH, *edt_OT, *edt_HT;
    QPushButton *btn_OK, *Button2;
};
