#include "ReconciliationForm.h"

#include "ActiveProjects.h"
#include "CyclePicker.h"
#include "ExportAction.h"
#include "ExportError.h"
#include "FileDialog.h"
#include "GridTitles.h"
#include "Messages.h"
#include "QueryTableModel.h"
#include "Session.h"
#include "WindowParts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QColor Highlight(255, 255, 0);

// The grids' titles as the window shows them: short, on two lines, so that every column fits
// a 1366-pixel screen. The workbook keeps the full titles (its readers rely on them), and so do
// the tooltips and copies.
QHash<QString, QString> shortTitles()
{
    return {{QStringLiteral("Workers Deployed"), QStringLiteral("Workers\nDeployed")},
            {QStringLiteral("Workers With Client Rows"), QStringLiteral("With Client\nRows")},
            {QStringLiteral("Not Moved"), QStringLiteral("Not\nMoved")},
            {QStringLiteral("Normal Hours Deployed"), QStringLiteral("Normal\nDeployed")},
            {QStringLiteral("Normal Hours Billed"), QStringLiteral("Normal\nBilled")},
            {QStringLiteral("Overtime Hours Deployed"), QStringLiteral("Overtime\nDeployed")},
            {QStringLiteral("Overtime Hours Billed"), QStringLiteral("Overtime\nBilled")},
            {QStringLiteral("Holiday Hours Deployed"), QStringLiteral("Holiday\nDeployed")},
            {QStringLiteral("Holiday Hours Billed"), QStringLiteral("Holiday\nBilled")},
            {QStringLiteral("Invoice Lines"), QStringLiteral("Invoice\nLines")},
            {QStringLiteral("Invoice Total"), QStringLiteral("Invoice\nTotal")},
            {QStringLiteral("Lines Priced At 0"), QStringLiteral("Priced\nAt 0")},
            {QStringLiteral("Employee No."), QStringLiteral("Employee\nNo.")},
            {QStringLiteral("Our Code"), QStringLiteral("Our\nCode")},
            {QStringLiteral("Our Normal Hours"), QStringLiteral("Our Normal\nHours")},
            {QStringLiteral("Our Overtime Hours"), QStringLiteral("Our Overtime\nHours")},
            {QStringLiteral("Our Holiday Hours"), QStringLiteral("Our Holiday\nHours")},
            {QStringLiteral("Client Code"), QStringLiteral("Client\nCode")},
            {QStringLiteral("Client Normal Hours"), QStringLiteral("Client Normal\nHours")},
            {QStringLiteral("Client Overtime Hours"), QStringLiteral("Client Overtime\nHours")},
            {QStringLiteral("Client Holiday Hours"), QStringLiteral("Client Holiday\nHours")}};
}

} // namespace

TReconciliationForm::TReconciliationForm(Session &session, WindowOpener openEmployee, QWidget *parent)
    : QDialog(parent), SummaryQ(session.connection()), DifferencesQ(session.connection()), m_session(session),
      m_openEmployee(std::move(openEmployee)), m_sandGlass(this)
{
    setObjectName(QStringLiteral("ReconciliationForm"));
    setWindowTitle(QStringLiteral("Reconciliation"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    SummaryQ.setName(QStringLiteral("Summary"));
    DifferencesQ.setName(QStringLiteral("Differences"));
    buildControls();
    // Wide enough for every summary column on a 1366-pixel screen.
    resize(sizeHint().expandedTo(QSize(1280, 660)));
}

TReconciliationForm::~TReconciliationForm()
{
    dbg_Summary->setModel(nullptr);
    dbg_Differences->setModel(nullptr);
}

void TReconciliationForm::buildControls()
{
    dtp_Cycle = new CyclePicker(this);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    cb_Project = new QComboBox(this);
    cb_Project->setObjectName(QStringLiteral("cb_Project"));
    cb_Project->setMinimumContentsLength(24);
    btn_Refresh = plainButton(this, "Refresh", "btn_Refresh");
    btn_Export = plainButton(this, "Export To Excel", "btn_Export");
    btn_Close = plainButton(this, "Close", "btn_Close");

    m_summaryModel = new QueryTableModel(SummaryQ, this);
    m_differencesModel = new QueryTableModel(DifferencesQ, this);
    m_summaryModel->setCellColour(
        [this](const Query &, int row, int field) { return m_summary.marked(row, field) ? Highlight : QColor(); });
    m_differencesModel->setCellColour(
        [this](const Query &, int row, int field) { return m_differences.marked(row, field) ? Highlight : QColor(); });
    dbg_Summary = listGrid(this, "dbg_Summary", new GridTitles(m_summaryModel, shortTitles(), this));
    dbg_Summary->verticalHeader()->hide(); // the project names say which row is which
    dbg_Differences = listGrid(this, "dbg_Differences", new GridTitles(m_differencesModel, shortTitles(), this));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Cycle"), this));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Project"), this));
    top->addWidget(cb_Project);
    top->addWidget(btn_Refresh);
    top->addSpacing(12);
    top->addWidget(btn_Export);
    top->addStretch();
    top->addWidget(btn_Close);

    auto box = [this](const char *title, QTableView *g) {
        auto *b = new QGroupBox(QString::fromLatin1(title), this);
        auto *v = new QVBoxLayout(b);
        v->addWidget(g);
        return b;
    };
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(box("Summary", dbg_Summary), 2);
    outer->addWidget(box("Differences", dbg_Differences), 3);

    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(btn_Refresh, &QPushButton::clicked, this, &TReconciliationForm::btn_RefreshClick);
    connect(btn_Export, &QPushButton::clicked, this, &TReconciliationForm::btn_ExportClick);
    connect(dtp_Cycle, &QDateEdit::dateChanged, this, &TReconciliationForm::btn_RefreshClick);
    connect(cb_Project, &QComboBox::currentIndexChanged, this, &TReconciliationForm::cb_ProjectChange);
    connect(dbg_Differences, &QAbstractItemView::doubleClicked, this, &TReconciliationForm::dbg_DifferencesDblClick);
}

bool TReconciliationForm::event(QEvent *e)
{
    const bool done = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return done;
}

void TReconciliationForm::FormActivate()
{
    // The first activation of an opening sets the active cycle and reads it; later ones (back
    // from the attendance window) leave the lists until "Refresh".
    if (cb_Project->count() > 0 || m_activation.failed())
        return;
    const bool ok = m_activation.run(this, [this] {
        const QDate cycle = GetActiveCycle(m_session);
        const QStringList projects = ActiveProjects::names(m_session.connection());
        const QSignalBlocker blockCycle(dtp_Cycle), blockProject(cb_Project);
        // Earlier cycles may be reconciled; later ones have no attendance yet.
        dtp_Cycle->setMaximumDate(cycle);
        dtp_Cycle->setDate(cycle);
        cb_Project->addItem(AllProjects);
        cb_Project->addItems(projects);
        cb_Project->setCurrentIndex(0);
    });
    if (ok)
        btn_RefreshClick();
}

void TReconciliationForm::btn_RefreshClick()
{
    const QDate cycle = dtp_Cycle->date();
    Reconcile::Result r;
    const bool ok = runWindowAction(
        this, &m_sandGlass, [&] { r = Reconcile::reconcile(m_session.connection(), cycle.year(), cycle.month()); });
    if (!ok) {
        r = Reconcile::Result();
        r.year = cycle.year();
        r.month = cycle.month();
    }
    m_result = std::move(r);
    m_summary = Reconcile::summaryTable(m_result);
    SummaryQ.adoptSnapshot(m_summary.snapshot());
    m_summaryModel->reload();
    dbg_Summary->resizeColumnsToContents();
    showDifferences();
    if (ok && !m_result.hasRows)
        Messages::show(Reconcile::noRowsMessage(m_result.year, m_result.month), this);
}

void TReconciliationForm::cb_ProjectChange()
{
    showDifferences();
}

void TReconciliationForm::showDifferences()
{
    const QString project = cb_Project->currentIndex() > 0 ? cb_Project->currentText() : QString();
    m_differences = Reconcile::differencesTable(m_result, project);
    DifferencesQ.adoptSnapshot(m_differences.snapshot());
    m_differencesModel->reload();
    dbg_Differences->resizeColumnsToContents();
}

void TReconciliationForm::dbg_DifferencesDblClick()
{
    const int row = dbg_Differences->currentIndex().row();
    if (row < 0 || row >= m_differencesModel->rowCount() || !m_openEmployee)
        return;
    m_openEmployee(this, m_session,
                   {m_differencesModel->value(row, QStringLiteral("Assignment")).toString(),
                    m_differencesModel->value(row, QStringLiteral("Employee_No")).toString(),
                    m_differencesModel->value(row, QStringLiteral("Col_Date")).toDate()});
    afterEmployeeWindowClosed();
}

void TReconciliationForm::afterEmployeeWindowClosed()
{
    // The attendance window runs modally: once it is closed, what was fixed there leaves the lists.
    const int row = dbg_Differences->currentIndex().row();
    btn_RefreshClick();
    // The cursor stays about where it was, on the row that took the fixed one's place.
    const QAbstractItemModel *grid = dbg_Differences->model();
    if (row >= 0 && grid->rowCount() > 0)
        dbg_Differences->setCurrentIndex(grid->index(qMin(row, grid->rowCount() - 1), 0));
}

void TReconciliationForm::btn_ExportClick()
{
    if (!m_result.hasRows) {
        Messages::show(Reconcile::noRowsMessage(m_result.year, m_result.month), this);
        return;
    }
    FileDialog::Request request;
    request.caption = QStringLiteral("Save Excel File As");
    request.fileName =
        QStringLiteral("Reconciliation %1-%2.xlsx").arg(m_result.year).arg(m_result.month, 2, 10, QLatin1Char('0'));
    request.filter = ExportAction::XlsxFilter;
    request.defaultSuffix = QStringLiteral("xlsx");
    const QString chosen = FileDialog::getSaveFileName(this, request);
    if (chosen.isEmpty())
        return;
    try {
        SandGlassScope busy(m_sandGlass);
        const QString file = ExportAction::withSuffix(chosen, QStringLiteral("xlsx"));
        Reconcile::saveWorkbook(m_result, file, QLocale(),
                                [](qint64) { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
        Messages::notice(QStringLiteral("Reconciliation saved to %1").arg(QDir::toNativeSeparators(file)), this);
    } catch (const ExportError &e) {
        Messages::error(e.message(), this);
    }
}
