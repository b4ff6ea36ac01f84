#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <functional>

class Query;

// Read-only grid model over a query's snapshot. Without a column list it shows the query's
// visible fields with their labels and display texts; with one, the listed fields under the
// given titles (a date format shapes date fields). Call reload() after the query is opened,
// re-read or closed.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title;
        QString dateFormat; // empty: the query's display text
    };
    // The stored value of a cell, unformatted (for copying).
    static constexpr int RawValueRole = Qt::UserRole + 1;
    // Background of a row, or an invalid colour for none.
    using RowColour = std::function<QColor(const Query &query, int row)>;

    explicit QueryTableModel(const Query &query, QObject *parent = nullptr);
    QueryTableModel(const Query &query, QList<Column> columns, QObject *parent = nullptr);

    void setRowColour(RowColour colour) { m_rowColour = std::move(colour); }
    // Background of one cell (row, field index of the query), before the row's; invalid: none.
    using CellColour = std::function<QColor(const Query &query, int row, int field)>;
    void setCellColour(CellColour colour) { m_cellColour = std::move(colour); }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    // Shows this field as the row titles (the vertical header, which stays in place while the
    // columns scroll) instead of as a column.
    void setRowTitleField(const QString &field) { m_rowTitleField = field; }

    void reload();
    // The value of a field in a row of the query, null when either is missing.
    QVariant value(int row, const QString &field) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Shown
    {
        int field; // index in the query's fields, -1 when the query lacks it
        QString title;
        QString dateFormat;
    };

    const Query &m_query;
    QList<Column> m_columns; // as asked; empty: every visible field
    QList<Shown> m_shown;    // resolved against the query at the last reload
    RowColour m_rowColour;
    CellColour m_cellColour;
    QString m_rowTitleField;
    int m_rowTitle = -1;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};
