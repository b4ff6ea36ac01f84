#include "WindowParts.h"
#include "GridCopy.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

QPushButton *plainButton(QWidget *parent, const char *caption, const char *objectName)
{
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QLatin1String(objectName));
    b->setAutoDefault(false);
    return b;
}

QTableView *listGrid(QWidget *parent, const char *objectName, QAbstractItemModel *model)
{
    auto *g = new QTableView(parent);
    g->setObjectName(QLatin1String(objectName));
    g->setModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->setDefaultSectionSize(22);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridCopy::install(g);
    return g;
}
