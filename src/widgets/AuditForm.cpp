#include "AuditForm.h"
#include "Dialogs.h"
#include "Query.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString displayOf(const Query &ds, const QString &field)
{
    const int c = ds.fieldIndex(field);
    if (c < 0 || ds.eof())
        return {};
    return ds.displayText(ds.row(), c);
}
} // namespace

AuditValues AuditValues::fromCurrentRow(const Query &ds)
{
    AuditValues v;
    v.enteredBy = displayOf(ds, QStringLiteral("Entered_By"));
    v.enteredDate = displayOf(ds, QStringLiteral("Entered_Date"));
    v.checkedBy = displayOf(ds, QStringLiteral("Checked_By"));
    v.checkedDate = displayOf(ds, QStringLiteral("Checked_Date"));
    const int c = ds.fieldIndex(QStringLiteral("Checked"));
    if (c >= 0 && !ds.eof() && !ds.value(c).isNull())
        v.checked = ds.asBool(QStringLiteral("Checked")) ? QStringLiteral("True") : QStringLiteral("False");
    return v;
}

TAuditForm::TAuditForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AuditForm"));
    setWindowTitle(QStringLiteral("Audit"));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(2);
    auto addEdit = [&](const QString &name, const QString &caption, int row, int col) {
        auto *label = new QLabel(caption, this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        edit->setMinimumWidth(180);
        label->setBuddy(edit);
        grid->addWidget(label, row * 2, col);
        grid->addWidget(edit, row * 2 + 1, col);
        grid->setRowMinimumHeight(row * 2 + 1, edit->sizeHint().height() + 8);
        return edit;
    };
    edt_EnteredBy = addEdit(QStringLiteral("edt_EnteredBy"), QStringLiteral("Entered By:"), 0, 0);
    edt_EnteredDate = addEdit(QStringLiteral("edt_EnteredDate"), QStringLiteral("Entered Date:"), 0, 1);
    edt_Checked = addEdit(QStringLiteral("edt_Checked"), QStringLiteral("Checked:"), 1, 0);
    edt_CheckedBy = addEdit(QStringLiteral("edt_CheckedBy"), QStringLiteral("Checked By:"), 2, 0);
    edt_CheckedDate = addEdit(QStringLiteral("edt_CheckedDate"), QStringLiteral("Checked Date:"), 2, 1);

    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_Close->setDefault(true);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btn_Close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAuditForm::fill(const AuditValues &v)
{
    edt_EnteredBy->setText(v.enteredBy);
    edt_EnteredDate->setText(v.enteredDate);
    edt_Checked->setText(v.checked);
    edt_CheckedBy->setText(v.checkedBy);
    edt_CheckedDate->setText(v.checkedDate);
    for (QLineEdit *e : {edt_EnteredBy, edt_EnteredDate, edt_Checked, edt_CheckedBy, edt_CheckedDate})
        e->setCursorPosition(0);
}

std::unique_ptr<TAuditForm> TAuditForm::create(const Query &dataset, QWidget *parent)
{
    if (!dataset.isActive() || dataset.isEmpty())
        return nullptr;
    auto form = std::make_unique<TAuditForm>(parent);
    form->fill(AuditValues::fromCurrentRow(dataset));
    return form;
}

bool TAuditForm::AuditForm1Click(const Query &dataset, QWidget *parent)
{
    std::unique_ptr<TAuditForm> form = create(dataset, parent);
    if (!form)
        return false;
    Dialogs::exec(*form);
    return true;
}
