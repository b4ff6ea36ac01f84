#include "InvoiceGridModel.h"
#include "InvoiceEdit.h"

#include <QLocale>

using InvoiceEdit::InvoiceLines;

InvoiceGridModel::InvoiceGridModel(InvoiceLines &lines, QObject *parent) : QAbstractTableModel(parent), m_lines(lines)
{
    reload();
}

void InvoiceGridModel::reload()
{
    beginResetModel();
    m_columns.clear();
    // Before the first load the columns come from the definitions, so the grid shows its titles.
    const QList<FieldDef> &defs = m_lines.isOpen() ? m_lines.InvoiceQ.fields() : InvoiceEdit::fields();
    for (int c = 0; c < defs.size(); ++c)
        if (defs.at(c).visible)
            m_columns << c;
    endResetModel();
}

int InvoiceGridModel::gridColumn(const QString &field) const
{
    const QList<FieldDef> &defs = m_lines.isOpen() ? m_lines.InvoiceQ.fields() : InvoiceEdit::fields();
    for (int i = 0; i < m_columns.size(); ++i)
        if (defs.at(m_columns.at(i)).name.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int InvoiceGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_lines.isOpen() ? 0 : m_lines.lineCount();
}

int InvoiceGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString InvoiceGridModel::text(int row, int fieldColumn, int role) const
{
    const QVariant v = m_lines.value(row, fieldColumn);
    if (v.isNull())
        return {};
    const FieldDef &field = m_lines.InvoiceQ.field(fieldColumn);
    switch (field.kind) {
    case FieldKind::Float:
    case FieldKind::Currency:
        if (role == Qt::DisplayRole)
            return displayTextOf(field, v);
        return QLocale().toString(v.toDouble(), 'g', 15);
    case FieldKind::Integer:
    case FieldKind::LargeInt:
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

QVariant InvoiceGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_columns.size())
        return {};
    const int fc = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), fc, role);
    case Qt::TextAlignmentRole: {
        const FieldKind k = m_lines.InvoiceQ.field(fc).kind;
        return isNumericKind(k) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant InvoiceGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const QList<FieldDef> &defs = m_lines.isOpen() ? m_lines.InvoiceQ.fields() : InvoiceEdit::fields();
    const int fc = m_columns.value(section, -1);
    return fc < 0 ? QVariant() : QVariant(defs.at(fc).label());
}

Qt::ItemFlags InvoiceGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.column() >= m_columns.size())
        return f;
    const QString field = m_lines.InvoiceQ.field(m_columns.at(index.column())).name;
    if (InvoiceEdit::isEditable(field) && m_lines.isLineEditable(index.row()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool InvoiceGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() >= m_columns.size())
        return false;
    const int row = index.row();
    const int fc = m_columns.at(index.column());
    // An editor closed without a change is no edit.
    if (value.toString() == text(row, fc, Qt::EditRole))
        return false;
    const QString refused = m_lines.setValue(row, fc, value.toString());
    if (!refused.isEmpty()) {
        emit editRefused(refused);
        return false;
    }
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    emit lineEdited(row);
    return true;
}
