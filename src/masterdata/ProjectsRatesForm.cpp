#include "ProjectsRatesForm.h"
#include "DbError.h"
#include "DesignationRateForm.h"
#include "Dialogs.h"
#include "FormHelpers.h"
#include "Messages.h"
#include "Projects.h"
#include "Rates.h"
#include "Session.h"
#include "WindowParts.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
QString saveFailure(const DbError &e)
{
    return QStringLiteral("Something went wrong, Please contact system administrator\n\r") + e.message();
}

QTableView *grid(const char *name, QAbstractItemModel *model, QWidget *parent)
{
    QTableView *g = listGrid(parent, name, model);
    g->verticalHeader()->hide();
    // The name takes the room; the figures are as wide as their contents.
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    g->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    return g;
}
} // namespace

TProjectsRatesForm::TProjectsRatesForm(Session &session, QWidget *parent)
    : QDialog(parent), AssignmentQ(session.connection()), RatesQ(session.connection()), m_session(session),
      m_sandGlass(this)
{
    Projects::prepareAssignmentQ(AssignmentQ);
    Rates::prepareRatesQ(RatesQ);
    m_projectModel = new FlagTableModel(AssignmentQ,
                                        {{QStringLiteral("Assignment"), QStringLiteral("Project"), {}},
                                         {QStringLiteral("isActive"), QStringLiteral("Active ?"), {}},
                                         {QStringLiteral("WH"), QStringLiteral("WH"), {}},
                                         {QStringLiteral("OT"), QStringLiteral("OT"), {}},
                                         {QStringLiteral("HT"), QStringLiteral("HT"), {}}},
                                        {QStringLiteral("isActive")}, this);
    m_rateModel = new QueryTableModel(RatesQ,
                                      {{QStringLiteral("Site_Job"), QStringLiteral("Site Job"), {}},
                                       {QStringLiteral("WH_Rate"), QStringLiteral("WH Rate"), {}},
                                       {QStringLiteral("OT_Rate"), QStringLiteral("OT Rate"), {}},
                                       {QStringLiteral("HT_Rate"), QStringLiteral("HT Rate"), {}}},
                                      this);
    buildUi();
}

TProjectsRatesForm::~TProjectsRatesForm() = default;

void TProjectsRatesForm::buildUi()
{
    setObjectName(QStringLiteral("ProjectsRatesForm"));
    setWindowTitle(QStringLiteral("Projects Rates Form"));
    edt_Search = new QLineEdit(this);
    edt_Search->setObjectName(QStringLiteral("edt_Search"));
    edt_Search->installEventFilter(this);
    chk_ShowActiveOnly = new QCheckBox(QStringLiteral("Show Active Projects Only"), this);
    chk_ShowActiveOnly->setObjectName(QStringLiteral("chk_ShowActiveOnly"));
    auto button = [this](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    btn_Add = button(QStringLiteral("btn_Add"), QStringLiteral("Add"));
    btn_Modify = button(QStringLiteral("btn_Modify"), QStringLiteral("Modify"));
    btn_Delete = button(QStringLiteral("btn_Delete"), QStringLiteral("Delete"));
    btn_Close = button(QStringLiteral("btn_Close"), QStringLiteral("Close"));
    DBEdit1 = new QLineEdit(this);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setReadOnly(true);
    DBEdit1->hide();
    DBGrid1 = grid("DBGrid1", m_projectModel, this);
    DBGrid2 = grid("DBGrid2", m_rateModel, this);
    DBGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { projectRowChanged(current.row()); });
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { rateRowChanged(current.row()); });
    connect(chk_ShowActiveOnly, &QCheckBox::clicked, this, &TProjectsRatesForm::chk_ShowActiveOnlyClick);
    connect(btn_Add, &QPushButton::clicked, this, &TProjectsRatesForm::btn_AddClick);
    connect(btn_Modify, &QPushButton::clicked, this, &TProjectsRatesForm::btn_ModifyClick);
    connect(btn_Delete, &QPushButton::clicked, this, &TProjectsRatesForm::btn_DeleteClick);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto *search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Search For Project"), this));
    search->addWidget(edt_Search);
    search->addWidget(chk_ShowActiveOnly);
    auto *left = new QVBoxLayout;
    left->addLayout(search);
    left->addWidget(DBGrid1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btn_Add);
    buttons->addWidget(btn_Modify);
    buttons->addWidget(btn_Delete);
    buttons->addStretch();
    buttons->addWidget(btn_Close);
    auto *right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(DBGrid2);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    layout->addWidget(DBEdit1);
    resize(1100, 560);
}

bool TProjectsRatesForm::event(QEvent *e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        FormActivate();
    return r;
}

bool TProjectsRatesForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == edt_Search && e->type() == QEvent::KeyRelease)
        edt_SearchKeyUp();
    return QDialog::eventFilter(watched, e);
}

void TProjectsRatesForm::FormActivate()
{
    if (m_opened)
        return;
    m_activation.run(this, [this] {
        m_showAll = -1;
        openProjects();
        edt_Search->clear();
        edt_Search->setFocus();
        // The dialog lives as long as the window; its site jobs are the ones read now.
        if (!m_rateForm)
            m_rateForm = new TDesignationRateForm(this);
        m_rateForm->setSiteJobs(Rates::siteJobs(m_session.connection()));
        m_opened = true;
    });
}

void TProjectsRatesForm::openProjects()
{
    Projects::open(AssignmentQ, m_showAll, m_session.dataModule().AllClientsQ);
    m_projectModel->reload();
    showCurrentProject(true);
}

void TProjectsRatesForm::projectRowChanged(int row)
{
    if (m_moving || row < 0 || row >= AssignmentQ.recordCount())
        return;
    AssignmentQ.setRow(row);
    showCurrentProject(false);
}

void TProjectsRatesForm::showCurrentProject(bool reopened)
{
    const QString name =
        AssignmentQ.isActive() && !AssignmentQ.eof() ? AssignmentQ.asString(QStringLiteral("Assignment")) : QString();
    m_moving = true;
    FormHelpers::showCurrentRow(DBGrid1, AssignmentQ);
    m_moving = false;
    // Reopening the list empties the name before it shows the first project again.
    if (reopened || name != DBEdit1->text()) {
        DBEdit1->setText(name);
        runWindowAction(this, nullptr, [this] { reloadRates(); });
    }
}

void TProjectsRatesForm::reloadRates()
{
    Rates::open(RatesQ, DBEdit1->text());
    m_rateModel->reload();
    showCurrentRate();
}

void TProjectsRatesForm::rateRowChanged(int row)
{
    if (m_moving || row < 0 || row >= RatesQ.recordCount())
        return;
    RatesQ.setRow(row);
}

void TProjectsRatesForm::showCurrentRate()
{
    m_moving = true;
    FormHelpers::showCurrentRow(DBGrid2, RatesQ);
    m_moving = false;
}

void TProjectsRatesForm::chk_ShowActiveOnlyClick()
{
    m_showAll = Projects::flipShowAll(m_showAll);
    runWindowAction(this, &m_sandGlass, [this] { openProjects(); });
}

void TProjectsRatesForm::edt_SearchKeyUp()
{
    if (Projects::locatePrefix(AssignmentQ, QStringLiteral("Assignment"), edt_Search->text().trimmed()))
        showCurrentProject(false);
}

void TProjectsRatesForm::btn_AddClick()
{
    // A rate under no project could never be priced or listed.
    if (DBEdit1->text().isEmpty()) {
        Messages::show(QStringLiteral("Please Choose A Project!"), this);
        return;
    }
    if (!m_rateForm)
        return;
    const QString project = DBEdit1->text();
    m_rateForm->Selected_SiteJob.clear();
    m_rateForm->WH_Value = m_rateForm->OT_Value = m_rateForm->HT_Value = 0;
    m_rateForm->FormActivate();
    if (Dialogs::exec(*m_rateForm) != QDialog::Accepted)
        return;
    const Rates::Rate r{m_rateForm->Selected_SiteJob, m_rateForm->WH_Value, m_rateForm->OT_Value, m_rateForm->HT_Value};
    if (!secondRateAllowed(project, r.siteJob, 0))
        return;
    runWindowAction(
        this, nullptr,
        [&] {
            Rates::insert(m_session.connection(), project, r);
            reloadRates();
        },
        saveFailure);
}

void TProjectsRatesForm::btn_ModifyClick()
{
    if (!RatesQ.isActive() || RatesQ.isEmpty() || RatesQ.eof()) {
        Messages::show(QStringLiteral("Ther Are No Rates To Modify !"), this);
        return;
    }
    if (!m_rateForm)
        return;
    const qint64 recId = RatesQ.asInt64(QStringLiteral("Rec_ID"));
    const Rates::Rate current = Rates::rateOf(RatesQ);
    m_rateForm->Selected_SiteJob = current.siteJob;
    m_rateForm->WH_Value = current.wh;
    m_rateForm->OT_Value = current.ot;
    m_rateForm->HT_Value = current.ht;
    m_rateForm->FormActivate();
    if (Dialogs::exec(*m_rateForm) != QDialog::Accepted)
        return;
    const Rates::Rate r{m_rateForm->Selected_SiteJob, m_rateForm->WH_Value, m_rateForm->OT_Value, m_rateForm->HT_Value};
    if (r.siteJob != current.siteJob && !secondRateAllowed(DBEdit1->text(), r.siteJob, recId))
        return;
    runWindowAction(
        this, nullptr,
        [&] {
            Rates::modify(m_session.connection(), recId, r);
            reloadRates();
            RatesQ.locate(QStringLiteral("Rec_ID"), recId);
            showCurrentRate();
        },
        saveFailure);
}

bool TProjectsRatesForm::secondRateAllowed(const QString &project, const QString &siteJob, qint64 exceptRecId)
{
    int existing = 0;
    if (!runWindowAction(
            this, nullptr,
            [&] { existing = Rates::sameJobRates(m_session.connection(), project, siteJob, exceptRecId); },
            saveFailure))
        return false;
    return existing == 0 || Messages::confirm(Rates::secondRateQuestion(siteJob), this);
}

void TProjectsRatesForm::btn_DeleteClick()
{
    if (!RatesQ.isActive() || RatesQ.isEmpty() || RatesQ.eof()) {
        Messages::show(QStringLiteral("Ther Are No Rates To Delete !"), this);
        return;
    }
    if (!Messages::confirm(QStringLiteral("Do You Want To Delete This Designation Rate ?"), this))
        return;
    const qint64 recId = RatesQ.asInt64(QStringLiteral("Rec_ID"));
    runWindowAction(
        this, nullptr,
        [&] {
            Rates::remove(m_session.connection(), recId);
            reloadRates();
        },
        saveFailure);
}
