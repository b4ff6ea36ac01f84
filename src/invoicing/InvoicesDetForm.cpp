#include "InvoicesDetForm.h"

#include "ActiveProjects.h"
#include "CyclePicker.h"
#include "DbError.h"
#include "ExportAction.h"
#include "FrozenTableView.h"
#include "GridCopy.h"
#include "InvoiceDocumentAction.h"
#include "InvoiceGridModel.h"
#include "InvoiceLists.h"
#include "Messages.h"
#include "QueryTableModel.h"
#include "Session.h"
#include "TotalsGrid.h"
#include "WindowParts.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString ConflictText = QStringLiteral("This line was changed by another user; it has been reloaded.");
const QString GoneText = QStringLiteral("This line was deleted by another user; it has been removed from the list.");
const QString UnsavedText = QStringLiteral("The line you changed has not been saved yet. Save it?");

QString money(double v)
{
    QLocale l;
    l.setNumberOptions(QLocale::DefaultNumberOptions); // "#,##0.00": grouped, two decimals
    return l.toString(v, 'f', 2);
}

QString hours(qint64 v)
{
    QLocale l;
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l.toString(v);
}
} // namespace

TInvoicesDetForm::TInvoicesDetForm(Session &session, QWidget *parent)
    : QDialog(parent), NotCheckedQ(session.connection()), m_session(session), m_sandGlass(this),
      m_lines(session.connection())
{
    setObjectName(QStringLiteral("InvoicesDetForm"));
    setWindowTitle(QStringLiteral("Clients Invoices Details"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    InvoiceLists::prepareNotCheckedQ(NotCheckedQ);
    buildControls();
    resize(1200, 640);
}

TInvoicesDetForm::~TInvoicesDetForm()
{
    // The models read queries that go before the child widgets do.
    DBGrid1->setModel(nullptr);
    DBGrid2->setModel(nullptr);
}

void TInvoicesDetForm::buildControls()
{
    dtp_Cycle = new CyclePicker(this);
    dtp_Cycle->setObjectName(QStringLiteral("dtp_Cycle"));
    dtp_Cycle->setEnabled(false); // the window always works on the active cycle
    cb_Project = new QComboBox(this);
    cb_Project->setObjectName(QStringLiteral("cb_Project"));
    cb_Project->setMinimumWidth(220);
    btn_Close = plainButton(this, "Close", "btn_Close");
    btn_FindUnChecked = plainButton(this, "Find Unchecked", "btn_FindUnChecked");
    btn_ExportUnChecked = plainButton(this, "Export To Excel", "btn_ExportUnChecked");
    btn_InvoiceDetails = plainButton(this, "Show Invoice Details", "btn_InvoiceDetails");
    btn_ExportToExcel = plainButton(this, "Export To Excel", "btn_ExportToExcel");
    btn_InvoiceDocument = plainButton(this, "Invoice Document...", "btn_InvoiceDocument");

    QList<QueryTableModel::Column> unchecked;
    for (const FieldDef &f : InvoiceLists::notCheckedFields())
        unchecked.append({f.name, f.label(), {}});
    m_notCheckedModel = new QueryTableModel(NotCheckedQ, unchecked, this);
    m_notCheckedModel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_notCheckedModel);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setFixedWidth(280);
    GridCopy::install(DBGrid1);

    m_invoiceModel = new InvoiceGridModel(m_lines, this);
    DBGrid2 = new FrozenTableView(3, this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    GridCopy::install(DBGrid2);
    DBGrid2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    for (QHeaderView *h : {DBGrid2->verticalHeader(), DBGrid2->frozenView()->verticalHeader()}) {
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setMinimumSectionSize(20);
        h->setDefaultSectionSize(20);
    }
    DBGrid2->horizontalHeader()->setFixedHeight(20);
    DBGrid2->setModel(m_invoiceModel);
    // Every title shown whole: a column is at least as wide as its title.
    for (int c = 0; c < m_invoiceModel->columnCount(); ++c)
        DBGrid2->setColumnWidth(c, qMax(DBGrid2->columnWidth(c), DBGrid2->horizontalHeader()->sectionSizeHint(c)));
    // Four pairs a row: fits the window at its smallest without widening it beyond the screen.
    lbl_InvoiceTotals = new TotalsGrid(4, this);
    lbl_InvoiceTotals->setObjectName(QStringLiteral("lbl_InvoiceTotals"));
    updateTotals();
    lbl_UnCheckedFor = new QLabel(this);
    lbl_UnCheckedFor->setObjectName(QStringLiteral("lbl_UnCheckedFor"));
    lbl_InvoiceDetailsFor = new QLabel(this);
    lbl_InvoiceDetailsFor->setObjectName(QStringLiteral("lbl_InvoiceDetailsFor"));
    showLoadedFor(lbl_UnCheckedFor, {});
    showLoadedFor(lbl_InvoiceDetailsFor, {});

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Cycle"), this));
    top->addWidget(dtp_Cycle);
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Project"), this));
    top->addWidget(cb_Project);
    top->addStretch();
    top->addWidget(btn_Close);

    auto *left = new QVBoxLayout;
    auto *leftButtons = new QHBoxLayout;
    leftButtons->addWidget(btn_FindUnChecked);
    leftButtons->addWidget(btn_ExportUnChecked);
    left->addLayout(leftButtons);
    left->addWidget(lbl_UnCheckedFor);
    left->addWidget(DBGrid1, 1);

    auto *right = new QVBoxLayout;
    auto *rightButtons = new QHBoxLayout;
    rightButtons->addWidget(btn_InvoiceDetails);
    rightButtons->addWidget(btn_ExportToExcel);
    rightButtons->addWidget(btn_InvoiceDocument);
    rightButtons->addStretch();
    right->addLayout(rightButtons);
    right->addWidget(lbl_InvoiceDetailsFor);
    right->addWidget(DBGrid2, 1);
    right->addWidget(lbl_InvoiceTotals);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(body, 1);

    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(btn_FindUnChecked, &QPushButton::clicked, this, &TInvoicesDetForm::btn_FindUnCheckedClick);
    connect(btn_InvoiceDetails, &QPushButton::clicked, this, &TInvoicesDetForm::btn_InvoiceDetailsClick);
    connect(btn_ExportUnChecked, &QPushButton::clicked, this, &TInvoicesDetForm::btn_ExportUnCheckedClick);
    connect(btn_ExportToExcel, &QPushButton::clicked, this, &TInvoicesDetForm::btn_ExportToExcelClick);
    connect(btn_InvoiceDocument, &QPushButton::clicked, this, &TInvoicesDetForm::btn_InvoiceDocumentClick);
    connect(m_invoiceModel, &InvoiceGridModel::editRefused, this,
            [this](const QString &reason) { Messages::warning(reason, this); });
    connect(m_invoiceModel, &InvoiceGridModel::lineEdited, this, &TInvoicesDetForm::updateTotals);
    // An edited line is written when the current row is left.
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (m_lines.hasPending() && previous.row() == m_lines.pendingRow() && current.row() != previous.row())
                    submitEdit();
            });
}

bool TInvoicesDetForm::event(QEvent *e)
{
    const bool done = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return done;
}

void TInvoicesDetForm::FormActivate()
{
    if (m_created)
        return;
    // The cycle and the projects are taken once per window; a failure is shown once.
    m_created = m_activation.run(this, [this] {
        dtp_Cycle->setDate(GetActiveCycle(m_session));
        m_year = dtp_Cycle->date().year();
        m_month = dtp_Cycle->date().month();
        const QStringList projects = ActiveProjects::names(m_session.connection());
        cb_Project->clear();
        cb_Project->addItems(projects);
        cb_Project->setCurrentIndex(projects.isEmpty() ? -1 : 0);
    });
}

void TInvoicesDetForm::btn_FindUnCheckedClick()
{
    const QString project = cb_Project->currentText();
    const bool ok =
        runWindowAction(this, &m_sandGlass, [&] { InvoiceLists::open(NotCheckedQ, m_year, m_month, project); });
    m_unCheckedProject = ok ? project : QString();
    showLoadedFor(lbl_UnCheckedFor, m_unCheckedProject);
    m_notCheckedModel->reload();
}

void TInvoicesDetForm::btn_InvoiceDetailsClick()
{
    submitEdit();
    const QString project = cb_Project->currentText();
    const bool ok = runWindowAction(this, &m_sandGlass, [&] { m_lines.open(m_year, m_month, project); });
    m_invoiceProject = ok ? project : QString();
    showLoadedFor(lbl_InvoiceDetailsFor, m_invoiceProject);
    m_invoiceModel->reload();
    // Names are the one column whose width the data decides; the rest keep theirs.
    const int name = m_invoiceModel->gridColumn(QStringLiteral("Employee_Name"));
    if (name >= 0)
        DBGrid2->resizeColumnToContents(name);
    updateTotals();
}

void TInvoicesDetForm::btn_ExportUnCheckedClick()
{
    ExportAction::ExportToExcel(
        NotCheckedQ, exportName(QStringLiteral("List Of Employees"), m_unCheckedProject, m_year, m_month), this);
}

void TInvoicesDetForm::btn_ExportToExcelClick()
{
    // The file holds the lines as stored: an edit still open is written first.
    submitEdit();
    ExportAction::ExportToExcel(m_lines.InvoiceQ,
                                exportName(QStringLiteral("Invoice Details"), m_invoiceProject, m_year, m_month), this);
}

void TInvoicesDetForm::btn_InvoiceDocumentClick()
{
    // The document prints the lines as stored: an edit still open is written first.
    submitEdit();
    InvoiceDocumentAction::show(this, &m_sandGlass, m_session, cb_Project->currentText(), m_year, m_month);
}

bool TInvoicesDetForm::submitEdit()
{
    if (!m_lines.hasPending())
        return true;
    const int row = m_lines.pendingRow();
    InvoiceEdit::InvoiceLines::SaveResult result = InvoiceEdit::InvoiceLines::SaveResult::NothingToSave;
    const bool ok = runWindowAction(
        this, nullptr, [&] { result = m_lines.submit(); },
        [](const DbError &e) { return QStringLiteral("Something went wrong!, DbError: ") + e.message(); });
    using R = InvoiceEdit::InvoiceLines::SaveResult;
    if (result == R::Gone || !ok) {
        m_invoiceModel->reload();
    } else if (result == R::Saved || result == R::Conflict) {
        emit m_invoiceModel->dataChanged(m_invoiceModel->index(row, 0),
                                         m_invoiceModel->index(row, m_invoiceModel->columnCount() - 1));
    }
    updateTotals();
    if (result == R::Conflict)
        Messages::show(ConflictText, this);
    else if (result == R::Gone)
        Messages::show(GoneText, this);
    return ok && result != R::Conflict && result != R::Gone;
}

void TInvoicesDetForm::discardEdit()
{
    if (!m_lines.hasPending())
        return;
    const int row = m_lines.pendingRow();
    m_lines.revert();
    emit m_invoiceModel->dataChanged(m_invoiceModel->index(row, 0),
                                     m_invoiceModel->index(row, m_invoiceModel->columnCount() - 1));
    updateTotals();
}

void TInvoicesDetForm::keyPressEvent(QKeyEvent *e)
{
    // Esc takes back an edited line that is not written yet, as a grid does, instead of closing.
    if (e->matches(QKeySequence::Cancel) && m_lines.hasPending()) {
        discardEdit();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TInvoicesDetForm::done(int result)
{
    if (m_lines.hasPending()) {
        switch (Messages::askToSave(UnsavedText, this)) {
        case Messages::Choice::Save:
            // A line that could not be written stays in view with the reason shown.
            if (!submitEdit())
                return;
            break;
        case Messages::Choice::Discard:
            discardEdit();
            break;
        case Messages::Choice::Cancel:
            return;
        }
    }
    QDialog::done(result);
}

QList<QPair<QString, QString>> TInvoicesDetForm::totalsPairs(const InvoiceEdit::Totals &t)
{
    // Two rows of four: the hours above the amounts they price.
    return {{QStringLiteral("Lines"), hours(t.lines)},
            {QStringLiteral("Normal Hours"), hours(t.whHours)},
            {QStringLiteral("Overtime Hours"), hours(t.otHours)},
            {QStringLiteral("Holiday Hours"), hours(t.htHours)},
            {QStringLiteral("Total"), money(t.total)},
            {QStringLiteral("Normal Amount"), money(t.whAmount)},
            {QStringLiteral("Overtime Amount"), money(t.otAmount)},
            {QStringLiteral("Holiday Amount"), money(t.htAmount)}};
}

void TInvoicesDetForm::updateTotals()
{
    lbl_InvoiceTotals->setPairs(totalsPairs(m_lines.totals()));
}

void TInvoicesDetForm::showLoadedFor(QLabel *caption, const QString &project)
{
    caption->setText(
        project.isEmpty()
            ? QStringLiteral("Not loaded")
            : QStringLiteral("Loaded for %1 - %2/%3").arg(project).arg(m_month, 2, 10, QLatin1Char('0')).arg(m_year));
}

QString TInvoicesDetForm::exportName(const QString &base, const QString &project, int year, int month)
{
    if (project.isEmpty())
        return base;
    // A project name may hold characters that no file name can.
    QString name = project;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    return QStringLiteral("%1 - %2 - %3-%4").arg(base, name.trimmed()).arg(month, 2, 10, QLatin1Char('0')).arg(year);
}
