#pragma once

#include <QAbstractTableModel>

class Query;

// Read-only grid model over a query's snapshot: its visible fields, their labels and display
// texts, every cell centred. Call reload() after the query is opened or closed.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit QueryTableModel(const Query &query, QObject *parent = nullptr);

    void reload();
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Query &m_query;
    QList<int> m_columns; // visible fields of the query
};
