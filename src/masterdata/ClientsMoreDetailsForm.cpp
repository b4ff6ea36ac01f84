#include "ClientsMoreDetailsForm.h"
#include "FormHelpers.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *edit(const QString &name, int maxLength, QWidget *parent, bool digits = false)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    if (digits)
        FormHelpers::digitsOnly(e);
    return e;
}
} // namespace

TClientsMoreDetailsForm::TClientsMoreDetailsForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ClientsMoreDetailsForm"));
    setWindowTitle(QStringLiteral("Clients - More Details"));
    // Room for a whole e-mail address and the caption.
    setMinimumWidth(440);
    auto *manager = new QGroupBox(QStringLiteral(" Manager "), this);
    edt_Manager_Name = edit(QStringLiteral("edt_Manager_Name"), 50, manager);
    edt_Manager_Mobile = edit(QStringLiteral("edt_Manager_Mobile"), 20, manager, true);
    edt_Manager_Title = edit(QStringLiteral("edt_Manager_Title"), 50, manager);
    edt_Manager_Email = edit(QStringLiteral("edt_Manager_Email"), 50, manager);
    auto *mf = new QFormLayout(manager);
    mf->addRow(QStringLiteral("Name"), edt_Manager_Name);
    mf->addRow(QStringLiteral("Mobile"), edt_Manager_Mobile);
    mf->addRow(QStringLiteral("Title"), edt_Manager_Title);
    mf->addRow(QStringLiteral("Email"), edt_Manager_Email);

    auto *purchasing = new QGroupBox(QStringLiteral(" Purchasing Manager "), this);
    edt_Purchasing_Manager_Name = edit(QStringLiteral("edt_Purchasing_Manager_Name"), 50, purchasing);
    edt_Purchasing_Manager_Mobile = edit(QStringLiteral("edt_Purchasing_Manager_Mobile"), 20, purchasing, true);
    edt_Purchasing_Manager_Email = edit(QStringLiteral("edt_Purchasing_Manager_Email"), 50, purchasing);
    auto *pf = new QFormLayout(purchasing);
    pf->addRow(QStringLiteral("Name"), edt_Purchasing_Manager_Name);
    pf->addRow(QStringLiteral("Mobile"), edt_Purchasing_Manager_Mobile);
    pf->addRow(QStringLiteral("Email"), edt_Purchasing_Manager_Email);

    auto *finance = new QGroupBox(QStringLiteral(" Finance Manager "), this);
    edt_Finance_Manager_Name = edit(QStringLiteral("edt_Finance_Manager_Name"), 50, finance);
    edt_Finance_Manager_Mobile = edit(QStringLiteral("edt_Finance_Manager_Mobile"), 20, finance, true);
    edt_Finance_Manager_Email = edit(QStringLiteral("edt_Finance_Manager_Email"), 50, finance);
    auto *ff = new QFormLayout(finance);
    ff->addRow(QStringLiteral("Name"), edt_Finance_Manager_Name);
    ff->addRow(QStringLiteral("Mobile"), edt_Finance_Manager_Mobile);
    ff->addRow(QStringLiteral("Email"), edt_Finance_Manager_Email);

    btn_Confirm = new QPushButton(QStringLiteral("Confirm"), this);
    btn_Confirm->setObjectName(QStringLiteral("btn_Confirm"));
    btn_Cancel = new QPushButton(QStringLiteral("Close"), this);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    connect(btn_Confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_Confirm);
    buttons->addWidget(btn_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(manager);
    layout->addWidget(purchasing);
    layout->addWidget(finance);
    layout->addLayout(buttons);
}

void TClientsMoreDetailsForm::load(const Clients::Contacts &c)
{
    edt_Manager_Name->setText(c.managerName);
    edt_Manager_Mobile->setText(c.managerMobile);
    edt_Manager_Title->setText(c.managerTitle);
    edt_Manager_Email->setText(c.managerEmail);
    edt_Purchasing_Manager_Name->setText(c.purchasingName);
    edt_Purchasing_Manager_Mobile->setText(c.purchasingMobile);
    edt_Purchasing_Manager_Email->setText(c.purchasingEmail);
    edt_Finance_Manager_Name->setText(c.financeName);
    edt_Finance_Manager_Mobile->setText(c.financeMobile);
    edt_Finance_Manager_Email->setText(c.financeEmail);
    FormHelpers::showStarts(this);
}

Clients::Contacts TClientsMoreDetailsForm::contacts() const
{
    Clients::Contacts c;
    c.managerName = edt_Manager_Name->text();
    c.managerMobile = edt_Manager_Mobile->text();
    c.managerTitle = edt_Manager_Title->text();
    c.managerEmail = edt_Manager_Email->text();
    c.purchasingName = edt_Purchasing_Manager_Name->text();
    c.purchasingMobile = edt_Purchasing_Manager_Mobile->text();
    c.purchasingEmail = edt_Purchasing_Manager_Email->text();
    c.financeName = edt_Finance_Manager_Name->text();
    c.financeMobile = edt_Finance_Manager_Mobile->text();
    c.financeEmail = edt_Finance_Manager_Email->text();
    return c;
}
