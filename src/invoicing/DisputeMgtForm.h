#pragma once

#include "Query.h"
#include "ScreenServices.h"

#include <QDialog>

class QAction;
class QDateEdit;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QueryTableModel;
class Session;

// "Dispute Management": the disputed client attendance rows of the active cycle beside the
// company's own rows of the same worker and day; find an employee, clear a mark, export.
class TDisputeMgtForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDisputeMgtForm(Session &session, QWidget *parent = nullptr);
    ~TDisputeMgtForm() override;

    QDateEdit *dtp_Cycle;
    QLineEdit *edt_SearchEmpNo;
    QPushButton *btn_SearchEmpNo;
    QPushButton *btn_ShowEmployees;
    QPushButton *btn_Export;
    QPushButton *btn_Close;
    QTableView *dbg_Client;
    QTableView *DBGrid1;
    QMenu *PopupMenu1;
    QAction *RemoveDispute1;

    Query DisputeQ;
    int cycleYear() const { return m_year; }
    int cycleMonth() const { return m_month; }
    // The line current in both grids, -1 when there is none.
    int currentLine() const;

public slots:
    void FormActivate();
    void btn_ShowEmployeesClick();
    void FindEmployee();
    void RemoveDispute1Click();
    void btn_ExportClick();

protected:
    bool event(QEvent *e) override;

private:
    void buildControls();
    void reloadGrids();
    void setCurrentLine(int row);

    Session &m_session;
    ActivationGuard m_activation;
    SandGlass m_sandGlass;
    QueryTableModel *m_clientModel;
    QueryTableModel *m_ourModel;
    QHBoxLayout *m_grids = nullptr;
    int m_year = 0;
    int m_month = 0;
    bool m_syncing = false;
};
