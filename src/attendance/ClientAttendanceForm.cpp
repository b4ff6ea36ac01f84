#include "ClientAttendanceForm.h"

#include "AttendanceTotalsPanel.h"
#include "AuditForm.h"
#include "BaseCalcForm.h"
#include "ClientAttendanceFormParts.h"
#include "DbError.h"
#include "Dialogs.h"
#include "EmployeeSearchPanel.h"
#include "Messages.h"
#include "PassProgress.h"
#include "QueryTableModel.h"
#include "Session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

using namespace ClientAttendanceFormParts;

TClientAttendanceForm::TClientAttendanceForm(Session &session, QWidget *parent)
    : QDialog(parent), m_session(session), m_att(session.connection(), session.clock()), m_sandGlass(this)
{
    m_att.userId = session.user();
    // The audit popup shows the stamps as the grid's dataset displays them.
    for (const char *f : {"Entered_Date", "Checked_Date"})
        m_att.ClientAttHistory.defineField({QString::fromLatin1(f), FieldKind::DateTime, {}, DateFormat, true});
    m_clientModel = new QueryTableModel(m_att.ClientAttHistory,
                                        {{QStringLiteral("Col_Date"), QStringLiteral("Att Date"), DateFormat},
                                         {QStringLiteral("ClientJob"), QStringLiteral("Site Job"), {}},
                                         {QStringLiteral("ClientAtt_Code"), QStringLiteral("Att Code"), {}},
                                         {QStringLiteral("ClientAtt_Desc"), QStringLiteral("Client Att Desc"), {}},
                                         {QStringLiteral("Client_WH"), QStringLiteral("Client WH"), {}},
                                         {QStringLiteral("Client_OT"), QStringLiteral("Client OT"), {}},
                                         {QStringLiteral("Client_HT"), QStringLiteral("Client HT"), {}}},
                                        this);
    m_clientModel->setRowColour([](const Query &q, int row) {
        const int c = q.fieldIndex(QStringLiteral("Dispute"));
        return c >= 0 && q.valueAt(row, c).toInt() != 0 ? DisputeColour : QColor();
    });
    buildUi();
}

TClientAttendanceForm::~TClientAttendanceForm() = default;

bool TClientAttendanceForm::run(const std::function<void()> &action, const FailureText &failure, bool busy)
{
    return runWindowAction(this, busy ? &m_sandGlass : nullptr, action, failure);
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
    if (!m_baseCalc)
        m_baseCalc = new TBaseCalcForm(this);
    // A failure (no active cycle, no database, no project list) is shown once per opening.
    m_activation.run(this, [this] {
        const QDate cycle = GetActiveCycle(m_session);
        dtp_Cycle->setDate(cycle);
        m_att.cycleYear = cycle.year();
        m_att.cycleMonth = cycle.month();
        FillComboBoxes();
        edt_SearchEmpNo->setFocus();
    });
}

void TClientAttendanceForm::openOn(const QString &project, const QString &employeeNo, const QDate &day)
{
    FormActivate();
    if (m_activation.failed())
        return;
    const int i = cb_Project->findText(project, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0)
        return;
    cb_Project->setCurrentIndex(i);
    edt_SearchEmpNo->setText(employeeNo);
    FindEmployee();
    // The day in question, as if typed into the date box: its row selected, its values proposed.
    if (m_att.employeeLoaded() && day.isValid() && day >= dtp_AttDate->minimumDate() &&
        day <= dtp_AttDate->maximumDate()) {
        dtp_AttDate->setDate(day);
        dtp_AttDateExit();
    }
}

void TClientAttendanceForm::FillComboBoxes()
{
    if (m_filled)
        return;
    const QStringList names = m_att.projectNames();
    m_filled = true;
    const QSignalBlocker block(cb_Project);
    cb_Project->addItems(names);
    cb_Project->setCurrentIndex(-1);
}

void TClientAttendanceForm::zeroTotals()
{
    pnl_Totals->setOurs(AttendanceTotals().texts());
    pnl_Totals->setClient(AttendanceTotals().texts());
}

void TClientAttendanceForm::setEmployeeButtons(bool enabled)
{
    for (QPushButton *b : {btn_Post, btn_Move, btn_ChangeJob, btn_CalcBase})
        b->setEnabled(enabled);
}

void TClientAttendanceForm::cb_ProjectChange()
{
    // The employee of the previous project is gone: nothing to post until one is loaded again.
    setEmployeeButtons(false);
    const bool ok = run([this] { m_att.openProject(cb_Project->currentText()); });
    pnl_Employees->reload();
    m_clientModel->reload();
    if (!ok)
        return;
    cb_ClientJob->clear();
    cb_ClientJob->addItems(m_att.clientJobs());
    cb_ClientJob->setCurrentIndex(-1);
    zeroTotals();
}

void TClientAttendanceForm::FindEmployee()
{
    if (!m_att.projectOpen())
        return;
    bool found = false;
    if (!run([&] { found = m_att.findEmployee(edt_SearchEmpNo->text()); })) {
        showEmployee(false);
        return;
    }
    showEmployee(!found);
}

void TClientAttendanceForm::showEmployee(bool sayNotFound)
{
    m_clientModel->reload();
    if (!m_att.employeeLoaded()) {
        zeroTotals();
        cb_ClientJob->setCurrentIndex(-1);
        setEmployeeButtons(false);
        // Nobody loaded, nothing compared: zero against zero is not an agreement.
        pnl_Totals->clearAgree();
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
    // The entry row proposes this employee's values for the shown day, never the previous
    // employee's: one Post would write them.
    dtp_AttDateExit();
    dbg_ClientAttendance->scrollToTop();
}

void TClientAttendanceForm::dbg_WorkersDblClick()
{
    const int row = dbg_Workers->currentIndex().row();
    const QString employee = pnl_Employees->employeeAt(row);
    if (employee.isEmpty()) {
        Messages::show(QStringLiteral("Table is empty!"), this);
        return;
    }
    edt_SearchEmpNo->setText(employee);
    FindEmployee();
}

void TClientAttendanceForm::CalcOurAttendance()
{
    pnl_Totals->setOurs(m_att.ourTotals().texts());
}

void TClientAttendanceForm::CalcClientAttendance()
{
    pnl_Totals->setClient(m_att.clientTotals().texts());
}

void TClientAttendanceForm::CompareHours()
{
    pnl_Totals->setAgree(hoursAgree(m_att.ourTotals(), m_att.clientTotals()));
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
    run([&] { m_att.post(e); }, failureText, false);
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
    run([this] { m_att.moveEmployee(); }, moveFailureText);
    showClientRows();
    dtp_AttDate->setFocus();
}

void TClientAttendanceForm::btn_Move_AllClick()
{
    if (PassProgress::running())
        return;
    if (!m_att.projectOpen() || m_att.WorkersInOurAttQ.isEmpty()) {
        Messages::show(QStringLiteral("No Employees In This Project!"), this);
        return;
    }
    const int total = m_att.WorkersInOurAttQ.recordCount();
    QList<ClientAttendance::MoveAllLine> lines;
    bool passRan = false;
    {
        PassProgress progress(this, QStringLiteral("Move All Employees"), total);
        // Each employee is its own transaction: a failed one is shown and the pass goes on; a
        // failure of the pass itself (the project's rows cannot be read) is shown once.
        passRan = run(
            [&] {
                lines = m_att.moveAll(
                    [this](const ClientAttendance::MoveAllLine &l) {
                        if (l.outcome == ClientAttendance::MoveAllLine::Failed)
                            run([&] { throw DbError(l.message); }, moveFailureText, false);
                    },
                    progress.control());
            },
            {}, false);
    }
    // The last employee walked stays loaded, as the walk left it; grid, search box and totals
    // show that one employee before the summary is read.
    edt_SearchEmpNo->setText(m_att.employeeNo());
    pnl_Employees->reload();
    showEmployee(false);
    if (passRan) {
        int moved = 0, skipped = 0, failed = 0;
        for (const ClientAttendance::MoveAllLine &l : std::as_const(lines))
            ++(l.outcome == ClientAttendance::MoveAllLine::Moved     ? moved
               : l.outcome == ClientAttendance::MoveAllLine::Skipped ? skipped
                                                                     : failed);
        Messages::show(passSummary(QStringLiteral("Moved"), moved, skipped, failed, total - int(lines.size())), this);
    }
}

void TClientAttendanceForm::btn_CalcBaseClick()
{
    if (!m_att.employeeLoaded() || m_att.ClientAttHistory.isEmpty())
        return;
    if (!m_baseCalc)
        m_baseCalc = new TBaseCalcForm(this);
    if (Dialogs::exec(*m_baseCalc) != QDialog::Accepted)
        return;
    run([this] { m_att.calculateBase(m_baseCalc->base()); }, failureText, false);
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
    run([this] { m_att.changeJob(cb_ClientJob->currentText()); }, failureText);
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
    return m_clientModel->value(currentGridRow(), QStringLiteral("Rec_ID")).toLongLong();
}

void TClientAttendanceForm::MarkDespute1Click()
{
    setCurrentRowDispute(true);
}

void TClientAttendanceForm::UnMarkDispute1Click()
{
    setCurrentRowDispute(false);
}

void TClientAttendanceForm::setCurrentRowDispute(bool disputed)
{
    const qint64 id = currentGridRecId();
    if (id == 0)
        return;
    run([&] { m_att.setDispute(id, disputed); }, failureText, false);
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
    // A row may have been typed by hand: one slip of the mouse must not lose it. The question
    // names the day, so the clerk sees which row goes.
    m_att.ClientAttHistory.setRow(currentGridRow());
    const QDate day = m_att.ClientAttHistory.asDate(QStringLiteral("Col_Date"));
    if (!Messages::confirm(
            QStringLiteral("Do You Want To Delete The Row Of %1 ?").arg(day.toString(QStringLiteral("dd/MM/yyyy"))),
            this))
        return;
    run([&] { m_att.deleteRow(id); }, failureText, false);
    showEmployee(true);
}
