#include "WindowParts.h"
#include "GridCopy.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

namespace {
// Enter on a focused button presses it; Enter elsewhere (a search box) still presses none.
class EnterPresses : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) ||
            (k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *b = static_cast<QPushButton *>(watched);
        if (b->isEnabled())
            b->click();
        return true;
    }
};
} // namespace

void pressOnEnter(QPushButton *button)
{
    button->setAutoDefault(false);
    button->installEventFilter(new EnterPresses(button));
}

QPushButton *plainButton(QWidget *parent, const char *caption, const char *objectName)
{
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QLatin1String(objectName));
    pressOnEnter(b);
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
