#include "FetchingDataForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Purple(0x5b, 0x4a, 0x9b);
const QColor Gold(0xe8, 0xb0, 0x3b);

QPixmap transparentPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// The busy window's picture, drawn in code in the program's colours.
QPixmap hourglass(int size)
{
    QPixmap pm = transparentPixmap(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF top(s * 0.22, s * 0.08, s * 0.56, s * 0.06), bottom(s * 0.22, s * 0.86, s * 0.56, s * 0.06);
    QPainterPath glass;
    glass.moveTo(s * 0.28, s * 0.14);
    glass.lineTo(s * 0.72, s * 0.14);
    glass.cubicTo(s * 0.72, s * 0.38, s * 0.54, s * 0.44, s * 0.54, s * 0.50);
    glass.cubicTo(s * 0.54, s * 0.56, s * 0.72, s * 0.62, s * 0.72, s * 0.86);
    glass.lineTo(s * 0.28, s * 0.86);
    glass.cubicTo(s * 0.28, s * 0.62, s * 0.46, s * 0.56, s * 0.46, s * 0.50);
    glass.cubicTo(s * 0.46, s * 0.44, s * 0.28, s * 0.38, s * 0.28, s * 0.14);
    p.setPen(QPen(Purple, qMax(1.0, s * 0.03)));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPath(glass);
    // Sand: a little left on top, a heap below.
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    QPainterPath sandTop;
    sandTop.moveTo(s * 0.38, s * 0.36);
    sandTop.lineTo(s * 0.62, s * 0.36);
    sandTop.lineTo(s * 0.50, s * 0.48);
    sandTop.closeSubpath();
    p.drawPath(sandTop);
    QPainterPath sandBottom;
    sandBottom.moveTo(s * 0.31, s * 0.84);
    sandBottom.quadTo(s * 0.50, s * 0.60, s * 0.69, s * 0.84);
    sandBottom.closeSubpath();
    p.drawPath(sandBottom);
    p.drawRect(QRectF(s * 0.495, s * 0.48, s * 0.01, s * 0.30));
    p.setBrush(Purple);
    p.drawRoundedRect(top, s * 0.02, s * 0.02);
    p.drawRoundedRect(bottom, s * 0.02, s * 0.02);
    return pm;
}

} // namespace

TFetchingDataForm::TFetchingDataForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("FetchingDataForm"));
    setWindowTitle(QStringLiteral("Fetching Data"));
    setModal(false);

    img_SandGlass = new QLabel(this);
    img_SandGlass->setObjectName(QStringLiteral("img_SandGlass"));
    img_SandGlass->setPixmap(hourglass(48));
    lbl_Working = new QLabel(QStringLiteral("Working On It..."), this);
    lbl_Working->setObjectName(QStringLiteral("lbl_Working"));
    QFont f = lbl_Working->font();
    f.setPointSizeF(f.pointSizeF() * 1.2);
    f.setBold(true);
    lbl_Working->setFont(f);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 18, 32, 18);
    layout->setSpacing(16);
    layout->addWidget(img_SandGlass);
    layout->addWidget(lbl_Working);
    setFixedSize(sizeHint());
}
