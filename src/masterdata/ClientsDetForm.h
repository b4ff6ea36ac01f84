#pragma once

#include "Clients.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Clients Details Form": a client's main data for Add New and Modify.
class TClientsDetForm : public QDialog
{
    Q_OBJECT
public:
    explicit TClientsDetForm(QWidget *parent = nullptr);

    void loadForNew();
    void load(const Clients::MainData &d);
    Clients::MainData data() const;

    // Trims the name, then returns the first failing check's message (empty when all pass).
    QString validate();
    void btn_ConfirmClick();

    QLineEdit *edt_Client_Name;
    QCheckBox *chk_isActive;
    QComboBox *cb_Client_Kind;
    QComboBox *cb_Client_Size;
    QComboBox *cb_PaymentTerms;
    QLineEdit *edt_Web_Site;
    QPlainTextEdit *mem_HO_Address;
    QPushButton *btn_Confirm;
    QPushButton *btn_Cancel;
};
