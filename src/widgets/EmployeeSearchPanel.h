#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;
class Query;
class QueryTableModel;

// "Search For Employee": the employee-number box (upper-cased as typed), "Go", the list of the
// project's employees under it and the window's pass button at the bottom.
class EmployeeSearchPanel : public QWidget
{
    Q_OBJECT
public:
    // workers: the project's employee list (a field Employee_No); passButton: the window's
    // "Move All Employees" or "Check All Employees", placed under the list.
    // listTitle: the list's column title, centred when centreTitle.
    EmployeeSearchPanel(const Query &workers, QPushButton *passButton, int listWidth, QWidget *parent = nullptr,
                        const QString &listTitle = QStringLiteral("Employees"), bool centreTitle = false);

    // Re-reads the list after the query was opened or closed.
    void reload();
    // The employee number in a row of the list; empty when there is none.
    QString employeeAt(int row) const;
    // Marks a row of the list as the current one.
    void setCurrentRow(int row);

    QLineEdit *edt_SearchEmpNo;
    QPushButton *btn_SearchEmpNo;
    QTableView *dbg_Workers;
    QueryTableModel *model() const { return m_model; }

signals:
    // Enter in the box, or "Go".
    void searchRequested();
    // A double click anywhere on the list; the row is -1 when the list is empty.
    void workerDoubleClicked(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QueryTableModel *m_model;
};
