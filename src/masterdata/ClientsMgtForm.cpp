#include "ClientsMgtForm.h"
#include "Clients.h"
#include "ClientsDetForm.h"
#include "ClientsMoreDetailsForm.h"
#include "DbError.h"
#include "Dialogs.h"
#include "FormHelpers.h"
#include "Messages.h"
#include "Roles.h"
#include "Session.h"
#include "WindowParts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString NoAddNew =
    QStringLiteral("You Do Not Have Authority To Add New Client\n\rPlease Call System Admin To Assist You");
const QString NoModify =
    QStringLiteral("You Do Not Have Authority To Modify Client\n\rPlease Call System Admin To Assist You");
const QString NothingToModify = QStringLiteral("Nothing To Modify!");

QString addNewFailure(const DbError &e)
{
    return QStringLiteral("Somthing went wrong!, Call System Admin\n\r") + e.message();
}

QString modifyFailure(const DbError &e)
{
    return QStringLiteral("Something went wrong!\n\r") + e.message();
}
} // namespace

TClientsMgtForm::TClientsMgtForm(Session &session, QWidget *parent)
    : QDialog(parent), ClientsQ(session.connection()), m_session(session), m_sandGlass(this)
{
    Clients::prepareClientsQ(ClientsQ);
    m_model = new FlagTableModel(ClientsQ,
                                 {{QStringLiteral("Rec_ID"), QStringLiteral("#"), {}},
                                  {QStringLiteral("Client_Name"), QStringLiteral("Client Name"), {}},
                                  {QStringLiteral("Client_Kind"), QStringLiteral("Client Kind"), {}},
                                  {QStringLiteral("isActive"), QStringLiteral("Active"), {}}},
                                 {QStringLiteral("isActive")}, this);
    buildUi();
    run([this] { RefreshList(); }, {});
}

TClientsMgtForm::~TClientsMgtForm() = default;

void TClientsMgtForm::buildUi()
{
    setObjectName(QStringLiteral("ClientsMgtForm"));
    setWindowTitle(QStringLiteral("Clients Management Form"));
    auto button = [this](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    btn_AddNew = button(QStringLiteral("btn_AddNew"), QStringLiteral("Add New"));
    btn_Modify = button(QStringLiteral("btn_Modify"), QStringLiteral("Modify"));
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("More Details"));
    btn_Close = button(QStringLiteral("btn_Close"), QStringLiteral("Close"));
    chk_ShowActiveOnly = new QCheckBox(QStringLiteral("Show Active Only"), this);
    chk_ShowActiveOnly->setObjectName(QStringLiteral("chk_ShowActiveOnly"));
    connect(btn_AddNew, &QPushButton::clicked, this, &TClientsMgtForm::btn_AddNewClick);
    connect(btn_Modify, &QPushButton::clicked, this, &TClientsMgtForm::btn_ModifyClick);
    connect(Button1, &QPushButton::clicked, this, &TClientsMgtForm::Button1Click);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(chk_ShowActiveOnly, &QCheckBox::clicked, this, [this] { run([this] { RefreshList(); }, {}); });

    DBGrid1 = listGrid(this, "DBGrid1", m_model);
    DBGrid1->verticalHeader()->hide();
    // The name takes the room; the other columns are short.
    DBGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // The kind takes the width of its longest text ("Sister Company" was cut).
    DBGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { currentRowChanged(current.row()); });

    auto edit = [this](const QString &name) { return FormHelpers::readOnlyEdit(name, this); };
    m_clientSize = edit(QStringLiteral("DBEdit1"));
    m_managerName = edit(QStringLiteral("DBEdit2"));
    m_managerTitle = edit(QStringLiteral("DBEdit3"));
    m_managerMobile = edit(QStringLiteral("DBEdit4"));
    m_managerEmail = edit(QStringLiteral("DBEdit5"));
    m_purchasingName = edit(QStringLiteral("DBEdit6"));
    m_purchasingMobile = edit(QStringLiteral("DBEdit7"));
    m_purchasingEmail = edit(QStringLiteral("DBEdit8"));
    m_financeName = edit(QStringLiteral("DBEdit9"));
    m_financeMobile = edit(QStringLiteral("DBEdit10"));
    m_financeEmail = edit(QStringLiteral("DBEdit11"));
    m_paymentTerms = edit(QStringLiteral("DBEdit12"));
    m_webSite = edit(QStringLiteral("DBEdit13"));
    m_hoAddress = new QPlainTextEdit(this);
    m_hoAddress->setObjectName(QStringLiteral("DBMemo1"));
    m_hoAddress->setReadOnly(true);

    auto group = [this](const QString &title, const QList<QPair<QString, QWidget *>> &rows) {
        auto *g = new QGroupBox(title, this);
        auto *f = new QFormLayout(g);
        for (const auto &r : rows)
            f->addRow(r.first, r.second);
        return g;
    };
    auto *details = new QGridLayout;
    details->addWidget(group(QStringLiteral(" Manager "), {{QStringLiteral("Name"), m_managerName},
                                                           {QStringLiteral("Title"), m_managerTitle},
                                                           {QStringLiteral("Mobile"), m_managerMobile},
                                                           {QStringLiteral("Email"), m_managerEmail}}),
                       0, 0);
    details->addWidget(group(QStringLiteral(" Purchasing Manager "), {{QStringLiteral("Name"), m_purchasingName},
                                                                      {QStringLiteral("Mobile"), m_purchasingMobile},
                                                                      {QStringLiteral("Email"), m_purchasingEmail}}),
                       0, 1);
    details->addWidget(group(QStringLiteral(" Finance Manager "), {{QStringLiteral("Name"), m_financeName},
                                                                   {QStringLiteral("Mobile"), m_financeMobile},
                                                                   {QStringLiteral("Email"), m_financeEmail}}),
                       1, 0);
    details->addWidget(group(QStringLiteral(" Company "), {{QStringLiteral("Client Size"), m_clientSize},
                                                           {QStringLiteral("Payment Terms"), m_paymentTerms},
                                                           {QStringLiteral("Web Site"), m_webSite}}),
                       1, 1);
    auto *address = new QGroupBox(QStringLiteral(" HO Address "), this);
    (new QVBoxLayout(address))->addWidget(m_hoAddress);
    details->addWidget(address, 2, 0, 1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btn_AddNew);
    buttons->addWidget(btn_Modify);
    buttons->addWidget(Button1);
    buttons->addWidget(chk_ShowActiveOnly);
    buttons->addStretch();
    buttons->addWidget(btn_Close);
    auto *body = new QHBoxLayout;
    body->addWidget(DBGrid1, 1);
    body->addLayout(details, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(body);
    resize(1100, 600);
}

bool TClientsMgtForm::run(const std::function<void()> &action, const FailureText &failure)
{
    return runWindowAction(this, &m_sandGlass, action, failure);
}

void TClientsMgtForm::RefreshList()
{
    // The filter follows the box itself.
    Clients::open(ClientsQ, chk_ShowActiveOnly->isChecked());
    m_model->reload();
    showCurrent();
}

void TClientsMgtForm::currentRowChanged(int row)
{
    if (m_moving || row < 0 || row >= ClientsQ.recordCount())
        return;
    ClientsQ.setRow(row);
    showCurrent();
}

void TClientsMgtForm::showCurrent()
{
    const Clients::MainData d = Clients::mainDataOf(ClientsQ);
    const Clients::Contacts c = Clients::contactsOf(ClientsQ);
    m_managerName->setText(c.managerName);
    m_managerTitle->setText(c.managerTitle);
    m_managerMobile->setText(c.managerMobile);
    m_managerEmail->setText(c.managerEmail);
    m_purchasingName->setText(c.purchasingName);
    m_purchasingMobile->setText(c.purchasingMobile);
    m_purchasingEmail->setText(c.purchasingEmail);
    m_financeName->setText(c.financeName);
    m_financeMobile->setText(c.financeMobile);
    m_financeEmail->setText(c.financeEmail);
    m_clientSize->setText(d.size);
    m_paymentTerms->setText(d.paymentTerms);
    m_webSite->setText(d.webSite);
    m_hoAddress->setPlainText(d.hoAddress);
    m_moving = true;
    FormHelpers::showCurrentRow(DBGrid1, ClientsQ);
    m_moving = false;
}

void TClientsMgtForm::btn_AddNewClick()
{
    if (!m_session.hasRole(Roles::ClientsAddNew)) {
        Messages::show(NoAddNew, this);
        return;
    }
    TClientsDetForm dialog(this);
    dialog.loadForNew();
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    const Clients::MainData d = dialog.data();
    run(
        [&] {
            Clients::insert(m_session.connection(), d);
            RefreshList();
            ClientsQ.locate(QStringLiteral("Client_Name"), d.name);
            showCurrent();
        },
        addNewFailure);
}

bool TClientsMgtForm::mayModifyCurrent()
{
    if (!m_session.hasRole(Roles::ClientsModify)) {
        Messages::show(NoModify, this);
        return false;
    }
    if (ClientsQ.isEmpty() || ClientsQ.eof()) {
        Messages::show(NothingToModify, this);
        return false;
    }
    return true;
}

void TClientsMgtForm::saveCurrent(const std::function<void(qint64 recId)> &save)
{
    const qint64 recId = ClientsQ.asInt64(QStringLiteral("Rec_ID"));
    run(
        [&] {
            save(recId);
            RefreshList();
            ClientsQ.locate(QStringLiteral("Rec_ID"), recId);
            showCurrent();
        },
        modifyFailure);
}

void TClientsMgtForm::btn_ModifyClick()
{
    if (!mayModifyCurrent())
        return;
    TClientsDetForm dialog(this);
    dialog.load(Clients::mainDataOf(ClientsQ));
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    const Clients::MainData d = dialog.data();
    saveCurrent([&](qint64 recId) { Clients::modify(m_session.connection(), recId, d); });
}

void TClientsMgtForm::Button1Click()
{
    if (!mayModifyCurrent())
        return;
    TClientsMoreDetailsForm dialog(this);
    dialog.load(Clients::contactsOf(ClientsQ));
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    const Clients::Contacts c = dialog.contacts();
    saveCurrent([&](qint64 recId) { Clients::updateContacts(m_session.connection(), recId, c); });
}

void TClientsMgtForm::done(int result)
{
    // The project screens list clients from the shared list: give them what was saved here.
    runWindowAction(this, nullptr, [this] {
        Query &all = m_session.dataModule().AllClientsQ;
        all.close();
        all.open();
    });
    QDialog::done(result);
}
