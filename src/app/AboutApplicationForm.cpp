#include "AboutApplicationForm.h"
#include "AppInfo.h"
#include "Artwork.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutApplicationForm::TAboutApplicationForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutApplicationForm"));
    setWindowTitle(QStringLiteral("About Tallima"));

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(Artwork::programIcon(96));
    lbl_ProductName = new QLabel(QStringLiteral("Tallimar, a module of Orvessa System"), this);
    lbl_ProductName->setObjectName(QStringLiteral("lbl_ProductName"));
    QFont f = lbl_ProductName->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    lbl_ProductName->setFont(f);
    lbl_Version = new QLabel(AppInfo::DesignVersionLine, this);
    lbl_Version->setObjectName(QStringLiteral("lbl_Version"));
    lbl_Version->setText(AppInfo::currentVersionLine());
    lbl_Copyright =
        new QLabel(QStringLiteral("Copyright \u00A9 %1. All rights reserved.").arg(AppInfo::CompanyName), this);
    lbl_Copyright->setObjectName(QStringLiteral("lbl_Copyright"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setMinimumWidth(88);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->setSpacing(8);
    text->addWidget(lbl_ProductName);
    text->addWidget(lbl_Version);
    text->addWidget(lbl_Copyright);
    text->addStretch(1);
    auto *top = new QHBoxLayout;
    top->setSpacing(20);
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 20, 22, 16);
    layout->setSpacing(18);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
