#pragma once

#include "Query.h"
#include "ScreenServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class FlagTableModel;
class Session;

// "Projects Management Form": the non-protected projects, their details, search, New, Modify
// and the list's export.
class TAssignmentMgtForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAssignmentMgtForm(Session &session, QWidget *parent = nullptr);
    ~TAssignmentMgtForm() override;

    Query AssignmentQ;
    int showAll() const { return m_showAll; }

    void FormActivate();
    void OpenList();
    void chk_ShowActiveOnlyClick();
    void edt_SearchKeyUp();
    void btn_NewClick();
    void btn_ModifyClick();
    void btn_ExportClick();

    QPushButton *btn_New, *btn_Modify, *btn_Export, *btn_Close;
    QLineEdit *edt_Search;
    QCheckBox *chk_ShowActiveOnly;
    QTableView *DBGrid1;
    QCheckBox *m_billable, *m_nightShift, *m_transTo, *m_transFrom; // DBCheckBox1, 4, 2, 3
    QLineEdit *m_clientName;                                        // DBEdit15
    QPlainTextEdit *m_description, *m_siteLocation, *m_remarks;     // DBMemo1..3
    QLineEdit *m_latitude, *m_longitude;                            // DBEdit16, 17
    QList<QLineEdit *> m_contacts;                                  // DBEdit3..14 in order
    QLineEdit *m_paymentTerms, *m_erpAccountNo;                     // DBEdit1, 2

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildUi();
    void showCurrent();
    void currentRowChanged(int row);

    Session &m_session;
    SandGlass m_sandGlass;
    ActivationGuard m_activation;
    FlagTableModel *m_model;
    int m_showAll = -1;
    bool m_opened = false;
    bool m_moving = false;
};
