#include "DisputeMgtForm.h"

#include "ClientAttendance.h"
#include "CyclePicker.h"
#include "DbError.h"
#include "Disputes.h"
#include "ExportAction.h"
#include "GridCopy.h"
#include "GridTitles.h"
#include "Messages.h"
#include "QueryTableModel.h"
#include "Session.h"
#include "WindowParts.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Employee numbers are upper-cased as they are typed.
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

QList<QueryTableModel::Column> columns(const QStringList &names)
{
    QList<QueryTableModel::Column> out;
    for (const QString &n : names)
        for (const FieldDef &f : Disputes::disputeFields())
            if (f.name == n)
                out.append({f.name, f.label(), f.displayFormat});
    return out;
}

} // namespace

TDisputeMgtForm::TDisputeMgtForm(Session &session, QWidget *parent)
    : QDialog(parent), DisputeQ(session.connection()), m_session(session), m_sandGlass(this)
{
    setObjectName(QStringLiteral("DisputeMgtForm"));
    setWindowTitle(QStringLiteral("Dispute Management"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    Disputes::prepareDisputeQ(DisputeQ);
    buildControls();
    setFixedSize(sizeHint().expandedTo(QSize(1180, 600)));
}

TDisputeMgtForm::~TDisputeMgtForm()
{
    dbg_Client->setModel(nullptr);
    DBGrid1->setModel(nullptr);
}

void TDisputeMgtForm::buildControls()
{
    dtp_Cycle = new CyclePicker(this);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    dtp_Cycle->setEnabled(false);
    edt_SearchEmpNo = new QLineEdit(this);
    edt_SearchEmpNo->setObjectName(QStringLiteral("edt_SearchEmpNo"));
    edt_SearchEmpNo->setValidator(new UpperCaseValidator(edt_SearchEmpNo));
    edt_SearchEmpNo->setToolTip(QStringLiteral("Employee No"));
    edt_SearchEmpNo->setPlaceholderText(QStringLiteral("Employee No"));
    btn_SearchEmpNo = plainButton(this, "Go", "btn_SearchEmpNo");
    btn_ShowEmployees = plainButton(this, "Show Employees", "btn_ShowEmployees");
    btn_Export = plainButton(this, "Export To Excel", "btn_Export");
    btn_Close = plainButton(this, "Close", "btn_Close");

    m_clientModel =
        new QueryTableModel(DisputeQ,
                            columns({"Col_Date", "Employee_No", "Employee_Name", "Assignment", "ClientAtt_Code",
                                     "ClientAtt_Desc", "Client_WH", "Client_OT", "Client_HT"}),
                            this);
    m_ourModel =
        new QueryTableModel(DisputeQ, columns({"OurAtt_Code", "OurAtt_Desc", "Our_WH", "Our_OT", "Our_HT"}), this);
    // Titles on two lines (the full one as tooltip), so that both sides fit the window.
    const QHash<QString, QString> shortTitles{{QStringLiteral("Employee No."), QStringLiteral("Employee\nNo.")},
                                              {QStringLiteral("Employee Name"), QStringLiteral("Employee\nName")},
                                              {QStringLiteral("Client Att. Code"), QStringLiteral("Client\nCode")},
                                              {QStringLiteral("Client Att. Desc"), QStringLiteral("Client\nDesc")},
                                              {QStringLiteral("Client WH"), QStringLiteral("Client\nWH")},
                                              {QStringLiteral("Client OT"), QStringLiteral("Client\nOT")},
                                              {QStringLiteral("Client HT"), QStringLiteral("Client\nHT")},
                                              {QStringLiteral("Our Att. Code"), QStringLiteral("Our\nCode")},
                                              {QStringLiteral("Our Att. Desc"), QStringLiteral("Our\nDesc")},
                                              {QStringLiteral("Our WH"), QStringLiteral("Our\nWH")},
                                              {QStringLiteral("Our OT"), QStringLiteral("Our\nOT")},
                                              {QStringLiteral("Our HT"), QStringLiteral("Our\nHT")}};
    dbg_Client = listGrid(this, "dbg_Client", new GridTitles(m_clientModel, shortTitles, this));
    DBGrid1 = listGrid(this, "DBGrid1", new GridTitles(m_ourModel, shortTitles, this));
    DBGrid1->verticalHeader()->hide();

    PopupMenu1 = new QMenu(dbg_Client);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    RemoveDispute1 = PopupMenu1->addAction(QStringLiteral("Remove Dispute"));
    RemoveDispute1->setObjectName(QStringLiteral("RemoveDispute1"));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(GridCopy::copyAction(dbg_Client));
    dbg_Client->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dbg_Client, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(dbg_Client->viewport()->mapToGlobal(at)); });

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Cycle"), this));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    auto *searchLabel = new QLabel(QStringLiteral("Search For Employee"), this);
    searchLabel->setBuddy(edt_SearchEmpNo);
    top->addWidget(searchLabel);
    top->addWidget(edt_SearchEmpNo);
    top->addWidget(btn_SearchEmpNo);
    top->addSpacing(12);
    top->addWidget(btn_ShowEmployees);
    top->addWidget(btn_Export);
    top->addStretch();
    top->addWidget(btn_Close);

    auto side = [this](const char *title, QTableView *g) {
        auto *box = new QGroupBox(QString::fromLatin1(title), this);
        auto *v = new QVBoxLayout(box);
        v->addWidget(g);
        return box;
    };
    m_grids = new QHBoxLayout;
    m_grids->addWidget(side("Client Attendance", dbg_Client), 3);
    m_grids->addWidget(side("Our Attendance", DBGrid1), 2);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(m_grids, 1);

    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(btn_ShowEmployees, &QPushButton::clicked, this, &TDisputeMgtForm::btn_ShowEmployeesClick);
    connect(btn_SearchEmpNo, &QPushButton::clicked, this, &TDisputeMgtForm::FindEmployee);
    // Enter searches; the key goes no further (no default button is pressed).
    connect(edt_SearchEmpNo, &QLineEdit::returnPressed, this, &TDisputeMgtForm::FindEmployee);
    connect(btn_Export, &QPushButton::clicked, this, &TDisputeMgtForm::btn_ExportClick);
    connect(RemoveDispute1, &QAction::triggered, this, &TDisputeMgtForm::RemoveDispute1Click);

    // Both grids show one list: moving in one moves the other.
    for (QTableView *g : {dbg_Client, DBGrid1}) {
        QTableView *other = g == dbg_Client ? DBGrid1 : dbg_Client;
        connect(g->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, other](const QModelIndex &current) {
                    if (m_syncing || !current.isValid())
                        return;
                    m_syncing = true;
                    DisputeQ.setRow(current.row());
                    other->setCurrentIndex(other->model()->index(current.row(), 0));
                    m_syncing = false;
                });
        connect(g->verticalScrollBar(), &QAbstractSlider::valueChanged, other->verticalScrollBar(),
                &QAbstractSlider::setValue);
    }
}

bool TDisputeMgtForm::event(QEvent *e)
{
    const bool done = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return done;
}

void TDisputeMgtForm::FormActivate()
{
    m_activation.run(this, [this] {
        dtp_Cycle->setDate(GetActiveCycle(m_session));
        m_year = dtp_Cycle->date().year();
        m_month = dtp_Cycle->date().month();
        edt_SearchEmpNo->setFocus();
    });
}

void TDisputeMgtForm::reloadGrids()
{
    m_clientModel->reload();
    m_ourModel->reload();
    // Titles and values readable in full; the grids scroll sideways instead of cutting them.
    for (QTableView *g : {dbg_Client, DBGrid1})
        g->resizeColumnsToContents();
    // Each side gets the room its columns need, so the client hours are not pushed behind a
    // scroll bar while the other side stands half empty.
    auto needed = [](QTableView *g) {
        int w = g->verticalHeader()->isVisible() ? g->verticalHeader()->width() : 0;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            w += g->columnWidth(c);
        return qMax(1, w);
    };
    m_grids->setStretch(0, needed(dbg_Client));
    m_grids->setStretch(1, needed(DBGrid1));
}

int TDisputeMgtForm::currentLine() const
{
    if (!DisputeQ.isActive() || DisputeQ.isEmpty())
        return -1;
    const int row = dbg_Client->currentIndex().row();
    return row >= 0 && row < DisputeQ.recordCount() ? row : -1;
}

void TDisputeMgtForm::setCurrentLine(int row)
{
    if (row < 0 || row >= m_clientModel->rowCount())
        return;
    DisputeQ.setRow(row);
    dbg_Client->setCurrentIndex(m_clientModel->index(row, 0));
    dbg_Client->scrollTo(m_clientModel->index(row, 0));
}

void TDisputeMgtForm::btn_ShowEmployeesClick()
{
    runWindowAction(this, &m_sandGlass, [this] {
        try {
            Disputes::open(DisputeQ, m_year, m_month);
        } catch (const DbError &) {
            DisputeQ.close();
            reloadGrids();
            throw;
        }
    });
    reloadGrids();
    setCurrentLine(0);
}

void TDisputeMgtForm::FindEmployee()
{
    // A search before the list is loaded loads it first.
    if (!DisputeQ.isActive()) {
        btn_ShowEmployeesClick();
        if (!DisputeQ.isActive())
            return;
    }
    const int row = Disputes::findEmployee(DisputeQ, edt_SearchEmpNo->text());
    if (row < 0) {
        Messages::show(QStringLiteral("Employee Not Found !"), this);
        return;
    }
    setCurrentLine(row);
}

void TDisputeMgtForm::RemoveDispute1Click()
{
    const int row = currentLine();
    if (row < 0)
        return;
    const qint64 id = m_clientModel->value(row, QStringLiteral("ClientRec_ID")).toLongLong();
    const bool ok = runWindowAction(
        this, nullptr, [&] { Disputes::removeDispute(m_session.connection(), id); },
        &failureText); // worded as every failed attendance correction
    if (!ok)
        return; // the list stays as it was
    btn_ShowEmployeesClick();
}

void TDisputeMgtForm::btn_ExportClick()
{
    ExportAction::ExportToExcel(DisputeQ, QStringLiteral("Dispute Case"), this);
}
