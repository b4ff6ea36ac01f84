#pragma once

#include "ModuleTable.h"
#include "Query.h"
#include "Reconciliation.h"
#include "ReconciliationSheets.h"
#include "ScreenServices.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QPushButton;
class QTableView;
class QueryTableModel;
class Session;

// "Reconciliation": where the client's attendance of a cycle differs from ours, per project
// (the summary) and per worker and day (the differences, of the chosen project or of all). A
// double-click on a difference opens the client attendance window on that employee (the lists are
// read again when it closes); "Export To Excel" saves the five-sheet workbook.
class TReconciliationForm : public QDialog
{
    Q_OBJECT
public:
    // openEmployee opens the client attendance window (through the module table).
    TReconciliationForm(Session &session, WindowOpener openEmployee, QWidget *parent = nullptr);
    ~TReconciliationForm() override;

    static inline const QString AllProjects = QStringLiteral("All Projects");

    QDateEdit *dtp_Cycle;
    QComboBox *cb_Project;
    QPushButton *btn_Refresh;
    QPushButton *btn_Export;
    QPushButton *btn_Close;
    QTableView *dbg_Summary;
    QTableView *dbg_Differences;

    Query SummaryQ;
    Query DifferencesQ;
    const Reconcile::Result &result() const { return m_result; }

public slots:
    void FormActivate();
    // Reads the cycle of the picker again.
    void btn_RefreshClick();
    void cb_ProjectChange();
    void dbg_DifferencesDblClick();
    void btn_ExportClick();

protected:
    bool event(QEvent *e) override;

private:
    void buildControls();
    void showDifferences();
    void afterEmployeeWindowClosed();

    Session &m_session;
    WindowOpener m_openEmployee;
    ActivationGuard m_activation;
    SandGlass m_sandGlass;
    Reconcile::Result m_result;
    Reconcile::Table m_summary;
    Reconcile::Table m_differences;
    QueryTableModel *m_summaryModel;
    QueryTableModel *m_differencesModel;
};
