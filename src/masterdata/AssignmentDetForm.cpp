#include "AssignmentDetForm.h"
#include "Clients.h"
#include "FormHelpers.h"
#include "Messages.h"
#include "Query.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TAssignmentDetForm::TAssignmentDetForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AssignmentDetForm"));
    setWindowTitle(QStringLiteral("Project Details Form"));
    auto edit = [this](const QString &name, int maxLength) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaxLength(maxLength);
        return e;
    };
    auto memo = [this](const QString &name) {
        auto *m = new QPlainTextEdit(this);
        m->setObjectName(name);
        FormHelpers::limitLength(m, 255);
        m->setFixedHeight(60);
        return m;
    };
    auto check = [this](const QString &name, const QString &caption) {
        auto *c = new QCheckBox(caption, this);
        c->setObjectName(name);
        return c;
    };
    auto spin = [this](const QString &name, int max) {
        auto *s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(0, max);
        // Out of range goes to the nearest bound, and a cleared edit to 0 rather than back to
        // the value it held.
        s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        return s;
    };
    cb_Clients = new QComboBox(this);
    cb_Clients->setObjectName(QStringLiteral("cb_Clients"));
    edt_Assignment = edit(QStringLiteral("edt_Assignment"), 50);
    chk_isActive = check(QStringLiteral("chk_isActive"), QStringLiteral("is Active"));
    chk_Night_Shift = check(QStringLiteral("chk_Night_Shift"), QStringLiteral("is Night Shift"));
    chk_Trans_To = check(QStringLiteral("chk_Trans_To"), QStringLiteral("Can Transfer To"));
    chk_Trans_From = check(QStringLiteral("chk_Trans_From"), QStringLiteral("Can Transfer From"));
    chk_Billable = check(QStringLiteral("chk_Billable"), QStringLiteral("is Billable"));
    edt_WH = spin(QStringLiteral("edt_WH"), 8);
    edt_OT = spin(QStringLiteral("edt_OT"), 4);
    edt_HT = spin(QStringLiteral("edt_HT"), 12);
    mem_ProjectDescription = memo(QStringLiteral("mem_ProjectDescription"));
    mem_SiteLocation = memo(QStringLiteral("mem_SiteLocation"));
    mem_Remarks = memo(QStringLiteral("mem_Remarks"));
    edt_Map_Latitude = edit(QStringLiteral("edt_Map_Latitude"), 50);
    edt_Map_Longitude = edit(QStringLiteral("edt_Map_Longitude"), 50);
    edt_ProjectManagerName = edit(QStringLiteral("edt_ProjectManagerName"), 50);
    edt_ProjectManagerMobile = edit(QStringLiteral("edt_ProjectManagerMobile"), 20);
    edt_ProjectManagerEmail = edit(QStringLiteral("edt_ProjectManagerEmail"), 50);
    edt_AccountantName = edit(QStringLiteral("edt_AccountantName"), 50);
    edt_AccountantMobile = edit(QStringLiteral("edt_AccountantMobile"), 20);
    edt_AccountantEmail = edit(QStringLiteral("edt_AccountantEmail"), 50);
    edt_TimekeeperName = edit(QStringLiteral("edt_TimekeeperName"), 50);
    edt_TimekeeperMobile = edit(QStringLiteral("edt_TimekeeperMobile"), 20);
    edt_TimekeeperEmail = edit(QStringLiteral("edt_TimekeeperEmail"), 50);
    edt_HSEManagerName = edit(QStringLiteral("edt_HSEManagerName"), 50);
    edt_HSEManagerMobile = edit(QStringLiteral("edt_HSEManagerMobile"), 20);
    edt_HSEManagerEmail = edit(QStringLiteral("edt_HSEManagerEmail"), 50);
    cb_PaymentTerms = new QComboBox(this);
    cb_PaymentTerms->setObjectName(QStringLiteral("cb_PaymentTerms"));
    cb_PaymentTerms->addItems(Clients::paymentTerms());
    edt_ERPAccountNo = edit(QStringLiteral("edt_ERPAccountNo"), 50);
    btn_Confirm = new QPushButton(QStringLiteral("Confirm"), this);
    btn_Confirm->setObjectName(QStringLiteral("btn_Confirm"));
    btn_Cancel = new QPushButton(QStringLiteral("Close"), this);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    connect(btn_Confirm, &QPushButton::clicked, this, &TAssignmentDetForm::btn_ConfirmClick);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *main = new QFormLayout;
    main->addRow(QStringLiteral("Client_Name:"), cb_Clients);
    main->addRow(QStringLiteral("Project Name:"), edt_Assignment);
    auto *flags = new QHBoxLayout;
    for (QCheckBox *c : {chk_isActive, chk_Night_Shift, chk_Trans_To, chk_Trans_From, chk_Billable})
        flags->addWidget(c);
    main->addRow(flags);
    auto *hours = new QHBoxLayout;
    hours->addWidget(new QLabel(QStringLiteral("Working Hours:"), this));
    hours->addWidget(edt_WH);
    hours->addWidget(new QLabel(QStringLiteral("Overtime:"), this));
    hours->addWidget(edt_OT);
    hours->addWidget(new QLabel(QStringLiteral("Holiday Hours:"), this));
    hours->addWidget(edt_HT);
    main->addRow(hours);
    main->addRow(QStringLiteral("Project Description:"), mem_ProjectDescription);
    main->addRow(QStringLiteral("Site Location:"), mem_SiteLocation);
    main->addRow(QStringLiteral("Map Latitude"), edt_Map_Latitude);
    main->addRow(QStringLiteral("Map Longitude"), edt_Map_Longitude);
    main->addRow(QStringLiteral("General Remarks:"), mem_Remarks);
    auto *contacts = new QFormLayout;
    contacts->addRow(QStringLiteral("Project Manager Name:"), edt_ProjectManagerName);
    contacts->addRow(QStringLiteral("Mobile:"), edt_ProjectManagerMobile);
    contacts->addRow(QStringLiteral("Project Manager Email:"), edt_ProjectManagerEmail);
    contacts->addRow(QStringLiteral("Accountant Name:"), edt_AccountantName);
    contacts->addRow(QStringLiteral("Mobile:"), edt_AccountantMobile);
    contacts->addRow(QStringLiteral("Accountant Email:"), edt_AccountantEmail);
    contacts->addRow(QStringLiteral("Sr. Timekeeper Name:"), edt_TimekeeperName);
    contacts->addRow(QStringLiteral("Mobile:"), edt_TimekeeperMobile);
    contacts->addRow(QStringLiteral("Sr. Timekeeper Email:"), edt_TimekeeperEmail);
    contacts->addRow(QStringLiteral("HSE Manager Name:"), edt_HSEManagerName);
    contacts->addRow(QStringLiteral("Mobile:"), edt_HSEManagerMobile);
    contacts->addRow(QStringLiteral("HSE Manager Email:"), edt_HSEManagerEmail);
    contacts->addRow(QStringLiteral("Payment Terms:"), cb_PaymentTerms);
    contacts->addRow(QStringLiteral("ERP Account No:"), edt_ERPAccountNo);
    auto *columns = new QHBoxLayout;
    columns->addLayout(main, 1);
    columns->addLayout(contacts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_Confirm);
    buttons->addWidget(btn_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    loadForNew();
}

void TAssignmentDetForm::fillClients(const Query &allClients)
{
    cb_Clients->clear();
    if (allClients.isActive()) {
        const int id = allClients.fieldIndex(QStringLiteral("Client_ID"));
        const int name = allClients.fieldIndex(QStringLiteral("Client_Name"));
        for (int r = 0; r < allClients.recordCount(); ++r)
            cb_Clients->addItem(allClients.valueAt(r, name).toString(), allClients.valueAt(r, id).toLongLong());
    }
    cb_Clients->setCurrentIndex(-1);
}

void TAssignmentDetForm::loadForNew()
{
    load(Projects::Record{});
    cb_Clients->setCurrentIndex(-1);
    edt_Assignment->setReadOnly(false);
}

void TAssignmentDetForm::load(const Projects::Record &r)
{
    cb_Clients->setCurrentIndex(cb_Clients->findData(r.clientId));
    edt_Assignment->setText(r.assignment);
    edt_Assignment->setReadOnly(true);
    chk_isActive->setChecked(r.active);
    chk_Night_Shift->setChecked(r.nightShift);
    chk_Trans_To->setChecked(r.transTo);
    chk_Trans_From->setChecked(r.transFrom);
    chk_Billable->setChecked(r.billable);
    edt_WH->setValue(r.wh); // out-of-range values land on the nearest bound
    edt_OT->setValue(r.ot);
    edt_HT->setValue(r.ht);
    mem_ProjectDescription->setPlainText(r.description);
    mem_SiteLocation->setPlainText(r.siteLocation);
    mem_Remarks->setPlainText(r.remarks);
    edt_Map_Latitude->setText(r.latitude);
    edt_Map_Longitude->setText(r.longitude);
    edt_ProjectManagerName->setText(r.pmName);
    edt_ProjectManagerMobile->setText(r.pmMobile);
    edt_ProjectManagerEmail->setText(r.pmEmail);
    edt_AccountantName->setText(r.accountantName);
    edt_AccountantMobile->setText(r.accountantMobile);
    edt_AccountantEmail->setText(r.accountantEmail);
    edt_TimekeeperName->setText(r.timekeeperName);
    edt_TimekeeperMobile->setText(r.timekeeperMobile);
    edt_TimekeeperEmail->setText(r.timekeeperEmail);
    edt_HSEManagerName->setText(r.hseName);
    edt_HSEManagerMobile->setText(r.hseMobile);
    edt_HSEManagerEmail->setText(r.hseEmail);
    cb_PaymentTerms->setCurrentIndex(FormHelpers::indexIgnoringCase(Clients::paymentTerms(), r.paymentTerms));
    edt_ERPAccountNo->setText(r.erpAccountNo);
    FormHelpers::showStarts(this);
}

namespace {
// The number the edit shows, text still being typed included (Confirm may come before the edit
// has read it).
int spinValue(QSpinBox *s)
{
    s->interpretText();
    return s->value();
}
} // namespace

Projects::Record TAssignmentDetForm::record() const
{
    Projects::Record r;
    r.clientId = cb_Clients->currentIndex() < 0 ? 0 : cb_Clients->currentData().toLongLong();
    r.assignment = edt_Assignment->text().trimmed();
    r.active = chk_isActive->isChecked();
    r.nightShift = chk_Night_Shift->isChecked();
    r.transTo = chk_Trans_To->isChecked();
    r.transFrom = chk_Trans_From->isChecked();
    r.billable = chk_Billable->isChecked();
    r.wh = spinValue(edt_WH);
    r.ot = spinValue(edt_OT);
    r.ht = spinValue(edt_HT);
    r.description = mem_ProjectDescription->toPlainText().trimmed();
    r.siteLocation = mem_SiteLocation->toPlainText().trimmed();
    r.remarks = mem_Remarks->toPlainText().trimmed();
    r.latitude = edt_Map_Latitude->text().trimmed();
    r.longitude = edt_Map_Longitude->text().trimmed();
    r.pmName = edt_ProjectManagerName->text().trimmed();
    r.pmMobile = edt_ProjectManagerMobile->text().trimmed();
    r.pmEmail = edt_ProjectManagerEmail->text().trimmed();
    r.accountantName = edt_AccountantName->text().trimmed();
    r.accountantMobile = edt_AccountantMobile->text().trimmed();
    r.accountantEmail = edt_AccountantEmail->text().trimmed();
    r.timekeeperName = edt_TimekeeperName->text().trimmed();
    r.timekeeperMobile = edt_TimekeeperMobile->text().trimmed();
    r.timekeeperEmail = edt_TimekeeperEmail->text().trimmed();
    r.hseName = edt_HSEManagerName->text().trimmed();
    r.hseMobile = edt_HSEManagerMobile->text().trimmed();
    r.hseEmail = edt_HSEManagerEmail->text().trimmed();
    r.paymentTerms = cb_PaymentTerms->currentIndex() < 0 ? QString() : cb_PaymentTerms->currentText();
    r.erpAccountNo = edt_ERPAccountNo->text().trimmed();
    return r;
}

QString TAssignmentDetForm::validate()
{
    edt_Assignment->setText(edt_Assignment->text().trimmed());
    if (cb_Clients->currentIndex() < 0)
        return QStringLiteral("Please Choose A Client!");
    if (edt_Assignment->text().isEmpty())
        return QStringLiteral("Project Name Should Not Be Empty!");
    // Attendance, worker and invoice rows hold the name in 32 characters; a stored name is kept.
    if (!edt_Assignment->isReadOnly() && edt_Assignment->text().size() > Projects::MaxNameLength)
        return QStringLiteral("Project Name Should Not Exceed 32 Characters!");
    if (chk_Billable->isChecked() && cb_PaymentTerms->currentIndex() < 0)
        return QStringLiteral("Please Choose Payment Terms!");
    if (chk_Billable->isChecked() && edt_ERPAccountNo->text().trimmed().isEmpty())
        return QStringLiteral("Please Enter ERP Account Number!");
    return {};
}

void TAssignmentDetForm::btn_ConfirmClick()
{
    const QString failure = validate();
    if (!failure.isEmpty()) {
        Messages::show(failure, this);
        return;
    }
    accept();
}
