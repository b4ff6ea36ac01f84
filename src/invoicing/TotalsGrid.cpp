#include "TotalsGrid.h"

#include <QGridLayout>
#include <QLabel>

TotalsGrid::TotalsGrid(int columns, QWidget *parent)
    : QWidget(parent), m_columns(columns), m_grid(new QGridLayout(this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(24);
    m_grid->setVerticalSpacing(2);
}

void TotalsGrid::setPairs(const QList<QPair<QString, QString>> &pairs)
{
    while (m_labels.size() < pairs.size()) {
        auto *l = new QLabel(this);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int i = int(m_labels.size());
        m_grid->addWidget(l, i / m_columns, i % m_columns);
        m_labels.append(l);
    }
    for (int i = 0; i < m_labels.size(); ++i) {
        m_labels[i]->setVisible(i < pairs.size());
        if (i < pairs.size())
            m_labels[i]->setText(pairs[i].first + QStringLiteral(": ") + pairs[i].second);
    }
    // Spare width goes after the last column rather than between the pairs.
    for (int c = 0; c <= m_columns; ++c)
        m_grid->setColumnStretch(c, c == m_columns ? 1 : 0);
}

QString TotalsGrid::text() const
{
    QStringList parts;
    for (const QLabel *l : m_labels)
        if (!l->isHidden())
            parts << l->text();
    return parts.join(QStringLiteral("    "));
}
