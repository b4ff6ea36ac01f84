#pragma once

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;
class Query;

// Who entered and who checked one attendance row.
struct AuditValues
{
    QString enteredBy, enteredDate, checked, checkedBy, checkedDate;

    // From the dataset's current row: dates as its fields display them, Checked as "True" or
    // "False", a null (or a field the dataset lacks) as empty text.
    static AuditValues fromCurrentRow(const Query &dataset);
};

class TAuditForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAuditForm(QWidget *parent = nullptr);

    void fill(const AuditValues &v);

    // The popup for the dataset's current row; null when the dataset has no rows.
    static std::unique_ptr<TAuditForm> create(const Query &dataset, QWidget *parent = nullptr);
    // The grid's "Audit Form" item: shows the popup modally; nothing on an empty dataset.
    // Returns whether a popup was shown.
    static bool AuditForm1Click(const Query &dataset, QWidget *parent = nullptr);

    QLineEdit *edt_EnteredBy;
    QLineEdit *edt_EnteredDate;
    QLineEdit *edt_Checked;
    QLineEdit *edt_CheckedBy;
    QLineEdit *edt_CheckedDate;
    QPushButton *btn_Close;
};
