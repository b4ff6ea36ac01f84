#include "Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Artwork {

namespace {
const QColor Purple(0x5b, 0x4a, 0x9b);
const QColor Lilac(0x9d, 0x8c, 0xd6);
const QColor Gold(0xe8, 0xb0, 0x3b);

QPixmap canvas(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}
} // namespace

QPixmap programIcon(int size)
{
    QPixmap pm = canvas(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, Lilac);
    g.setColorAt(1, Purple);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    // Three rising bars: hours counted, checked, billed.
    p.setBrush(QColor(255, 255, 255, 235));
    const qreal w = s * 0.16, base = s * 0.80;
    const qreal heights[] = {0.30, 0.45, 0.60};
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(s * 0.20 + i * s * 0.22, base - s * heights[i], w, s * heights[i]), s * 0.03,
                          s * 0.03);
    p.setBrush(Gold);
    p.drawEllipse(QPointF(s * 0.72, s * 0.22), s * 0.08, s * 0.08);
    return pm;
}

QPixmap logo(int height, const QColor &textColour)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(8, int(height * 0.55)));
    f.setBold(true);
    const QString text = QStringLiteral("Orvessa");
    const int textWidth = QFontMetrics(f).horizontalAdvance(text);
    QPixmap pm = canvas(height + textWidth + height / 3, height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(0, 0, programIcon(height));
    p.setFont(f);
    p.setPen(textColour);
    p.drawText(QRect(height + height / 4, 0, textWidth + height / 3, height), Qt::AlignVCenter | Qt::AlignLeft, text);
    return pm;
}
} // namespace Artwork
