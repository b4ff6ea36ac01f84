#pragma once

#include <QAbstractTableModel>

namespace InvoiceEdit {
class InvoiceLines;
}

// The editable invoice grid: the list's visible columns under their titles. Key columns and the
// total are read-only; a typed cell is checked and applied to its line (amounts and total
// follow), a refused one is reported with its reason. Writing the line is the window's call.
class InvoiceGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit InvoiceGridModel(InvoiceEdit::InvoiceLines &lines, QObject *parent = nullptr);

    // Re-reads the list after it was opened, or a line was written or reloaded.
    void reload();
    // The list column shown in a grid column.
    int fieldColumn(int column) const { return m_columns.value(column, -1); }
    int gridColumn(const QString &field) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // A typed value was refused; nothing changed.
    void editRefused(const QString &reason);
    // A line's values changed in the grid (the totals follow).
    void lineEdited(int row);

private:
    // Money shows with two decimals; its editor starts from the whole stored value.
    QString text(int row, int fieldColumn, int role = Qt::DisplayRole) const;

    InvoiceEdit::InvoiceLines &m_lines;
    QList<int> m_columns; // list columns of the visible fields, in order
};
