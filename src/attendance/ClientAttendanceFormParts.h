#pragma once

// Pieces the client attendance window's two source files share.

#include <QColor>
#include <QString>
#include <QStyledItemDelegate>

namespace ClientAttendanceFormParts {

inline const QColor DisputeColour(192, 220, 192);
inline const QString DateFormat = QStringLiteral("dd/MM/yyyy");

// Disputed rows keep their pale green when selected, so the selection colour is not painted.
class DisputeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::BackgroundRole).value<QColor>() == DisputeColour) {
            option->state &= ~QStyle::State_Selected;
            option->backgroundBrush = DisputeColour;
        }
    }
};

} // namespace ClientAttendanceFormParts
