#include "QueryTableModel.h"

#include "Query.h"

QueryTableModel::QueryTableModel(const Query &query, QObject *parent) : QAbstractTableModel(parent), m_query(query) {}

void QueryTableModel::reload()
{
    beginResetModel();
    m_columns.clear();
    if (m_query.isActive())
        for (int c = 0; c < m_query.fields().size(); ++c)
            if (m_query.field(c).visible)
                m_columns << c;
    endResetModel();
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_query.isActive() || m_columns.isEmpty() ? 0 : m_query.recordCount();
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_columns.size() ||
        m_columns.at(index.column()) >= m_query.fields().size())
        return {};
    if (role == Qt::DisplayRole)
        return m_query.displayText(index.row(), m_columns.at(index.column()));
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_columns.size() ||
        m_columns.at(section) >= m_query.fields().size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_query.field(m_columns.at(section)).label();
}
