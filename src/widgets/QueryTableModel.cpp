#include "QueryTableModel.h"

#include "Query.h"

QueryTableModel::QueryTableModel(const Query &query, QObject *parent) : QAbstractTableModel(parent), m_query(query) {}

QueryTableModel::QueryTableModel(const Query &query, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns))
{
    reload();
}

void QueryTableModel::reload()
{
    beginResetModel();
    m_shown.clear();
    m_rowTitle = m_rowTitleField.isEmpty() || !m_query.isActive() ? -1 : m_query.fieldIndex(m_rowTitleField);
    if (m_columns.isEmpty()) {
        if (m_query.isActive())
            for (int c = 0; c < m_query.fields().size(); ++c)
                if (m_query.field(c).visible && c != m_rowTitle)
                    m_shown.append({c, m_query.field(c).label(), {}});
    } else {
        // Fixed columns keep their titles while the query is closed.
        for (const Column &col : std::as_const(m_columns))
            m_shown.append({m_query.isActive() ? m_query.fieldIndex(col.field) : -1, col.title, col.dateFormat});
    }
    endResetModel();
}

QVariant QueryTableModel::value(int row, const QString &field) const
{
    if (!m_query.isActive() || row < 0 || row >= m_query.recordCount())
        return {};
    const int c = m_query.fieldIndex(field);
    return c < 0 ? QVariant() : m_query.valueAt(row, c);
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_query.isActive() || m_shown.isEmpty() ? 0 : m_query.recordCount();
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_shown.size())
        return {};
    const Shown &col = m_shown.at(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (col.field < 0 || col.field >= m_query.fields().size())
            return QString();
        if (col.dateFormat.isEmpty())
            return m_query.displayText(index.row(), col.field);
        const QVariant v = m_query.valueAt(index.row(), col.field);
        return v.isNull() ? QString() : toDateTime(v).toString(col.dateFormat);
    }
    case RawValueRole:
        return col.field < 0 || col.field >= m_query.fields().size() ? QVariant()
                                                                     : m_query.valueAt(index.row(), col.field);
    case Qt::TextAlignmentRole:
        return m_alignment ? QVariant(int(m_alignment)) : QVariant();
    case Qt::BackgroundRole:
        if (m_cellColour && col.field >= 0) {
            const QColor c = m_cellColour(m_query, index.row(), col.field);
            if (c.isValid())
                return c;
        }
        if (m_rowColour) {
            const QColor c = m_rowColour(m_query, index.row());
            if (c.isValid())
                return c;
        }
        return {};
    default:
        return {};
    }
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && m_rowTitle >= 0 && section < rowCount()) {
        if (role == Qt::DisplayRole)
            return m_query.displayText(section, m_rowTitle);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_shown.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_shown.at(section).title;
}
