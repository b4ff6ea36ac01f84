#pragma once

#include "CheckerLookup.h"
#include "InvoiceCheck.h"
#include "ScreenServices.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class AttendanceTotalsPanel;
class EmployeeSearchPanel;
class QueryTableModel;
class Session;

// "Client Attendance Checker Form": own and client attendance of one worker side by side, and
// the check that marks the client rows and writes the invoice lines.
class TClientAttendanceCheckerForm : public QDialog
{
    Q_OBJECT
public:
    explicit TClientAttendanceCheckerForm(Session &session, QWidget *parent = nullptr);
    ~TClientAttendanceCheckerForm() override;

    QDateEdit *dtp_Cycle;
    QComboBox *cb_Project;
    QPushButton *btn_Close;
    QLineEdit *edt_SearchEmpNo;
    QPushButton *btn_SearchEmpNo;
    QTableView *dbg_Workers;
    QPushButton *btn_CheckAll;
    QLineEdit *edt_RefNo;      // "DBEdit1"
    QLineEdit *edt_EmployeeNo; // "DBEdit27"
    QLineEdit *edt_FirstName;  // "DBEdit53"
    QLineEdit *edt_LastName;   // "DBEdit10"
    QTableView *dbg_OurTimeSheet;
    QTableView *dbg_ClientTimeSheet;
    EmployeeSearchPanel *pnl_Employees;
    AttendanceTotalsPanel *pnl_Totals;
    QLabel *lbl_TotalClientHours; // coloured by the comparison
    QPushButton *btn_Check;

    CheckerLookup &lookup() { return *m_lookup; }
    int cycleYear() const { return m_year; }
    int cycleMonth() const { return m_month; }

public slots:
    void FormActivate();
    void FillComboBoxes();
    void cb_ProjectChange();
    void FindEmployee();
    void dbg_WorkersDblClick();
    void btn_CheckClick();
    void btn_CheckAllClick();

protected:
    bool event(QEvent *e) override;

private:
    void buildControls();
    void showEmployee();
    void reloadGrids();
    void clearEmployee(bool zeroLabels);
    void CalcOurAttendance();
    void CalcClientAttendance();
    void CompareHours();
    // Runs the check of one worker and shows a failure.
    CheckOutcome checkOne(const QString &employeeNo);
    void rereadClientRows();

    Session &m_session;
    ActivationGuard m_activation;
    std::unique_ptr<CheckerLookup> m_lookup;
    std::unique_ptr<InvoiceCheck> m_check;
    SandGlass m_sandGlass;
    QueryTableModel *m_ourGridModel;
    QueryTableModel *m_clientGridModel;
    int m_year = 0;
    int m_month = 0;
    QString m_shownEmployee;
    bool m_disputed = false;
    bool m_projectsFilled = false;
    bool m_inPass = false; // "Check All Employees" running
};
