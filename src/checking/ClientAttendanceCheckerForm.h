#pragma once

#include "CheckerLookup.h"
#include "InvoiceCheck.h"
#include "FetchingDataForm.h"
#include "ScreenServices.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QueryTableModel;
class TDataModule1;

// "Client Attendance Checker Form": own and client attendance of one worker side by side, and
// the check that marks the client rows and writes the invoice lines.
class TClientAttendanceCheckerForm : public QDialog
{
    Q_OBJECT
public:
    // dm null: the run's data module.
    explicit TClientAttendanceCheckerForm(QWidget *parent = nullptr, TDataModule1 *dm = nullptr);
    ~TClientAttendanceCheckerForm() override;

    QDateEdit *dtp_Cycle;
    QComboBox *cb_Project;
    QPushButton *btn_Close;
    QLineEdit *edt_SearchEmpNo;
    QPushButton *btn_SearchEmpNo;
    QTableView *dbg_Workers;
    QPushButton *btn_CheckAll;
    QLineEdit *DBEdit1;  // Ref No
    QLineEdit *DBEdit27; // Employee No
    QLineEdit *DBEdit53; // First Name
    QLineEdit *DBEdit10; // Last Name
    QTableView *dbg_OurTimeSheet;
    QLabel *lbl_TotalOurPresentDays;
    QLabel *lbl_TotalOurNormalHours;
    QLabel *lbl_TotalOurOverTimeHours;
    QLabel *lbl_TotalOurHolidayHours;
    QLabel *lbl_TotalOurHours;
    QTableView *dbg_ClientTimeSheet;
    QLabel *lbl_TotalClientPresentDays;
    QLabel *lbl_TotalClientNormalHours;
    QLabel *lbl_TotalClientOverTimeHours;
    QLabel *lbl_TotalClientHolidayHours;
    QLabel *lbl_TotalClientHours;
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
    void showDatabaseError(const QString &message);
    // Runs the check of one worker and reports a failure or refusal; true when checked.
    CheckOutcome checkOne(const QString &employeeNo);

    TDataModule1 *m_dm;
    std::unique_ptr<CheckerLookup> m_lookup;
    std::unique_ptr<InvoiceCheck> m_check;
    SandGlass m_sandGlass;
    QueryTableModel *m_workersModel;
    QueryTableModel *m_ourGridModel;
    QueryTableModel *m_clientGridModel;
    int m_year = 0;
    int m_month = 0;
    QString m_shownEmployee;
    bool m_disputed = false;
    bool m_inPass = false; // "Check All Employees" running
};
