#pragma once

#include <QHash>
#include <QIdentityProxyModel>

// A grid's column titles shortened for the window (a "\n" gives a second header line), the full
// title kept as the header's tooltip and for copying; the rows pass through unchanged.
class GridTitles : public QIdentityProxyModel
{
    Q_OBJECT
public:
    // The full title of a column, whether shortened or not.
    static constexpr int FullTitleRole = Qt::UserRole + 2;

    // shortTitles: full title -> title shown; a title without an entry is shown as it is.
    GridTitles(QAbstractItemModel *source, QHash<QString, QString> shortTitles, QObject *parent = nullptr);

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QHash<QString, QString> m_short;
};
