// The client attendance window's controls and their layout.
#include "ClientAttendanceForm.h"
#include "GridCopy.h"

#include "AttendanceTotalsPanel.h"
#include "ClientAttendanceFormParts.h"
#include "CyclePicker.h"
#include "EmployeeSearchPanel.h"
#include "QueryTableModel.h"
#include "WindowParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

using namespace ClientAttendanceFormParts;

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
        pressOnEnter(b);
        return b;
    };
    auto label = [&](const QString &text, QWidget *buddy = nullptr) {
        auto *l = new QLabel(text, this);
        if (buddy)
            l->setBuddy(buddy);
        return l;
    };

    dtp_Cycle = named(new CyclePicker(this), "dtp_Cycle");
    // The window always works on the active cycle; a picker that moved would show one month
    // above another's rows.
    dtp_Cycle->setEnabled(false);
    cb_Project = named(new QComboBox(this), "cb_Project");
    cb_Project->setMinimumWidth(220);
    btn_Move = button("btn_Move", "Move Data");
    btn_ChangeJob = button("btn_ChangeJob", "Change Job");
    btn_CalcBase = button("btn_CalcBase", "Calculate Base");
    btn_Close = button("btn_Close", "Close");
    btn_ImportClientSheet = button("btn_ImportClientSheet", "Import Client Sheet...");

    btn_Move_All = button("btn_Move_All", "Move All Employees");
    pnl_Employees = new EmployeeSearchPanel(m_att.WorkersInOurAttQ, btn_Move_All, 170, this);
    edt_SearchEmpNo = pnl_Employees->edt_SearchEmpNo;
    btn_SearchEmpNo = pnl_Employees->btn_SearchEmpNo;
    dbg_Workers = pnl_Employees->dbg_Workers;

    dbg_ClientAttendance = named(new QTableView(this), "dbg_ClientAttendance");
    dbg_ClientAttendance->setModel(m_clientModel);
    dbg_ClientAttendance->setItemDelegate(new DisputeDelegate(dbg_ClientAttendance));
    dbg_ClientAttendance->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_ClientAttendance->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Delete and the dispute marks act on one row: one row is selected at a time.
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
    GridCopy::install(dbg_ClientAttendance, pm_dpg_ClientAttendance);

    dtp_AttDate = named(new QDateEdit(this), "dtp_AttDate");
    dtp_AttDate->setDisplayFormat(DateFormat);
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
    cb_AttDesc->lineEdit()->setMaxLength(ClientAttendance::DescriptionLength);
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
    pnl_Totals = new AttendanceTotalsPanel(AttendanceTotalsPanel::Arrangement::Columns,
                                           QStringLiteral("lbl_TotalOurOvertimeHours"), this);

    // Layout: header row, employees on the left, the client rows with the entry row and the
    // two sides' totals on the right.
    auto *top = new QHBoxLayout;
    top->addWidget(label(QStringLiteral("Cycle"), dtp_Cycle));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(label(QStringLiteral("Project"), cb_Project));
    top->addWidget(cb_Project);
    top->addStretch();
    for (QPushButton *b : {btn_ImportClientSheet, btn_Move, btn_ChangeJob, btn_CalcBase, btn_Close})
        top->addWidget(b);

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

    auto *right = new QVBoxLayout;
    right->addWidget(dbg_ClientAttendance, 1);
    right->addLayout(entry);
    right->addWidget(pnl_Totals);

    auto *body = new QHBoxLayout;
    body->addWidget(pnl_Employees);
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
    connect(btn_ImportClientSheet, &QPushButton::clicked, this, &TClientAttendanceForm::btn_ImportClientSheetClick);
    connect(pnl_Employees, &EmployeeSearchPanel::searchRequested, this, &TClientAttendanceForm::FindEmployee);
    connect(pnl_Employees, &EmployeeSearchPanel::workerDoubleClicked, this,
            &TClientAttendanceForm::dbg_WorkersDblClick);
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
