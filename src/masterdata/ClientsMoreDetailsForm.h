#pragma once

#include "Clients.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Clients - More Details": the client's three contact persons.
class TClientsMoreDetailsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TClientsMoreDetailsForm(QWidget *parent = nullptr);

    void load(const Clients::Contacts &c);
    Clients::Contacts contacts() const;

    QLineEdit *edt_Manager_Name, *edt_Manager_Mobile, *edt_Manager_Title, *edt_Manager_Email;
    QLineEdit *edt_Purchasing_Manager_Name, *edt_Purchasing_Manager_Mobile, *edt_Purchasing_Manager_Email;
    QLineEdit *edt_Finance_Manager_Name, *edt_Finance_Manager_Mobile, *edt_Finance_Manager_Email;
    QPushButton *btn_Confirm;
    QPushButton *btn_Cancel;
};
