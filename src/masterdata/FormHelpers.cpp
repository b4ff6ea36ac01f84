#include "FormHelpers.h"
#include "Query.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextCursor>

FlagTableModel::FlagTableModel(const Query &query, QList<Column> columns, QSet<QString> flagFields, QObject *parent)
    : QueryTableModel(query, columns, parent), m_cols(std::move(columns)), m_flags(std::move(flagFields))
{
}

QVariant FlagTableModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole && index.isValid() && index.column() < m_cols.size() &&
        m_flags.contains(m_cols.at(index.column()).field)) {
        const QVariant v = value(index.row(), m_cols.at(index.column()).field);
        if (v.isNull())
            return QString();
        return v.toInt() != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    }
    return QueryTableModel::data(index, role);
}

namespace FormHelpers {

void limitLength(QPlainTextEdit *memo, int maxLength)
{
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxLength] {
        const QString text = memo->toPlainText();
        if (text.size() <= maxLength)
            return;
        // Never half of a character outside the BMP: a lone surrogate is stored as something else.
        const int keep = text.at(maxLength - 1).isHighSurrogate() ? maxLength - 1 : maxLength;
        const QSignalBlocker block(memo);
        memo->setPlainText(text.left(keep));
        memo->moveCursor(QTextCursor::End);
    });
}

void digitsOnly(QLineEdit *edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edit));
}

void showCurrentRow(QTableView *grid, const Query &query)
{
    QAbstractItemModel *model = grid->model();
    if (!model)
        return;
    if (!query.isActive() || query.eof() || model->columnCount() == 0) {
        grid->clearSelection();
        return;
    }
    const QModelIndex idx = model->index(query.row(), 0);
    grid->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(idx);
}

int indexIgnoringCase(const QStringList &entries, const QString &text)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QLineEdit *readOnlyEdit(const QString &objectName, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setReadOnly(true);
    // A value longer than the edit shows its beginning, not its end.
    QObject::connect(e, &QLineEdit::textChanged, e, [e] { e->setCursorPosition(0); });
    return e;
}

void showStarts(QWidget *form)
{
    for (QLineEdit *e : form->findChildren<QLineEdit *>())
        if (!e->hasFocus())
            e->setCursorPosition(0);
}

} // namespace FormHelpers
