#include "EmployeeSearchPanel.h"
#include "GridCopy.h"
#include "Query.h"
#include "QueryTableModel.h"
#include "WindowParts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
} // namespace

EmployeeSearchPanel::EmployeeSearchPanel(const Query &workers, QPushButton *passButton, int listWidth, QWidget *parent,
                                         const QString &listTitle, bool centreTitle)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnl_Employees"));
    edt_SearchEmpNo = new QLineEdit(this);
    edt_SearchEmpNo->setObjectName(QStringLiteral("edt_SearchEmpNo"));
    edt_SearchEmpNo->setValidator(new UpperCaseValidator(edt_SearchEmpNo));
    edt_SearchEmpNo->setToolTip(QStringLiteral("Employee No"));
    edt_SearchEmpNo->setPlaceholderText(QStringLiteral("Employee No"));
    btn_SearchEmpNo = new QPushButton(QStringLiteral("Go"), this);
    btn_SearchEmpNo->setObjectName(QStringLiteral("btn_SearchEmpNo"));
    // Enter in the search box must not press a button of the window.
    pressOnEnter(btn_SearchEmpNo);
    btn_SearchEmpNo->setFixedWidth(40);

    m_model = new QueryTableModel(workers, {{QStringLiteral("Employee_No"), listTitle, {}}}, this);
    m_model->setAlignment(centreTitle ? Qt::Alignment(Qt::AlignCenter) : Qt::Alignment{});
    dbg_Workers = new QTableView(this);
    dbg_Workers->setObjectName(QStringLiteral("dbg_Workers"));
    dbg_Workers->setModel(m_model);
    dbg_Workers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbg_Workers->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbg_Workers->setSelectionMode(QAbstractItemView::SingleSelection);
    dbg_Workers->verticalHeader()->hide();
    dbg_Workers->verticalHeader()->setDefaultSectionSize(22);
    dbg_Workers->horizontalHeader()->setStretchLastSection(true);
    dbg_Workers->horizontalHeader()->setDefaultAlignment(centreTitle ? Qt::AlignCenter
                                                                     : Qt::AlignLeft | Qt::AlignVCenter);
    // A double click on the list's empty part or on an empty list is a pick too (it says why
    // nothing was picked), not only one that lands on a row.
    dbg_Workers->viewport()->installEventFilter(this);
    dbg_Workers->setFixedWidth(listWidth);
    GridCopy::install(dbg_Workers);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(QStringLiteral("Search For Employee"), this);
    caption->setBuddy(edt_SearchEmpNo);
    layout->addWidget(caption);
    auto *search = new QHBoxLayout;
    search->addWidget(edt_SearchEmpNo);
    search->addWidget(btn_SearchEmpNo);
    layout->addLayout(search);
    layout->addWidget(dbg_Workers, 1);
    if (passButton) {
        passButton->setParent(this);
        pressOnEnter(passButton);
        layout->addWidget(passButton);
    }
    setFixedWidth(listWidth);

    connect(edt_SearchEmpNo, &QLineEdit::returnPressed, this, &EmployeeSearchPanel::searchRequested);
    connect(btn_SearchEmpNo, &QPushButton::clicked, this, &EmployeeSearchPanel::searchRequested);
}

bool EmployeeSearchPanel::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == dbg_Workers->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        // Let the view move the current row to the clicked one first.
        const bool r = QWidget::eventFilter(watched, e);
        const QModelIndex i = dbg_Workers->currentIndex();
        emit workerDoubleClicked(i.isValid() && m_model->rowCount() > 0 ? i.row() : -1);
        return r;
    }
    return QWidget::eventFilter(watched, e);
}

void EmployeeSearchPanel::reload()
{
    m_model->reload();
}

QString EmployeeSearchPanel::employeeAt(int row) const
{
    return m_model->value(row, QStringLiteral("Employee_No")).toString();
}

void EmployeeSearchPanel::setCurrentRow(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        dbg_Workers->setCurrentIndex(m_model->index(row, 0));
}
