#include "OneLineForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TOneLineForm::TOneLineForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OneLineForm"));
    lbl_Prompt = new QLabel(this);
    lbl_Prompt->setObjectName(QStringLiteral("lbl_Prompt"));
    edt_Line = new QLineEdit(this);
    edt_Line->setObjectName(QStringLiteral("edt_Line"));
    edt_Line->setMinimumWidth(320);
    lbl_Prompt->setBuddy(edt_Line);
    btn_OK = new QPushButton(QStringLiteral("OK"), this);
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    btn_OK->setDefault(true);
    btn_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    connect(btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btn_OK);
    buttons->addWidget(btn_Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lbl_Prompt);
    layout->addWidget(edt_Line);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TOneLineForm::prepare(const QString &caption, const QString &prompt, const QString &text)
{
    setWindowTitle(caption);
    lbl_Prompt->setText(prompt);
    edt_Line->setText(text);
    edt_Line->selectAll();
    edt_Line->setFocus();
}

QString TOneLineForm::text() const
{
    return edt_Line->text();
}
