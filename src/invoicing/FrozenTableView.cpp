#include "FrozenTableView.h"

#include <QHeaderView>
#include <QScrollBar>

FrozenTableView::FrozenTableView(int frozenColumns, QWidget *parent)
    : QTableView(parent), m_count(frozenColumns), m_frozen(new QTableView(this))
{
    m_frozen->setObjectName(QStringLiteral("frozenColumns"));
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->verticalHeader()->hide();
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    viewport()->stackUnder(m_frozen);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (logical < m_count) {
            m_frozen->setColumnWidth(logical, size);
            updateFrozenGeometry();
        }
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { m_frozen->setRowHeight(logical, size); });
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
}

void FrozenTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    m_frozen->setModel(model);
    if (model) {
        m_frozen->setSelectionModel(selectionModel());
        connect(model, &QAbstractItemModel::modelReset, this, &FrozenTableView::updateFrozenColumns);
        connect(model, &QAbstractItemModel::columnsInserted, this, &FrozenTableView::updateFrozenColumns);
    }
    m_frozen->setEditTriggers(editTriggers());
    m_frozen->setSelectionBehavior(selectionBehavior());
    m_frozen->setSelectionMode(selectionMode());
    updateFrozenColumns();
}

void FrozenTableView::updateFrozenColumns()
{
    if (!model())
        return;
    for (int c = 0; c < model()->columnCount(); ++c)
        m_frozen->setColumnHidden(c, c >= m_count);
    for (int c = 0; c < m_count && c < model()->columnCount(); ++c)
        m_frozen->setColumnWidth(c, columnWidth(c));
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->show();
    updateFrozenGeometry();
}

void FrozenTableView::updateGeometries()
{
    QTableView::updateGeometries();
    updateFrozenGeometry();
}

void FrozenTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    updateFrozenGeometry();
}

QModelIndex FrozenTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    // Keep the cell moved to out from under the frozen columns.
    int frozenWidth = 0;
    for (int c = 0; c < m_count; ++c)
        frozenWidth += columnWidth(c);
    if (cursorAction == MoveLeft && current.column() >= m_count && visualRect(current).topLeft().x() < frozenWidth) {
        const int value = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - frozenWidth;
        horizontalScrollBar()->setValue(value);
    }
    return current;
}

void FrozenTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (index.column() >= m_count)
        QTableView::scrollTo(index, hint);
}

void FrozenTableView::updateFrozenGeometry()
{
    int width = 0;
    for (int c = 0; c < m_count; ++c)
        width += columnWidth(c);
    const int titles = verticalHeader()->isHidden() ? 0 : verticalHeader()->width();
    m_frozen->setGeometry(titles + frameWidth(), frameWidth(), width,
                          viewport()->height() + horizontalHeader()->height());
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
}
