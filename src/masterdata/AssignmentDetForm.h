#pragma once

#include "Projects.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class Query;

// "Project Details Form": a project's data for New and Modify.
class TAssignmentDetForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAssignmentDetForm(QWidget *parent = nullptr);

    // Fills cb_Clients from the all-clients list (Client_ID, Client_Name), in its order.
    void fillClients(const Query &allClients);
    void loadForNew();
    void load(const Projects::Record &r); // the name becomes read-only
    Projects::Record record() const;

    // Trims the name, then returns the first failing check's message (empty when all pass).
    QString validate();
    void btn_ConfirmClick();

    QComboBox *cb_Clients;
    QLineEdit *edt_Assignment;
    QCheckBox *chk_isActive, *chk_Night_Shift, *chk_Trans_To, *chk_Trans_From, *chk_Billable;
    QSpinBox *edt_WH, *edt_OT, *edt_HT;
    QPlainTextEdit *mem_ProjectDescription, *mem_SiteLocation, *mem_Remarks;
    QLineEdit *edt_Map_Latitude, *edt_Map_Longitude;
    QLineEdit *edt_ProjectManagerName, *edt_ProjectManagerMobile, *edt_ProjectManagerEmail;
    QLineEdit *edt_AccountantName, *edt_AccountantMobile, *edt_AccountantEmail;
    QLineEdit *edt_TimekeeperName, *edt_TimekeeperMobile, *edt_TimekeeperEmail;
    QLineEdit *edt_HSEManagerName, *edt_HSEManagerMobile, *edt_HSEManagerEmail;
    QComboBox *cb_PaymentTerms;
    QLineEdit *edt_ERPAccountNo;
    QPushButton *btn_Confirm, *btn_Cancel;
};
