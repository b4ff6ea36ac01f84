#include "ClientsDetForm.h"
#include "FormHelpers.h"
#include "Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QComboBox *choiceList(const QString &name, const QStringList &entries, QWidget *parent)
{
    auto *cb = new QComboBox(parent);
    cb->setObjectName(name);
    cb->addItems(entries);
    cb->setCurrentIndex(-1);
    // Wide enough for its longest entry ("Sister Company" was cut).
    cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return cb;
}

void selectIgnoringCase(QComboBox *cb, const QString &text)
{
    QStringList entries;
    for (int i = 0; i < cb->count(); ++i)
        entries << cb->itemText(i);
    cb->setCurrentIndex(FormHelpers::indexIgnoringCase(entries, text));
}
} // namespace

TClientsDetForm::TClientsDetForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ClientsDetForm"));
    setWindowTitle(QStringLiteral("Clients Details Form"));
    edt_Client_Name = new QLineEdit(this);
    edt_Client_Name->setObjectName(QStringLiteral("edt_Client_Name"));
    edt_Client_Name->setMaxLength(50);
    chk_isActive = new QCheckBox(QStringLiteral("is Active?"), this);
    chk_isActive->setObjectName(QStringLiteral("chk_isActive"));
    cb_Client_Kind = choiceList(QStringLiteral("cb_Client_Kind"), Clients::kinds(), this);
    cb_Client_Size = choiceList(QStringLiteral("cb_Client_Size"), Clients::sizes(), this);
    cb_PaymentTerms = choiceList(QStringLiteral("cb_PaymentTerms"), Clients::paymentTerms(), this);
    edt_Web_Site = new QLineEdit(this);
    edt_Web_Site->setObjectName(QStringLiteral("edt_Web_Site"));
    edt_Web_Site->setMaxLength(50);
    mem_HO_Address = new QPlainTextEdit(this);
    mem_HO_Address->setObjectName(QStringLiteral("mem_HO_Address"));
    FormHelpers::limitLength(mem_HO_Address, 255);
    btn_Confirm = new QPushButton(QStringLiteral("Confirm"), this);
    btn_Confirm->setObjectName(QStringLiteral("btn_Confirm"));
    btn_Cancel = new QPushButton(QStringLiteral("Close"), this);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    connect(btn_Confirm, &QPushButton::clicked, this, &TClientsDetForm::btn_ConfirmClick);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Client Name"), edt_Client_Name);
    form->addRow(QString(), chk_isActive);
    form->addRow(QStringLiteral("Client Kind"), cb_Client_Kind);
    form->addRow(QStringLiteral("Client Size"), cb_Client_Size);
    form->addRow(QStringLiteral("Payment Terms:"), cb_PaymentTerms);
    form->addRow(QStringLiteral("Web Site Address"), edt_Web_Site);
    form->addRow(QStringLiteral("HO Address"), mem_HO_Address);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_Confirm);
    buttons->addWidget(btn_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(460, 360);
}

void TClientsDetForm::loadForNew()
{
    load(Clients::MainData{});
}

void TClientsDetForm::load(const Clients::MainData &d)
{
    edt_Client_Name->setText(d.name);
    chk_isActive->setChecked(d.active);
    selectIgnoringCase(cb_Client_Kind, d.kind);
    selectIgnoringCase(cb_Client_Size, d.size);
    selectIgnoringCase(cb_PaymentTerms, d.paymentTerms);
    edt_Web_Site->setText(d.webSite);
    mem_HO_Address->setPlainText(d.hoAddress);
    FormHelpers::showStarts(this);
}

Clients::MainData TClientsDetForm::data() const
{
    Clients::MainData d;
    d.name = edt_Client_Name->text();
    d.active = chk_isActive->isChecked();
    d.kind = cb_Client_Kind->currentIndex() < 0 ? QString() : cb_Client_Kind->currentText();
    d.size = cb_Client_Size->currentIndex() < 0 ? QString() : cb_Client_Size->currentText();
    d.paymentTerms = cb_PaymentTerms->currentIndex() < 0 ? QString() : cb_PaymentTerms->currentText();
    d.webSite = edt_Web_Site->text();
    d.hoAddress = mem_HO_Address->toPlainText();
    return d;
}

QString TClientsDetForm::validate()
{
    edt_Client_Name->setText(edt_Client_Name->text().trimmed());
    if (edt_Client_Name->text().isEmpty())
        return QStringLiteral("Client name should not be blank!");
    if (cb_Client_Kind->currentIndex() < 0)
        return QStringLiteral("Please choose client kind!");
    if (cb_Client_Size->currentIndex() < 0)
        return QStringLiteral("Please choose client size!");
    if (cb_PaymentTerms->currentIndex() < 0)
        return QStringLiteral("Please choose client payment terms!");
    return {};
}

void TClientsDetForm::btn_ConfirmClick()
{
    const QString failure = validate();
    if (!failure.isEmpty()) {
        Messages::show(failure, this);
        return;
    }
    accept();
}
