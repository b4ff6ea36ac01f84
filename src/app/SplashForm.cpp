#include "SplashForm.h"
#include "AppInfo.h"
#include "Artwork.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

TSplashForm::TSplashForm(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(Artwork::programIcon(72));
    lbl_ProductName = new QLabel(QStringLiteral("Tallima, a module of Orvessa System"), this);
    lbl_ProductName->setObjectName(QStringLiteral("lbl_ProductName"));
    QFont f = lbl_ProductName->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.35);
    lbl_ProductName->setFont(f);
    lbl_Version = new QLabel(AppInfo::DesignVersionLine, this);
    lbl_Version->setObjectName(QStringLiteral("lbl_Version"));
    lbl_Version->setText(AppInfo::currentVersionLine());
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(12);

    auto *text = new QVBoxLayout;
    text->setSpacing(6);
    text->addStretch(1);
    text->addWidget(lbl_ProductName);
    text->addWidget(lbl_Version);
    text->addStretch(1);
    auto *top = new QHBoxLayout;
    top->setSpacing(20);
    top->addWidget(ProgramIcon, 0, Qt::AlignVCenter);
    top->addLayout(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 26, 28, 22);
    layout->setSpacing(22);
    layout->addLayout(top);
    layout->addWidget(ProgressBar1);
    setFixedSize(qMax(480, sizeHint().width()), sizeHint().height());

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::setProgress(int value)
{
    ProgressBar1->setValue(value);
    repaint();
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    // A plain card with a thin frame: there is no window border to outline it.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.fillRect(QRect(0, 0, width(), 5), palette().color(QPalette::Highlight));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
