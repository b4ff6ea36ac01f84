#include "GridCopy.h"
#include "GridTitles.h"
#include "QueryTableModel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMenu>
#include <map>
#include <set>

namespace {

// A cell as a spreadsheet should read it: numbers without grouping or display format.
QString cellText(const QModelIndex &index)
{
    QVariant raw = index.data(QueryTableModel::RawValueRole);
    if (!raw.isValid())
        raw = index.data(Qt::EditRole); // editable grids hold the value there
    switch (raw.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QString::number(raw.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(raw.toDouble(), 'g', 15);
    default:
        break;
    }
    QString text = index.data(Qt::DisplayRole).toString();
    // A tab or line break inside a cell would split it.
    text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.remove(QLatin1Char('\r'));
}

} // namespace

namespace GridCopy {

QString selectionText(const QAbstractItemView *view)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return {};
    QModelIndexList cells = view->selectionModel() ? view->selectionModel()->selectedIndexes() : QModelIndexList{};
    if (cells.isEmpty() && view->currentIndex().isValid())
        cells << view->currentIndex();
    if (cells.isEmpty())
        return {};
    std::set<int> columns;
    std::map<int, std::map<int, QModelIndex>> rows;
    for (const QModelIndex &i : std::as_const(cells)) {
        columns.insert(i.column());
        rows[i.row()][i.column()] = i;
    }
    QStringList lines;
    QStringList titles;
    for (int c : columns) {
        // A title shortened for the window is copied whole.
        const QVariant full = model->headerData(c, Qt::Horizontal, GridTitles::FullTitleRole);
        titles << (full.isValid() ? full : model->headerData(c, Qt::Horizontal, Qt::DisplayRole)).toString();
    }
    lines << titles.join(QLatin1Char('\t'));
    for (const auto &[row, byColumn] : rows) {
        QStringList fields;
        for (int c : columns) {
            const auto it = byColumn.find(c);
            fields << (it == byColumn.end() ? QString() : cellText(it->second));
        }
        lines << fields.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void install(QAbstractItemView *view, QMenu *popup)
{
    auto *copy = new QAction(QStringLiteral("Copy"), view);
    copy->setObjectName(QStringLiteral("act_Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(copy);
    QObject::connect(copy, &QAction::triggered, view,
                     [view] { QApplication::clipboard()->setText(selectionText(view)); });
    if (popup) {
        popup->addSeparator();
        popup->addAction(copy);
    } else if (view->contextMenuPolicy() == Qt::DefaultContextMenu) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

QAction *copyAction(const QAbstractItemView *view)
{
    for (QAction *a : view->actions())
        if (a->objectName() == QLatin1String("act_Copy"))
            return a;
    return nullptr;
}

} // namespace GridCopy
