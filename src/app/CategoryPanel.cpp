#include "CategoryPanel.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Header strip: filled with the look's accent colour while open, a plain button colour while shut.
class CategoryHeader : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPalette &pal = palette();
        const bool open = isChecked();
        QColor fill = open ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button);
        if (underMouse())
            fill = fill.lightness() > 128 ? fill.darker(106) : fill.lighter(118);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(open ? fill.darker(120) : pal.color(QPalette::Mid));
        p.setBrush(fill);
        p.drawRoundedRect(r, 3, 3);

        const QColor ink = open ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::ButtonText);
        // The arrow: right while shut, down while open.
        const qreal cy = height() / 2.0, x = 12;
        QPolygonF arrow;
        if (open)
            arrow << QPointF(x - 4, cy - 2) << QPointF(x + 4, cy - 2) << QPointF(x, cy + 3);
        else
            arrow << QPointF(x - 2, cy - 4) << QPointF(x + 3, cy) << QPointF(x - 2, cy + 4);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(arrow);
        p.setPen(ink);
        p.setFont(font());
        p.drawText(rect().adjusted(26, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect().adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
        }
    }
};
} // namespace

TCategoryPanel::TCategoryPanel(const QString &caption, QWidget *parent)
    : QWidget(parent), m_header(new CategoryHeader(this)), m_body(new QWidget(this)),
      m_bodyLayout(new QVBoxLayout(m_body))
{
    m_header->setObjectName(QStringLiteral("header"));
    m_header->setText(caption);
    m_header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_header->setCheckable(true);
    m_header->setAttribute(Qt::WA_Hover);
    m_header->setAutoRaise(false);
    m_header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_header->setMinimumHeight(30);
    QFont f = m_header->font();
    f.setBold(true);
    m_header->setFont(f);

    m_bodyLayout->setContentsMargins(10, 6, 10, 10);
    m_bodyLayout->setSpacing(6);
    m_body->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_body);

    connect(m_header, &QToolButton::clicked, this, [this](bool checked) { setCollapsed(!checked); });
}

QString TCategoryPanel::caption() const
{
    return m_header->text();
}

void TCategoryPanel::setCollapsed(bool collapsed)
{
    m_header->setChecked(!collapsed);
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    m_body->setVisible(!collapsed);
    if (collapsed)
        emit this->collapsed();
    else
        emit expanded();
}

void TCategoryPanel::addWidget(QWidget *w)
{
    m_bodyLayout->addWidget(w);
}

TCategoryPanelGroup::TCategoryPanelGroup(QWidget *parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(6, 6, 6, 6);
    m_layout->setSpacing(4);
    m_layout->addStretch(1);
}

TCategoryPanel *TCategoryPanelGroup::addPanel(const QString &objectName, const QString &caption)
{
    auto *p = new TCategoryPanel(caption, this);
    p->setObjectName(objectName);
    // Keep the stretch last so that open categories stay at the top.
    m_layout->insertWidget(m_layout->count() - 1, p);
    m_panels << p;
    return p;
}
