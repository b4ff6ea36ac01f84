#include "GridTitles.h"

GridTitles::GridTitles(QAbstractItemModel *source, QHash<QString, QString> shortTitles, QObject *parent)
    : QIdentityProxyModel(parent), m_short(std::move(shortTitles))
{
    setSourceModel(source);
}

QVariant GridTitles::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !sourceModel())
        return QIdentityProxyModel::headerData(section, orientation, role);
    const QString full = sourceModel()->headerData(section, orientation, Qt::DisplayRole).toString();
    switch (role) {
    case Qt::DisplayRole:
        return m_short.value(full, full);
    case Qt::ToolTipRole:
    case FullTitleRole:
        return full;
    default:
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
}
