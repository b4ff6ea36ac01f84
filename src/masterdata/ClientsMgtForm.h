#pragma once

#include "Query.h"
#include "ScreenServices.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class FlagTableModel;
class Session;

// "Clients Management Form": the clients, their details, and Add New, Modify, More Details.
class TClientsMgtForm : public QDialog
{
    Q_OBJECT
public:
    explicit TClientsMgtForm(Session &session, QWidget *parent = nullptr);
    ~TClientsMgtForm() override;

    Query ClientsQ;

    void RefreshList();
    void btn_AddNewClick();
    void btn_ModifyClick();
    void Button1Click();

    QPushButton *btn_AddNew;
    QPushButton *btn_Modify;
    QPushButton *Button1;
    QCheckBox *chk_ShowActiveOnly;
    QPushButton *btn_Close;
    QTableView *DBGrid1;
    QLineEdit *m_managerName, *m_managerTitle, *m_managerMobile, *m_managerEmail; // DBEdit2..5
    QLineEdit *m_purchasingName, *m_purchasingMobile, *m_purchasingEmail;         // DBEdit6..8
    QLineEdit *m_financeName, *m_financeMobile, *m_financeEmail;                  // DBEdit9..11
    QLineEdit *m_clientSize, *m_paymentTerms, *m_webSite;                         // DBEdit1, 12, 13
    QPlainTextEdit *m_hoAddress;                                                  // DBMemo1

public slots:
    void done(int result) override;

private:
    void buildUi();
    void showCurrent(); // grid selection and detail controls from the list's current row
    // Modify and More Details: the role and a current client, each refusal shown.
    bool mayModifyCurrent();
    // Saves the current client in one action, then shows it again from the re-read list.
    void saveCurrent(const std::function<void(qint64 recId)> &save);
    void currentRowChanged(int row);
    bool run(const std::function<void()> &action, const FailureText &failure);

    Session &m_session;
    SandGlass m_sandGlass;
    FlagTableModel *m_model;
    bool m_moving = false; // the grid follows the list, not the other way round
};
