#include "AssignmentMgtForm.h"
#include "AssignmentDetForm.h"
#include "DbError.h"
#include "Dialogs.h"
#include "ExportAction.h"
#include "FormHelpers.h"
#include "Messages.h"
#include "Projects.h"
#include "Roles.h"
#include "Session.h"
#include "WindowParts.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString NoAddNew =
    QStringLiteral("You Do Not Have Authority To Add New Project\n\rPlease Call Revenue Department To Assist You");
const QString NoModify =
    QStringLiteral("You Do Not Have Authority To Modify Projects\n\rPlease Call Revenue Department To Assist You");
const QString NoExport =
    QStringLiteral("You Do Not Have Authority To Export Projects\n\rPlease Call Revenue Department To Assist You");

QString saveFailure(const DbError &e)
{
    return QStringLiteral("Somthing went wrong!, Call System Admin\n\r") + e.message();
}

const char *const kContactFields[] = {"Project_Manager_Name", "Project_Manager_Mobile", "Project_Manager_Email",
                                      "Accountant_Name",      "Accountant_Mobile",      "Accountant_Email",
                                      "Timekeeper_Name",      "Timekeeper_Mobile",      "Timekeeper_Email",
                                      "HSE_Manager_Name",     "HSE_Manager_Mobile",     "HSE_Manager_Email"};
const char *const kContactCaptions[] = {
    "Project Manager Name", "Mobile", "Project Manager Email", "Accountant Name",  "Mobile", "Accountant Email",
    "Sr. Timekeeper Name",  "Mobile", "Sr. Timekeeper Email",  "HSE Manager Name", "Mobile", "HSE Manager Email"};
} // namespace

TAssignmentMgtForm::TAssignmentMgtForm(Session &session, QWidget *parent)
    : QDialog(parent), AssignmentQ(session.connection()), m_session(session), m_sandGlass(this)
{
    Projects::prepareAssignmentQ(AssignmentQ);
    m_model = new FlagTableModel(AssignmentQ,
                                 {{QStringLiteral("Assignment"), QStringLiteral("Project"), {}},
                                  {QStringLiteral("isActive"), QStringLiteral("Active ?"), {}},
                                  {QStringLiteral("WH"), QStringLiteral("WH"), {}},
                                  {QStringLiteral("OT"), QStringLiteral("OT"), {}},
                                  {QStringLiteral("HT"), QStringLiteral("HT"), {}}},
                                 {QStringLiteral("isActive")}, this);
    buildUi();
}

TAssignmentMgtForm::~TAssignmentMgtForm() = default;

void TAssignmentMgtForm::buildUi()
{
    setObjectName(QStringLiteral("AssignmentMgtForm"));
    setWindowTitle(QStringLiteral("Projects Management Form"));
    auto button = [this](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    btn_New = button(QStringLiteral("btn_New"), QStringLiteral("New"));
    btn_Modify = button(QStringLiteral("btn_Modify"), QStringLiteral("Modify"));
    btn_Export = button(QStringLiteral("btn_Export"), QStringLiteral("Export"));
    btn_Close = button(QStringLiteral("btn_Close"), QStringLiteral("Close"));
    edt_Search = new QLineEdit(this);
    edt_Search->setObjectName(QStringLiteral("edt_Search"));
    edt_Search->installEventFilter(this);
    chk_ShowActiveOnly = new QCheckBox(QStringLiteral("Show Active Projects Only"), this);
    chk_ShowActiveOnly->setObjectName(QStringLiteral("chk_ShowActiveOnly"));
    connect(btn_New, &QPushButton::clicked, this, &TAssignmentMgtForm::btn_NewClick);
    connect(btn_Modify, &QPushButton::clicked, this, &TAssignmentMgtForm::btn_ModifyClick);
    connect(btn_Export, &QPushButton::clicked, this, &TAssignmentMgtForm::btn_ExportClick);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(chk_ShowActiveOnly, &QCheckBox::clicked, this, &TAssignmentMgtForm::chk_ShowActiveOnlyClick);

    DBGrid1 = listGrid(this, "DBGrid1", m_model);
    DBGrid1->verticalHeader()->hide();
    // The name takes the room; the figures are as wide as their contents.
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { currentRowChanged(current.row()); });

    auto check = [this](const QString &name, const QString &caption) {
        auto *c = new QCheckBox(caption, this);
        c->setObjectName(name);
        c->setEnabled(false);
        return c;
    };
    m_billable = check(QStringLiteral("DBCheckBox1"), QStringLiteral("Billable"));
    m_nightShift = check(QStringLiteral("DBCheckBox4"), QStringLiteral("Night Shift"));
    m_transTo = check(QStringLiteral("DBCheckBox2"), QStringLiteral("Can Transfer To"));
    m_transFrom = check(QStringLiteral("DBCheckBox3"), QStringLiteral("Can Transfer From"));
    auto edit = [this](const QString &name) { return FormHelpers::readOnlyEdit(name, this); };
    auto memo = [this](const QString &name) {
        auto *m = new QPlainTextEdit(this);
        m->setObjectName(name);
        m->setReadOnly(true);
        m->setFixedHeight(54);
        return m;
    };
    m_clientName = edit(QStringLiteral("DBEdit15"));
    m_description = memo(QStringLiteral("DBMemo1"));
    m_siteLocation = memo(QStringLiteral("DBMemo2"));
    m_remarks = memo(QStringLiteral("DBMemo3"));
    m_latitude = edit(QStringLiteral("DBEdit16"));
    m_longitude = edit(QStringLiteral("DBEdit17"));
    for (int i = 0; i < 12; ++i)
        m_contacts << edit(QStringLiteral("DBEdit%1").arg(i + 3));
    m_paymentTerms = edit(QStringLiteral("DBEdit1"));
    m_erpAccountNo = edit(QStringLiteral("DBEdit2"));

    auto *flags = new QHBoxLayout;
    for (QCheckBox *c : {m_billable, m_nightShift, m_transTo, m_transFrom})
        flags->addWidget(c);
    auto *project = new QFormLayout;
    project->addRow(flags);
    project->addRow(QStringLiteral("Client Name"), m_clientName);
    project->addRow(QStringLiteral("Project Description:"), m_description);
    project->addRow(QStringLiteral("Site Location:"), m_siteLocation);
    project->addRow(QStringLiteral("General Remarks:"), m_remarks);
    project->addRow(QStringLiteral("Map Latitude"), m_latitude);
    project->addRow(QStringLiteral("Map Longitude"), m_longitude);
    auto *contactBox = new QGroupBox(QStringLiteral(" Contact Information "), this);
    auto *contacts = new QFormLayout(contactBox);
    for (int i = 0; i < 12; ++i)
        contacts->addRow(QString::fromLatin1(kContactCaptions[i]), m_contacts.at(i));
    contacts->addRow(QStringLiteral("Payment Terms"), m_paymentTerms);
    contacts->addRow(QStringLiteral("ERP Account Number"), m_erpAccountNo);

    auto *top = new QHBoxLayout;
    top->addWidget(btn_New);
    top->addWidget(btn_Modify);
    top->addWidget(btn_Export);
    top->addSpacing(20);
    top->addWidget(new QLabel(QStringLiteral("Search For Project"), this));
    top->addWidget(edt_Search);
    top->addWidget(chk_ShowActiveOnly);
    top->addStretch();
    top->addWidget(btn_Close);
    auto *body = new QHBoxLayout;
    body->addWidget(DBGrid1, 3);
    body->addLayout(project, 3);
    body->addWidget(contactBox, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body);
    resize(1300, 640);
}

bool TAssignmentMgtForm::event(QEvent *e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        FormActivate();
    return r;
}

bool TAssignmentMgtForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == edt_Search && e->type() == QEvent::KeyRelease)
        edt_SearchKeyUp();
    return QDialog::eventFilter(watched, e);
}

void TAssignmentMgtForm::FormActivate()
{
    if (m_opened)
        return;
    // A failure to read the list is shown once per opening.
    m_activation.run(this, [this] {
        m_showAll = -1;
        OpenList();
        m_opened = true;
        edt_Search->clear();
        edt_Search->setFocus();
    });
}

void TAssignmentMgtForm::OpenList()
{
    Projects::open(AssignmentQ, m_showAll, m_session.dataModule().AllClientsQ);
    m_model->reload();
    showCurrent();
}

void TAssignmentMgtForm::currentRowChanged(int row)
{
    if (m_moving || row < 0 || row >= AssignmentQ.recordCount())
        return;
    AssignmentQ.setRow(row);
    showCurrent();
}

void TAssignmentMgtForm::showCurrent()
{
    const bool any = AssignmentQ.isActive() && !AssignmentQ.eof();
    auto s = [&](const char *f) { return any ? AssignmentQ.asString(QString::fromLatin1(f)) : QString(); };
    auto b = [&](const char *f) { return any && AssignmentQ.asInt(QString::fromLatin1(f)) != 0; };
    m_billable->setChecked(b("Billable"));
    m_nightShift->setChecked(b("Night_Shift"));
    m_transTo->setChecked(b("Trans_To"));
    m_transFrom->setChecked(b("Trans_From"));
    m_clientName->setText(s("Client_Name"));
    m_description->setPlainText(s("Project_Description"));
    m_siteLocation->setPlainText(s("Site_Location"));
    m_remarks->setPlainText(s("Remarks"));
    m_latitude->setText(s("Map_Latitude"));
    m_longitude->setText(s("Map_Longitude"));
    for (int i = 0; i < 12; ++i)
        m_contacts.at(i)->setText(s(kContactFields[i]));
    m_paymentTerms->setText(s("Payment_Terms"));
    m_erpAccountNo->setText(s("ERP_Account_No"));
    m_moving = true;
    FormHelpers::showCurrentRow(DBGrid1, AssignmentQ);
    m_moving = false;
}

void TAssignmentMgtForm::chk_ShowActiveOnlyClick()
{
    m_showAll = Projects::flipShowAll(m_showAll);
    runWindowAction(this, &m_sandGlass, [this] { OpenList(); });
}

void TAssignmentMgtForm::edt_SearchKeyUp()
{
    if (Projects::locatePrefix(AssignmentQ, QStringLiteral("Assignment"), edt_Search->text().trimmed()))
        showCurrent();
}

void TAssignmentMgtForm::btn_NewClick()
{
    if (!m_session.hasRole(Roles::ProjectAddNew)) {
        Messages::show(NoAddNew, this);
        return;
    }
    TAssignmentDetForm dialog(this);
    dialog.fillClients(m_session.dataModule().AllClientsQ);
    dialog.loadForNew();
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    const Projects::Record r = dialog.record();
    runWindowAction(
        this, &m_sandGlass,
        [&] {
            Projects::insert(m_session.connection(), r);
            OpenList();
            AssignmentQ.locate(QStringLiteral("Assignment"), r.assignment);
            showCurrent();
        },
        saveFailure);
}

void TAssignmentMgtForm::btn_ModifyClick()
{
    if (!m_session.hasRole(Roles::ProjectModify)) {
        Messages::show(NoModify, this);
        return;
    }
    if (!AssignmentQ.isActive() || AssignmentQ.isEmpty() || AssignmentQ.eof()) {
        Messages::show(QStringLiteral("Nothing To Modify!"), this);
        return;
    }
    const qint64 recId = AssignmentQ.asInt64(QStringLiteral("Rec_ID"));
    TAssignmentDetForm dialog(this);
    dialog.fillClients(m_session.dataModule().AllClientsQ);
    dialog.load(Projects::recordOf(AssignmentQ));
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    const Projects::Record r = dialog.record();
    runWindowAction(
        this, &m_sandGlass,
        [&] {
            Projects::modify(m_session.connection(), recId, r);
            OpenList();
            AssignmentQ.locate(QStringLiteral("Rec_ID"), recId);
            showCurrent();
        },
        saveFailure);
}

void TAssignmentMgtForm::btn_ExportClick()
{
    if (!m_session.hasRole(Roles::ProjectListExport)) {
        Messages::show(NoExport, this);
        return;
    }
    const int row = AssignmentQ.row();
    ExportAction::ExportToExcel(AssignmentQ, QStringLiteral("List Of Projects"), this);
    AssignmentQ.setRow(row);
}
