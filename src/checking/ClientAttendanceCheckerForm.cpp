#include "ClientAttendanceCheckerForm.h"

#include "ActiveProjects.h"
#include "AttendanceTotalsPanel.h"
#include "CyclePicker.h"
#include "DbError.h"
#include "EmployeeSearchPanel.h"
#include "GridCopy.h"
#include "Messages.h"
#include "PassProgress.h"
#include "QueryTableModel.h"
#include "Session.h"
#include "WindowParts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLineEdit *dataEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

// A month grid: the kind of value as a fixed row title, the 31 days as columns sized to their
// content, scrolling beside the titles.
QTableView *monthGrid(QWidget *parent, const char *name, QueryTableModel *model)
{
    auto *g = new QTableView(parent);
    g->setObjectName(QLatin1String(name));
    model->setRowTitleField(QStringLiteral("Col01"));
    g->setModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Cells, so that a stretch of days can be copied into a spreadsheet.
    g->setSelectionBehavior(QAbstractItemView::SelectItems);
    g->setSelectionMode(QAbstractItemView::ContiguousSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    g->horizontalHeader()->setMinimumSectionSize(24);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridCopy::install(g);
    return g;
}

} // namespace

TClientAttendanceCheckerForm::TClientAttendanceCheckerForm(Session &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_lookup(std::make_unique<CheckerLookup>(session.connection())),
      m_check(std::make_unique<InvoiceCheck>(session.connection(), session.clock())), m_sandGlass(this)
{
    setObjectName(QStringLiteral("ClientAttendanceCheckerForm"));
    setWindowTitle(QStringLiteral("Client Attendance Checker Form"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(sizeHint().expandedTo(QSize(1180, 640)));
}

TClientAttendanceCheckerForm::~TClientAttendanceCheckerForm()
{
    // The models read the lookup's queries, which go before the child widgets do.
    for (QTableView *g : {dbg_Workers, dbg_OurTimeSheet, dbg_ClientTimeSheet})
        g->setModel(nullptr);
}

void TClientAttendanceCheckerForm::buildControls()
{
    dtp_Cycle = new CyclePicker(this);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    // Any active cycle can be shown; the picker is for display only.
    dtp_Cycle->setEnabled(false);
    cb_Project = new QComboBox(this);
    cb_Project->setObjectName(QStringLiteral("cb_Project"));
    cb_Project->setEditable(false);
    cb_Project->setMinimumWidth(200);
    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_CheckAll = new QPushButton(QStringLiteral("Check All Employees"), this);
    btn_CheckAll->setObjectName(QStringLiteral("btn_CheckAll"));
    pnl_Employees =
        new EmployeeSearchPanel(m_lookup->WorkersInOurAttQ, btn_CheckAll, 150, this, QStringLiteral("Workers"), true);
    edt_SearchEmpNo = pnl_Employees->edt_SearchEmpNo;
    btn_SearchEmpNo = pnl_Employees->btn_SearchEmpNo;
    dbg_Workers = pnl_Employees->dbg_Workers;
    edt_RefNo = dataEdit(this, "DBEdit1");
    edt_EmployeeNo = dataEdit(this, "DBEdit27");
    edt_FirstName = dataEdit(this, "DBEdit53");
    edt_LastName = dataEdit(this, "DBEdit10");
    m_ourGridModel = new QueryTableModel(m_lookup->OurSpreadSheetQ, this);
    m_clientGridModel = new QueryTableModel(m_lookup->ClientSpreadSheetQ, this);
    dbg_OurTimeSheet = monthGrid(this, "dbg_OurTimeSheet", m_ourGridModel);
    dbg_ClientTimeSheet = monthGrid(this, "dbg_ClientTimeSheet", m_clientGridModel);
    pnl_Totals = new AttendanceTotalsPanel(AttendanceTotalsPanel::Arrangement::Rows,
                                           QStringLiteral("lbl_TotalOurOverTimeHours"), this);
    lbl_TotalClientHours = pnl_Totals->lbl_TotalClientHours;
    btn_Check = new QPushButton(QStringLiteral("Check Complete"), this);
    btn_Check->setObjectName(QStringLiteral("btn_Check"));
    for (QPushButton *b : {btn_Close, btn_Check})
        pressOnEnter(b);

    // Layout: top bar, workers on the left, the worker, both months and both totals on the right.
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Cycle"), this));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Project"), this));
    top->addWidget(cb_Project);
    top->addStretch();
    top->addWidget(btn_Close);

    auto *details = new QHBoxLayout;
    const std::pair<const char *, QLineEdit *> edits[] = {{"Ref No", edt_RefNo},
                                                          {"Employee No", edt_EmployeeNo},
                                                          {"First Name", edt_FirstName},
                                                          {"Last Name", edt_LastName}};
    for (const auto &[caption, edit] : edits) {
        details->addWidget(new QLabel(QString::fromLatin1(caption), this));
        details->addWidget(edit);
    }

    auto side = [this](const char *title, QTableView *g) {
        auto *box = new QGroupBox(QString::fromLatin1(title), this);
        auto *v = new QVBoxLayout(box);
        v->addWidget(g, 1);
        return box;
    };
    auto *right = new QVBoxLayout;
    right->addLayout(details);
    right->addWidget(side("Our Attendance:", dbg_OurTimeSheet), 1);
    right->addWidget(side("Client Attendance:", dbg_ClientTimeSheet), 1);
    auto *checkRow = new QHBoxLayout;
    checkRow->addWidget(pnl_Totals, 1);
    checkRow->addWidget(btn_Check, 0, Qt::AlignBottom);
    right->addLayout(checkRow);

    auto *body = new QHBoxLayout;
    body->addWidget(pnl_Employees);
    body->addLayout(right, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(body, 1);

    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(cb_Project, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cb_ProjectChange();
    });
    connect(pnl_Employees, &EmployeeSearchPanel::searchRequested, this, &TClientAttendanceCheckerForm::FindEmployee);
    connect(pnl_Employees, &EmployeeSearchPanel::workerDoubleClicked, this,
            &TClientAttendanceCheckerForm::dbg_WorkersDblClick);
    connect(btn_Check, &QPushButton::clicked, this, &TClientAttendanceCheckerForm::btn_CheckClick);
    connect(btn_CheckAll, &QPushButton::clicked, this, &TClientAttendanceCheckerForm::btn_CheckAllClick);
    connect(dbg_Workers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    m_lookup->WorkersInOurAttQ.setRow(current.row());
            });
}

bool TClientAttendanceCheckerForm::event(QEvent *e)
{
    const bool done = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return done;
}

void TClientAttendanceCheckerForm::FormActivate()
{
    // A failure (no active cycle, no database, no project list) is shown once per opening.
    m_activation.run(this, [this] {
        dtp_Cycle->setDate(GetActiveCycle(m_session));
        m_year = dtp_Cycle->date().year();
        m_month = dtp_Cycle->date().month();
        FillComboBoxes();
        edt_SearchEmpNo->setFocus();
    });
}

void TClientAttendanceCheckerForm::FillComboBoxes()
{
    // Once per window: later activations find the list filled.
    if (m_projectsFilled)
        return;
    const QStringList names = ActiveProjects::names(m_session.connection());
    m_projectsFilled = true;
    const QSignalBlocker block(cb_Project);
    cb_Project->addItems(names);
    cb_Project->setCurrentIndex(-1);
}

void TClientAttendanceCheckerForm::cb_ProjectChange()
{
    const bool ok = runWindowAction(this, &m_sandGlass, [this] {
        try {
            m_lookup->openWorkers(cb_Project->currentText(), m_year, m_month);
        } catch (const DbError &) {
            m_lookup->WorkersInOurAttQ.close();
            throw;
        }
    });
    pnl_Employees->reload();
    if (ok)
        pnl_Employees->setCurrentRow(0);
    clearEmployee(true);
}

void TClientAttendanceCheckerForm::clearEmployee(bool zeroLabels)
{
    m_lookup->closeEmployee();
    m_shownEmployee.clear();
    m_disputed = false;
    reloadGrids();
    for (QLineEdit *e : {edt_RefNo, edt_EmployeeNo, edt_FirstName, edt_LastName})
        e->clear();
    if (zeroLabels) {
        CalcOurAttendance();
        CalcClientAttendance();
    }
    // No worker, nothing compared: zero against zero is not an agreement.
    pnl_Totals->clearAgree();
}

void TClientAttendanceCheckerForm::FindEmployee()
{
    CheckerLookup &l = *m_lookup;
    if (!l.WorkersInOurAttQ.isActive())
        return;
    m_disputed = false;
    const QString emp = edt_SearchEmpNo->text();
    bool found = false;
    // A check-all pass holds the busy window for the whole pass and opens the grids only
    // when it repaints.
    const bool ok = runWindowAction(this, &m_sandGlass, [&] {
        found = l.findEmployee(emp, !m_inPass);
        if (found)
            showEmployee();
    });
    if (!ok) {
        clearEmployee(true);
        return;
    }
    if (!found) {
        clearEmployee(true);
        Messages::show(QStringLiteral("Worker Not Found"), this);
    }
}

void TClientAttendanceCheckerForm::showEmployee()
{
    CheckerLookup &l = *m_lookup;
    m_shownEmployee = edt_SearchEmpNo->text();
    m_disputed = l.disputed();
    const bool hasRow = l.hasWorkerRow();
    auto field = [&](const char *name) { return hasRow ? l.WorkerQ.asString(QLatin1String(name)) : QString(); };
    edt_RefNo->setText(field("Rec_ID"));
    edt_EmployeeNo->setText(field("Employee_No"));
    edt_FirstName->setText(field("FirstName"));
    edt_LastName->setText(field("LastName"));
    // During a pass the grids are redrawn when the window is painted, not for every worker.
    if (!m_inPass)
        reloadGrids();
    pnl_Employees->setCurrentRow(l.WorkersInOurAttQ.row());
    CalcOurAttendance();
    CalcClientAttendance();
    CompareHours();
}

void TClientAttendanceCheckerForm::reloadGrids()
{
    // A pass skips the grids per worker; open them for the worker shown now.
    if (m_lookup->employeeShown() && !m_lookup->ClientSpreadSheetQ.isActive())
        runWindowAction(this, nullptr, [this] { m_lookup->openGrids(); });
    m_ourGridModel->reload();
    m_clientGridModel->reload();
}

void TClientAttendanceCheckerForm::CalcOurAttendance()
{
    pnl_Totals->setOurs(m_lookup->ours.texts());
}

void TClientAttendanceCheckerForm::CalcClientAttendance()
{
    pnl_Totals->setClient(m_lookup->client.texts());
}

void TClientAttendanceCheckerForm::CompareHours()
{
    pnl_Totals->setAgree(hoursAgree(m_lookup->ours, m_lookup->client));
}

void TClientAttendanceCheckerForm::dbg_WorkersDblClick()
{
    edt_SearchEmpNo->setText(pnl_Employees->employeeAt(m_lookup->WorkersInOurAttQ.row()));
    FindEmployee();
}

void TClientAttendanceCheckerForm::rereadClientRows()
{
    // The client list is read again, as after every check.
    Query &h = m_lookup->ClientAttHistory;
    if (!h.isActive())
        return;
    try {
        h.close();
        h.open();
        h.first();
    } catch (const DbError &) {
        h.close();
    }
}

CheckOutcome TClientAttendanceCheckerForm::checkOne(const QString &employeeNo)
{
    CheckOutcome o;
    // The check reports failures in its outcome; shown here in its own words.
    runWindowAction(this, &m_sandGlass, [&] {
        o = m_check->checkWorker({cb_Project->currentText(), m_year, m_month}, employeeNo, m_session.user());
        rereadClientRows();
        if (o.status == CheckOutcome::Status::Failed)
            throw DbError(o.message);
    });
    return o;
}

void TClientAttendanceCheckerForm::btn_CheckClick()
{
    if (!m_lookup->employeeShown())
        return;
    if (m_disputed) {
        Messages::show(QStringLiteral("The attendance is Disputed!"), this);
        return;
    }
    const CheckOutcome o = checkOne(m_shownEmployee);
    if (o.status == CheckOutcome::Status::Disputed)
        Messages::show(QStringLiteral("The attendance is Disputed!"), this);
    else if (o.status == CheckOutcome::Status::NoWorker)
        Messages::warning(
            QStringLiteral("Employee %1 has no worker record; the attendance was not checked.").arg(m_shownEmployee),
            this);
    else if (o.status == CheckOutcome::Status::Refused)
        Messages::warning(QStringLiteral("Employee %1 was not checked: %2.").arg(m_shownEmployee, o.message), this);
    else if (o.status == CheckOutcome::Status::Checked && o.noRate)
        Messages::warning(QStringLiteral("%1: %2").arg(m_shownEmployee, o.pricedAtZeroText()), this);
}

void TClientAttendanceCheckerForm::btn_CheckAllClick()
{
    if (PassProgress::running())
        return;
    Query &w = m_lookup->WorkersInOurAttQ;
    if (!w.isActive() || w.isEmpty()) {
        Messages::show(QStringLiteral("There are no workers in this project!"), this);
        return;
    }
    // From the worker shown in the list to the end of it.
    QStringList employees;
    for (int r = qMax(0, w.row()); r < w.recordCount(); ++r)
        employees << pnl_Employees->employeeAt(r);
    CheckAllSummary summary;
    QString last;
    {
        m_inPass = true;
        PassProgress progress(this, QStringLiteral("Check All Employees"), int(employees.size()));
        QElapsedTimer shown;
        shown.start();
        // The same pass as the command line's check-all. The window shows the worker in turn a
        // few times a second: loading every worker's rows would cost more than its check.
        summary = checkEmployees(
            *m_check, {cb_Project->currentText(), m_year, m_month}, employees, m_session.user(),
            [&](const QString &emp) {
                last = emp;
                if (shown.elapsed() > 100) {
                    edt_SearchEmpNo->setText(emp);
                    FindEmployee();
                    reloadGrids();
                    shown.restart();
                }
            },
            [&](const QString &, const CheckOutcome &o) {
                if (o.status == CheckOutcome::Status::Failed)
                    runWindowAction(this, nullptr, [&] { throw DbError(o.message); });
            },
            progress.control());
        m_inPass = false;
    }
    // The last worker checked is shown, read again as after every check.
    if (!last.isEmpty()) {
        edt_SearchEmpNo->setText(last);
        FindEmployee();
    }
    QStringList notes{
        passSummary(QStringLiteral("Checked"), summary.checked, summary.skipped, summary.failed, summary.notStarted)};
    if (!summary.disputed.isEmpty())
        notes << QStringLiteral("The attendance is Disputed! Not checked: %1")
                     .arg(summary.disputed.join(QStringLiteral(", ")));
    if (!summary.noWorker.isEmpty())
        notes << QStringLiteral("No worker record, not checked: %1").arg(summary.noWorker.join(QStringLiteral(", ")));
    for (const QString &r : summary.refused)
        notes << QStringLiteral("Not checked: ") + r;
    notes << summary.unpriced;
    if (notes.size() > 1)
        Messages::warning(notes.join(QStringLiteral("\n\r")), this);
    else
        Messages::show(notes.first(), this);
}
