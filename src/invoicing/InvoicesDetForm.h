#pragma once

#include "InvoiceEdit.h"
#include "ScreenServices.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class FrozenTableView;
class TotalsGrid;
class InvoiceGridModel;
class QueryTableModel;
class Session;

// "Clients Invoices Details": a project's invoice lines of the active cycle (editable, with the
// project's totals under them) and the employees whose client attendance there is unchecked.
class TInvoicesDetForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInvoicesDetForm(Session &session, QWidget *parent = nullptr);
    ~TInvoicesDetForm() override;

    QDateEdit *dtp_Cycle;
    QComboBox *cb_Project;
    QPushButton *btn_Close;
    QPushButton *btn_FindUnChecked;
    QPushButton *btn_ExportUnChecked;
    QTableView *DBGrid1;
    QPushButton *btn_InvoiceDetails;
    QPushButton *btn_ExportToExcel;
    QPushButton *btn_InvoiceDocument;
    FrozenTableView *DBGrid2;
    TotalsGrid *lbl_InvoiceTotals;
    // Whose each list is: the project and cycle it was loaded for.
    QLabel *lbl_UnCheckedFor;
    QLabel *lbl_InvoiceDetailsFor;

    Query NotCheckedQ;
    InvoiceEdit::InvoiceLines &lines() { return m_lines; }
    InvoiceGridModel *invoiceModel() const { return m_invoiceModel; }
    int cycleYear() const { return m_year; }
    int cycleMonth() const { return m_month; }

    // The totals line for these sums, as caption and value pairs.
    static QList<QPair<QString, QString>> totalsPairs(const InvoiceEdit::Totals &t);
    // "Base - PROJECT - MM-yyyy", or the base alone for a list not loaded.
    static QString exportName(const QString &base, const QString &project, int year, int month);

public slots:
    void FormActivate();
    void btn_FindUnCheckedClick();
    void btn_InvoiceDetailsClick();
    void btn_ExportUnCheckedClick();
    void btn_ExportToExcelClick();
    void btn_InvoiceDocumentClick();
    // Writes the edited line, if any; true when nothing is left unwritten.
    bool submitEdit();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    // Closing with an edited line not yet written asks whether to save it.
    void done(int result) override;

private:
    void buildControls();
    void updateTotals();
    void discardEdit();
    void showLoadedFor(QLabel *caption, const QString &project);

    Session &m_session;
    ActivationGuard m_activation;
    SandGlass m_sandGlass;
    InvoiceEdit::InvoiceLines m_lines;
    QueryTableModel *m_notCheckedModel;
    InvoiceGridModel *m_invoiceModel;
    bool m_created = false;
    int m_year = 0;
    int m_month = 0;
    // The project each list was last loaded for; empty while a list holds nothing loaded.
    QString m_unCheckedProject;
    QString m_invoiceProject;
};
