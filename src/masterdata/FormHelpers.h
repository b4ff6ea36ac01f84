#pragma once

#include "QueryTableModel.h"

#include <QSet>
#include <QString>

class QPlainTextEdit;
class QTableView;
class QLineEdit;
class QWidget;
class Query;

// Grid model of the master-data lists: flag fields read "Yes"/"No".
class FlagTableModel : public QueryTableModel
{
    Q_OBJECT
public:
    FlagTableModel(const Query &query, QList<Column> columns, QSet<QString> flagFields, QObject *parent = nullptr);
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<Column> m_cols;
    QSet<QString> m_flags;
};

namespace FormHelpers {

// Keeps a memo within its column's width, whatever is typed or pasted.
void limitLength(QPlainTextEdit *memo, int maxLength);
// Restricts typing to digits; text set by the program is kept as it is.
void digitsOnly(QLineEdit *edit);
// Makes the grid show the query's current row as the selected one (none when the list is empty).
void showCurrentRow(QTableView *grid, const Query &query);
// The index of the entry equal to the text, letter case ignored; -1 when absent.
int indexIgnoringCase(const QStringList &entries, const QString &text);
// A read-only edit or memo under a caption, for the detail panels.
QLineEdit *readOnlyEdit(const QString &objectName, QWidget *parent);
// After the program filled a form: every edit shows the beginning of its text.
void showStarts(QWidget *form);

} // namespace FormHelpers
