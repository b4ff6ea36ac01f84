#include "ClientAttendanceCheckerForm.h"

#include "DataModule1.h"
#include "DbError.h"
#include "Messages.h"
#include "QueryTableModel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <optional>

namespace {

QLabel *totalLabel(QWidget *parent, const char *name, const char *caption, bool bold = false)
{
    auto *l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(QLatin1String(name));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QLineEdit *dataEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

QTableView *grid(QWidget *parent, const char *name)
{
    auto *g = new QTableView(parent);
    g->setObjectName(QLatin1String(name));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->hide();
    return g;
}

} // namespace

TClientAttendanceCheckerForm::TClientAttendanceCheckerForm(QWidget *parent, TDataModule1 *dm)
    : QDialog(parent), m_dm(dm ? dm : TDataModule1::instance()), m_sandGlass(this)
{
    if (!m_dm)
        throw DbError(QStringLiteral("No database connection"));
    m_lookup = std::make_unique<CheckerLookup>(m_dm->ADOConnection1);
    m_check = std::make_unique<InvoiceCheck>(m_dm->ADOConnection1);
    setObjectName(QStringLiteral("ClientAttendanceCheckerForm"));
    setWindowTitle(QStringLiteral("Client Attendance Checker Form"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(sizeHint().expandedTo(QSize(1180, 640)));
}

TClientAttendanceCheckerForm::~TClientAttendanceCheckerForm()
{
    // The models read the lookup's queries, which go before the child widgets do.
    for (QTableView *g : {dbg_Workers, dbg_OurTimeSheet, dbg_ClientTimeSheet})
        g->setModel(nullptr);
    delete m_workersModel;
    delete m_ourGridModel;
    delete m_clientGridModel;
}

void TClientAttendanceCheckerForm::buildControls()
{
    dtp_Cycle = new QDateEdit(this);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    dtp_Cycle->setDisplayFormat(QStringLiteral("MM/yyyy"));
    // Any active cycle can be shown; the picker is for display only.
    dtp_Cycle->setDateRange(QDate(2000, 1, 1), QDate(9999, 12, 31));
    dtp_Cycle->setEnabled(false);
    cb_Project = new QComboBox(this);
    cb_Project->setObjectName(QStringLiteral("cb_Project"));
    cb_Project->setEditable(false);
    cb_Project->setMinimumWidth(200);
    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    edt_SearchEmpNo = new QLineEdit(this);
    edt_SearchEmpNo->setObjectName(QStringLiteral("edt_SearchEmpNo"));
    edt_SearchEmpNo->setPlaceholderText(QStringLiteral("Employee No"));
    edt_SearchEmpNo->setToolTip(QStringLiteral("Employee No"));
    btn_SearchEmpNo = new QPushButton(QStringLiteral("Go"), this);
    btn_SearchEmpNo->setObjectName(QStringLiteral("btn_SearchEmpNo"));
    btn_SearchEmpNo->setAutoDefault(false);
    dbg_Workers = grid(this, "dbg_Workers");
    dbg_Workers->setFixedWidth(150);
    btn_CheckAll = new QPushButton(QStringLiteral("Check All Employees"), this);
    btn_CheckAll->setObjectName(QStringLiteral("btn_CheckAll"));
    DBEdit1 = dataEdit(this, "DBEdit1");
    DBEdit27 = dataEdit(this, "DBEdit27");
    DBEdit53 = dataEdit(this, "DBEdit53");
    DBEdit10 = dataEdit(this, "DBEdit10");
    dbg_OurTimeSheet = grid(this, "dbg_OurTimeSheet");
    dbg_OurTimeSheet->setFocusPolicy(Qt::NoFocus);
    dbg_ClientTimeSheet = grid(this, "dbg_ClientTimeSheet");
    dbg_ClientTimeSheet->setFocusPolicy(Qt::NoFocus);
    lbl_TotalOurPresentDays = totalLabel(this, "lbl_TotalOurPresentDays", "Total Present Days:");
    lbl_TotalOurNormalHours = totalLabel(this, "lbl_TotalOurNormalHours", "Total Normal Hours:");
    lbl_TotalOurOverTimeHours = totalLabel(this, "lbl_TotalOurOverTimeHours", "Total Overtime Hours:");
    lbl_TotalOurHolidayHours = totalLabel(this, "lbl_TotalOurHolidayHours", "Total Holiday Hours:");
    lbl_TotalOurHours = totalLabel(this, "lbl_TotalOurHours", "Total Hours:", true);
    lbl_TotalClientPresentDays = totalLabel(this, "lbl_TotalClientPresentDays", "Total Present Days:");
    lbl_TotalClientNormalHours = totalLabel(this, "lbl_TotalClientNormalHours", "Total Normal Hours:");
    lbl_TotalClientOverTimeHours = totalLabel(this, "lbl_TotalClientOverTimeHours", "Total Overtime Hours:");
    lbl_TotalClientHolidayHours = totalLabel(this, "lbl_TotalClientHolidayHours", "Total Holiday Hours:");
    lbl_TotalClientHours = totalLabel(this, "lbl_TotalClientHours", "Total Hours:", true);
    btn_Check = new QPushButton(QStringLiteral("Check Complete"), this);
    btn_Check->setObjectName(QStringLiteral("btn_Check"));
    for (QPushButton *b : {btn_Close, btn_CheckAll, btn_Check})
        b->setAutoDefault(false);

    m_workersModel = new QueryTableModel(m_lookup->WorkersInOurAttQ, this);
    m_ourGridModel = new QueryTableModel(m_lookup->OurSpreadSheetQ, this);
    m_clientGridModel = new QueryTableModel(m_lookup->ClientSpreadSheetQ, this);
    dbg_Workers->setModel(m_workersModel);
    dbg_Workers->horizontalHeader()->setStretchLastSection(true);
    dbg_OurTimeSheet->setModel(m_ourGridModel);
    dbg_ClientTimeSheet->setModel(m_clientGridModel);
    for (QTableView *g : {dbg_OurTimeSheet, dbg_ClientTimeSheet}) {
        g->horizontalHeader()->setDefaultSectionSize(30);
        g->horizontalHeader()->setMinimumSectionSize(20);
    }

    // Layout: top bar, workers on the left, the worker and both sides on the right.
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Cycle"), this));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Project"), this));
    top->addWidget(cb_Project);
    top->addStretch();
    top->addWidget(btn_Close);

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Search For Employee"), this));
    auto *search = new QHBoxLayout;
    search->addWidget(edt_SearchEmpNo);
    search->addWidget(btn_SearchEmpNo);
    left->addLayout(search);
    left->addWidget(dbg_Workers, 1);
    left->addWidget(btn_CheckAll);

    auto *details = new QHBoxLayout;
    const std::pair<const char *, QLineEdit *> edits[] = {
        {"Ref No", DBEdit1}, {"Employee No", DBEdit27}, {"First Name", DBEdit53}, {"Last Name", DBEdit10}};
    for (const auto &[caption, edit] : edits) {
        details->addWidget(new QLabel(QString::fromLatin1(caption), this));
        details->addWidget(edit);
    }

    auto side = [this](const char *title, QTableView *g, std::initializer_list<QLabel *> labels) {
        auto *box = new QGroupBox(QString::fromLatin1(title), this);
        auto *v = new QVBoxLayout(box);
        v->addWidget(g, 1);
        auto *totals = new QHBoxLayout;
        for (QLabel *l : labels)
            totals->addWidget(l);
        totals->addStretch();
        v->addLayout(totals);
        return box;
    };
    auto *right = new QVBoxLayout;
    right->addLayout(details);
    right->addWidget(side("Our Attendance:", dbg_OurTimeSheet,
                          {lbl_TotalOurPresentDays, lbl_TotalOurNormalHours, lbl_TotalOurOverTimeHours, lbl_TotalOurHolidayHours,
                           lbl_TotalOurHours}),
                     1);
    right->addWidget(side("Client Attendance:", dbg_ClientTimeSheet,
                          {lbl_TotalClientPresentDays, lbl_TotalClientNormalHours, lbl_TotalClientOverTimeHours,
                           lbl_TotalClientHolidayHours, lbl_TotalClientHours}),
                     1);
    auto *checkRow = new QHBoxLayout;
    checkRow->addStretch();
    checkRow->addWidget(btn_Check);
    right->addLayout(checkRow);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(body, 1);

    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(cb_Project, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cb_ProjectChange();
    });
    connect(edt_SearchEmpNo, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int pos = edt_SearchEmpNo->cursorPosition();
            edt_SearchEmpNo->setText(upper);
            edt_SearchEmpNo->setCursorPosition(pos);
        }
    });
    connect(edt_SearchEmpNo, &QLineEdit::returnPressed, this, &TClientAttendanceCheckerForm::FindEmployee);
    connect(btn_SearchEmpNo, &QPushButton::clicked, this, &TClientAttendanceCheckerForm::FindEmployee);
    connect(dbg_Workers, &QTableView::doubleClicked, this, &TClientAttendanceCheckerForm::dbg_WorkersDblClick);
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
    const std::optional<QDate> cycle = GetActiveCycle(this, m_dm);
    if (!cycle)
        return;
    dtp_Cycle->setDate(*cycle);
    m_year = dtp_Cycle->date().year();
    m_month = dtp_Cycle->date().month();
    FillComboBoxes();
    edt_SearchEmpNo->setFocus();
}

void TClientAttendanceCheckerForm::FillComboBoxes()
{
    // Once per window: later activations find the list filled.
    if (m_lookup->AssignmentQ.isActive())
        return;
    try {
        m_lookup->AssignmentQ.open();
    } catch (const DbError &e) {
        showDatabaseError(e.message());
        return;
    }
    const QSignalBlocker block(cb_Project);
    for (m_lookup->AssignmentQ.first(); !m_lookup->AssignmentQ.eof(); m_lookup->AssignmentQ.next())
        cb_Project->addItem(m_lookup->AssignmentQ.asString(QStringLiteral("Assignment")));
    cb_Project->setCurrentIndex(-1);
}

void TClientAttendanceCheckerForm::cb_ProjectChange()
{
    SandGlassScope busy(m_sandGlass);
    try {
        m_lookup->openWorkers(cb_Project->currentText(), m_year, m_month);
    } catch (const DbError &e) {
        m_lookup->WorkersInOurAttQ.close();
        m_workersModel->reload();
        clearEmployee(true);
        m_sandGlass.HideSandGlass();
        showDatabaseError(e.message());
        return;
    }
    m_workersModel->reload();
    if (m_workersModel->rowCount() > 0)
        dbg_Workers->setCurrentIndex(m_workersModel->index(0, 0));
    clearEmployee(true);
}

void TClientAttendanceCheckerForm::clearEmployee(bool zeroLabels)
{
    m_lookup->closeEmployee();
    m_shownEmployee.clear();
    m_disputed = false;
    reloadGrids();
    for (QLineEdit *e : {DBEdit1, DBEdit27, DBEdit53, DBEdit10})
        e->clear();
    if (zeroLabels) {
        CalcOurAttendance();
        CalcClientAttendance();
    }
}

void TClientAttendanceCheckerForm::FindEmployee()
{
    CheckerLookup &l = *m_lookup;
    if (!l.WorkersInOurAttQ.isActive())
        return;
    m_disputed = false;
    const QString emp = edt_SearchEmpNo->text();
    bool found = false;
    {
        // A check-all pass holds the busy window for the whole pass.
        std::optional<SandGlassScope> busy;
        if (!m_inPass)
            busy.emplace(m_sandGlass);
        try {
            found = l.findEmployee(emp, !m_inPass);
        } catch (const DbError &e) {
            clearEmployee(true);
            m_sandGlass.HideSandGlass();
            showDatabaseError(e.message());
            return;
        }
        if (found)
            showEmployee();
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
    DBEdit1->setText(hasRow ? l.WorkerQ.asString(QStringLiteral("Rec_ID")) : QString());
    DBEdit27->setText(hasRow ? l.WorkerQ.asString(QStringLiteral("Employee_No")) : QString());
    DBEdit53->setText(hasRow ? l.WorkerQ.asString(QStringLiteral("FirstName")) : QString());
    DBEdit10->setText(hasRow ? l.WorkerQ.asString(QStringLiteral("LastName")) : QString());
    // During a pass the grids are redrawn when the window is painted, not for every worker.
    if (!m_inPass)
        reloadGrids();
    dbg_Workers->setCurrentIndex(m_workersModel->index(l.WorkersInOurAttQ.row(), 0));
    CalcOurAttendance();
    CalcClientAttendance();
    CompareHours();
}

void TClientAttendanceCheckerForm::reloadGrids()
{
    // A pass skips the grids per worker; open them for the worker shown now.
    if (m_lookup->employeeShown() && !m_lookup->ClientSpreadSheetQ.isActive()) {
        try {
            m_lookup->openGrids();
        } catch (const DbError &e) {
            showDatabaseError(e.message());
        }
    }
    m_ourGridModel->reload();
    m_clientGridModel->reload();
}

void TClientAttendanceCheckerForm::CalcOurAttendance()
{
    const AttendanceTotals &t = m_lookup->ours;
    lbl_TotalOurPresentDays->setText(t.presentDaysText());
    lbl_TotalOurNormalHours->setText(t.normalHoursText());
    lbl_TotalOurOverTimeHours->setText(t.overtimeHoursText());
    lbl_TotalOurHolidayHours->setText(t.holidayHoursText());
    lbl_TotalOurHours->setText(t.totalHoursText());
}

void TClientAttendanceCheckerForm::CalcClientAttendance()
{
    const AttendanceTotals &t = m_lookup->client;
    lbl_TotalClientPresentDays->setText(t.presentDaysText());
    lbl_TotalClientNormalHours->setText(t.normalHoursText());
    lbl_TotalClientOverTimeHours->setText(t.overtimeHoursText());
    lbl_TotalClientHolidayHours->setText(t.holidayHoursText());
    lbl_TotalClientHours->setText(t.totalHoursText());
}

void TClientAttendanceCheckerForm::CompareHours()
{
    QPalette p = lbl_TotalClientHours->palette();
    p.setColor(QPalette::WindowText, hoursAgree(m_lookup->ours, m_lookup->client) ? QColor(0, 128, 0) : QColor(255, 0, 0));
    lbl_TotalClientHours->setPalette(p);
}

void TClientAttendanceCheckerForm::dbg_WorkersDblClick()
{
    Query &w = m_lookup->WorkersInOurAttQ;
    edt_SearchEmpNo->setText(w.isActive() && !w.eof() ? w.asString(QStringLiteral("Employee_No")) : QString());
    FindEmployee();
}

void TClientAttendanceCheckerForm::showDatabaseError(const QString &message)
{
    Messages::error(message, this);
}

CheckOutcome TClientAttendanceCheckerForm::checkOne(const QString &employeeNo)
{
    CheckOutcome o;
    {
        std::optional<SandGlassScope> busy;
        if (!m_inPass)
            busy.emplace(m_sandGlass);
        o = m_check->checkWorker({cb_Project->currentText(), m_year, m_month}, employeeNo, m_dm->Current_UserID);
        // The client list is read again, as after every check.
        try {
            Query &h = m_lookup->ClientAttHistory;
            if (h.isActive()) {
                h.close();
                h.open();
                h.first();
            }
        } catch (const DbError &) {
            m_lookup->ClientAttHistory.close();
        }
    }
    if (o.status == CheckOutcome::Status::Failed) {
        const bool shown = m_sandGlass.isShown();
        m_sandGlass.HideSandGlass();
        Messages::error(o.message, this);
        if (shown)
            m_sandGlass.ShowSandGlass();
    }
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
        Messages::warning(QStringLiteral("Employee %1 has no worker record; the attendance was not checked.").arg(m_shownEmployee), this);
}

void TClientAttendanceCheckerForm::btn_CheckAllClick()
{
    Query &w = m_lookup->WorkersInOurAttQ;
    if (!w.isActive() || w.isEmpty()) {
        Messages::show(QStringLiteral("There are no workers in this project!"), this);
        return;
    }
    QStringList employees;
    const int col = w.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = qMax(0, w.row()); r < w.recordCount(); ++r)
        employees << w.valueAt(r, col).toString();
    QStringList disputed, noWorker;
    {
        m_inPass = true;
        SandGlassScope busy(m_sandGlass);
        QElapsedTimer painted;
        painted.start();
        for (const QString &emp : employees) {
            edt_SearchEmpNo->setText(emp);
            FindEmployee();
            const CheckOutcome o = checkOne(emp);
            if (o.status == CheckOutcome::Status::Disputed)
                disputed << emp;
            else if (o.status == CheckOutcome::Status::NoWorker)
                noWorker << emp;
            // Show the worker in turn, a few times a second: painting every one costs more than its check.
            if (painted.elapsed() > 100) {
                reloadGrids();
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                painted.restart();
            }
        }
        m_inPass = false;
        reloadGrids();
    }
    QStringList notes;
    if (!disputed.isEmpty())
        notes << QStringLiteral("The attendance is Disputed! Not checked: %1").arg(disputed.join(QStringLiteral(", ")));
    if (!noWorker.isEmpty())
        notes << QStringLiteral("No worker record, not checked: %1").arg(noWorker.join(QStringLiteral(", ")));
    if (!notes.isEmpty())
        Messages::warning(notes.join(QStringLiteral("\n\r")), this);
}
