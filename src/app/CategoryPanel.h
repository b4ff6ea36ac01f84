#pragma once

#include <QList>
#include <QWidget>

class QToolButton;
class QVBoxLayout;

// One collapsible category of the function panel: a header that opens and closes it and the
// buttons under it.
class TCategoryPanel : public QWidget
{
    Q_OBJECT
public:
    TCategoryPanel(const QString &caption, QWidget *parent = nullptr);

    QString caption() const;
    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);
    void expand() { setCollapsed(false); }
    void collapse() { setCollapsed(true); }

    // Adds a widget under the header (the function buttons).
    void addWidget(QWidget *w);
    QToolButton *header() const { return m_header; }

signals:
    void expanded();
    void collapsed();

private:
    QToolButton *m_header;
    QWidget *m_body;
    QVBoxLayout *m_bodyLayout;
    bool m_collapsed = true;
};

// The group of categories, stacked top to bottom.
class TCategoryPanelGroup : public QWidget
{
    Q_OBJECT
public:
    explicit TCategoryPanelGroup(QWidget *parent = nullptr);

    TCategoryPanel *addPanel(const QString &objectName, const QString &caption);
    const QList<TCategoryPanel *> &panels() const { return m_panels; }

private:
    QVBoxLayout *m_layout;
    QList<TCategoryPanel *> m_panels;
};
