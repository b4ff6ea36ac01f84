#pragma once

#include <QTableView>

// A grid whose first columns stay in place while the others scroll: a second view over the same
// model and selection, laid over the left edge.
class FrozenTableView : public QTableView
{
    Q_OBJECT
public:
    explicit FrozenTableView(int frozenColumns, QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    QTableView *frozenView() const { return m_frozen; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The row titles widen as rows arrive: the frozen columns follow.
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

private:
    void updateFrozenColumns();
    void updateFrozenGeometry();

    int m_count;
    QTableView *m_frozen;
};
