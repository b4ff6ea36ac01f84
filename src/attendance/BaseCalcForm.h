#pragma once

#include "ClientAttendance.h"

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

// Asks which base of normal hours per day "Calculate Base" applies.
class TBaseCalcForm : public QDialog
{
    Q_OBJECT
public:
    explicit TBaseCalcForm(QWidget *parent = nullptr);

    NormalBase base() const;

    QGroupBox *RadioGroup1;
    QRadioButton *rb_As8;
    QRadioButton *rb_As10;
    QPushButton *btn_OK;
    QPushButton *btn_Cancel;

protected:
    void showEvent(QShowEvent *event) override;
};
