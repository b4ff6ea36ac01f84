#pragma once

#include "ClientAttendance.h"
#include "ScreenServices.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QSpinBox;
class QTableView;
class AttendanceTotalsPanel;
class EmployeeSearchPanel;
class QueryTableModel;
class Session;
class TBaseCalcForm;

// "Client Attendance Form": the client's attendance of one project in the active cycle, one
// employee at a time. The operations live in ClientAttendance; this window gathers the
// controls' values, calls them and shows what is stored.
class TClientAttendanceForm : public QDialog
{
    Q_OBJECT
public:
    explicit TClientAttendanceForm(Session &session, QWidget *parent = nullptr);
    ~TClientAttendanceForm() override;

    ClientAttendance &attendance() { return m_att; }
    TBaseCalcForm *baseCalcForm() const { return m_baseCalc; }

    // Prepares the window on a project and employee of the active cycle, and on a day of it,
    // as if the user had picked, looked up and typed them; another window opens it so.
    void openOn(const QString &project, const QString &employeeNo, const QDate &day = {});

    // Operations of the window.
    void FormActivate();
    void FillComboBoxes();
    void SetAttDates();
    void FindEmployee();
    void CalcOurAttendance();
    void CalcClientAttendance();
    void CompareHours();
    void ChangeAttStatus();

    // Event handlers.
    void cb_ProjectChange();
    void cb_AttCodeChange();
    void dbg_WorkersDblClick();
    void dtp_AttDateExit();
    void btn_PostClick();
    void btn_MoveClick();
    void btn_Move_AllClick();
    void btn_CalcBaseClick();
    void btn_ChangeJobClick();
    void MarkDespute1Click();
    void UnMarkDispute1Click();
    void AuditForm1Click();
    void Delete1Click();
    void btn_ImportClientSheetClick();

    qint64 currentClientRowId() const { return m_currentRecId; }

    QDateEdit *dtp_Cycle;
    QComboBox *cb_Project;
    QPushButton *btn_Move;
    QPushButton *btn_ChangeJob;
    QPushButton *btn_CalcBase;
    QPushButton *btn_Close;
    QPushButton *btn_ImportClientSheet;
    QLineEdit *edt_SearchEmpNo;
    QPushButton *btn_SearchEmpNo;
    QTableView *dbg_Workers;
    QPushButton *btn_Move_All;
    QTableView *dbg_ClientAttendance;
    QMenu *pm_dpg_ClientAttendance;
    QAction *MarkDespute1;
    QAction *UnMarkDispute1;
    QAction *AuditForm1;
    QAction *Delete1;
    QDateEdit *dtp_AttDate;
    QLabel *lbl_Day;
    QComboBox *cb_AttCode;
    QComboBox *cb_AttDesc;
    QComboBox *cb_ClientJob;
    QSpinBox *edt_WH;
    QSpinBox *edt_OT;
    QSpinBox *edt_HT;
    QPushButton *btn_Post;
    EmployeeSearchPanel *pnl_Employees;
    AttendanceTotalsPanel *pnl_Totals;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildUi();
    void zeroTotals();
    // Runs an action under the busy window (when busy) and shows its failure in the window's words.
    bool run(const std::function<void()> &action, const FailureText &failure = {}, bool busy = true);
    void setEmployeeButtons(bool enabled);
    void showClientRows();               // after the client rows were re-read: grid, totals, comparison
    void showEmployee(bool sayNotFound); // the window's side of an employee search
    int currentGridRow() const;
    qint64 currentGridRecId() const;
    void selectClientRow(int row);
    void setCurrentRowDispute(bool disputed);

    Session &m_session;
    ClientAttendance m_att;
    SandGlass m_sandGlass;
    ActivationGuard m_activation;
    TBaseCalcForm *m_baseCalc = nullptr;
    QueryTableModel *m_clientModel;
    bool m_filled = false;
    int m_attYear = 0, m_attMonth = 0, m_attDay = 0;
    qint64 m_currentRecId = 0;
};
