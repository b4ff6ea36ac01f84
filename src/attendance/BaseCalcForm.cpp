#include "BaseCalcForm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TBaseCalcForm::TBaseCalcForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BaseCalcForm"));
    setWindowTitle(QStringLiteral("Base Calculation"));
    RadioGroup1 = new QGroupBox(QStringLiteral("Normal Hours Base"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    rb_As8 = new QRadioButton(QStringLiteral("Normal Hours As 8"), RadioGroup1);
    rb_As10 = new QRadioButton(QStringLiteral("Normal Hours As 10"), RadioGroup1);
    rb_As8->setObjectName(QStringLiteral("rb_As8"));
    rb_As10->setObjectName(QStringLiteral("rb_As10"));
    auto *radios = new QVBoxLayout(RadioGroup1);
    radios->addWidget(rb_As8);
    radios->addWidget(rb_As10);
    btn_OK = new QPushButton(QStringLiteral("OK"), this);
    btn_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    btn_OK->setDefault(true);
    connect(btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_OK);
    buttons->addWidget(btn_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addLayout(buttons);
    rb_As8->setChecked(true);
    // Wide enough for the whole caption beside the title bar's icon and close button.
    RadioGroup1->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 120);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

NormalBase TBaseCalcForm::base() const
{
    return rb_As10->isChecked() ? NormalBase::Ten : NormalBase::Eight;
}

void TBaseCalcForm::showEvent(QShowEvent *event)
{
    // Every showing starts from the usual base.
    rb_As8->setChecked(true);
    QDialog::showEvent(event);
}
