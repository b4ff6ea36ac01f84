#pragma once

#include "Query.h"
#include "ScreenServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class FlagTableModel;
class QueryTableModel;
class Session;
class TDesignationRateForm;

// "Projects Rates Form": the non-protected projects and the hour rates of the selected one.
class TProjectsRatesForm : public QDialog
{
    Q_OBJECT
public:
    explicit TProjectsRatesForm(Session &session, QWidget *parent = nullptr);
    ~TProjectsRatesForm() override;

    Query AssignmentQ;
    Query RatesQ;
    TDesignationRateForm *rateForm() const { return m_rateForm; }
    int showAll() const { return m_showAll; }

    void FormActivate();
    void chk_ShowActiveOnlyClick();
    void edt_SearchKeyUp();
    void btn_AddClick();
    void btn_ModifyClick();
    void btn_DeleteClick();

    QLineEdit *edt_Search;
    QCheckBox *chk_ShowActiveOnly;
    QTableView *DBGrid1, *DBGrid2;
    QPushButton *btn_Add, *btn_Modify, *btn_Delete, *btn_Close;
    QLineEdit *DBEdit1; // the current project's name, hidden; the rates follow it

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildUi();
    void openProjects();
    void showCurrentProject(bool reopened);
    void projectRowChanged(int row);
    void rateRowChanged(int row);
    void reloadRates();
    void showCurrentRate();
    // False when the project already has a rate for the site job and the clerk declines a second.
    bool secondRateAllowed(const QString &project, const QString &siteJob, qint64 exceptRecId);

    Session &m_session;
    SandGlass m_sandGlass;
    ActivationGuard m_activation;
    TDesignationRateForm *m_rateForm = nullptr;
    FlagTableModel *m_projectModel;
    QueryTableModel *m_rateModel;
    int m_showAll = -1;
    bool m_opened = false;
    bool m_moving = false;
};
