#include "ClientAttendanceForm.h"

#include "AuditForm.h"
#include "BaseCalcForm.h"
#include "DataModule1.h"
#include "DbError.h"
#include "Messages.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <QValidator>

namespace {

const QColor kDisputeColour(192, 220, 192);
const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

// Typed employee numbers are upper-cased as they are typed.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

// Disputed rows keep their pale green when selected, so the selection colour is not painted.
class DisputeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::BackgroundRole).value<QColor>() == kDisputeColour) {
            option->state &= ~QStyle::State_Selected;
            option->backgroundBrush = kDisputeColour;
        }
    }
};

} // namespace

// A read-only grid over a query's snapshot: chosen columns, centred, dates as dd/MM/yyyy.
class AttendanceGridModel : public QAbstractTableModel
{
public:
    struct Column
    {
        QString field, title;
        bool isDate = false;
    };
    AttendanceGridModel(const Query &q, QList<Column> columns, QString disputeField, bool centred, QObject *parent)
        : QAbstractTableModel(parent), m_q(q), m_columns(std::move(columns)), m_dispute(std::move(disputeField)),
          m_centred(centred)
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_q.isActive() ? 0 : m_q.recordCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
            return m_columns[section].title;
        return QAbstractTableModel::headerData(section, o, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_q.isActive() || index.row() >= m_q.recordCount() ||
            index.column() >= m_columns.size())
            return {};
        const Column &col = m_columns[index.column()];
        switch (role) {
        case Qt::DisplayRole: {
            const int c = m_q.fieldIndex(col.field);
            if (c < 0)
                return {};
            const QVariant v = m_q.valueAt(index.row(), c);
            if (v.isNull())
                return QString();
            return col.isDate ? toDateTime(v).toString(kDateFormat) : v.toString();
        }
        case Qt::TextAlignmentRole:
            return m_centred ? QVariant(Qt::AlignCenter) : QVariant();
        case Qt::BackgroundRole: {
            if (m_dispute.isEmpty())
                return {};
            const int c = m_q.fieldIndex(m_dispute);
            if (c >= 0 && m_q.valueAt(index.row(), c).toInt() != 0)
                return kDisputeColour;
            return {};
        }
        default:
            return {};
        }
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const Query &m_q;
    QList<Column> m_columns;
    QString m_dispute;
    bool m_centred;
};

TClientAttendanceForm::TClientAttendanceForm(QWidget *parent, TDataModule1 *dm, TodayFn today)
    : QDialog(parent), m_dm(dm ? dm : TDataModule1::instance()), m_att(m_dm->ADOConnection1, std::move(today)),
      m_sandGlass(this)
{
    m_att.userId = m_dm->Current_UserID;
    // The audit popup shows the stamps as the grid's dataset displays them.
    for (const char *f : {"Entered_Date", "Checked_Date"})
        m_att.ClientAttHistory.defineField({QString::fromLatin1(f), FieldKind::DateTime, {}, kDateFormat, true});
    m_workersModel = new AttendanceGridModel(
        m_att.WorkersInOurAttQ, {{QStringLiteral("Employee_No"), QStringLiteral("Employees")}}, {}, false, this);
    m_clientModel = new AttendanceGridModel(m_att.ClientAttHistory,
                                            {{QStringLiteral("Col_Date"), QStringLiteral("Att Date"), true},
                                             {QStringLiteral("ClientJob"), QStringLiteral("Site Job")},
                                             {QStringLiteral("ClientAtt_Code"), QStringLiteral("Att Code")},
                                             {QStringLiteral("ClientAtt_Desc"), QStringLiteral("Client Att Desc")},
                                             {QStringLiteral("Client_WH"), QStringLiteral("Client WH")},
                                             {QStringLiteral("Client_OT"), QStringLiteral("Client OT")},
                                             {QStringLiteral("Client_HT"), QStringLiteral("Client HT")}},
                                            QStringLiteral("Dispute"), true, this);
    buildUi();
}

TClientAttendanceForm::~TClientAttendanceForm() = default;

void TClientAttendanceForm::buildUi()
{
    setObjectName(QStringLiteral("ClientAttendanceForm"));
    setWindowTitle(QStringLiteral("Client Attendance Form"));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint & ~Qt::WindowContextHelpButtonHint);

    auto named = [](auto *w, const char *name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    auto button = [&](const char *name, const char *caption) {
        auto *b = named(new QPushButton(QLatin1String(caption), this), name);
        // Enter in the search box must not press a button.
        b->setAutoDefault(false);
        return b;
    };
    auto label = [&](const QString &text, QWidget *buddy = nullptr) {
        auto *l = new QLabel(text, this);
        if (buddy)
            l->setBuddy(buddy);
        return l;
    };

    dtp_Cycle = named(new QDateEdit(this), "dtp_Cycle");
    dtp_Cycle->setDisplayFormat(QStringLiteral("MM/yyyy"));
    cb_Project = named(new QComboBox(this), "cb_Project");
    cb_Project->setMinimumWidth(220);
    btn_Move = button("btn_Move", "Move Data");
    btn_ChangeJob = button("btn_ChangeJob", "Change Job");
    btn_CalcBase = button("btn_CalcBase", "Calculate Base");
    btn_Close = button("btn_Close", "Close");

    edt_SearchEmpNo = named(new QLineEdit(this), "edt_SearchEmpNo");
    edt_SearchEmpNo->setValidator(new UpperCaseValidator(edt_SearchEmpNo));
    edt_SearchEmpNo->setToolTip(QStringLiteral("Employee No"));
    edt_SearchEmpNo->setPlaceholderText(QStringLiteral("Employee No"));
    btn_SearchEmpNo = button("btn_SearchEmpNo", "Go");
    dbg_Workers = named(new QTableView(this), "dbg_Workers");
    dbg_Workers->setModel(m_workersModel);
    dbg_Workers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_Workers->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbg_Workers->setSelectionMode(QAbstractItemView::SingleSelection);
    dbg_Workers->verticalHeader()->hide();
    dbg_Workers->verticalHeader()->setDefaultSectionSize(22);
    dbg_Workers->horizontalHeader()->setStretchLastSection(true);
    dbg_Workers->setFixedWidth(170);
    btn_Move_All = button("btn_Move_All", "Move All Employees");

    dbg_ClientAttendance = named(new QTableView(this), "dbg_ClientAttendance");
    dbg_ClientAttendance->setModel(m_clientModel);
    dbg_ClientAttendance->setItemDelegate(new DisputeDelegate(dbg_ClientAttendance));
    dbg_ClientAttendance->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_ClientAttendance->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbg_ClientAttendance->setSelectionMode(QAbstractItemView::SingleSelection);
    dbg_ClientAttendance->setFocusPolicy(Qt::ClickFocus);
    dbg_ClientAttendance->verticalHeader()->hide();
    dbg_ClientAttendance->verticalHeader()->setDefaultSectionSize(22);
    dbg_ClientAttendance->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    dbg_ClientAttendance->horizontalHeader()->setDefaultSectionSize(122);
    dbg_ClientAttendance->setContextMenuPolicy(Qt::CustomContextMenu);
    pm_dpg_ClientAttendance = named(new QMenu(this), "pm_dpg_ClientAttendance");
    MarkDespute1 = named(pm_dpg_ClientAttendance->addAction(QStringLiteral("Mark Dispute")), "MarkDespute1");
    UnMarkDispute1 = named(pm_dpg_ClientAttendance->addAction(QStringLiteral("UnMark Dispute")), "UnMarkDispute1");
    AuditForm1 = named(pm_dpg_ClientAttendance->addAction(QStringLiteral("Audit Form")), "AuditForm1");
    Delete1 = named(pm_dpg_ClientAttendance->addAction(QStringLiteral("Delete")), "Delete1");

    dtp_AttDate = named(new QDateEdit(this), "dtp_AttDate");
    dtp_AttDate->setDisplayFormat(kDateFormat);
    dtp_AttDate->setCalendarPopup(true);
    dtp_AttDate->installEventFilter(this);
    lbl_Day = named(new QLabel(this), "lbl_Day");
    lbl_Day->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;"));
    lbl_Day->setMinimumWidth(80);
    cb_AttCode = named(new QComboBox(this), "cb_AttCode");
    cb_AttCode->addItems({QStringLiteral("A"), QStringLiteral("P"), QStringLiteral("H")});
    cb_AttCode->setCurrentIndex(-1);
    cb_AttDesc = named(new QComboBox(this), "cb_AttDesc");
    cb_AttDesc->setEditable(true);
    cb_AttDesc->addItems({QStringLiteral("Absent"), QStringLiteral("Present"), QStringLiteral("Holiday")});
    cb_AttDesc->setCurrentIndex(-1);
    cb_AttDesc->setFocusPolicy(Qt::ClickFocus);
    cb_ClientJob = named(new QComboBox(this), "cb_ClientJob");
    cb_ClientJob->setMinimumWidth(150);
    auto spin = [&](const char *name) {
        auto *s = named(new QSpinBox(this), name);
        s->setRange(0, 24);
        return s;
    };
    edt_WH = spin("edt_WH");
    edt_OT = spin("edt_OT");
    edt_HT = spin("edt_HT");
    btn_Post = button("btn_Post", "Post");

    auto totalsLabel = [&](const char *name, const QString &text, bool bold) {
        auto *l = named(new QLabel(text, this), name);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        return l;
    };
    lbl_TotalOurPresentDays = totalsLabel("lbl_TotalOurPresentDays", QStringLiteral("Total Present Days:"), false);
    lbl_TotalOurNormalHours = totalsLabel("lbl_TotalOurNormalHours", QStringLiteral("Total Normal Hours:"), false);
    lbl_TotalOurOvertimeHours =
        totalsLabel("lbl_TotalOurOvertimeHours", QStringLiteral("Total Overtime Hours:"), false);
    lbl_TotalOurHolidayHours = totalsLabel("lbl_TotalOurHolidayHours", QStringLiteral("Total Holiday Hours:"), false);
    lbl_TotalOurHours = totalsLabel("lbl_TotalOurHours", QStringLiteral("Total Hours:"), true);
    lbl_TotalClientPresentDays =
        totalsLabel("lbl_TotalClientPresentDays", QStringLiteral("Total Present Days:"), false);
    lbl_TotalClientNormalHours =
        totalsLabel("lbl_TotalClientNormalHours", QStringLiteral("Total Normal Hours:"), false);
    lbl_TotalClientOverTimeHours =
        totalsLabel("lbl_TotalClientOverTimeHours", QStringLiteral("Total Overtime Hours:"), false);
    lbl_TotalClientHolidayHours =
        totalsLabel("lbl_TotalClientHolidayHours", QStringLiteral("Total Holiday Hours:"), false);
    lbl_TotalClientHours = totalsLabel("lbl_TotalClientHours", QStringLiteral("Total Hours:"), true);

    // Layout: header row, employees on the left, the client rows with the entry row and the
    // two sides' totals on the right.
    auto *top = new QHBoxLayout;
    top->addWidget(label(QStringLiteral("Cycle"), dtp_Cycle));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(label(QStringLiteral("Project"), cb_Project));
    top->addWidget(cb_Project);
    top->addStretch();
    for (QPushButton *b : {btn_Move, btn_ChangeJob, btn_CalcBase, btn_Close})
        top->addWidget(b);

    auto *left = new QVBoxLayout;
    left->addWidget(label(QStringLiteral("Search For Employee"), edt_SearchEmpNo));
    auto *search = new QHBoxLayout;
    search->addWidget(edt_SearchEmpNo);
    btn_SearchEmpNo->setFixedWidth(40);
    search->addWidget(btn_SearchEmpNo);
    left->addLayout(search);
    left->addWidget(dbg_Workers, 1);
    left->addWidget(btn_Move_All);

    auto *entry = new QGridLayout;
    int col = 0;
    auto entryField = [&](const QString &caption, QWidget *w) {
        entry->addWidget(label(caption, w), 0, col);
        entry->addWidget(w, 1, col++);
    };
    entryField(QStringLiteral("Att. Date"), dtp_AttDate);
    entry->addWidget(lbl_Day, 1, col++);
    entryField(QStringLiteral("Att Code"), cb_AttCode);
    entryField(QStringLiteral("Att Description"), cb_AttDesc);
    entryField(QStringLiteral("Site Job"), cb_ClientJob);
    entryField(QStringLiteral("Normal"), edt_WH);
    entryField(QStringLiteral("Overtime"), edt_OT);
    entryField(QStringLiteral("Holiday"), edt_HT);
    entry->addWidget(btn_Post, 1, col++);
    entry->setColumnStretch(col, 1);

    auto totalsBox = [&](const QString &heading, std::initializer_list<QLabel *> labels) {
        auto *box = new QVBoxLayout;
        auto *h = label(heading);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        box->addWidget(h);
        for (QLabel *l : labels)
            box->addWidget(l);
        return box;
    };
    auto *totals = new QHBoxLayout;
    totals->addLayout(totalsBox(QStringLiteral("Our Attendance:"),
                                {lbl_TotalOurPresentDays, lbl_TotalOurNormalHours, lbl_TotalOurOvertimeHours,
                                 lbl_TotalOurHolidayHours, lbl_TotalOurHours}));
    totals->addSpacing(60);
    totals->addLayout(totalsBox(QStringLiteral("Client Attendance:"),
                                {lbl_TotalClientPresentDays, lbl_TotalClientNormalHours, lbl_TotalClientOverTimeHours,
                                 lbl_TotalClientHolidayHours, lbl_TotalClientHours}));
    totals->addStretch();

    auto *right = new QVBoxLayout;
    right->addWidget(dbg_ClientAttendance, 1);
    right->addLayout(entry);
    right->addLayout(totals);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    setFixedSize(1080, 660);

    setEmployeeButtons(false);
    ChangeAttStatus();

    connect(cb_Project, &QComboBox::currentIndexChanged, this, [this] { cb_ProjectChange(); });
    connect(btn_Move, &QPushButton::clicked, this, &TClientAttendanceForm::btn_MoveClick);
    connect(btn_ChangeJob, &QPushButton::clicked, this, &TClientAttendanceForm::btn_ChangeJobClick);
    connect(btn_CalcBase, &QPushButton::clicked, this, &TClientAttendanceForm::btn_CalcBaseClick);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(edt_SearchEmpNo, &QLineEdit::returnPressed, this, &TClientAttendanceForm::FindEmployee);
    connect(btn_SearchEmpNo, &QPushButton::clicked, this, &TClientAttendanceForm::FindEmployee);
    connect(dbg_Workers, &QTableView::doubleClicked, this, &TClientAttendanceForm::dbg_WorkersDblClick);
    connect(btn_Move_All, &QPushButton::clicked, this, &TClientAttendanceForm::btn_Move_AllClick);
    connect(cb_AttCode, &QComboBox::currentIndexChanged, this, [this] { cb_AttCodeChange(); });
    connect(btn_Post, &QPushButton::clicked, this, &TClientAttendanceForm::btn_PostClick);
    connect(dbg_ClientAttendance, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        pm_dpg_ClientAttendance->popup(dbg_ClientAttendance->viewport()->mapToGlobal(p));
    });
    connect(MarkDespute1, &QAction::triggered, this, &TClientAttendanceForm::MarkDespute1Click);
    connect(UnMarkDispute1, &QAction::triggered, this, &TClientAttendanceForm::UnMarkDispute1Click);
    connect(AuditForm1, &QAction::triggered, this, &TClientAttendanceForm::AuditForm1Click);
    connect(Delete1, &QAction::triggered, this, &TClientAttendanceForm::Delete1Click);
}

bool TClientAttendanceForm::event(QEvent *e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        FormActivate();
    return r;
}

bool TClientAttendanceForm::eventFilter(QObject *watched, QEvent *e)
{
    // Leaving the date picker for another control of this window; its own calendar and a
    // message box of the window taking focus are not a leave.
    if (watched == dtp_AttDate && e->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent *>(e)->reason();
        if (why != Qt::PopupFocusReason && why != Qt::ActiveWindowFocusReason)
            dtp_AttDateExit();
    }
    return QDialog::eventFilter(watched, e);
}

void TClientAttendanceForm::FormActivate()
{
    if (m_activating)
        return;
    m_activating = true;
    if (!m_baseCalc)
        m_baseCalc = new TBaseCalcForm(this);
    // The cycle is read once; a failure is shown once, not at every re-activation its own
    // message box causes.
    if (!m_cycleTried) {
        m_cycleTried = true;
        if (const std::optional<QDate> cycle = GetActiveCycle(this, m_dm)) {
            m_cycle = *cycle;
            m_cycleKnown = true;
        }
    }
    if (m_cycleKnown) {
        dtp_Cycle->setDate(m_cycle);
        m_att.cycleYear = m_cycle.year();
        m_att.cycleMonth = m_cycle.month();
        FillComboBoxes();
        edt_SearchEmpNo->setFocus();
    }
    m_activating = false;
}

void TClientAttendanceForm::FillComboBoxes()
{
    if (m_filled)
        return;
    m_filled = true;
    QStringList names;
    try {
        names = m_att.projectNames();
    } catch (const DbError &e) {
        Messages::error(e.message(), this);
        return;
    }
    const QSignalBlocker block(cb_Project);
    cb_Project->addItems(names);
    cb_Project->setCurrentIndex(-1);
}

void TClientAttendanceForm::ShowSandGlass()
{
    m_sandGlass.ShowSandGlass();
}

void TClientAttendanceForm::HideSandGlass()
{
    m_sandGlass.HideSandGlass();
}

void TClientAttendanceForm::zeroTotals()
{
    const AttendanceTotals zero;
    for (QLabel *l : {lbl_TotalOurPresentDays, lbl_TotalClientPresentDays})
        l->setText(zero.presentDaysText());
    for (QLabel *l : {lbl_TotalOurNormalHours, lbl_TotalClientNormalHours})
        l->setText(zero.normalHoursText());
    for (QLabel *l : {lbl_TotalOurOvertimeHours, lbl_TotalClientOverTimeHours})
        l->setText(zero.overtimeHoursText());
    for (QLabel *l : {lbl_TotalOurHolidayHours, lbl_TotalClientHolidayHours})
        l->setText(zero.holidayHoursText());
    for (QLabel *l : {lbl_TotalOurHours, lbl_TotalClientHours})
        l->setText(zero.totalHoursText());
}

void TClientAttendanceForm::setEmployeeButtons(bool enabled)
{
    for (QPushButton *b : {btn_Post, btn_Move, btn_ChangeJob, btn_CalcBase})
        b->setEnabled(enabled);
}

void TClientAttendanceForm::cb_ProjectChange()
{
    ShowSandGlass();
    try {
        m_att.openProject(cb_Project->currentText());
    } catch (const DbError &e) {
        HideSandGlass();
        m_workersModel->reload();
        m_clientModel->reload();
        Messages::error(e.message(), this);
        return;
    }
    m_workersModel->reload();
    m_clientModel->reload();
    cb_ClientJob->clear();
    cb_ClientJob->addItems(m_att.clientJobs());
    cb_ClientJob->setCurrentIndex(-1);
    zeroTotals();
    HideSandGlass();
}

void TClientAttendanceForm::FindEmployee()
{
    if (!m_att.projectOpen())
        return;
    ShowSandGlass();
    bool found = false;
    try {
        found = m_att.findEmployee(edt_SearchEmpNo->text());
    } catch (const DbError &e) {
        HideSandGlass();
        showEmployee(false);
        Messages::error(e.message(), this);
        return;
    }
    HideSandGlass();
    showEmployee(!found);
}

void TClientAttendanceForm::showEmployee(bool sayNotFound)
{
    m_clientModel->reload();
    if (!m_att.employeeLoaded()) {
        zeroTotals();
        cb_ClientJob->setCurrentIndex(-1);
        setEmployeeButtons(false);
        CompareHours();
        if (sayNotFound)
            Messages::show(QStringLiteral("Worker Not Found"), this);
        return;
    }
    CalcOurAttendance();
    CalcClientAttendance();
    CompareHours();
    SetAttDates();
    cb_ClientJob->setCurrentIndex(cb_ClientJob->findText(
        m_att.WorkerQ.isEmpty() ? QString() : m_att.WorkerQ.asString(QStringLiteral("SiteJob")), Qt::MatchExactly));
    setEmployeeButtons(true);
    dbg_ClientAttendance->scrollToTop();
}

void TClientAttendanceForm::dbg_WorkersDblClick()
{
    const QModelIndex i = dbg_Workers->currentIndex();
    if (!m_att.WorkersInOurAttQ.isActive() || m_att.WorkersInOurAttQ.isEmpty() || !i.isValid()) {
        Messages::show(QStringLiteral("Table is empty!"), this);
        return;
    }
    edt_SearchEmpNo->setText(m_workersModel->data(m_workersModel->index(i.row(), 0), Qt::DisplayRole).toString());
    FindEmployee();
}

void TClientAttendanceForm::CalcOurAttendance()
{
    const AttendanceTotals t = m_att.ourTotals();
    lbl_TotalOurPresentDays->setText(t.presentDaysText());
    lbl_TotalOurNormalHours->setText(t.normalHoursText());
    lbl_TotalOurOvertimeHours->setText(t.overtimeHoursText());
    lbl_TotalOurHolidayHours->setText(t.holidayHoursText());
    lbl_TotalOurHours->setText(t.totalHoursText());
}

void TClientAttendanceForm::CalcClientAttendance()
{
    const AttendanceTotals t = m_att.clientTotals();
    lbl_TotalClientPresentDays->setText(t.presentDaysText());
    lbl_TotalClientNormalHours->setText(t.normalHoursText());
    lbl_TotalClientOverTimeHours->setText(t.overtimeHoursText());
    lbl_TotalClientHolidayHours->setText(t.holidayHoursText());
    lbl_TotalClientHours->setText(t.totalHoursText());
}

void TClientAttendanceForm::CompareHours()
{
    const QColor c = hoursAgree(m_att.ourTotals(), m_att.clientTotals()) ? QColor(0, 128, 0) : QColor(255, 0, 0);
    // A style sheet, so that the visual theme cannot override the colour.
    lbl_TotalClientHours->setStyleSheet(QStringLiteral("color: %1;").arg(c.name()));
    QPalette p = lbl_TotalClientHours->palette();
    p.setColor(QPalette::WindowText, c);
    lbl_TotalClientHours->setPalette(p);
}

void TClientAttendanceForm::SetAttDates()
{
    const QDate first(m_att.cycleYear, m_att.cycleMonth, 1);
    dtp_AttDate->setDateRange(first, first.addMonths(1).addDays(-1));
    dtp_AttDate->setDate(first);
}

void TClientAttendanceForm::cb_AttCodeChange()
{
    const QSignalBlocker block(cb_AttDesc);
    cb_AttDesc->setCurrentIndex(cb_AttCode->currentIndex());
    ChangeAttStatus();
}

void TClientAttendanceForm::ChangeAttStatus()
{
    const EntryHours h = entryHours(cb_AttCode->currentText());
    edt_WH->setValue(h.wh);
    edt_OT->setValue(h.ot);
    edt_HT->setValue(h.ht);
    edt_WH->setEnabled(h.whEnabled);
    edt_OT->setEnabled(h.otEnabled);
    edt_HT->setEnabled(h.htEnabled);
}

void TClientAttendanceForm::selectClientRow(int row)
{
    if (row >= 0 && row < m_clientModel->rowCount())
        dbg_ClientAttendance->setCurrentIndex(m_clientModel->index(row, 0));
}

void TClientAttendanceForm::dtp_AttDateExit()
{
    if (!m_att.employeeLoaded())
        return;
    const QDate d = dtp_AttDate->date();
    m_attYear = d.year();
    m_attMonth = d.month();
    m_attDay = d.day();
    lbl_Day->setText(weekdayName(d));
    const DayProposal p = m_att.proposeForDate(d);
    m_currentRecId = p.recId;
    {
        const QSignalBlocker block(cb_AttCode);
        cb_AttCode->setCurrentIndex(cb_AttCode->findText(p.code, Qt::MatchExactly));
    }
    cb_AttCodeChange();
    if (p.row >= 0) {
        selectClientRow(p.row);
        edt_WH->setValue(p.wh);
        edt_OT->setValue(p.ot);
        edt_HT->setValue(p.ht);
    }
}

void TClientAttendanceForm::showClientRows()
{
    m_clientModel->reload();
    CalcClientAttendance();
    CompareHours();
}

void TClientAttendanceForm::btn_PostClick()
{
    if (!m_att.employeeLoaded())
        return;
    const AttendanceEntry e{dtp_AttDate->date(),
                            cb_ClientJob->currentText(),
                            cb_AttCode->currentText(),
                            cb_AttDesc->currentText(),
                            edt_WH->value(),
                            edt_OT->value(),
                            edt_HT->value()};
    try {
        m_att.post(e);
    } catch (const DbError &err) {
        Messages::error(failureText(err), this);
    }
    showClientRows();
    const int row = m_att.clientRowForDate(e.date);
    m_currentRecId = m_att.clientRowIdForDate(e.date);
    selectClientRow(row);
    dtp_AttDate->setFocus();
}

void TClientAttendanceForm::btn_MoveClick()
{
    if (!m_att.employeeLoaded() || m_att.OurAttHistory.isEmpty() || !m_att.ClientAttHistory.isEmpty())
        return;
    ShowSandGlass();
    try {
        m_att.moveEmployee();
    } catch (const DbError &e) {
        HideSandGlass();
        Messages::error(moveFailureText(e), this);
    }
    showClientRows();
    HideSandGlass();
    dtp_AttDate->setFocus();
}

void TClientAttendanceForm::btn_Move_AllClick()
{
    if (!m_att.projectOpen() || m_att.WorkersInOurAttQ.isEmpty()) {
        Messages::show(QStringLiteral("No Employees In This Project!"), this);
        return;
    }
    ShowSandGlass();
    try {
        m_att.moveAll([this](const ClientAttendance::MoveAllLine &l) {
            if (l.outcome == ClientAttendance::MoveAllLine::Failed) {
                HideSandGlass();
                Messages::error(moveFailureText(DbError(l.message)), this);
                ShowSandGlass();
            }
        });
    } catch (const DbError &e) {
        // Only re-loading the last employee can fail here; the moves are committed or reported.
        HideSandGlass();
        Messages::error(e.message(), this);
    }
    HideSandGlass();
    // The last employee of the list stays loaded, as the walk left it.
    edt_SearchEmpNo->setText(m_att.employeeNo());
    showEmployee(false);
}

void TClientAttendanceForm::btn_CalcBaseClick()
{
    if (!m_att.employeeLoaded() || m_att.ClientAttHistory.isEmpty())
        return;
    if (!m_baseCalc)
        m_baseCalc = new TBaseCalcForm(this);
    if (m_baseCalc->exec() != QDialog::Accepted)
        return;
    try {
        m_att.calculateBase(m_baseCalc->base());
    } catch (const DbError &e) {
        Messages::error(failureText(e), this);
    }
    showEmployee(true);
}

void TClientAttendanceForm::btn_ChangeJobClick()
{
    if (!m_att.employeeLoaded() || m_att.ClientAttHistory.isEmpty()) {
        Messages::show(QStringLiteral("No Attendance For This Employee!"), this);
        return;
    }
    if (cb_ClientJob->currentText().isEmpty()) {
        Messages::show(QStringLiteral("No Client Job!"), this);
        return;
    }
    ShowSandGlass();
    try {
        m_att.changeJob(cb_ClientJob->currentText());
    } catch (const DbError &e) {
        HideSandGlass();
        Messages::error(failureText(e), this);
    }
    HideSandGlass();
    showEmployee(true);
}

int TClientAttendanceForm::currentGridRow() const
{
    if (!m_att.employeeLoaded() || m_att.ClientAttHistory.isEmpty())
        return -1;
    const int row = dbg_ClientAttendance->currentIndex().row();
    return row >= 0 && row < m_att.ClientAttHistory.recordCount() ? row : -1;
}

qint64 TClientAttendanceForm::currentGridRecId() const
{
    const int row = currentGridRow();
    return row < 0 ? 0
                   : m_att.ClientAttHistory.valueAt(row, m_att.ClientAttHistory.fieldIndex(QStringLiteral("Rec_ID")))
                         .toLongLong();
}

void TClientAttendanceForm::MarkDespute1Click()
{
    const qint64 id = currentGridRecId();
    if (id == 0)
        return;
    try {
        m_att.setDispute(id, true);
    } catch (const DbError &e) {
        Messages::error(failureText(e), this);
    }
    m_clientModel->reload();
    selectClientRow(m_att.ClientAttHistory.row());
}

void TClientAttendanceForm::UnMarkDispute1Click()
{
    const qint64 id = currentGridRecId();
    if (id == 0)
        return;
    try {
        m_att.setDispute(id, false);
    } catch (const DbError &e) {
        Messages::error(failureText(e), this);
    }
    m_clientModel->reload();
    selectClientRow(m_att.ClientAttHistory.row());
}

void TClientAttendanceForm::AuditForm1Click()
{
    const int row = currentGridRow();
    if (row < 0)
        return;
    m_att.ClientAttHistory.setRow(row);
    TAuditForm::AuditForm1Click(m_att.ClientAttHistory, this);
}

void TClientAttendanceForm::Delete1Click()
{
    const qint64 id = currentGridRecId();
    if (id == 0)
        return;
    try {
        m_att.deleteRow(id);
    } catch (const DbError &e) {
        Messages::error(failureText(e), this);
    }
    showEmployee(true);
}
