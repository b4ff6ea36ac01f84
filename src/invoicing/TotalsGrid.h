#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

class QGridLayout;
class QLabel;

// "Caption: value" totals, one label per pair in a grid of fixed columns: rows break between
// pairs only, so a caption never parts from its figure however narrow the window.
class TotalsGrid : public QWidget
{
    Q_OBJECT
public:
    explicit TotalsGrid(int columns, QWidget *parent = nullptr);

    void setPairs(const QList<QPair<QString, QString>> &pairs);
    // All pairs in order, as one line.
    QString text() const;
    QList<QLabel *> labels() const { return m_labels; }

private:
    int m_columns;
    QGridLayout *m_grid;
    QList<QLabel *> m_labels;
};
